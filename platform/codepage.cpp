#include "platform/codepage.h"

#include <array>
#include <cerrno>
#include <iconv.h>
#include <string>

namespace {

// Upper halves of the two table-driven pages; 0x98 of windows-1251 is unassigned and keeps its
// C1 value, as the Windows converter does.
constexpr std::array<char16_t, 128> kCp1251 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F};

// windows-1252 differs from Latin-1 only in 80..9F; its five holes keep their C1 values.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Cp1252Char(unsigned char b) {
    if (b >= 0x80 && b < 0xA0)
        return kCp1252High[b - 0x80];
    return b;
}

std::string CodePageName(int codePage) {
    if (codePage == 65001)
        return "UTF-8";
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

template <typename Table> int ReverseLookup(const Table& table, char16_t c, int base) {
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i] == c)
            return base + static_cast<int>(i);
    return -1;
}

// Runs iconv over the whole input; undecodable input is replaced, never dropped silently.
std::string IconvConvert(std::string_view in, const std::string& from, const std::string& to,
                         const std::string& replacement, std::size_t unit) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
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
    out.resize(out.size() - dstLeft);
    iconv_close(cd);
    return out;
}

} // namespace

void AppendCp1251(std::u16string& out, std::string_view bytes) {
    std::size_t start = out.size();
    out.resize(start + bytes.size());
    char16_t* dst = out.data() + start;
    for (unsigned char b : bytes)
        *dst++ = b < 0x80 ? char16_t(b) : kCp1251[b - 0x80];
}

std::u16string DecodeCodePage(std::string_view bytes, int codePage) {
    codePage = ResolveCodePage(codePage);
    std::u16string out;
    if (codePage == 1251) {
        AppendCp1251(out, bytes);
        return out;
    }
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
    std::string out;
    if (codePage == 1251 || codePage == 1252) {
        out.reserve(text.size());
        for (char16_t c : text) {
            if (c < 0x80) {
                out.push_back(static_cast<char>(c));
                continue;
            }
            int b = -1;
            if (codePage == 1251)
                b = ReverseLookup(kCp1251, c, 0x80);
            else if (c >= 0xA0 && c <= 0xFF)
                b = c;
            else
                b = ReverseLookup(kCp1252High, c, 0x80);
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
    if (c < 0x80) {
        byte = static_cast<unsigned char>(c);
        return true;
    }
    int b = ReverseLookup(kCp1251, c, 0x80);
    if (b < 0)
        return false;
    byte = static_cast<unsigned char>(b);
    return true;
}
