#include "art.h"

#include <QLinearGradient>
#include <QRadialGradient>

namespace art {

QImage Canvas(int w, int h, int scale, QImage::Format format) {
    QImage img(w * scale, h * scale, format);
    img.setDevicePixelRatio(scale);
    return img;
}

QImage DrawLogo(int scale) {
    QImage img = Canvas(LogoSize.width(), LogoSize.height(), scale, QImage::Format_RGB32);
    const QRect all(0, 0, 125, 197);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient bg(QPointF(0, 0), QPointF(0, 197));
    bg.setColorAt(0.0, QColor(0xFB, 0xFC, 0xFE));
    bg.setColorAt(0.55, QColor(0xEC, 0xF1, 0xF8));
    bg.setColorAt(1.0, QColor(0xDC, 0xE5, 0xF0));
    p.fillRect(all, bg);
    // A wash of light behind the sphere.
    QRadialGradient halo(QPointF(62, 70), 80);
    halo.setColorAt(0.0, QColor(255, 255, 255, 220));
    halo.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(all, halo);

    DrawFloorShadow(p, QPointF(64, 140), 46, 7, QColor(0x2E, 0x4C, 0x77, 110));
    DrawSphere(p, QPointF(62, 82), 52, QColor(0xE4, 0xEC, 0xF6), QColor(0x9D, 0xB4, 0xD2));
    // The sphere's reflection on the glossy floor, only just visible.
    p.save();
    p.setOpacity(0.18);
    p.translate(0, 2 * 140);
    p.scale(1, -1);
    DrawSphere(p, QPointF(62, 82), 52, QColor(0xE4, 0xEC, 0xF6), QColor(0x9D, 0xB4, 0xD2));
    p.restore();
    QLinearGradient fade(QPointF(0, 140), QPointF(0, 197));
    fade.setColorAt(0.0, QColor(0xE2, 0xE9, 0xF3, 120));
    fade.setColorAt(1.0, QColor(0xDC, 0xE5, 0xF0, 255));
    p.fillRect(QRectF(0, 140, 125, 57), fade);

    DrawStethoscope(p, QPointF(17, 14), 0.9, RedStethoscope());
    return img;
}

QImage DrawTreeBackground(int scale) {
    QImage img = Canvas(TreeBackgroundSize.width(), TreeBackgroundSize.height(), scale,
                        QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    DrawFloorShadow(p, QPointF(82, 150), 58, 8, QColor(0xB9, 0xC9, 0xDD, 70));
    DrawSphere(p, QPointF(80, 82), 66, QColor(0xF4, 0xF7, 0xFB), QColor(0xDD, 0xE6, 0xF1));
    DrawStethoscope(p, QPointF(27, 12), 1.05, PaleStethoscope());
    return img;
}

} // namespace art
