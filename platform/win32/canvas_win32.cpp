// TCanvas on Win32. Every surface is a 32-bit DIB (a window paints into its host's buffer, which
// is then copied to the screen), so fills, patterns, the focus frame and bitmap copies work on
// the pixels directly and exactly; text, slanted lines, rounded rectangles and polygons go
// through GDI with a world transform that maps logical coordinates onto the device pixels.
#include "platform/shared_parts.h"
#include "platform/win32/bitmap_win32.h"

#include <algorithm>
#include <cmath>
#include <vector>

struct TCanvas::TImpl {
    TBitmap* Window{nullptr}; // the host's buffer during a window paint
};

namespace {

// Source-over of a non-premultiplied pixel onto another.
TPixel Blend(TPixel src, TPixel dst, bool opaqueTarget) {
    const unsigned sa = src >> 24;
    if (sa == 255)
        return src;
    if (sa == 0)
        return opaqueTarget ? (dst | 0xFF000000u) : dst;
    const unsigned da = opaqueTarget ? 255 : dst >> 24;
    // out alpha = sa + da (1 - sa); each colour weighted by its share of it.
    const unsigned oa = sa * 255 + da * (255 - sa); // scaled by 255
    if (oa == 0)
        return 0;
    auto channel = [&](int shift) {
        const unsigned s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
        return ((s * sa * 255 + d * da * (255 - sa)) + oa / 2) / oa;
    };
    const unsigned a = opaqueTarget ? 255 : (oa + 127) / 255;
    return (a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
}

// GDI drawing on a bitmap for one call: the DC with the canvas's clip and a transform from
// logical to device coordinates. GDI leaves the fourth byte of the pixels it touches
// undefined (zero, as a rule), so the pixels of the rectangle it may touch are marked before
// and the touched ones made opaque after; the others keep their alpha.
class TGdiScope {
public:
    TGdiScope(TBitmap& target, const TRect& deviceClip, TPoint origin, const TRect& affected)
        : Dc(win32::BitmapDC(target)), Target(target) {
        if (Dc == nullptr)
            return;
        const double r = target.PixelRatio();
        const TRect clip = target.DeviceRect(deviceClip);
        Area = target.DeviceRect(IntersectRects(affected, deviceClip));
        if (clip.IsEmpty() || Area.IsEmpty()) {
            Dc = nullptr;
            return;
        }
        Saved = SaveDC(Dc);
        HRGN region = CreateRectRgn(clip.Left, clip.Top, clip.Right, clip.Bottom);
        SelectClipRgn(Dc, region);
        DeleteObject(region);
        SetGraphicsMode(Dc, GM_ADVANCED);
        XFORM xf{static_cast<FLOAT>(r),
                 0,
                 0,
                 static_cast<FLOAT>(r),
                 static_cast<FLOAT>(-origin.X * r),
                 static_cast<FLOAT>(-origin.Y * r)};
        SetWorldTransform(Dc, &xf);
        GdiFlush();
        Before.reserve(static_cast<std::size_t>(Area.Width()) * Area.Height());
        for (int y = Area.Top; y < Area.Bottom; ++y) {
            TPixel* row = target.ScanLine(y);
            for (int x = Area.Left; x < Area.Right; ++x) {
                Before.push_back(row[x]);
                row[x] = (row[x] & 0x00FFFFFFu) | Marker;
            }
        }
    }
    ~TGdiScope() {
        if (Dc == nullptr)
            return;
        GdiFlush();
        RestoreDC(Dc, Saved);
        std::size_t i = 0;
        for (int y = Area.Top; y < Area.Bottom; ++y) {
            TPixel* row = Target.ScanLine(y);
            for (int x = Area.Left; x < Area.Right; ++x, ++i) {
                const TPixel old = Before[i];
                const bool touched = (row[x] & 0xFF000000u) != Marker ||
                                     (row[x] & 0x00FFFFFFu) != (old & 0x00FFFFFFu);
                row[x] = touched ? (row[x] | 0xFF000000u) : old;
            }
        }
    }
    TGdiScope(const TGdiScope&) = delete;
    TGdiScope& operator=(const TGdiScope&) = delete;

    explicit operator bool() const { return Dc != nullptr; }
    HDC Dc;

private:
    static constexpr TPixel Marker = 0x01000000u;
    TBitmap& Target;
    TRect Area; // device pixels
    int Saved{0};
    std::vector<TPixel> Before;
};

// A GDI object selected for one scope and deleted after.
class TSelect {
public:
    TSelect(HDC dc, HGDIOBJ object, bool owned = true)
        : Dc(dc), Object(object), Owned(owned), Old(SelectObject(dc, object)) {}
    ~TSelect() {
        SelectObject(Dc, Old);
        if (Owned)
            DeleteObject(Object);
    }
    TSelect(const TSelect&) = delete;
    TSelect& operator=(const TSelect&) = delete;

private:
    HDC Dc;
    HGDIOBJ Object;
    bool Owned;
    HGDIOBJ Old;
};

// A pen one logical pixel wide: a device pixel at ratio 1, as many as the ratio gives above it.
HPEN OnePixelPen(TColor color, double ratio) {
    return CreatePen(PS_SOLID, ratio > 1 ? 1 : 0, win32::ToColorRef(color));
}

} // namespace

TCanvas::TCanvas(TDevice& device, const TRect& clip)
    : Surface(clip), Clip(clip), FImpl(std::make_unique<TImpl>()) {
    FImpl->Window = &device.Buffer;
}

TCanvas::TCanvas(TBitmap& bitmap) : Target(&bitmap), FImpl(std::make_unique<TImpl>()) {
    Surface = SurfaceRect();
    Clip = Surface;
}

TCanvas::~TCanvas() = default;

bool TCanvas::Begin() {
    if (Target == nullptr)
        return FImpl->Window != nullptr && !FImpl->Window->Empty();
    if (!FollowTarget())
        return false;
    return true;
}

void TCanvas::EndPaint() {
    // Nothing is held between calls; GDI's queue is flushed by each drawing call.
}

void TCanvas::ApplyClip() {
    ClipDirty = false;
}

double TCanvas::PixelRatio() const {
    if (Target != nullptr)
        return Target->PixelRatio();
    return FImpl->Window != nullptr ? FImpl->Window->PixelRatio() : 1;
}

// ---- fills and lines -------------------------------------------------------------------------

namespace {
TBitmap& SurfaceOf(TBitmap* target, TCanvas::TImpl& impl) {
    return target != nullptr ? *target : *impl.Window;
}
} // namespace

void TCanvas::FillRect(const TRect& r, TColor color) {
    if (color == clNone || r.IsEmpty() || !Begin())
        return;
    TBitmap& s = SurfaceOf(Target, *FImpl);
    const TRect d = s.DeviceRect(IntersectRects(DeviceRect(r), Clip));
    const TPixel p = PixelFromColor(ColorToRGB(color));
    for (int y = d.Top; y < d.Bottom; ++y)
        std::fill(s.ScanLine(y) + d.Left, s.ScanLine(y) + d.Right, p);
}

void TCanvas::FillPattern(const TRect& r, const TPattern8x8& pattern, TColor color0,
                          TColor color1) {
    if (r.IsEmpty() || !Begin())
        return;
    TBitmap& s = SurfaceOf(Target, *FImpl);
    const TRect d = s.DeviceRect(IntersectRects(DeviceRect(r), Clip));
    const TPixel p0 = PixelFromColor(ColorToRGB(color0)), p1 = PixelFromColor(ColorToRGB(color1));
    const double ratio = s.PixelRatio();
    auto cell = [&](int device, int origin) {
        const int surface = static_cast<int>(std::floor(device / ratio));
        return ((surface - origin) % 8 + 8) % 8;
    };
    for (int y = d.Top; y < d.Bottom; ++y) {
        const std::uint8_t bits = pattern[static_cast<std::size_t>(cell(y, FBrushOrigin.Y))];
        TPixel* row = s.ScanLine(y);
        for (int x = d.Left; x < d.Right; ++x)
            row[x] = (bits & (0x80 >> cell(x, FBrushOrigin.X))) ? p1 : p0;
    }
}

void TCanvas::SlantedLine(TPoint a, TPoint b, TColor color) {
    if (!Begin())
        return;
    TBitmap& s = SurfaceOf(Target, *FImpl);
    const TRect box{std::min(a.X, b.X) - FOrigin.X - 1, std::min(a.Y, b.Y) - FOrigin.Y - 1,
                    std::max(a.X, b.X) - FOrigin.X + 2, std::max(a.Y, b.Y) - FOrigin.Y + 2};
    {
        TGdiScope gdi(s, Clip, FOrigin, box);
        if (!gdi)
            return;
        TSelect pen(gdi.Dc, OnePixelPen(color, s.PixelRatio()));
        MoveToEx(gdi.Dc, a.X, a.Y, nullptr);
        LineTo(gdi.Dc, b.X, b.Y);
    }
    // GDI leaves the end point out.
    FillRect({b.X, b.Y, b.X + 1, b.Y + 1}, color);
}

void TCanvas::RoundedRect(const TRect& r, int radius) {
    if (r.IsEmpty() || !Begin() || (FPenColor == clNone && FBrushColor == clNone))
        return;
    TBitmap& s = SurfaceOf(Target, *FImpl);
    TGdiScope gdi(s, Clip, FOrigin, DeviceRect(r));
    if (!gdi)
        return;
    TSelect pen(gdi.Dc,
                FPenColor == clNone ? GetStockObject(NULL_PEN)
                                    : OnePixelPen(FPenColor, s.PixelRatio()),
                FPenColor != clNone);
    TSelect brush(gdi.Dc,
                  FBrushColor == clNone ? GetStockObject(NULL_BRUSH)
                                        : CreateSolidBrush(win32::ToColorRef(FBrushColor)),
                  FBrushColor != clNone);
    ::RoundRect(gdi.Dc, r.Left, r.Top, r.Right, r.Bottom, radius, radius);
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
    if (points.size() < 3 || FBrushColor == clNone || !Begin())
        return;
    TBitmap& s = SurfaceOf(Target, *FImpl);
    TRect box{points[0].X, points[0].Y, points[0].X, points[0].Y};
    std::vector<POINT> gdiPoints;
    gdiPoints.reserve(points.size());
    for (const TPoint& p : points) {
        box = {std::min(box.Left, p.X), std::min(box.Top, p.Y), std::max(box.Right, p.X + 1),
               std::max(box.Bottom, p.Y + 1)};
        gdiPoints.push_back({p.X, p.Y});
    }
    TGdiScope gdi(s, Clip, FOrigin, DeviceRect(box));
    if (!gdi)
        return;
    TSelect pen(gdi.Dc, GetStockObject(NULL_PEN), false);
    TSelect brush(gdi.Dc, CreateSolidBrush(win32::ToColorRef(FBrushColor)));
    ::Polygon(gdi.Dc, gdiPoints.data(), static_cast<int>(gdiPoints.size()));
}

void TCanvas::DrawFocusRect(const TRect& r) {
    if (r.IsEmpty() || !Begin())
        return;
    TBitmap& s = SurfaceOf(Target, *FImpl);
    const TRect d = DeviceRect(r);
    // Straight on the pixels: exact, and the alpha byte is left alone. Above ratio 1 each
    // logical dot is the block of device pixels it covers.
    ForEachFocusDot(d, Clip, [&](int x, int y) {
        const TRect block = s.DeviceRect({x, y, x + 1, y + 1});
        for (int by = block.Top; by < block.Bottom; ++by) {
            TPixel* row = s.ScanLine(by);
            for (int bx = block.Left; bx < block.Right; ++bx)
                row[bx] ^= 0x00FFFFFFu;
        }
    });
}

// ---- text ------------------------------------------------------------------------------------

void TCanvas::TextOut(int x, int baseline, std::u16string_view text, int extraWidth,
                      int breakCount) {
    if (!FFont || text.empty() || !Begin())
        return;
    const TFontMetrics& m = FFont->Metrics();
    const int width = TextWidth(text) + std::max(extraWidth, 0);
    if (FBkMode == bmOpaque && FBkColor != clNone)
        FillRect({x, baseline - m.Ascent, x + width, baseline + m.Descent}, FBkColor);
    TBitmap& s = SurfaceOf(Target, *FImpl);
    // Glyphs may reach past their advance (italics, overhangs).
    const int slack = m.Height / 2 + 2;
    const TRect box = DeviceRect(
        {x - slack, baseline - m.Ascent - 2, x + width + slack, baseline + m.Descent + 2});
    TGdiScope gdi(s, Clip, FOrigin, box);
    if (!gdi)
        return;
    TSelect font(gdi.Dc, win32::FontHandle(*FFont), false);
    ::SetBkMode(gdi.Dc, TRANSPARENT);
    ::SetTextColor(gdi.Dc, win32::ToColorRef(FTextColor));
    SetTextAlign(gdi.Dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP | (RightToLeft ? TA_RTLREADING : 0));
    DrawJustifiedRun(
        text, extraWidth, breakCount, [&](std::u16string_view piece) { return TextWidth(piece); },
        [&](int offset, std::u16string_view piece) {
            ExtTextOutW(gdi.Dc, x + offset, baseline, 0, nullptr,
                        reinterpret_cast<const wchar_t*>(piece.data()),
                        static_cast<UINT>(piece.size()), nullptr);
        });
}

// ---- bitmaps ---------------------------------------------------------------------------------

void TCanvas::Draw(int x, int y, const TBitmap& bitmap, const TRect& source) {
    const TRect src = IntersectRects(source, {0, 0, bitmap.Width(), bitmap.Height()});
    if (src.IsEmpty() || &bitmap == Target || !Begin())
        return;
    TBitmap& s = SurfaceOf(Target, *FImpl);
    if (&bitmap == &s)
        return;
    const int dx = x + (src.Left - source.Left) - FOrigin.X;
    const int dy = y + (src.Top - source.Top) - FOrigin.Y;
    // The logical target, its device pixels, and the clip's.
    const TRect target{dx, dy, dx + src.Width(), dy + src.Height()};
    const TRect full = s.DeviceRect(target);
    const TRect d = s.DeviceRect(IntersectRects(target, Clip));
    if (d.IsEmpty() || full.IsEmpty())
        return;
    const TRect from = bitmap.DeviceRect(src);
    if (from.IsEmpty())
        return;
    const bool opaqueSource = bitmap.Format() == bfOpaque;
    const bool opaqueTarget = s.Format() == bfOpaque;
    const bool sameScale = from.Width() == full.Width() && from.Height() == full.Height();
    // Nearest source pixel of each target pixel; a copy at the same scale maps one to one.
    std::vector<int> columns(static_cast<std::size_t>(d.Width()));
    for (int tx = d.Left; tx < d.Right; ++tx)
        columns[static_cast<std::size_t>(tx - d.Left)] =
            sameScale
                ? from.Left + (tx - full.Left)
                : from.Left + static_cast<int>((static_cast<long long>(tx - full.Left) * 2 + 1) *
                                               from.Width() / (2LL * full.Width()));
    for (int ty = d.Top; ty < d.Bottom; ++ty) {
        const int sy =
            sameScale
                ? from.Top + (ty - full.Top)
                : from.Top + static_cast<int>((static_cast<long long>(ty - full.Top) * 2 + 1) *
                                              from.Height() / (2LL * full.Height()));
        const TPixel* in = bitmap.ScanLine(std::clamp(sy, from.Top, from.Bottom - 1));
        TPixel* out = s.ScanLine(ty);
        for (int tx = d.Left; tx < d.Right; ++tx) {
            const int sx = std::clamp(columns[static_cast<std::size_t>(tx - d.Left)], from.Left,
                                      from.Right - 1);
            const TPixel p = in[sx];
            out[tx] = opaqueSource ? (p | 0xFF000000u) : Blend(p, out[tx], opaqueTarget);
        }
    }
}
