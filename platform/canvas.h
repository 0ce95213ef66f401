#pragma once
// The drawing surface: a window during its paint request, or an off-screen TBitmap. Fills,
// 1-pixel lines and frames, an 8x8 two-colour pattern with a brush origin, the dotted focus
// frame, text at a baseline or in a rectangle, bitmaps with a transparent key colour or half
// blended with a colour, and clipping.
//
// Coordinates are logical: the device pixel of logical point p is p - WindowOrigin(). The
// clip is logical too; the brush origin is a device pixel, so that patterns drawn through
// differently moved origins still line up on the surface.
#include "platform/flags.h"
#include "platform/types.h"
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class TBitmap;
class TPlatformFont;

// Eight rows of eight bits, the most significant bit the leftmost pixel.
using TPattern8x8 = std::array<std::uint8_t, 8>;

enum class TTextFormatFlag {
    tfCenter,     // horizontally centred (default: left)
    tfRight,      // right-aligned
    tfVCenter,    // vertically centred in the rectangle (default: at its top)
    tfBottom,     // at the bottom of the rectangle
    tfNoClip,     // not clipped at the rectangle
    tfRtlReading, // right-to-left reading order
};
using enum TTextFormatFlag;
using TTextFormat = TFlags<TTextFormatFlag>;

enum class TBackgroundMode { bmTransparent, bmOpaque };
using enum TBackgroundMode;

class TCanvas {
public:
    // The backend's window surface during a paint request; for platform/ only.
    struct TDevice;
    // Over a window paint; clip is the part of the window to paint (device coordinates).
    TCanvas(TDevice& device, const TRect& clip);
    // Over a bitmap (TBitmap::Canvas() hands out the bitmap's own).
    explicit TCanvas(TBitmap& bitmap);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // ---- state ----
    // The current clip rectangle in logical coordinates.
    TRect ClipRect() const;
    void SetClipRect(const TRect& r); // intersected with the surface
    void IntersectClipRect(const TRect& r);
    void ResetClip(); // back to the whole surface (the update rectangle of a window)
    TPoint WindowOrigin() const { return FOrigin; }
    void SetWindowOrigin(TPoint p) { FOrigin = p; }
    // Device pixels per logical pixel of the surface: the window's screen or the bitmap's.
    double PixelRatio() const;
    TPoint BrushOrigin() const { return FBrushOrigin; }
    void SetBrushOrigin(TPoint p) { FBrushOrigin = p; }

    TColor BrushColor() const { return FBrushColor; }
    void SetBrushColor(TColor c) { FBrushColor = c; }
    TColor PenColor() const { return FPenColor; }
    void SetPenColor(TColor c) { FPenColor = c; }
    TColor TextColor() const { return FTextColor; }
    void SetTextColor(TColor c) { FTextColor = c; }
    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor c) { FBkColor = c; }
    TBackgroundMode BkMode() const { return FBkMode; }
    void SetBkMode(TBackgroundMode m) { FBkMode = m; }
    const std::shared_ptr<const TPlatformFont>& Font() const { return FFont; }
    void SetFont(std::shared_ptr<const TPlatformFont> font) { FFont = std::move(font); }

    // ---- drawing (system colours are resolved; clNone draws nothing) ----
    void FillRect(const TRect& r, TColor color);
    void FillRect(const TRect& r) { FillRect(r, FBrushColor); }
    // Bits 0 of the pattern paint color0, bits 1 color1: device pixel (x, y) takes the bit at
    // column (x - BrushOrigin.X) mod 8 of row (y - BrushOrigin.Y) mod 8.
    void FillPattern(const TRect& r, const TPattern8x8& pattern, TColor color0, TColor color1);
    // A 1-pixel line including both end points.
    void Line(TPoint a, TPoint b, TColor color);
    // A 1-pixel frame just inside r.
    void FrameRect(const TRect& r, TColor color);
    // Frame in the pen colour, interior in the brush colour (either may be clNone).
    void Rectangle(const TRect& r);
    // Rounded corners of the given radius (0: square).
    void RoundRect(const TRect& r, int radius);
    // Filled in the brush colour, without outline.
    void Polygon(const std::vector<TPoint>& points);
    // Inverts every other pixel of the 1-pixel frame just inside r, starting with its
    // top-left pixel; drawing it twice restores the pixels.
    void DrawFocusRect(const TRect& r);

    // ---- text (the current font; nothing without one) ----
    int TextWidth(std::u16string_view text) const;
    int TextHeight() const; // the font's cell height
    // The run with its baseline at y, starting at x. extraWidth pixels are spread over the
    // breakCount spaces (U+0020, U+00A0) of the run. Opaque mode fills the run's cell with
    // the background colour first.
    void TextOut(int x, int baseline, std::u16string_view text, int extraWidth = 0,
                 int breakCount = 0);
    // One line of text placed in r by the format, clipped at r unless tfNoClip.
    void TextRect(const TRect& r, std::u16string_view text, TTextFormat format = {});

    // ---- bitmaps ----
    // Copies (or, for bfAlpha, blends) the source part of the bitmap to (x, y).
    void Draw(int x, int y, const TBitmap& bitmap);
    void Draw(int x, int y, const TBitmap& bitmap, const TRect& source);
    // As Draw, with the pixels of the key colour left out.
    void DrawTransparent(int x, int y, const TBitmap& bitmap, TColor keyColor);
    // As Draw, then every drawn pixel halved towards the colour: (pixel + colour) / 2.
    void DrawBlended(int x, int y, const TBitmap& bitmap, TColor color);

    // Finishes the painting of a bitmap canvas (it restarts on the next call); the bitmap
    // does this before its pixels are touched directly.
    void EndPaint();

    // The backend's drawing objects; for platform/ only.
    struct TImpl;
    TImpl& Impl() const { return *FImpl; }

private:
    friend struct TImpl;
    bool Begin(); // false when there is nothing to paint on
    // The backend's part of Line and RoundRect: a line along neither axis, corners of a
    // positive radius.
    void SlantedLine(TPoint a, TPoint b, TColor color);
    void RoundedRect(const TRect& r, int radius);
    // A bitmap canvas's surface follows the bitmap's size; false while the bitmap is empty.
    bool FollowTarget();
    void ApplyClip();
    TRect DeviceRect(const TRect& logical) const;
    TRect SurfaceRect() const;

    TBitmap* Target{nullptr};
    TRect Surface; // device: the update rectangle, or the bitmap's bounds
    TRect Clip;    // device
    TPoint FOrigin;
    TPoint FBrushOrigin;
    TColor FBrushColor{clWhite};
    TColor FPenColor{clBlack};
    TColor FTextColor{clBlack};
    TColor FBkColor{clWhite};
    TBackgroundMode FBkMode{bmOpaque};
    std::shared_ptr<const TPlatformFont> FFont;
    bool ClipDirty{true};
    bool RightToLeft{false}; // TextRect's tfRtlReading, for the TextOut it makes
    std::unique_ptr<TImpl> FImpl;
};
