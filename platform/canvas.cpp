// The parts of TCanvas that need no backend: clipping arithmetic, frames and straight lines
// built from fills, text placement and the spreading of a justified run, and the pixel copies
// behind the transparent and blended bitmap draws.
#include "platform/canvas.h"
#include "platform/bitmap.h"
#include "platform/colors.h"
#include "platform/font.h"
#include "platform/shared_parts.h"

#include <algorithm>

TRect IntersectRects(const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    if (r.IsEmpty())
        return {};
    return r;
}

void DrawJustifiedRun(std::u16string_view text, int extraWidth, int breakCount,
                      const std::function<int(std::u16string_view)>& width,
                      const std::function<void(int offset, std::u16string_view piece)>& draw) {
    if (extraWidth <= 0 || breakCount <= 0) {
        draw(0, text);
        return;
    }
    auto isBreak = [](char16_t c) { return c == u' ' || c == u'\u00A0'; };
    const int each = extraWidth / breakCount;
    int spare = extraWidth % breakCount;
    int pos = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isBreak(text[i]))
            continue;
        const std::size_t end = i < text.size() ? i + 1 : i;
        const std::u16string_view piece = text.substr(start, end - start);
        if (!piece.empty())
            draw(pos, piece);
        pos += width(piece);
        if (i < text.size()) {
            pos += each;
            if (spare > 0) {
                ++pos;
                --spare;
            }
        }
        start = end;
    }
}

void ForEachFocusDot(const TRect& d, const TRect& clip,
                     const std::function<void(int x, int y)>& dot) {
    auto visit = [&](int x, int y) {
        if (((x - d.Left) + (y - d.Top)) % 2 == 0 && clip.Contains({x, y}))
            dot(x, y);
    };
    for (int x = d.Left; x < d.Right; ++x) {
        visit(x, d.Top);
        if (d.Bottom - 1 > d.Top)
            visit(x, d.Bottom - 1);
    }
    for (int y = d.Top + 1; y < d.Bottom - 1; ++y) {
        visit(d.Left, y);
        if (d.Right - 1 > d.Left)
            visit(d.Right - 1, y);
    }
}

namespace {

// A bitmap of the same logical size and ratio, for a copy made pixel by pixel.
TBitmap AlphaCopyShape(const TBitmap& bitmap) {
    TBitmap copy;
    copy.SetFormat(bfAlpha);
    copy.SetPixelRatio(bitmap.PixelRatio());
    copy.SetSize(bitmap.Width(), bitmap.Height());
    return copy;
}

} // namespace

TRect TCanvas::SurfaceRect() const {
    if (Target != nullptr)
        return {0, 0, Target->Width(), Target->Height()};
    return Surface;
}

bool TCanvas::FollowTarget() {
    const TRect s = SurfaceRect();
    if (s.IsEmpty())
        return false;
    if (!(s == Surface)) {
        // The bitmap was resized: a clip covering the old surface covers the new one.
        const bool whole = Clip == Surface;
        Surface = s;
        Clip = whole ? s : IntersectRects(Clip, s);
    }
    return true;
}

TRect TCanvas::DeviceRect(const TRect& r) const {
    return {r.Left - FOrigin.X, r.Top - FOrigin.Y, r.Right - FOrigin.X, r.Bottom - FOrigin.Y};
}

TRect TCanvas::ClipRect() const {
    return {Clip.Left + FOrigin.X, Clip.Top + FOrigin.Y, Clip.Right + FOrigin.X,
            Clip.Bottom + FOrigin.Y};
}

void TCanvas::SetClipRect(const TRect& r) {
    if (Target != nullptr)
        Surface = SurfaceRect();
    Clip = IntersectRects(DeviceRect(r), Surface);
    ClipDirty = true;
}

void TCanvas::IntersectClipRect(const TRect& r) {
    Clip = IntersectRects(DeviceRect(r), Clip);
    ClipDirty = true;
}

void TCanvas::ResetClip() {
    if (Target != nullptr)
        Surface = SurfaceRect();
    Clip = Surface;
    ClipDirty = true;
}

void TCanvas::Line(TPoint a, TPoint b, TColor color) {
    if (color == clNone)
        return;
    if (a.X == b.X || a.Y == b.Y) {
        FillRect({std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X) + 1,
                  std::max(a.Y, b.Y) + 1},
                 color);
        return;
    }
    SlantedLine(a, b, color);
}

void TCanvas::FrameRect(const TRect& r, TColor color) {
    if (r.IsEmpty())
        return;
    FillRect({r.Left, r.Top, r.Right, r.Top + 1}, color);
    FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom}, color);
    FillRect({r.Left, r.Top + 1, r.Left + 1, r.Bottom - 1}, color);
    FillRect({r.Right - 1, r.Top + 1, r.Right, r.Bottom - 1}, color);
}

void TCanvas::Rectangle(const TRect& r) {
    if (r.IsEmpty())
        return;
    if (FPenColor == clNone) {
        FillRect(r, FBrushColor);
        return;
    }
    FillRect({r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, FBrushColor);
    FrameRect(r, FPenColor);
}

void TCanvas::RoundRect(const TRect& r, int radius) {
    if (radius <= 0)
        Rectangle(r);
    else
        RoundedRect(r, radius);
}

int TCanvas::TextWidth(std::u16string_view text) const {
    return FFont ? FFont->TextWidth(text) : 0;
}

int TCanvas::TextHeight() const {
    return FFont ? FFont->Metrics().Height : 0;
}

void TCanvas::TextRect(const TRect& r, std::u16string_view text, TTextFormat format) {
    if (!FFont || text.empty())
        return;
    const int w = TextWidth(text);
    const int h = TextHeight();
    int x = r.Left;
    if (format.Contains(tfRight))
        x = r.Right - w;
    else if (format.Contains(tfCenter))
        x = r.Left + (r.Width() - w) / 2;
    int y = r.Top;
    if (format.Contains(tfVCenter))
        y = r.Top + (r.Height() - h) / 2;
    else if (format.Contains(tfBottom))
        y = r.Bottom - h;
    const TRect oldClip = Clip;
    if (!format.Contains(tfNoClip)) {
        IntersectClipRect(r);
        if (Clip.IsEmpty()) {
            Clip = oldClip;
            ClipDirty = true;
            return;
        }
    }
    RightToLeft = format.Contains(tfRtlReading);
    TextOut(x, y + FFont->Metrics().Ascent, text);
    RightToLeft = false;
    if (!(Clip == oldClip)) {
        Clip = oldClip;
        ClipDirty = true;
    }
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) {
    Draw(x, y, bitmap, {0, 0, bitmap.Width(), bitmap.Height()});
}

void TCanvas::DrawTransparent(int x, int y, const TBitmap& bitmap, TColor keyColor) {
    if (bitmap.Empty())
        return;
    TBitmap masked = AlphaCopyShape(bitmap);
    const TPixel key = PixelFromColor(ColorToRGB(keyColor)) & 0x00FFFFFFu;
    for (int row = 0; row < bitmap.DeviceHeight(); ++row) {
        const TPixel* src = bitmap.ScanLine(row);
        TPixel* dst = masked.ScanLine(row);
        for (int col = 0; col < bitmap.DeviceWidth(); ++col) {
            const TPixel p = bitmap.Format() == bfOpaque ? (src[col] | 0xFF000000u) : src[col];
            dst[col] = (p & 0x00FFFFFFu) == key ? 0u : p;
        }
    }
    Draw(x, y, masked);
}

void TCanvas::DrawBlended(int x, int y, const TBitmap& bitmap, TColor color) {
    if (bitmap.Empty())
        return;
    TBitmap blended = AlphaCopyShape(bitmap);
    const TPixel c = PixelFromColor(ColorToRGB(color), 0);
    for (int row = 0; row < bitmap.DeviceHeight(); ++row) {
        const TPixel* src = bitmap.ScanLine(row);
        TPixel* dst = blended.ScanLine(row);
        for (int col = 0; col < bitmap.DeviceWidth(); ++col) {
            const TPixel p = bitmap.Format() == bfOpaque ? (src[col] | 0xFF000000u) : src[col];
            // Each colour byte halfway to the colour; the alpha byte stays.
            const TPixel half =
                ((p & 0x00FEFEFEu) >> 1) + ((c & 0x00FEFEFEu) >> 1) + (p & c & 0x00010101u);
            dst[col] = (p & 0xFF000000u) | half;
        }
    }
    Draw(x, y, blended);
}
