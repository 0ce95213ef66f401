#include "art.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace art {

namespace {

// The small images are set pixel by pixel so that they stay crisp at 1:1; at a larger scale
// each of their pixels is a square block, as crisp.
class TPixels {
public:
    explicit TPixels(int size, int scale = 1)
        : Scale(std::max(scale, 1)), Image(size * Scale, size * Scale, QImage::Format_ARGB32) {
        Image.fill(Qt::transparent);
    }
    void Set(int x, int y, const QColor& c) {
        for (int dy = 0; dy < Scale; ++dy)
            for (int dx = 0; dx < Scale; ++dx)
                SetDevice(x * Scale + dx, y * Scale + dy, c);
    }
    void SetDevice(int x, int y, const QColor& c) {
        if (x < 0 || y < 0 || x >= Image.width() || y >= Image.height())
            return;
        if (c.alpha() == 255) {
            Image.setPixelColor(x, y, c);
            return;
        }
        // Blend over what is there, so that shadows darken the pixels beneath them.
        const QColor under = Image.pixelColor(x, y);
        const qreal a = c.alphaF(), b = under.alphaF() * (1 - a), out = a + b;
        if (out <= 0)
            return;
        Image.setPixelColor(x, y,
                            QColor::fromRgbF((c.redF() * a + under.redF() * b) / out,
                                             (c.greenF() * a + under.greenF() * b) / out,
                                             (c.blueF() * a + under.blueF() * b) / out, out));
    }
    void HLine(int x0, int x1, int y, const QColor& c) {
        for (int x = x0; x <= x1; ++x)
            Set(x, y, c);
    }
    void VLine(int x, int y0, int y1, const QColor& c) {
        for (int y = y0; y <= y1; ++y)
            Set(x, y, c);
    }
    int Scale;
    QImage Image;
};

QColor Mix(const QColor& a, const QColor& b, qreal t) {
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(
        a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
        a.blueF() + (b.blueF() - a.blueF()) * t, a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

const QColor FolderLine{0x27, 0x4A, 0x7C};
const QColor FolderTop{0xB4, 0xD1, 0xF2};
const QColor FolderBottom{0x4F, 0x7F, 0xBE};
const QColor FolderBack{0x5C, 0x86, 0xBE};
const QColor FolderBackDark{0x3B, 0x63, 0x98};
const QColor PageLine{0x6A, 0x76, 0x88};
const QColor Shadow{0x10, 0x20, 0x38, 55};

// Tab and back wall of a folder, shared by both folder images.
void FolderBackWall(TPixels& px, const QColor& top, const QColor& bottom) {
    px.HLine(3, 8, 4, FolderLine);
    px.Set(2, 5, FolderLine);
    px.Set(9, 5, FolderLine);
    px.HLine(10, 21, 6, FolderLine);
    px.Set(22, 7, FolderLine);
    px.VLine(1, 6, 19, FolderLine);
    px.VLine(22, 8, 19, FolderLine);
    px.HLine(2, 21, 20, FolderLine);
    px.HLine(3, 8, 5, Mix(top, Qt::white, 0.25));
    px.HLine(2, 9, 6, top);
    for (int y = 7; y <= 19; ++y)
        px.HLine(2, 21, y, Mix(top, bottom, (y - 7) / 12.0));
    // Drop shadow to the lower right.
    px.HLine(3, 22, 21, Shadow);
    px.VLine(23, 8, 20, Shadow);
}

QImage ClosedFolder(int scale) {
    TPixels px(TreeImageSize.width(), scale);
    FolderBackWall(px, FolderTop, FolderBottom);
    px.HLine(11, 21, 7, QColor(0xDA, 0xE8, 0xF9)); // lit top edge
    px.HLine(2, 21, 8, QColor(255, 255, 255, 60));
    px.HLine(2, 21, 19, Mix(FolderBottom, FolderLine, 0.35));
    return px.Image;
}

QImage OpenFolder(int scale) {
    TPixels px(TreeImageSize.width(), scale);
    FolderBackWall(px, FolderBack, FolderBackDark);
    // A sheet of paper standing in the folder.
    px.HLine(5, 18, 8, PageLine);
    px.VLine(5, 9, 12, PageLine);
    px.VLine(18, 9, 12, PageLine);
    for (int y = 9; y <= 12; ++y)
        px.HLine(6, 17, y, y == 9 ? QColor(0xFF, 0xFF, 0xFF) : QColor(0xF2, 0xF5, 0xF9));
    px.HLine(8, 14, 10, QColor(0xB3, 0xC2, 0xD6));
    // The front flap, tilted towards the viewer.
    for (int y = 11; y <= 20; ++y) {
        const int left = static_cast<int>(std::lround(5.0 - (y - 11) * 4.0 / 9.0));
        const int right = static_cast<int>(std::lround(23.0 - (y - 11) * 3.0 / 9.0));
        if (y == 11 || y == 20) {
            px.HLine(left, right, y, FolderLine);
            continue;
        }
        px.Set(left, y, FolderLine);
        px.Set(right, y, FolderLine);
        const QColor fill = Mix(QColor(0xC2, 0xDA, 0xF6), QColor(0x5E, 0x8E, 0xCB), (y - 12) / 7.0);
        px.HLine(left + 1, right - 1, y, fill);
        if (y == 12)
            px.HLine(left + 1, right - 1, y, QColor(0xE4, 0xEF, 0xFC));
    }
    return px.Image;
}

// A sheet with a folded upper right corner; `lines` rows of text when there is room.
void Page(TPixels& px, int x0, int y0, int x1, int y1, int fold, bool lines) {
    for (int y = y0 + 1; y < y1; ++y) {
        const int right = y < y0 + fold ? x1 - (fold - (y - y0)) : x1 - 1;
        px.HLine(x0 + 1, right, y,
                 Mix(QColor(0xFF, 0xFF, 0xFF), QColor(0xE6, 0xEB, 0xF2),
                     (y - y0) / static_cast<qreal>(y1 - y0)));
    }
    px.HLine(x0, x1 - fold, y0, PageLine);
    px.VLine(x0, y0, y1, PageLine);
    px.HLine(x0, x1, y1, PageLine);
    px.VLine(x1, y0 + fold, y1, PageLine);
    for (int i = 1; i < fold; ++i)
        px.Set(x1 - fold + i, y0 + i, PageLine);
    // The folded-over flap.
    for (int i = 1; i < fold; ++i)
        px.HLine(x1 - fold, x1 - fold + i - 1, y0 + i, QColor(0xD2, 0xDA, 0xE5));
    px.VLine(x1 - fold, y0, y0 + fold, PageLine);
    px.HLine(x1 - fold, x1, y0 + fold, PageLine);
    if (lines) {
        const QColor ink(0x8E, 0xA3, 0xBF);
        int row = 0;
        for (int y = y0 + fold + 3; y < y1 - 2; y += 2, ++row)
            px.HLine(x0 + 3, x1 - 3 - (row % 3 == 2 ? 3 : 0), y, ink);
    }
    px.HLine(x0 + 1, x1 + 1, y1 + 1, Shadow);
    px.VLine(x1 + 1, y0 + fold + 1, y1, Shadow);
}

QImage TwoDocuments(int scale) {
    TPixels px(TreeImageSize.width(), scale);
    Page(px, 3, 1, 15, 16, 4, true);
    Page(px, 8, 6, 20, 21, 4, true);
    return px.Image;
}

QImage OneDocument(int scale) {
    TPixels px(TreeImageSize.width(), scale);
    Page(px, 5, 2, 18, 21, 5, true);
    return px.Image;
}

// The 16-pixel icon is set by hand; the larger ones are drawn.
QImage SmallIcon() {
    TPixels px(16);
    const QColor edge(0x8A, 0x94, 0xA3), paper(0xF6, 0xF6, 0xF0);
    // Pages behind the cover, showing at the right and the bottom.
    px.VLine(14, 3, 14, edge);
    px.HLine(3, 14, 14, edge);
    px.VLine(13, 2, 13, paper);
    px.HLine(2, 13, 13, paper);
    for (int y = 1; y <= 12; ++y)
        for (int x = 1; x <= 12; ++x) {
            const bool border = x == 1 || x == 12 || y == 1 || y == 12;
            QColor c = border
                           ? AccentDeep
                           : Mix(QColor(0x8C, 0xAF, 0xDC), QColor(0x44, 0x69, 0x9B), (y - 2) / 9.0);
            if (!border && x <= 3)
                c = Mix(c, AccentDeep, 0.5); // spine
            px.Set(x, y, c);
        }
    px.Set(1, 1, QColor(0, 0, 0, 0));
    px.Set(12, 1, AccentDark);
    // White medallion with the red cross.
    const QColor white(0xFF, 0xFF, 0xFF);
    for (int y = 2; y <= 9; ++y) {
        const int inset = (y == 2 || y == 9) ? 2 : (y == 3 || y == 8) ? 1 : 0;
        px.HLine(4 + inset, 11 - inset, y, white);
    }
    px.VLine(7, 3, 8, Red);
    px.VLine(8, 3, 8, Red);
    px.HLine(5, 10, 5, Red);
    px.HLine(5, 10, 6, Red);
    return px.Image;
}

} // namespace

void PaintAppIcon(QPainter& p, int size) {
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 48.0;
    // Outlines stay one pixel up to 48 and thicken with the theme's larger sizes.
    const qreal line = std::max<qreal>(1, std::round(s * 0.75));
    auto r = [s](qreal x, qreal y, qreal w, qreal h) {
        return QRectF(std::round(x * s), std::round(y * s), std::round(w * s), std::round(h * s));
    };

    // Shadow, then the block of pages, then the cover.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x10, 0x20, 0x38, 45));
    p.drawRoundedRect(r(10, 7, 35, 40), 3 * s, 3 * s);
    QLinearGradient pages(r(0, 0, 0, 0).topLeft(), QPointF(44 * s, 0));
    pages.setColorAt(0.0, QColor(0xE4, 0xE4, 0xDC));
    pages.setColorAt(1.0, QColor(0xFB, 0xFB, 0xF6));
    p.setBrush(pages);
    p.setPen(QPen(QColor(0x8A, 0x94, 0xA3), line));
    p.drawRoundedRect(r(9.5, 5.5, 33, 39), 2.5 * s, 2.5 * s);
    p.setPen(QPen(QColor(0xC8, 0xCC, 0xC4), line));
    for (qreal y = 39; y <= 43; y += 2)
        p.drawLine(QPointF(12 * s, std::round(y * s) + 0.5),
                   QPointF(41 * s, std::round(y * s) + 0.5));

    const QRectF cover = r(5.5, 2.5, 33, 38);
    QLinearGradient face(cover.topLeft(), cover.bottomRight());
    face.setColorAt(0.0, QColor(0x86, 0xAA, 0xD8));
    face.setColorAt(0.5, Accent);
    face.setColorAt(1.0, AccentDark);
    p.setBrush(face);
    p.setPen(QPen(AccentDeep, line));
    p.drawRoundedRect(cover, 3 * s, 3 * s);
    // Spine.
    QLinearGradient spine(cover.topLeft(), cover.topLeft() + QPointF(7 * s, 0));
    spine.setColorAt(0.0, AccentDeep);
    spine.setColorAt(0.6, AccentDark);
    spine.setColorAt(1.0, QColor(0x7B, 0x9E, 0xCC));
    p.setBrush(spine);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(cover.left() + 1, cover.top() + 1, 6 * s, cover.height() - 1), 2 * s,
                      2 * s);
    // Gloss over the upper half.
    QLinearGradient gloss(cover.topLeft(), QPointF(cover.left(), cover.center().y()));
    gloss.setColorAt(0.0, QColor(255, 255, 255, 90));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setBrush(gloss);
    p.drawRoundedRect(cover.adjusted(1, 1, -1, -cover.height() / 2), 2 * s, 2 * s);

    // The medallion and its red cross.
    const QPointF c(std::round(25 * s), std::round(21 * s));
    const qreal rad = 10.5 * s;
    QRadialGradient med(c + QPointF(-rad * 0.4, -rad * 0.4), rad * 1.4);
    med.setColorAt(0.0, QColor(0xFF, 0xFF, 0xFF));
    med.setColorAt(1.0, QColor(0xD9, 0xE4, 0xF1));
    p.setBrush(med);
    p.setPen(QPen(QColor(0x2A, 0x46, 0x70, 160), line));
    p.drawEllipse(c, rad, rad);
    const qreal arm = std::round(7 * s), half = std::round(2.5 * s);
    QPainterPath cross;
    cross.addRect(QRectF(c.x() - half, c.y() - arm, 2 * half, 2 * arm));
    cross.addRect(QRectF(c.x() - arm, c.y() - half, 2 * arm, 2 * half));
    cross.setFillRule(Qt::WindingFill);
    QLinearGradient red(QPointF(0, c.y() - arm), QPointF(0, c.y() + arm));
    red.setColorAt(0.0, QColor(0xE4, 0x4A, 0x52));
    red.setColorAt(1.0, QColor(0xAE, 0x1E, 0x2A));
    p.setBrush(red);
    p.setPen(Qt::NoPen);
    p.drawPath(cross.simplified());
}

namespace {

QImage LargeIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    PaintAppIcon(p, size);
    return img;
}

} // namespace

QImage DrawTreeImage(int index, int scale) {
    switch (index) {
    case 0:
        return ClosedFolder(scale);
    case 1:
        return OpenFolder(scale);
    case 2:
        return TwoDocuments(scale);
    default:
        return OneDocument(scale);
    }
}

QImage DrawAppIcon(int size) {
    return size <= 16 ? SmallIcon() : LargeIcon(size);
}

} // namespace art
