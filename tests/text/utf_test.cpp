#include "text/utf.h"

#include <gtest/gtest.h>

using namespace mkb::text;

TEST(Utf, WellFormedTextMakesTheRoundTrip) {
    const std::u16string wide = u"a\u00E9\u0416\u20AC\U0001F600";
    const std::string bytes = "a\xC3\xA9\xD0\x96\xE2\x82\xAC\xF0\x9F\x98\x80";
    EXPECT_EQ(Utf16ToUtf8(wide), bytes);
    EXPECT_EQ(Utf8ToUtf16(bytes), wide);
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const std::u16string one(1, static_cast<char16_t>(c));
        ASSERT_EQ(Utf8ToUtf16(Utf16ToUtf8(one)), one) << static_cast<unsigned>(c);
    }
}

// One rule both ways: no lone surrogate passes, and each byte that starts no well-formed
// sequence gives one U+FFFD.
TEST(Utf, LoneSurrogatesAndIllFormedBytesBecomeReplacementCharacters) {
    const std::u16string lone{0xD800, u'x', 0xDC00, 0xDE00, 0xD83D};
    EXPECT_EQ(Utf16ToUtf8(lone), "\xEF\xBF\xBDx\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    const std::u16string r(1, u'\uFFFD');
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), r + r + r);         // an encoded surrogate
    EXPECT_EQ(Utf8ToUtf16("\xC0\x80"), r + r);                 // overlong
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), r + r + r + r); // above U+10FFFF
    EXPECT_EQ(Utf8ToUtf16("a\xE2\x82"), u"a" + r + r);         // cut short by the end
    EXPECT_EQ(Utf8ToUtf16("\x80z\xFF"), r + u"z" + r);
    EXPECT_EQ(Utf8ToUtf16("\xE2\x28\xA1"), r + u"(" + r); // a bad second byte
}
