// Drawing on off-screen bitmaps: fills, patterns and their origin, the focus frame, lines,
// text placement, bitmaps with a key colour or half blended, image lists, clipping.
#include "platform/application.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/colors.h"
#include "platform/font.h"
#include "platform/imagelist.h"
#include <gtest/gtest.h>

namespace {

constexpr TColor Red = RGBColor(255, 0, 0);
constexpr TColor Blue = RGBColor(0, 0, 255);
constexpr TColor Grey = RGBColor(100, 110, 120);

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }
};

TEST_F(CanvasTest, BitmapPixelsAndFillsWithOriginAndClip) {
    TBitmap bm(20, 10);
    EXPECT_EQ(bm.ColorAt(0, 0), clBlack);
    EXPECT_EQ(bm.PixelAt(-1, 0), 0u); // outside reads neutrally
    bm.SetPixel(25, 3, 0xFFFFFFFF);   // outside writes are ignored
    TCanvas& c = bm.Canvas();
    c.SetWindowOrigin({100, 0});
    c.FillRect({102, 1, 105, 3}, Red);
    EXPECT_EQ(bm.ColorAt(2, 1), Red);
    EXPECT_EQ(bm.ColorAt(4, 2), Red);
    EXPECT_EQ(bm.ColorAt(5, 2), clBlack);
    EXPECT_EQ(bm.ColorAt(2, 3), clBlack);
    // Pixels written directly, then drawn over again through the canvas.
    bm.ScanLine(5)[7] = PixelFromColor(Blue);
    c.SetClipRect({106, 0, 108, 10});
    EXPECT_EQ(c.ClipRect(), (TRect{106, 0, 108, 10}));
    c.FillRect({100, 5, 120, 6}, Grey);
    EXPECT_EQ(bm.ColorAt(5, 5), clBlack);
    EXPECT_EQ(bm.ColorAt(6, 5), Grey);
    EXPECT_EQ(bm.ColorAt(7, 5), Grey);
    EXPECT_EQ(bm.ColorAt(8, 5), clBlack);
    c.ResetClip();
    // System colours are resolved.
    c.FillRect({100, 9, 101, 10}, clWindow);
    EXPECT_EQ(bm.ColorAt(0, 9), ColorToRGB(clWindow));
    // Data that is no picture leaves the bitmap as it was.
    const unsigned char junk[] = {'B', 'M', 1, 2, 3};
    EXPECT_FALSE(bm.LoadFromData(junk, sizeof junk));
    EXPECT_FALSE(bm.LoadFromData(nullptr, 0));
    EXPECT_EQ(bm.Width(), 20);
    EXPECT_EQ(bm.ColorAt(2, 1), Red);
    // A resized bitmap keeps a working canvas.
    bm.SetSize(4, 4);
    c.FillRect({100, 0, 104, 4}, Red);
    EXPECT_EQ(bm.ColorAt(3, 3), Red);
}

TEST_F(CanvasTest, PatternFollowsTheBrushOriginInDevicePixels) {
    const TPattern8x8 checker{0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    const TPattern8x8 corner{0x80, 0, 0, 0, 0, 0, 0, 0}; // one pixel of 64 is bit 1
    for (TPoint origin : {TPoint{0, 0}, TPoint{1, 0}, TPoint{3, 5}}) {
        TBitmap bm(16, 16);
        TCanvas& c = bm.Canvas();
        c.SetWindowOrigin({7, 0}); // logical offsets do not move the pattern
        c.SetBrushOrigin(origin);
        c.FillPattern({7, 0, 23, 16}, corner, Grey, Red);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool one = ((x - origin.X) & 7) == 0 && ((y - origin.Y) & 7) == 0;
                ASSERT_EQ(bm.ColorAt(x, y), one ? Red : Grey) << x << "," << y;
            }
        c.FillPattern({7, 0, 23, 16}, checker, Grey, Red);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool zero = ((x - origin.X) + (y - origin.Y)) % 2 == 0;
                ASSERT_EQ(bm.ColorAt(x, y), zero ? Grey : Red) << x << "," << y;
            }
    }
}

TEST_F(CanvasTest, LinesFramesAndPolygons) {
    TBitmap bm(12, 12);
    TCanvas& c = bm.Canvas();
    c.Line({2, 3}, {6, 3}, Red); // both end points
    EXPECT_EQ(bm.ColorAt(1, 3), clBlack);
    EXPECT_EQ(bm.ColorAt(2, 3), Red);
    EXPECT_EQ(bm.ColorAt(6, 3), Red);
    EXPECT_EQ(bm.ColorAt(7, 3), clBlack);
    c.FrameRect({0, 5, 4, 9}, Blue);
    EXPECT_EQ(bm.ColorAt(0, 5), Blue);
    EXPECT_EQ(bm.ColorAt(3, 8), Blue);
    EXPECT_EQ(bm.ColorAt(1, 6), clBlack); // inside untouched
    EXPECT_EQ(bm.ColorAt(4, 8), clBlack);
    c.SetPenColor(Blue);
    c.SetBrushColor(Red);
    c.Rectangle({6, 6, 11, 11});
    EXPECT_EQ(bm.ColorAt(6, 6), Blue);
    EXPECT_EQ(bm.ColorAt(8, 8), Red);
    EXPECT_EQ(bm.ColorAt(10, 10), Blue);
    TBitmap poly(20, 10);
    poly.Canvas().SetBrushColor(Grey);
    poly.Canvas().Polygon({{2, 2}, {17, 2}, {17, 7}, {2, 7}});
    EXPECT_EQ(poly.ColorAt(10, 4), Grey);
    EXPECT_EQ(poly.ColorAt(0, 0), clBlack);
    EXPECT_EQ(poly.ColorAt(19, 9), clBlack);
}

TEST_F(CanvasTest, FocusRectInvertsAlternatePixelsOfTheFrameOnly) {
    TBitmap bm(10, 8);
    bm.Fill(Grey);
    TCanvas& c = bm.Canvas();
    c.DrawFocusRect({1, 1, 9, 7});
    const TColor inverted = RGBColor(255 - 100, 255 - 110, 255 - 120);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool frame =
                (x == 1 || x == 8 || y == 1 || y == 6) && x >= 1 && x <= 8 && y >= 1 && y <= 6;
            const bool flipped = frame && ((x - 1) + (y - 1)) % 2 == 0;
            ASSERT_EQ(bm.ColorAt(x, y), flipped ? inverted : Grey) << x << "," << y;
        }
    // Inverting twice restores.
    c.DrawFocusRect({1, 1, 9, 7});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(bm.ColorAt(x, y), Grey);
}

TEST_F(CanvasTest, AtRatioTwoLogicalPixelsAreBlocksOfDevicePixels) {
    TBitmap bm;
    bm.SetPixelRatio(2);
    bm.SetSize(10, 8);
    ASSERT_EQ(bm.Width(), 10);
    ASSERT_EQ(bm.DeviceWidth(), 20);
    bm.Fill(Grey);
    TCanvas& c = bm.Canvas();
    EXPECT_EQ(c.PixelRatio(), 2);
    // A one-pixel frame is two device pixels wide, sharp: nothing half-covered beside it.
    c.FrameRect({1, 1, 9, 7}, Red);
    EXPECT_EQ(bm.ColorAt(2, 2), Red);
    EXPECT_EQ(bm.ColorAt(3, 3), Red);
    EXPECT_EQ(bm.ColorAt(4, 4), Grey);
    EXPECT_EQ(bm.ColorAt(1, 1), Grey);
    EXPECT_EQ(bm.DeviceRect({1, 1, 9, 7}), (TRect{2, 2, 18, 14}));
    // The focus frame's dots are whole 2 x 2 blocks.
    bm.Fill(Grey);
    c.DrawFocusRect({1, 1, 9, 7});
    const TColor inverted = RGBColor(255 - 100, 255 - 110, 255 - 120);
    EXPECT_EQ(bm.ColorAt(2, 2), inverted);
    EXPECT_EQ(bm.ColorAt(3, 3), inverted);
    EXPECT_EQ(bm.ColorAt(4, 2), Grey);
    EXPECT_EQ(bm.ColorAt(6, 3), inverted);
    // A 1x picture drawn on it covers the same logical place, each pixel a block.
    TBitmap one(2, 1);
    one.SetPixel(0, 0, PixelFromColor(Red));
    one.SetPixel(1, 0, PixelFromColor(Blue));
    c.Draw(4, 4, one);
    EXPECT_EQ(bm.ColorAt(8, 8), Red);
    EXPECT_EQ(bm.ColorAt(9, 9), Red);
    EXPECT_EQ(bm.ColorAt(10, 9), Blue);
    EXPECT_EQ(bm.ColorAt(12, 8), Grey);
}

TEST_F(CanvasTest, BitmapsWithKeyColourBlendAndAlpha) {
    TBitmap src(3, 1);
    src.SetPixel(0, 0, PixelFromColor(RGBColor(255, 0, 255)));
    src.SetPixel(1, 0, PixelFromColor(RGBColor(200, 100, 50)));
    src.SetPixel(2, 0, PixelFromColor(RGBColor(255, 0, 255)));
    TBitmap dst(5, 2);
    dst.Fill(Grey);
    TCanvas& c = dst.Canvas();
    c.DrawTransparent(1, 0, src, RGBColor(255, 0, 255));
    EXPECT_EQ(dst.ColorAt(1, 0), Grey);
    EXPECT_EQ(dst.ColorAt(2, 0), RGBColor(200, 100, 50));
    EXPECT_EQ(dst.ColorAt(3, 0), Grey);
    c.DrawBlended(0, 1, src, RGBColor(0, 50, 101));
    EXPECT_EQ(dst.ColorAt(1, 1), RGBColor(100, 75, 75)); // (200+0)/2, (100+50)/2, (50+101)/2
    // A part of a bitmap lands at the given place; parts outside the source are dropped.
    c.Draw(3, 0, src, {1, 0, 5, 1});
    EXPECT_EQ(dst.ColorAt(3, 0), RGBColor(200, 100, 50));
    EXPECT_EQ(dst.ColorAt(4, 0), RGBColor(255, 0, 255));
    // Alpha bitmaps are blended through their alpha.
    TBitmap a(1, 1, bfAlpha);
    a.SetPixel(0, 0, PixelFromColor(clWhite, 0));
    c.Draw(0, 0, a);
    EXPECT_EQ(dst.ColorAt(0, 0), Grey);
}

TEST_F(CanvasTest, ImageListDrawsByIndexWithMaskAndOverlay) {
    TImageList list(2, 2);
    TBitmap pic(2, 2);
    pic.Fill(Red);
    pic.SetPixel(1, 1, PixelFromColor(Blue));
    EXPECT_EQ(list.AddMasked(pic, Blue), 0);
    TBitmap other(3, 3); // cropped to the list's size
    other.Fill(Grey);
    EXPECT_EQ(list.Add(other), 1);
    list.SetOverlayImage(1, 1);
    TBitmap dst(4, 4);
    dst.Fill(clWhite);
    list.Draw(dst.Canvas(), 1, 1, 0);
    EXPECT_EQ(dst.ColorAt(1, 1), Red);
    EXPECT_EQ(dst.ColorAt(2, 2), clWhite); // masked
    EXPECT_EQ(dst.ColorAt(3, 3), clWhite);
    list.Draw(dst.Canvas(), 1, 1, 7); // out of range: nothing
    list.Draw(dst.Canvas(), -5, -5, -1);
    EXPECT_EQ(dst.ColorAt(1, 1), Red);
    list.Draw(dst.Canvas(), 0, 0, 0, idNormal, clNone, 1);
    EXPECT_EQ(dst.ColorAt(0, 0), Grey);
    list.Draw(dst.Canvas(), 2, 2, 0, idBlend50, RGBColor(1, 100, 255));
    EXPECT_EQ(dst.ColorAt(2, 2), RGBColor(128, 50, 127));
}

TEST_F(CanvasTest, TextLandsInItsRectangleAndIsClipped) {
    auto font = std::make_shared<const TPlatformFont>(
        TFontSpec{u"", -13, FW_NORMAL, false, false, false, DEFAULT_CHARSET});
    const TFontMetrics& m = font->Metrics();
    const std::u16string text = u"HHHH";
    const int w = font->TextWidth(text);
    ASSERT_GT(w, 0);
    EXPECT_EQ(font->FitCount(text, w - 1), 3);
    TBitmap bm(w + 40, m.Height + 20);
    bm.Fill(clWhite);
    TCanvas& c = bm.Canvas();
    c.SetFont(font);
    EXPECT_EQ(c.TextWidth(text), w);
    c.SetTextColor(clBlack);
    c.SetBkMode(bmTransparent);
    const TRect r{10, 0, 10 + w + 20, m.Height + 20};
    c.TextRect(r, text, {tfVCenter});
    const int top = (r.Height() - m.Height) / 2;
    int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
    for (int y = 0; y < bm.Height(); ++y)
        for (int x = 0; x < bm.Width(); ++x)
            if (bm.ColorAt(x, y) != clWhite) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    ASSERT_GE(maxX, 0) << "no text drawn";
    EXPECT_GE(minX, 10);
    EXPECT_LT(maxX, 10 + w + 1);
    EXPECT_GE(minY, top);
    EXPECT_LT(maxY, top + m.Height);
    // Clipped at a narrower rectangle.
    bm.Fill(clWhite);
    c.TextRect({10, 0, 12, m.Height}, text);
    for (int y = 0; y < bm.Height(); ++y)
        for (int x = 12; x < bm.Width(); ++x)
            ASSERT_EQ(bm.ColorAt(x, y), clWhite);
    // The text's clip ends with it: fills and patterns after it reach outside its rectangle.
    c.FillRect({0, 0, 4, 4}, Red);
    EXPECT_EQ(bm.ColorAt(1, 1), Red);
    c.TextRect({10, 0, 12, m.Height}, text);
    c.FillPattern({30, 0, 32, 2}, TPattern8x8{}, Blue, Blue);
    EXPECT_EQ(bm.ColorAt(31, 1), Blue);
    // Opaque output fills the run's cell.
    bm.Fill(clWhite);
    c.SetBkMode(bmOpaque);
    c.SetBkColor(Red);
    c.TextOut(5, m.Ascent, u"H");
    EXPECT_EQ(bm.ColorAt(5, m.Height - 1), Red);
}

} // namespace
