#include "art.h"

#include "mkb_version.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStringList>

namespace art {

namespace {

QFont Face(int pixels, int weight) {
    QFont f;
    f.setFamilies({"Verdana", "DejaVu Sans", "Liberation Sans"});
    f.setPixelSize(pixels);
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// A heartbeat trace, flat with one QRS complex.
QPainterPath Heartbeat(qreal x0, qreal x1, qreal y, qreal at) {
    QPainterPath path(QPointF(x0, y));
    path.lineTo(at - 30, y);
    path.quadTo(QPointF(at - 24, y - 7), QPointF(at - 18, y));
    path.lineTo(at - 8, y);
    path.lineTo(at - 4, y + 5);
    path.lineTo(at + 2, y - 30);
    path.lineTo(at + 8, y + 14);
    path.lineTo(at + 12, y);
    path.lineTo(at + 22, y);
    path.quadTo(QPointF(at + 31, y - 9), QPointF(at + 40, y));
    path.lineTo(x1, y);
    return path;
}

void DrawText(QPainter& p, const QFont& font, QPointF at, const QString& text, const QColor& colour,
              qreal shadowAlpha) {
    p.setFont(font);
    if (shadowAlpha > 0) {
        p.setPen(QColor(0x0E, 0x1E, 0x36, static_cast<int>(shadowAlpha * 255)));
        p.drawText(at + QPointF(1, 1.5), text);
    }
    p.setPen(colour);
    p.drawText(at, text);
}

} // namespace

QImage DrawSplash(int scale) {
    const int w = SplashSize.width(), h = SplashSize.height();
    QImage img = Canvas(w, h, scale, QImage::Format_RGB32);
    const QRect all(0, 0, w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient bg(QPointF(0, 0), QPointF(w * 0.8, h * 1.2));
    bg.setColorAt(0.0, AccentDeep);
    bg.setColorAt(0.55, AccentDark);
    bg.setColorAt(1.0, Accent);
    p.fillRect(all, bg);

    // Light falling on the sphere from the upper right.
    QRadialGradient glow(QPointF(360, 110), 190);
    glow.setColorAt(0.0, QColor(0xB8, 0xCF, 0xEB, 150));
    glow.setColorAt(0.5, QColor(0x8F, 0xB0, 0xD8, 50));
    glow.setColorAt(1.0, QColor(0x8F, 0xB0, 0xD8, 0));
    p.fillRect(all, glow);

    // Soft translucent rings for depth.
    p.setPen(Qt::NoPen);
    const struct {
        qreal x, y, r;
        int a;
    } rings[] = {{40, 250, 90, 14}, {150, -30, 70, 10}, {455, 30, 55, 16}, {250, 285, 60, 12}};
    for (const auto& r : rings) {
        QRadialGradient g(QPointF(r.x, r.y), r.r);
        g.setColorAt(0.0, QColor(255, 255, 255, 0));
        g.setColorAt(0.8, QColor(255, 255, 255, r.a));
        g.setColorAt(1.0, QColor(255, 255, 255, 0));
        p.setBrush(g);
        p.drawEllipse(QPointF(r.x, r.y), r.r, r.r);
    }

    // Flowing bands along the bottom.
    for (int i = 0; i < 3; ++i) {
        QPainterPath band(QPointF(0, 196 + i * 9));
        band.cubicTo(QPointF(140, 170 + i * 14), QPointF(300, 250 - i * 6),
                     QPointF(w, 192 + i * 12));
        band.lineTo(w, h);
        band.lineTo(0, h);
        band.closeSubpath();
        p.setBrush(QColor(255, 255, 255, 10 + i * 4));
        p.drawPath(band);
    }

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xFF, 0xFF, 0xFF, 90), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(Heartbeat(0, w, 205, 246));

    DrawFloorShadow(p, QPointF(368, 207), 78, 11, QColor(0x0B, 0x18, 0x2C, 150));
    DrawSphere(p, QPointF(362, 112), 84, QColor(0xE2, 0xEB, 0xF6), QColor(0x86, 0xA1, 0xC6));
    DrawStethoscope(p, QPointF(292, 28), 1.42, RedStethoscope());

    // Product name and subtitle.
    DrawText(p, Face(15, QFont::Bold), QPointF(28, 54), "V e r o l i n", QColor(0xC9, 0xDB, 0xF1),
             0.5);
    DrawText(p, Face(54, QFont::Bold), QPointF(24, 108), QString::fromUtf8("МКБ 10"),
             QColor(255, 255, 255), 0.55);
    QLinearGradient rule(QPointF(28, 0), QPointF(250, 0));
    rule.setColorAt(0.0, QColor(0xF2, 0x8A, 0x8F, 230));
    rule.setColorAt(1.0, QColor(0xF2, 0x8A, 0x8F, 0));
    p.fillRect(QRectF(28, 122, 222, 2), rule);
    const QFont sub = Face(13, QFont::Normal);
    DrawText(p, sub, QPointF(28, 146), QString::fromUtf8("Международная классификация"),
             QColor(0xE8, 0xEF, 0xF8), 0.4);
    DrawText(p, sub, QPointF(28, 164), QString::fromUtf8("болезней, 10-й пересмотр"),
             QColor(0xE8, 0xEF, 0xF8), 0.4);

    // Footer band.
    QLinearGradient foot(QPointF(0, 234), QPointF(0, h));
    foot.setColorAt(0.0, QColor(0x10, 0x20, 0x3A, 120));
    foot.setColorAt(1.0, QColor(0x10, 0x20, 0x3A, 170));
    p.fillRect(QRectF(0, 234, w, h - 234), foot);
    p.fillRect(QRectF(0, 234, w, 1), QColor(255, 255, 255, 40));
    DrawText(p, Face(12, QFont::Bold), QPointF(28, 256),
             QString::fromUtf8("Версия " MKB_VERSION_SHORT), QColor(255, 255, 255), 0);
    const QFont small = Face(11, QFont::Normal);
    const QString free = QString::fromUtf8("Распространяется бесплатно");
    p.setFont(small);
    const qreal freeWidth = p.fontMetrics().horizontalAdvance(free);
    DrawText(p, small, QPointF(w - 24 - freeWidth, 256), free, QColor(0xC9, 0xDB, 0xF1), 0);

    // A fine frame so the borderless window has a clean edge.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(0x14, 0x26, 0x42));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, w - 1, h - 1);
    p.setPen(QColor(255, 255, 255, 36));
    p.drawRect(1, 1, w - 3, h - 3);
    return img;
}

QImage DrawInstallerPanel(int scale) {
    const int w = InstallerPanelSize.width(), h = InstallerPanelSize.height();
    QImage img = Canvas(w, h, scale, QImage::Format_RGB32);
    const QRect all(0, 0, w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // The splash picture's night blue and the light on its sphere, upright.
    QLinearGradient bg(QPointF(0, 0), QPointF(w * 0.6, h));
    bg.setColorAt(0.0, AccentDeep);
    bg.setColorAt(0.55, AccentDark);
    bg.setColorAt(1.0, Accent);
    p.fillRect(all, bg);
    QRadialGradient glow(QPointF(96, 88), 120);
    glow.setColorAt(0.0, QColor(0xB8, 0xCF, 0xEB, 150));
    glow.setColorAt(0.5, QColor(0x8F, 0xB0, 0xD8, 50));
    glow.setColorAt(1.0, QColor(0x8F, 0xB0, 0xD8, 0));
    p.fillRect(all, glow);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xFF, 0xFF, 0xFF, 90), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(Heartbeat(0, w, 292, 110));

    // The sphere and stethoscope of the splash, in proportion: the stethoscope's box is 1.42
    // times the sphere's radius of 84 over 59 units.
    const QPointF centre(82, 96);
    const qreal radius = 54, s = radius / 59.15;
    DrawFloorShadow(p, centre + QPointF(4, 61), 50, 7, QColor(0x0B, 0x18, 0x2C, 150));
    DrawSphere(p, centre, radius, QColor(0xE2, 0xEB, 0xF6), QColor(0x86, 0xA1, 0xC6));
    DrawStethoscope(p, centre - QPointF(49.3 * s, 59.2 * s), s, RedStethoscope());

    const QFont title = Face(34, QFont::Bold);
    p.setFont(title);
    const QString name = QString::fromUtf8("МКБ 10");
    DrawText(p, title, QPointF((w - p.fontMetrics().horizontalAdvance(name)) / 2.0, 206), name,
             QColor(255, 255, 255), 0.55);
    QLinearGradient rule(QPointF(22, 0), QPointF(w - 22, 0));
    rule.setColorAt(0.0, QColor(0xF2, 0x8A, 0x8F, 0));
    rule.setColorAt(0.5, QColor(0xF2, 0x8A, 0x8F, 230));
    rule.setColorAt(1.0, QColor(0xF2, 0x8A, 0x8F, 0));
    p.fillRect(QRectF(22, 218, w - 44, 2), rule);
    const QFont sub = Face(11, QFont::Normal);
    p.setFont(sub);
    qreal y = 240;
    for (const char* line : {"Международная", "классификация болезней,", "10-й пересмотр"}) {
        const QString text = QString::fromUtf8(line);
        DrawText(p, sub, QPointF((w - p.fontMetrics().horizontalAdvance(text)) / 2.0, y), text,
                 QColor(0xE8, 0xEF, 0xF8), 0.4);
        y += 15;
    }
    return img;
}

} // namespace art
