#include "text/codepages.h"
#include "text/scopeexit.h"

#include <gtest/gtest.h>

#include <stdexcept>

#if __has_include(<iconv.h>) && !defined(_WIN32)
#include <iconv.h>
#define MKB_HAVE_ICONV 1
#endif

using namespace mkb::text;

TEST(CodePages, EveryByteDecodesAndEncodesBack) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        EXPECT_EQ(Cp1251Byte(Cp1251Char(byte)), b);
        EXPECT_EQ(Cp1252Byte(Cp1252Char(byte)), b);
    }
    EXPECT_EQ(Cp1251Char(0x98), 0x98); // unassigned
    EXPECT_EQ(Cp1252Char(0x81), 0x81); // a hole
    EXPECT_EQ(Cp1251Byte(u'é'), -1);
    EXPECT_EQ(Cp1252Byte(u'Ж'), -1);
    EXPECT_EQ(Cp1252Byte(0x80), -1); // a C1 control the page has no byte for
    std::u16string out = u"x";
    AppendCp1251(out, "\xCC\xCA\xC1-10");
    EXPECT_EQ(out, u"xМКБ-10");
}

#ifdef MKB_HAVE_ICONV
namespace {

// The byte as the C library's iconv decodes it, or -1 where it has no character for it.
int IconvChar(const char* page, unsigned char byte) {
    iconv_t cd = iconv_open("UTF-16LE", page);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return -2;
    char in[1] = {static_cast<char>(byte)};
    unsigned char out[8] = {};
    char* inp = in;
    char* outp = reinterpret_cast<char*>(out);
    std::size_t inLeft = 1, outLeft = sizeof out;
    const std::size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1) || sizeof out - outLeft != 2)
        return -1;
    return out[0] | (out[1] << 8);
}

} // namespace

// The tables against a second source: every byte of both pages decoded by iconv. Bytes iconv
// has no character for are the pages' holes, which the tables keep as themselves.
TEST(CodePages, TablesAgreeWithIconv) {
    struct Page {
        const char* name;
        char16_t (*decode)(unsigned char);
    };
    const Page pages[] = {{"WINDOWS-1251", [](unsigned char b) { return Cp1251Char(b); }},
                          {"WINDOWS-1252", [](unsigned char b) { return Cp1252Char(b); }}};
    for (const Page& page : pages) {
        ASSERT_NE(IconvChar(page.name, 'A'), -2) << "iconv lacks " << page.name;
        int holes = 0;
        for (int b = 0; b < 256; ++b) {
            const auto byte = static_cast<unsigned char>(b);
            const int expected = IconvChar(page.name, byte);
            if (expected < 0) {
                ++holes;
                EXPECT_EQ(page.decode(byte), b) << page.name << " hole " << b;
            } else {
                EXPECT_EQ(page.decode(byte), expected) << page.name << " byte " << b;
            }
        }
        EXPECT_LE(holes, 5) << page.name;
    }
}
#endif

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
