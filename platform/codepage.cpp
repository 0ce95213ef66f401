// The table-driven code pages and the platform's page numbers; other pages go to the backend.
#include "platform/codepage.h"
#include "platform/backend.h"

#include "text/utf.h"

#include <string>

using namespace mkb::text;

namespace {

// 0, 1 and 2 are the platform's aliases for its narrow, OEM and Macintosh pages.
int ResolveCodePage(int codePage) {
    switch (codePage) {
    case 0:
        return NarrowCodePage;
    case 1:
        return OemCodePage;
    case 2:
        return MacCodePage;
    default:
        return codePage;
    }
}

} // namespace

std::u16string DecodeCodePage(std::string_view bytes, int codePage) {
    codePage = ResolveCodePage(codePage);
    std::u16string out;
    if (codePage == 1251) {
        AppendCp1251(out, bytes);
        return out;
    }
    if (codePage == 65001)
        return Utf8ToUtf16(bytes);
    if (codePage == 1252 || codePage == 28591) {
        out.reserve(bytes.size());
        for (unsigned char b : bytes)
            out.push_back(codePage == 1252 ? Cp1252Char(b) : char16_t(b));
        return out;
    }
    return backend::DecodeCodePage(bytes, codePage);
}

std::string EncodeCodePage(std::u16string_view text, int codePage) {
    codePage = ResolveCodePage(codePage);
    if (codePage == 65001)
        return Utf16ToUtf8(text);
    std::string out;
    if (codePage == 1251 || codePage == 1252) {
        out.reserve(text.size());
        for (char16_t c : text) {
            const int b = codePage == 1251 ? Cp1251Byte(c) : Cp1252Byte(c);
            out.push_back(b < 0 ? '?' : static_cast<char>(b));
        }
        return out;
    }
    return backend::EncodeCodePage(text, codePage);
}

int CharSetCodePage(int charSet, int fallback) {
    struct TPair {
        int CharSet;
        int CodePage;
    };
    static constexpr TPair kTable[] = {
        {0, 1252},   {1, 0},      {2, 0},      {77, 2},     {128, 932},  {129, 949},  {130, 1361},
        {134, 936},  {136, 950},  {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256},
        {186, 1257}, {204, 1251}, {222, 874},  {238, 1250}, {255, 1},
    };
    for (const TPair& p : kTable)
        if (p.CharSet == charSet)
            return p.CodePage;
    return fallback;
}

static_assert(NarrowCodePage == 1251, "the narrow page is table-driven as windows-1251");

bool EncodeNarrowChar(char16_t c, unsigned char& byte) {
    const int b = Cp1251Byte(c);
    if (b < 0)
        return false;
    byte = static_cast<unsigned char>(b);
    return true;
}
