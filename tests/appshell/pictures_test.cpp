// The generated pictures as the application receives them from its resources.
#include "platform/bitmap.h"
#include "platform/jpeg.h"
#include "resources/pictures/pictures.h"
#include "tools/mkbpics/art.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

QByteArray ReadResource(const char* name) {
    QFile file(name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

QImage LoadResource(const char* name) {
    QImage image(QString::fromLatin1(name));
    EXPECT_FALSE(image.isNull()) << name;
    return image;
}

// Share of opaque pixels for which `pred` holds.
template <typename TPred> double Share(const QImage& image, TPred pred) {
    int hits = 0, total = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() < 128)
                continue;
            ++total;
            hits += pred(c) ? 1 : 0;
        }
    return total ? static_cast<double>(hits) / total : 0.0;
}

TEST(Pictures, EveryPictureHasItsSize) {
    EXPECT_EQ(LoadResource(MkbPictures::Splash).size(), art::SplashSize);
    EXPECT_EQ(LoadResource(MkbPictures::Logo).size(), art::LogoSize);
    EXPECT_EQ(LoadResource(MkbPictures::TreeBackground).size(), art::TreeBackgroundSize);
    for (int i = 0; i < MkbPictures::TreeImageCount; ++i)
        EXPECT_EQ(LoadResource(MkbPictures::TreeImage(i)).size(), art::TreeImageSize) << i;
    for (int size : {16, 32, 48})
        EXPECT_EQ(LoadResource(MkbPictures::AppIcon(size)).size(), QSize(size, size));
    // Each picture the program shows is also drawn at twice the size, for high-density screens;
    // a bitmap asked for above ratio 1 takes that one, at the same logical size.
    for (const char* name : {MkbPictures::Splash, MkbPictures::Logo, MkbPictures::TreeBackground,
                             MkbPictures::TreeImage(3), MkbPictures::AppIcon(16)}) {
        const std::string doubled = PictureForRatio(name, 2);
        EXPECT_EQ(LoadResource(doubled.c_str()).size(), LoadResource(name).size() * 2) << doubled;
    }
    EXPECT_EQ(PictureForRatio(MkbPictures::Logo, 1), MkbPictures::Logo);
    TBitmap tree;
    ASSERT_TRUE(tree.LoadFromResource(MkbPictures::TreeBackground, 1.5));
    EXPECT_EQ(tree.PixelRatio(), 2);
    EXPECT_EQ(tree.Width(), art::TreeBackgroundSize.width());
    EXPECT_EQ(tree.DeviceWidth(), 2 * art::TreeBackgroundSize.width());
    ASSERT_TRUE(tree.LoadFromResource(MkbPictures::TreeBackground));
    EXPECT_EQ(tree.DeviceWidth(), art::TreeBackgroundSize.width());
    EXPECT_EQ(MkbPictures::TreeImage(4), nullptr);
    EXPECT_EQ(MkbPictures::TreeImage(-1), nullptr);
    EXPECT_EQ(MkbPictures::AppIcon(24), nullptr);
}

TEST(Pictures, SplashDecodesAlikeThroughLibjpegAndTheToolkit) {
    const QByteArray bytes = ReadResource(MkbPictures::Splash);
    ASSERT_GT(bytes.size(), 2);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF); // SOI marker: a real JPEG file
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xD8);
    const TJpegImage ours =
        DecodeJpeg(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size());
    ASSERT_EQ(ours.Width, art::SplashSize.width());
    ASSERT_EQ(ours.Height, art::SplashSize.height());
    ASSERT_EQ(ours.Pixels.size(), static_cast<std::size_t>(ours.Width) * ours.Height);
    const QImage theirs = QImage::fromData(bytes, "JPG").convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(theirs.isNull());
    ASSERT_FALSE(theirs.isGrayscale()); // a colour picture
    int worst = 0;
    for (int y = 0; y < ours.Height; ++y)
        for (int x = 0; x < ours.Width; ++x) {
            const QRgb a = ours.Pixel(x, y), b = theirs.pixel(x, y);
            EXPECT_EQ(qAlpha(a), 255);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(worst, 3);
}

TEST(Pictures, SplashIsInTheProductPalette) {
    const QImage splash = LoadResource(MkbPictures::Splash);
    const double blue = Share(splash, [](const QColor& c) { return c.blue() > c.red() + 30; });
    EXPECT_GT(blue, 0.5);
    const double red =
        Share(splash, [](const QColor& c) { return c.red() > 150 && c.red() > c.blue() + 60; });
    EXPECT_GT(red, 0.01); // the stethoscope
}

TEST(Pictures, LogoShowsARedStethoscopeOnAPaleGround) {
    // Only the upper 157 rows are ever shown.
    const QImage logo = LoadResource(MkbPictures::Logo).copy(0, 0, 125, 157);
    EXPECT_GT(Share(logo,
                    [](const QColor& c) {
                        return c.red() > 140 && c.red() > c.green() + 60 && c.red() > c.blue() + 60;
                    }),
              0.04);
    EXPECT_GT(Share(logo, [](const QColor& c) { return c.lightness() > 200; }), 0.6);
    EXPECT_GT(logo.pixelColor(2, 2).lightness(), 230);
}

TEST(Pictures, TreeBackgroundIsLightEnoughForTextOverIt) {
    const QImage bg = LoadResource(MkbPictures::TreeBackground);
    int darkest = 255;
    for (int y = 0; y < bg.height(); ++y)
        for (int x = 0; x < bg.width(); ++x)
            darkest = std::min(darkest, qGray(bg.pixel(x, y)));
    EXPECT_GE(darkest, 160);
    // Not blank either: the sphere and the stethoscope are there.
    EXPECT_GT(Share(bg, [](const QColor& c) { return c.lightness() < 245; }), 0.2);
    // The edges fade into the tree's white.
    EXPECT_EQ(bg.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(bg.pixelColor(160, 0), QColor(Qt::white));
}

TEST(Pictures, TreeImagesAreFoldersAndDocumentsOnATransparentGround) {
    for (int i = 0; i < 4; ++i) {
        const QImage img = LoadResource(MkbPictures::TreeImage(i));
        ASSERT_TRUE(img.hasAlphaChannel()) << i;
        EXPECT_EQ(img.pixelColor(0, 0).alpha(), 0) << i;
        EXPECT_EQ(img.pixelColor(23, 0).alpha(), 0) << i;
        EXPECT_GT(Share(img, [](const QColor&) { return true; }), 0.0) << i;
        const double blue = Share(
            img, [](const QColor& c) { return c.blue() > c.red() + 40 && c.lightness() < 200; });
        const double white = Share(img, [](const QColor& c) { return c.lightness() > 225; });
        if (i < 2)
            EXPECT_GT(blue, 0.5) << "folder " << i;
        else
            EXPECT_GT(white, 0.35) << "document " << i;
    }
    // The open folder differs from the closed one, and two documents from one.
    EXPECT_NE(LoadResource(MkbPictures::TreeImage(0)), LoadResource(MkbPictures::TreeImage(1)));
    EXPECT_NE(LoadResource(MkbPictures::TreeImage(2)), LoadResource(MkbPictures::TreeImage(3)));
}

TEST(Pictures, IconsAreTransparentAroundABlueCoverWithRed) {
    // 16 to 48 are compiled in; the icon theme's larger sizes exist only as files to install.
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QImage icon = size <= 48 ? LoadResource(MkbPictures::AppIcon(size))
                                       : QImage(QString(MKB_PICTURES_DIR "/icon%1.png").arg(size));
        ASSERT_EQ(icon.size(), QSize(size, size));
        ASSERT_TRUE(icon.hasAlphaChannel()) << size;
        EXPECT_EQ(icon.pixelColor(size - 1, 0).alpha(), 0) << size;
        EXPECT_GT(Share(icon, [](const QColor& c) { return c.blue() > c.red() + 40; }), 0.3)
            << size;
        EXPECT_GT(Share(icon, [](const QColor& c) { return c.red() > c.blue() + 80; }), 0.02)
            << size;
    }
}

TEST(Pictures, ScalableIconDrawsTheSameBookAsThe48PixelOne) {
    QSvgRenderer svg(QString(MKB_PICTURES_DIR "/icon.svg"));
    ASSERT_TRUE(svg.isValid());
    QImage drawn(48, 48, QImage::Format_ARGB32);
    drawn.fill(Qt::transparent);
    QPainter p(&drawn);
    svg.render(&p);
    p.end();
    const QImage icon = LoadResource(MkbPictures::AppIcon(48));
    int differ = 0; // anti-aliasing differs a little between the two painters; the picture must not
    for (int i = 0; i < 48 * 48; ++i) {
        const QColor a = drawn.pixelColor(i % 48, i / 48), b = icon.pixelColor(i % 48, i / 48);
        differ += std::max({std::abs(a.alpha() - b.alpha()), std::abs(a.red() - b.red()),
                            std::abs(a.blue() - b.blue())}) > 64;
    }
    EXPECT_LT(differ, 48 * 48 / 20);
}

} // namespace
