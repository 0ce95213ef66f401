#include "platform/codepage.h"

#include "text/scopeexit.h"
#include "text/utf.h"

#include <cerrno>
#include <iconv.h>
#include <string>

namespace {

std::string CodePageName(int codePage) {
    if (codePage >= 28591 && codePage <= 28599)
        return "ISO-8859-" + std::to_string(codePage - 28590);
    if (codePage == 28605)
        return "ISO-8859-15";
    return "CP" + std::to_string(codePage);
}

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

// Runs iconv over the whole input; undecodable input is replaced, never dropped silently.
std::string IconvConvert(std::string_view in, const std::string& from, const std::string& to,
                         const std::string& replacement, std::size_t unit) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    TScopeExit close([cd] { iconv_close(cd); });
    std::string out;
    out.resize(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    while (srcLeft > 0) {
        std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        if (r != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG) {
            std::size_t used = out.size() - dstLeft;
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = out.size() - used;
            continue;
        }
        // EILSEQ or EINVAL: replace one input unit and go on.
        if (dstLeft < replacement.size()) {
            std::size_t used = out.size() - dstLeft;
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = out.size() - used;
        }
        std::copy(replacement.begin(), replacement.end(), dst);
        dst += replacement.size();
        dstLeft -= replacement.size();
        std::size_t skip = std::min(unit, srcLeft);
        src += skip;
        srcLeft -= skip;
    }
    // Pages that combine letters with accents (windows-1255, windows-1258) hold the last letter
    // back until they know nothing follows: it is flushed, not lost.
    for (int tries = 0; tries < 8; ++tries) {
        if (iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1) ||
            errno != E2BIG)
            break;
        const std::size_t used = out.size() - dstLeft;
        out.resize(out.size() * 2);
        dst = out.data() + used;
        dstLeft = out.size() - used;
    }
    out.resize(out.size() - dstLeft);
    return out;
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
    std::string raw = IconvConvert(bytes, CodePageName(codePage), "UTF-16LE", "\xFD\xFF", 1);
    out.resize(raw.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = char16_t(static_cast<unsigned char>(raw[2 * i]) |
                          (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
    return out;
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
    std::string raw;
    raw.reserve(text.size() * 2);
    for (char16_t c : text) {
        raw.push_back(static_cast<char>(c & 0xFF));
        raw.push_back(static_cast<char>(c >> 8));
    }
    return IconvConvert(raw, "UTF-16LE", CodePageName(codePage), "?", 2);
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
