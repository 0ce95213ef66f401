#include "app/splash.h"

#include "platform/bitmap.h"
#include "platform/errors.h"
#include "platform/jpeg.h"
#include "resources/pictures/pictures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

TfrmSplashScreen::TfrmSplashScreen(QWidget* owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("frmSplashScreen");
    setWindowTitle("frmSplashScreen");
    setFixedSize(ClientWidth, ClientHeight);
    // Button face behind everything; the children keep their usual text roles.
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);

    imgAdvert = new QLabel(this);
    imgAdvert->setObjectName("imgAdvert");
    imgAdvert->setGeometry(0, 0, ClientWidth, ClientHeight);
    imgAdvert->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(ClientWidth / 2, ClientHeight / 2));

    // On a high-density screen the picture drawn at twice the size, when the build has it.
    QByteArray bytes;
    int pictureRatio = 1;
    if (devicePixelRatioF() > 1) {
        QFile doubled(QString::fromStdString(PictureForRatio(MkbPictures::Splash, 2)));
        if (doubled.open(QIODevice::ReadOnly)) {
            bytes = doubled.readAll();
            pictureRatio = 2;
        }
    }
    if (pictureRatio == 1) {
        QFile file(MkbPictures::Splash);
        if (!file.open(QIODevice::ReadOnly))
            throw EResNotFound(std::string("Resource ") + MkbPictures::Splash + " not found");
        bytes = file.readAll();
    }
    LoadAdvert(reinterpret_cast<const unsigned char*>(bytes.constData()),
               static_cast<std::size_t>(bytes.size()), pictureRatio);
}

void TfrmSplashScreen::LoadAdvert(const unsigned char* data, std::size_t size, int ratio) {
    const TJpegImage jpeg = DecodeJpeg(data, size);
    // The decoder's 0xAARRGGBB rows are exactly the toolkit's 32-bit layout.
    const QImage view(reinterpret_cast<const uchar*>(jpeg.Pixels.data()), jpeg.Width, jpeg.Height,
                      jpeg.Width * 4, QImage::Format_RGB32);
    QImage picture = view.copy();
    picture.setDevicePixelRatio(ratio);
    imgAdvert->setPixmap(QPixmap::fromImage(picture));
}

void TfrmSplashScreen::RepaintNow() {
    if (!isVisible())
        show();
    // A new window is exposed asynchronously by the window system; give it a moment.
    QElapsedTimer waited;
    waited.start();
    QWindow* window = windowHandle();
    while (window && !window->isExposed() && waited.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
