#pragma once
// 32-bit off-screen bitmaps with direct pixel access. A bitmap is drawn on through its canvas
// and copied to a window (or to another bitmap) through a TCanvas.
#include "platform/types.h"
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class TCanvas;

// The resource name of a picture's drawing for a screen of the device pixel ratio: above 1 the
// one at twice the size, whose name has "@2x" before the extension.
std::string PictureForRatio(const char* name, double ratio);

enum class TBitmapFormat {
    bfOpaque, // 0xFFRRGGBB: the fourth byte is not used and stays 0xFF
    bfAlpha,  // 0xAARRGGBB, not premultiplied: drawn through its alpha channel
};
using enum TBitmapFormat;

// Pixel values as the scan lines hold them: blue, green, red, alpha in memory order.
using TPixel = std::uint32_t;
constexpr TPixel PixelFromColor(TColor rgb, int alpha = 255) {
    return (static_cast<TPixel>(alpha & 0xFF) << 24) | (static_cast<TPixel>(GetRValue(rgb)) << 16) |
           (static_cast<TPixel>(GetGValue(rgb)) << 8) | static_cast<TPixel>(GetBValue(rgb));
}
constexpr TColor ColorFromPixel(TPixel p) {
    return RGBColor(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                    static_cast<int>(p & 0xFF));
}
constexpr int AlphaOfPixel(TPixel p) {
    return static_cast<int>(p >> 24);
}

class TBitmap {
public:
    TBitmap();
    TBitmap(int width, int height, TBitmapFormat format = bfOpaque);
    ~TBitmap();
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);

    // The size in logical pixels, the unit every drawing call takes.
    int Width() const;
    int Height() const;
    bool Empty() const { return Width() == 0 || Height() == 0; }
    TBitmapFormat Format() const;
    // New contents are black (transparent black for bfAlpha); negative sizes count as 0.
    void SetSize(int width, int height);
    void SetFormat(TBitmapFormat format);
    void Fill(TColor rgb, int alpha = 255);

    // Device pixels per logical pixel (1 to 8; 1 unless set): a bitmap for a screen of ratio 2
    // holds twice as many pixels in each direction, so that text and lines drawn on it are
    // rasterised at the screen's resolution. Changing the ratio keeps the logical size and
    // clears the contents.
    double PixelRatio() const;
    void SetPixelRatio(double ratio);
    // The size in device pixels: the logical size times the ratio, rounded up.
    int DeviceWidth() const;
    int DeviceHeight() const;
    // The device pixels that a logical rectangle covers, clipped to the bitmap.
    TRect DeviceRect(const TRect& logical) const;

    // Direct access, in device pixels; any drawing through the canvas is finished first. Rows
    // are DeviceWidth() pixels long. Out-of-range rows give nullptr.
    TPixel* ScanLine(int y);
    const TPixel* ScanLine(int y) const;
    // Checked single device pixels: reads outside give 0, writes outside are ignored.
    TPixel PixelAt(int x, int y) const;
    TColor ColorAt(int x, int y) const { return ColorFromPixel(PixelAt(x, y)); }
    void SetPixel(int x, int y, TPixel p);

    // Decodes a picture in one of the toolkit's formats (BMP, PNG, ...); false when the data
    // is not a picture, in which case the bitmap is left as it was.
    bool LoadFromData(const unsigned char* data, std::size_t size);
    // The same for a picture compiled into the executable (the toolkit's resource names,
    // ":/..."); false when there is none of that name. Above ratio 1 the picture's drawing at
    // twice the size ("name@2x.png" beside "name.png") is taken when there is one, with ratio 2
    // and the same logical size.
    bool LoadFromResource(const char* name, double ratio = 1);

    // The canvas that draws on this bitmap; it lives as long as the bitmap.
    TCanvas& Canvas();

    struct TImpl;
    TImpl& Impl() const { return *FImpl; }

private:
    std::unique_ptr<TImpl> FImpl;
};
