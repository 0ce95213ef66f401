#include "art.h"

#include <QPainterPath>
#include <QRadialGradient>

namespace art {

TStethoscopeColors RedStethoscope() {
    return {Red,
            RedDark,
            RedLight,
            QColor(0xC9, 0xD1, 0xDC),
            QColor(0x5E, 0x6B, 0x7D),
            QColor(0xFF, 0xFF, 0xFF)};
}

TStethoscopeColors PaleStethoscope() {
    return {QColor(0xD3, 0xDE, 0xEC), QColor(0xB9, 0xC9, 0xDD), QColor(0xF2, 0xF6, 0xFB),
            QColor(0xDF, 0xE6, 0xEF), QColor(0xC2, 0xCD, 0xDB), QColor(0xFF, 0xFF, 0xFF)};
}

void DrawSphere(QPainter& p, QPointF centre, qreal radius, const QColor& light,
                const QColor& shade) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QPointF focus = centre + QPointF(-radius * 0.38, -radius * 0.42);
    QRadialGradient body(centre, radius, focus);
    body.setColorAt(0.0, QColor(255, 255, 255));
    body.setColorAt(0.35, light);
    body.setColorAt(0.85, QColor::fromRgbF((light.redF() + shade.redF()) / 2,
                                           (light.greenF() + shade.greenF()) / 2,
                                           (light.blueF() + shade.blueF()) / 2));
    body.setColorAt(1.0, shade);
    p.setBrush(body);
    p.drawEllipse(centre, radius, radius);

    // Light bounced back from the floor brightens the lower rim a little.
    QRadialGradient rim(centre + QPointF(radius * 0.15, radius * 0.55), radius * 0.7);
    rim.setColorAt(0.0, QColor(255, 255, 255, 70));
    rim.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setBrush(rim);
    p.drawEllipse(centre, radius, radius);

    // The gloss: a soft white window reflection in the upper left.
    QRadialGradient gloss(focus, radius * 0.45);
    gloss.setColorAt(0.0, QColor(255, 255, 255, 230));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setBrush(gloss);
    p.drawEllipse(focus, radius * 0.45, radius * 0.36);
    p.restore();
}

void DrawFloorShadow(QPainter& p, QPointF centre, qreal rx, qreal ry, const QColor& colour) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.translate(centre);
    p.scale(1.0, ry / rx);
    QRadialGradient g(QPointF(0, 0), rx);
    QColor c = colour;
    g.setColorAt(0.0, c);
    c.setAlpha(c.alpha() / 3);
    g.setColorAt(0.55, c);
    c.setAlpha(0);
    g.setColorAt(1.0, c);
    p.setBrush(g);
    p.drawEllipse(QPointF(0, 0), rx, rx);
    p.restore();
}

namespace {

// A rubber tube: a dark body, the colour, and a highlight along its upper left side.
void StrokeTube(QPainter& p, const QPainterPath& path, qreal width, const QColor& body,
                const QColor& shade, const QColor& light) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(shade, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(body, width * 0.72, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path.translated(-width * 0.1, -width * 0.1));
    QColor l = light;
    l.setAlpha(190);
    p.setPen(QPen(l, width * 0.22, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path.translated(-width * 0.24, -width * 0.24));
}

} // namespace

void DrawStethoscope(QPainter& p, QPointF origin, qreal scale, const TStethoscopeColors& c) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(origin);
    p.scale(scale, scale);

    // Metal ear tubes: from the tips down and inwards to where the rubber begins.
    QPainterPath leftMetal(QPointF(31, 9));
    leftMetal.cubicTo(QPointF(25, 18), QPointF(22, 28), QPointF(24, 38));
    QPainterPath rightMetal(QPointF(69, 9));
    rightMetal.cubicTo(QPointF(75, 18), QPointF(78, 28), QPointF(76, 38));
    // The rubber headset closes into a U that meets at the yoke.
    QPainterPath leftTube(QPointF(24, 38));
    leftTube.cubicTo(QPointF(26, 54), QPointF(36, 64), QPointF(50, 66));
    QPainterPath rightTube(QPointF(76, 38));
    rightTube.cubicTo(QPointF(74, 54), QPointF(64, 64), QPointF(50, 66));
    // The stem swings down and back up to the chest piece on the right.
    QPainterPath stem(QPointF(50, 66));
    stem.cubicTo(QPointF(50, 96), QPointF(46, 126), QPointF(66, 130));
    stem.cubicTo(QPointF(84, 133), QPointF(88, 118), QPointF(84, 104));

    StrokeTube(p, leftTube, 7.0, c.Tube, c.TubeShade, c.TubeLight);
    StrokeTube(p, rightTube, 7.0, c.Tube, c.TubeShade, c.TubeLight);
    StrokeTube(p, stem, 7.5, c.Tube, c.TubeShade, c.TubeLight);
    StrokeTube(p, leftMetal, 3.6, c.Metal, c.MetalShade, c.MetalLight);
    StrokeTube(p, rightMetal, 3.6, c.Metal, c.MetalShade, c.MetalLight);

    // Ear tips.
    p.setPen(QPen(c.TubeShade, 0.8));
    for (const QPointF tip : {QPointF(31, 8), QPointF(69, 8)}) {
        QRadialGradient g(tip + QPointF(-1.2, -1.2), 4.5);
        g.setColorAt(0.0, c.TubeLight);
        g.setColorAt(0.6, c.Tube);
        g.setColorAt(1.0, c.TubeShade);
        p.setBrush(g);
        p.drawEllipse(tip, 4.2, 3.6);
    }

    // The yoke where the three tubes meet.
    {
        QRadialGradient g(QPointF(48.8, 64.8), 4.5);
        g.setColorAt(0.0, c.MetalLight);
        g.setColorAt(0.5, c.Metal);
        g.setColorAt(1.0, c.MetalShade);
        p.setBrush(g);
        p.setPen(QPen(c.MetalShade, 0.6));
        p.drawRoundedRect(QRectF(45.5, 62.5, 9, 8), 2.5, 2.5);
    }

    // Chest piece: neck, rim, diaphragm.
    const QPointF bell(84, 90);
    {
        QLinearGradient neck(QPointF(81, 0), QPointF(87, 0));
        neck.setColorAt(0.0, c.MetalShade);
        neck.setColorAt(0.4, c.MetalLight);
        neck.setColorAt(1.0, c.MetalShade);
        p.setBrush(neck);
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(81.3, 97, 5.4, 9));
    }
    {
        QRadialGradient rim(bell + QPointF(-4, -4), 16);
        rim.setColorAt(0.0, c.MetalLight);
        rim.setColorAt(0.55, c.Metal);
        rim.setColorAt(1.0, c.MetalShade);
        p.setBrush(rim);
        p.setPen(QPen(c.MetalShade, 0.9));
        p.drawEllipse(bell, 12.5, 12.5);
        QLinearGradient disc(bell + QPointF(-9, -9), bell + QPointF(9, 9));
        disc.setColorAt(0.0, c.MetalShade);
        disc.setColorAt(0.5, c.Metal);
        disc.setColorAt(1.0, c.MetalLight);
        p.setBrush(disc);
        p.setPen(Qt::NoPen);
        p.drawEllipse(bell, 9.0, 9.0);
        QColor hl = c.MetalLight;
        hl.setAlpha(200);
        p.setBrush(hl);
        p.drawEllipse(bell + QPointF(-3.5, -3.8), 3.2, 2.2);
    }
    p.restore();
}

} // namespace art
