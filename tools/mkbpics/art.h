#pragma once
// The drawing routines of the picture generator. One palette for all pictures, built around
// the window headings' blue #5A7FAD and a medical red.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QSize>

namespace art {

inline const QColor Accent{0x5A, 0x7F, 0xAD};
inline const QColor AccentDark{0x2E, 0x4C, 0x77};
inline const QColor AccentDeep{0x1F, 0x36, 0x59};
inline const QColor AccentLight{0xA9, 0xC1, 0xDE};
inline const QColor AccentPale{0xE9, 0xEF, 0xF7};
inline const QColor Red{0xC8, 0x2E, 0x3A};
inline const QColor RedDark{0x7E, 0x14, 0x1E};
inline const QColor RedLight{0xF2, 0x8A, 0x8F};

// Colours of a stethoscope: the tube and its shading, the metal parts.
struct TStethoscopeColors {
    QColor Tube, TubeShade, TubeLight;
    QColor Metal, MetalShade, MetalLight;
};
TStethoscopeColors RedStethoscope();
TStethoscopeColors PaleStethoscope();

// A glossy sphere lit from the upper left, `shade` its darkest edge tone.
void DrawSphere(QPainter& p, QPointF centre, qreal radius, const QColor& light,
                const QColor& shade);
// A soft elliptical shadow, as cast by a sphere onto the floor.
void DrawFloorShadow(QPainter& p, QPointF centre, qreal rx, qreal ry, const QColor& colour);
// A stethoscope drawn in a 100 x 140 box whose top left is `origin`, scaled by `scale`.
void DrawStethoscope(QPainter& p, QPointF origin, qreal scale, const TStethoscopeColors& c);

// The pictures' sizes at 1x, in logical pixels.
inline constexpr QSize SplashSize{472, 269};
inline constexpr QSize LogoSize{125, 197};
inline constexpr QSize TreeBackgroundSize{161, 169};
inline constexpr QSize TreeImageSize{24, 24};
// The side picture of the Windows installer's first and last pages.
inline constexpr QSize InstallerPanelSize{164, 314};

// Each picture at 1x, or at `scale` times the size for high-density screens (the same drawing,
// its pixels `scale` times as many in each direction).
QImage DrawSplash(int scale = 1);
QImage DrawInstallerPanel(int scale = 1);
QImage DrawLogo(int scale = 1);
QImage DrawTreeBackground(int scale = 1);
// Closed folder, open folder, two documents, document
QImage DrawTreeImage(int index, int scale = 1);
QImage DrawAppIcon(int size); // 16 set by hand; 32 to 256 drawn
// The drawn icon, size x size, onto any device (a picture, or the scalable icon's SVG).
void PaintAppIcon(QPainter& p, int size);
// A blank picture of w x h logical pixels at the scale, on which a painter draws in logical
// pixels.
QImage Canvas(int w, int h, int scale, QImage::Format format);

} // namespace art
