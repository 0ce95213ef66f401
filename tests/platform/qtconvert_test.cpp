#include "platform/qt/qtconvert.h"

#include <gtest/gtest.h>

TEST(QtConvert, StringsCopyEveryUnitAndColoursKeepTheirChannels) {
    const std::u16string text{u'a', 0, 0xD83D, 0xDE00, u'Ж'};
    EXPECT_EQ(ToQString(text).size(), 5);
    EXPECT_EQ(FromQString(ToQString(text)), text);
    EXPECT_EQ(ToQColor(RGBColor(1, 2, 3)), QColor(1, 2, 3));
}
