#include "platform/cursors.h"
#include "platform/qt/control_host.h"
#include "platform/shared_parts.h"
#include <QBitmap>
#include <QCursor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>
#include <cmath>
#include <vector>

namespace {
constexpr QRgb KeyColor = qRgb(255, 0, 255);

// The panning picture: a ring around the centre and an arrow for every direction, on the
// magenta key colour.
QImage PanningPicture(TCursor kind) {
    QImage image(TPanningWindow::Size, TPanningWindow::Size, QImage::Format_RGB32);
    image.fill(KeyColor);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QPointF c(15.5, 15.5);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawEllipse(c, 3.5, 3.5);
    p.setBrush(Qt::black);
    for (int angle : PanningArrowAngles(kind)) {
        const double a = angle * M_PI / 180.0;
        const QPointF dir(std::cos(a), -std::sin(a));
        const QPointF side(-dir.y(), dir.x());
        const QPointF tip = c + dir * 14.0;
        const QPointF base = c + dir * 7.0;
        QPainterPath arrow;
        arrow.moveTo(tip);
        arrow.lineTo(base + side * 5.0);
        arrow.lineTo(base - side * 5.0);
        arrow.closeSubpath();
        p.drawPath(arrow);
    }
    return image;
}

QBitmap OpaqueMask(const QImage& image) {
    return QBitmap::fromImage(image.createMaskFromColor(KeyColor, Qt::MaskOutColor));
}

} // namespace

struct TPanningWindow::TWindow : QWidget {
    explicit TWindow(TCursor kind)
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
          Picture(PanningPicture(kind)) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFixedSize(TPanningWindow::Size, TPanningWindow::Size);
        setMask(OpaqueMask(Picture));
    }

    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, Picture);
    }

    QImage Picture;
};

QCursor QtCursor(TCursor cursor) {
    if (cursor == crDefault || cursor == crArrow)
        return QCursor(Qt::ArrowCursor);
    if (cursor == crIBeam)
        return QCursor(Qt::IBeamCursor);
    if (cursor == crHandPoint)
        return QCursor(Qt::PointingHandCursor);
    QPixmap pixmap = QPixmap::fromImage(PanningPicture(cursor));
    pixmap.setMask(OpaqueMask(PanningPicture(cursor)));
    return QCursor(pixmap, TPanningWindow::Size / 2, TPanningWindow::Size / 2);
}

TPoint CursorPos() {
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

TPanningWindow::TPanningWindow(TCursor kind)
    : FKind(kind), Window(std::make_unique<TWindow>(kind)) {}

TPanningWindow::~TPanningWindow() = default;

void TPanningWindow::ShowAt(TPoint screenTopLeft) {
    Window->move(screenTopLeft.X, screenTopLeft.Y);
    Window->show();
}

bool TPanningWindow::Visible() const {
    return Window->isVisible();
}

TPoint TPanningWindow::ScreenPos() const {
    return {Window->x(), Window->y()};
}
