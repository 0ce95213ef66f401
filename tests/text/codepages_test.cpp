#include "text/codepages.h"
#include "text/scopeexit.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace mkb::text;

TEST(CodePages, EveryByteDecodesAndEncodesBack) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        EXPECT_EQ(Cp1251Byte(Cp1251Char(byte)), b);
        EXPECT_EQ(Cp1252Byte(Cp1252Char(byte)), b);
    }
    EXPECT_EQ(Cp1251Char(0xC0), u'А');
    EXPECT_EQ(Cp1251Char(0xA8), u'Ё');
    EXPECT_EQ(Cp1251Char(0xB9), u'№');
    EXPECT_EQ(Cp1251Char(0x98), 0x98); // unassigned
    EXPECT_EQ(Cp1252Char(0x80), u'€');
    EXPECT_EQ(Cp1252Char(0x81), 0x81); // a hole
    EXPECT_EQ(Cp1252Char(0xE9), u'é');
    EXPECT_EQ(Cp1251Byte(u'é'), -1);
    EXPECT_EQ(Cp1252Byte(u'Ж'), -1);
    EXPECT_EQ(Cp1252Byte(0x80), -1); // a C1 control the page has no byte for
    std::u16string out = u"x";
    AppendCp1251(out, "\xCC\xCA\xC1-10");
    EXPECT_EQ(out, u"xМКБ-10");
}

TEST(ScopeExit, RunsOnEveryWayOutUnlessReleased) {
    int calls = 0;
    {
        TScopeExit count([&] { ++calls; });
    }
    EXPECT_THROW(
        {
            TScopeExit count([&] { ++calls; });
            throw std::runtime_error("leaving");
        },
        std::runtime_error);
    {
        TScopeExit count([&] { ++calls; });
        count.Release();
    }
    EXPECT_EQ(calls, 2);
}
