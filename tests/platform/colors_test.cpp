#include "platform/application.h"
#include "platform/colors.h"
#include <QApplication>
#include <QPalette>
#include <gtest/gtest.h>

TEST(Colors, PlainValuesPassThrough) {
    EXPECT_EQ(ColorToRGB(0x00DBA172), 0x00DBA172u);
    EXPECT_EQ(ColorToRGB(RGBColor(114, 161, 219)), 14393714u);
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    EXPECT_EQ(GetRValue(14393714), 114);
    EXPECT_EQ(GetGValue(14393714), 161);
    EXPECT_EQ(GetBValue(14393714), 219);
}

TEST(Colors, SystemColoursComeFromThePalette) {
    EnsureApplication();
    const QPalette saved = QApplication::palette();
    QPalette p = saved;
    p.setColor(QPalette::Active, QPalette::Text, QColor(1, 2, 3));
    p.setColor(QPalette::Active, QPalette::Button, QColor(10, 20, 30));
    p.setColor(QPalette::Active, QPalette::Highlight, QColor(200, 100, 50));
    QApplication::setPalette(p);
    EXPECT_EQ(ColorToRGB(clWindowText), RGBColor(1, 2, 3));
    EXPECT_EQ(ColorToRGB(clBtnFace), RGBColor(10, 20, 30));
    EXPECT_EQ(ColorToRGB(clHighlight), RGBColor(200, 100, 50));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), RGBColor(1, 2, 3));
    // No palette role for the inactive caption: a fixed value.
    EXPECT_EQ(ColorToRGB(clInactiveCaption), RGBColor(191, 205, 219));
    EXPECT_EQ(ColorToRGB(clInactiveCaptionText), RGBColor(0, 0, 0));
    QApplication::setPalette(saved);
}

TEST(Colors, UnknownSystemNumbersGiveBlack) {
    EXPECT_EQ(GetSysColor(31), clBlack);
    EXPECT_EQ(GetSysColor(-1), clBlack);
    EXPECT_EQ(ColorToRGB(0xFF00FF05), clBlack); // not a valid system colour number
}
