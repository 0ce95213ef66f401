// The splash window and the picture it shows.
#include "app/splash.h"
#include "platform/jpeg.h"
#include "qt_support.h"
#include "resources/pictures/pictures.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

TEST(Splash, IsABorderlessWindowShowingThePictureAtNaturalSize) {
    TfrmSplashScreen splash;
    EXPECT_EQ(W(&splash)->size(), QSize(472, 269));
    EXPECT_TRUE(W(&splash)->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(W(&splash)->isWindow());
    EXPECT_FALSE(W(&splash)->isVisible());
    ASSERT_NE(splash.imgAdvert, nullptr);
    EXPECT_EQ(W(splash.imgAdvert)->geometry(), QRect(0, 0, 472, 269));
    const QPixmap shown = As<QLabel>(splash.imgAdvert)->pixmap();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.size(), QSize(472, 269));

    QFile file(MkbPictures::Splash);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const TJpegImage jpeg =
        DecodeJpeg(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size());
    const QImage img = shown.toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < 269; y += 13)
        for (int x = 0; x < 472; x += 17)
            ASSERT_EQ(img.pixel(x, y), jpeg.Pixel(x, y)) << x << "," << y;
}

TEST(Splash, RepaintNowPutsItOnScreenCentred) {
    TfrmSplashScreen splash;
    splash.RepaintNow();
    EXPECT_TRUE(W(&splash)->isVisible());
    const QRect screen = W(&splash)->screen()->geometry();
    EXPECT_LE(std::abs(W(&splash)->geometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(W(&splash)->geometry().center().y() - screen.center().y()), 1);
    // What is on screen is the picture.
    const QImage grabbed = W(&splash)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage picture =
        As<QLabel>(splash.imgAdvert)->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(grabbed.pixel(236, 134), picture.pixel(236, 134));
    EXPECT_EQ(grabbed.pixel(10, 250), picture.pixel(10, 250));
    W(&splash)->hide();
}

TEST(Splash, ABrokenPictureIsRefusedAndTheOldOneStays) {
    TfrmSplashScreen splash;
    const QImage before = As<QLabel>(splash.imgAdvert)->pixmap().toImage();
    const unsigned char junk[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F'};
    EXPECT_THROW(splash.LoadAdvert(junk, sizeof junk), EJpegError);
    EXPECT_EQ(As<QLabel>(splash.imgAdvert)->pixmap().toImage(), before);
}

} // namespace
