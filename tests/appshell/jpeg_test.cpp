// Decoding JPEG pictures held in memory, and refusing broken ones cleanly.
#include "platform/jpeg.h"
#include "resources/pictures/pictures.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <string>

namespace {

QByteArray Splash() {
    QFile file(MkbPictures::Splash);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

const unsigned char* Bytes(const QByteArray& b) {
    return reinterpret_cast<const unsigned char*>(b.constData());
}

QByteArray Encode(const QImage& image, int quality) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "JPG", quality));
    return out;
}

std::string ErrorOf(const QByteArray& data) {
    try {
        DecodeJpeg(Bytes(data), static_cast<std::size_t>(data.size()));
    } catch (const EJpegError& e) {
        return e.what();
    }
    return {};
}

TEST(Jpeg, NoDataIsAnError) {
    EXPECT_THROW(DecodeJpeg(nullptr, 0), EJpegError);
    const unsigned char byte = 0xFF;
    EXPECT_THROW(DecodeJpeg(&byte, 0), EJpegError);
    EXPECT_NE(ErrorOf(QByteArray(1, '\xFF')), "");
}

TEST(Jpeg, DataThatIsNoJpegIsNamedSo) {
    const QByteArray png("\x89PNG\r\n\x1a\n0000000000000000", 24);
    const std::string message = ErrorOf(png);
    EXPECT_NE(message.find("Invalid JPEG picture"), std::string::npos) << message;
    EXPECT_NE(message.find("JPEG"), message.rfind("JPEG"))
        << "the library's reason follows: " << message;
}

TEST(Jpeg, EveryTruncationIsAnErrorNotAPatchedPicture) {
    const QByteArray full = Splash();
    ASSERT_GT(full.size(), 1000);
    int cuts = 0;
    for (qsizetype len = 1; len < full.size() - 2; len += full.size() / 37 + 1, ++cuts)
        EXPECT_THROW(DecodeJpeg(Bytes(full), static_cast<std::size_t>(len)), EJpegError)
            << "cut at " << len;
    EXPECT_GT(cuts, 30);
    // The whole file still decodes after all that.
    EXPECT_EQ(DecodeJpeg(Bytes(full), full.size()).Width, 472);
}

TEST(Jpeg, CorruptHeadersAndScansEndInAnErrorOrASoundPicture) {
    const QByteArray full = Splash();
    // Zero height in the frame header.
    QByteArray bad = full;
    const qsizetype sof = bad.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    bad[sof + 5] = 0;
    bad[sof + 6] = 0;
    EXPECT_THROW(DecodeJpeg(Bytes(bad), bad.size()), EJpegError);
    // A frame header claiming 60000 x 60000 pixels is refused, not allocated.
    bad = full;
    for (int i : {5, 7})
        bad[sof + i] = '\xEA', bad[sof + i + 1] = '\x60';
    EXPECT_NE(ErrorOf(bad).find("too large"), std::string::npos) << ErrorOf(bad);
    // An unknown marker in the middle of the header.
    bad = full;
    bad[2] = '\xFF';
    bad[3] = '\x01';
    EXPECT_THROW(DecodeJpeg(Bytes(bad), bad.size()), EJpegError);
    // Noise over the entropy-coded data: either refused or a picture of the stated size.
    for (int seed = 1; seed <= 8; ++seed) {
        bad = full;
        for (qsizetype i = full.size() / 3; i < full.size() - 2; i += 97 * seed)
            bad[i] = static_cast<char>(bad[i] ^ (0x5A + seed));
        try {
            const TJpegImage img = DecodeJpeg(Bytes(bad), bad.size());
            EXPECT_EQ(img.Pixels.size(), static_cast<std::size_t>(img.Width) * img.Height);
        } catch (const EJpegError&) {
        }
    }
}

TEST(Jpeg, GreyscaleAndColourPicturesKeepTheirTones) {
    QImage grey(32, 16, QImage::Format_Grayscale8);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            grey.scanLine(y)[x] = x < 16 ? 0x30 : 0xC8;
    const QByteArray greyJpg = Encode(grey, 100);
    const qsizetype sof = greyJpg.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    ASSERT_EQ(greyJpg[sof + 9], 1) << "a one-component picture";
    const TJpegImage g = DecodeJpeg(Bytes(greyJpg), greyJpg.size());
    ASSERT_EQ(g.Width, 32);
    ASSERT_EQ(g.Height, 16);
    EXPECT_NEAR(qRed(g.Pixel(4, 8)), 0x30, 3);
    EXPECT_EQ(qRed(g.Pixel(4, 8)), qBlue(g.Pixel(4, 8)));
    EXPECT_NEAR(qGreen(g.Pixel(28, 8)), 0xC8, 3);
    EXPECT_EQ(qAlpha(g.Pixel(28, 8)), 255);

    QImage colour(40, 24, QImage::Format_RGB32);
    colour.fill(QColor(0x5A, 0x7F, 0xAD));
    const QByteArray jpg = Encode(colour, 100);
    const TJpegImage c = DecodeJpeg(Bytes(jpg), jpg.size());
    ASSERT_EQ(c.Width, 40);
    ASSERT_EQ(c.Height, 24);
    // 0xAARRGGBB: red in bits 16-23.
    EXPECT_NEAR(static_cast<int>((c.Pixel(20, 12) >> 16) & 0xFF), 0x5A, 3);
    EXPECT_NEAR(static_cast<int>((c.Pixel(20, 12) >> 8) & 0xFF), 0x7F, 3);
    EXPECT_NEAR(static_cast<int>(c.Pixel(20, 12) & 0xFF), 0xAD, 3);
}

} // namespace
