#include "platform/qt/canvas_qt.h"
#include "platform/canvas.h"
#include "platform/colors.h"
#include "platform/font.h"
#include "platform/qt/bitmap_qt.h"
#include "platform/qt/font_qt.h"
#include "platform/qt/qtconvert.h"
#include "platform/shared_parts.h"
#include "text/scopeexit.h"

#include <QBrush>
#include <QPaintEngine>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

using namespace mkb::text;

namespace {

QRect ToQRect(const TRect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

} // namespace

struct TCanvas::TImpl {
    QPainter* Painter{nullptr};
    std::unique_ptr<QPainter> Owned; // the painter of a bitmap canvas while it paints
    // The pattern brush, kept between calls.
    TPattern8x8 Pattern{};
    TColor Color0{clNone}, Color1{clNone};
    QBrush PatternBrush;

    // The painter for a fill of r, with the clip applied and the device rectangle that shows;
    // none when nothing would.
    static QPainter* BeginFill(TCanvas& canvas, const TRect& r, TRect& device) {
        if (r.IsEmpty() || !canvas.Begin())
            return nullptr;
        canvas.ApplyClip();
        device = IntersectRects(canvas.DeviceRect(r), canvas.Clip);
        return device.IsEmpty() ? nullptr : canvas.FImpl->Painter;
    }
};

TCanvas::TCanvas(TDevice& device, const TRect& clip)
    : Surface(clip), Clip(clip), FImpl(std::make_unique<TImpl>()) {
    FImpl->Painter = &device.Painter;
}

TCanvas::TCanvas(TBitmap& bitmap) : Target(&bitmap), FImpl(std::make_unique<TImpl>()) {
    Surface = SurfaceRect();
    Clip = Surface;
}

TCanvas::~TCanvas() {
    EndPaint();
}

bool TCanvas::Begin() {
    if (Target == nullptr)
        return FImpl->Painter != nullptr;
    if (FImpl->Owned)
        return true;
    if (!FollowTarget())
        return false;
    QImage& image = Target->Impl().Image;
    FImpl->Owned = std::make_unique<QPainter>(&image);
    FImpl->Painter = FImpl->Owned.get();
    ClipDirty = true;
    return true;
}

void TCanvas::EndPaint() {
    if (!FImpl->Owned)
        return;
    FImpl->Owned->end();
    FImpl->Owned.reset();
    FImpl->Painter = nullptr;
}

void TCanvas::ApplyClip() {
    QPainter* Painter = FImpl->Painter;
    if (!ClipDirty || Painter == nullptr)
        return;
    Painter->setClipRect(ToQRect(Clip));
    ClipDirty = false;
}

double TCanvas::PixelRatio() const {
    const QPainter* Painter = FImpl->Painter;
    if (Target != nullptr)
        return Target->PixelRatio();
    // The engine's device: while a window's paint is redirected (into a picture of the window,
    // say), the painter's own device is still the window.
    if (Painter != nullptr && Painter->paintEngine() != nullptr &&
        Painter->paintEngine()->paintDevice() != nullptr)
        return Painter->paintEngine()->paintDevice()->devicePixelRatio();
    if (Painter != nullptr && Painter->device() != nullptr)
        return Painter->device()->devicePixelRatio();
    return 1;
}

namespace {
// One logical pixel wide: a device pixel at ratio 1, as many as the ratio gives above it.
QPen OnePixelPen(const TCanvas& canvas, TColor color) {
    return QPen(ToQColor(color), canvas.PixelRatio() > 1 ? 1 : 0);
}
} // namespace

// ---- fills and lines -------------------------------------------------------------------------

void TCanvas::FillRect(const TRect& r, TColor color) {
    if (color == clNone)
        return;
    TRect d;
    QPainter* const Painter = TImpl::BeginFill(*this, r, d);
    if (Painter == nullptr)
        return;
    Painter->fillRect(ToQRect(d), ToQColor(color));
}

void TCanvas::FillPattern(const TRect& r, const TPattern8x8& pattern, TColor color0,
                          TColor color1) {
    TRect d;
    QPainter* const Painter = TImpl::BeginFill(*this, r, d);
    if (Painter == nullptr)
        return;
    TImpl& c = *FImpl;
    if (c.PatternBrush.style() != Qt::TexturePattern || c.Pattern != pattern ||
        c.Color0 != color0 || c.Color1 != color1) {
        QImage tile(8, 8, QImage::Format_RGB32);
        const QRgb q0 = ToQColor(color0).rgb(), q1 = ToQColor(color1).rgb();
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                tile.setPixel(x, y, (pattern[y] & (0x80 >> x)) ? q1 : q0);
        c.PatternBrush = QBrush(tile);
        c.Pattern = pattern;
        c.Color0 = color0;
        c.Color1 = color1;
    }
    Painter->setBrushOrigin(FBrushOrigin.X, FBrushOrigin.Y);
    Painter->fillRect(ToQRect(d), c.PatternBrush);
}

void TCanvas::SlantedLine(TPoint a, TPoint b, TColor color) {
    if (!Begin())
        return;
    QPainter* const Painter = FImpl->Painter;
    ApplyClip();
    Painter->setRenderHint(QPainter::Antialiasing, false);
    Painter->setPen(OnePixelPen(*this, color));
    const QPoint qa(a.X - FOrigin.X, a.Y - FOrigin.Y), qb(b.X - FOrigin.X, b.Y - FOrigin.Y);
    Painter->drawLine(qa, qb);
    Painter->drawPoint(qb);
}

void TCanvas::RoundedRect(const TRect& r, int radius) {
    if (r.IsEmpty() || !Begin())
        return;
    QPainter* const Painter = FImpl->Painter;
    ApplyClip();
    Painter->setRenderHint(QPainter::Antialiasing, false);
    Painter->setPen(FPenColor == clNone ? QPen(Qt::NoPen) : OnePixelPen(*this, FPenColor));
    Painter->setBrush(FBrushColor == clNone ? QBrush(Qt::NoBrush) : QBrush(ToQColor(FBrushColor)));
    const TRect d = DeviceRect(r);
    // The pen runs just inside the rectangle, as with the square corners.
    Painter->drawRoundedRect(QRect(d.Left, d.Top, d.Width() - 1, d.Height() - 1), radius / 2.0,
                             radius / 2.0);
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
    if (points.size() < 3 || FBrushColor == clNone || !Begin())
        return;
    QPainter* const Painter = FImpl->Painter;
    ApplyClip();
    QPolygon poly;
    for (const TPoint& p : points)
        poly << QPoint(p.X - FOrigin.X, p.Y - FOrigin.Y);
    Painter->setRenderHint(QPainter::Antialiasing, false);
    Painter->setPen(Qt::NoPen);
    Painter->setBrush(ToQColor(FBrushColor));
    Painter->drawPolygon(poly);
}

void TCanvas::DrawFocusRect(const TRect& r) {
    if (r.IsEmpty())
        return;
    const TRect d = DeviceRect(r);
    std::vector<QPoint> points;
    ForEachFocusDot(d, Clip, [&](int x, int y) { points.emplace_back(x, y); });
    if (points.empty())
        return;
    if (Target != nullptr) {
        // Straight on the pixels: exact, and the alpha byte is left alone. Above ratio 1 each
        // logical dot is the block of device pixels it covers.
        EndPaint();
        for (const QPoint& p : points) {
            const TRect block = Target->DeviceRect({p.x(), p.y(), p.x() + 1, p.y() + 1});
            for (int y = block.Top; y < block.Bottom; ++y) {
                TPixel* row = Target->ScanLine(y);
                for (int x = block.Left; x < block.Right; ++x)
                    row[x] ^= 0x00FFFFFFu;
            }
        }
        return;
    }
    ApplyClip();
    QPainter* const Painter = FImpl->Painter;
    Painter->save();
    Painter->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    Painter->setPen(OnePixelPen(*this, clWhite));
    Painter->drawPoints(points.data(), static_cast<int>(points.size()));
    Painter->restore();
}

// ---- text ------------------------------------------------------------------------------------

void TCanvas::TextOut(int x, int baseline, std::u16string_view text, int extraWidth,
                      int breakCount) {
    if (!FFont || text.empty() || !Begin())
        return;
    QPainter* const Painter = FImpl->Painter;
    const TFontMetrics& m = FFont->Metrics();
    if (FBkMode == bmOpaque && FBkColor != clNone)
        FillRect({x, baseline - m.Ascent, x + TextWidth(text) + std::max(extraWidth, 0),
                  baseline + m.Descent},
                 FBkColor);
    ApplyClip();
    Painter->setFont(FFont->Impl().Font);
    Painter->setPen(ToQColor(FTextColor));
    if (RightToLeft)
        Painter->setLayoutDirection(Qt::RightToLeft);
    TScopeExit direction([&] {
        if (RightToLeft)
            Painter->setLayoutDirection(Qt::LeftToRight);
    });
    const int dx = x - FOrigin.X, dy = baseline - FOrigin.Y;
    DrawJustifiedRun(
        text, extraWidth, breakCount, [&](std::u16string_view piece) { return TextWidth(piece); },
        [&](int offset, std::u16string_view piece) {
            Painter->drawText(QPoint(dx + offset, dy), ToQString(piece));
        });
}

// ---- bitmaps ---------------------------------------------------------------------------------

void TCanvas::Draw(int x, int y, const TBitmap& bitmap, const TRect& source) {
    const TRect s = IntersectRects(source, {0, 0, bitmap.Width(), bitmap.Height()});
    if (s.IsEmpty() || &bitmap == Target)
        return;
    // The source's own canvas must have finished before its pixels are read.
    bitmap.Impl().Flush();
    if (!Begin())
        return;
    QPainter* const Painter = FImpl->Painter;
    ApplyClip();
    const int dx = x + (s.Left - source.Left) - FOrigin.X;
    const int dy = y + (s.Top - source.Top) - FOrigin.Y;
    Painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QImage& image = bitmap.Impl().Image;
    const double r = bitmap.PixelRatio();
    if (r == 1 && PixelRatio() == 1) {
        Painter->drawImage(QPoint(dx, dy), image, ToQRect(s));
        return;
    }
    // The source in the bitmap's device pixels, placed on the logical target; a picture of
    // another ratio than the surface's is scaled smoothly only when it shrinks.
    const TRect d = bitmap.DeviceRect(s);
    const bool shrink = r > PixelRatio();
    Painter->setRenderHint(QPainter::SmoothPixmapTransform, shrink);
    Painter->drawImage(QRectF(dx, dy, s.Width(), s.Height()), image,
                       QRectF(d.Left, d.Top, d.Width(), d.Height()));
    if (shrink)
        Painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
}
