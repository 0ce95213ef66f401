// Code pages without a table of their own, through iconv.
#include "platform/backend.h"

#include "text/scopeexit.h"

#include <cerrno>
#include <iconv.h>
#include <string>

using namespace mkb::text;

namespace {

std::string CodePageName(int codePage) {
    if (codePage >= 28591 && codePage <= 28599)
        return "ISO-8859-" + std::to_string(codePage - 28590);
    if (codePage == 28605)
        return "ISO-8859-15";
    return "CP" + std::to_string(codePage);
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

std::u16string backend::DecodeCodePage(std::string_view bytes, int codePage) {
    std::u16string out;
    std::string raw = IconvConvert(bytes, CodePageName(codePage), "UTF-16LE", "\xFD\xFF", 1);
    out.resize(raw.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = char16_t(static_cast<unsigned char>(raw[2 * i]) |
                          (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
    return out;
}

std::string backend::EncodeCodePage(std::u16string_view text, int codePage) {
    std::string raw;
    raw.reserve(text.size() * 2);
    for (char16_t c : text) {
        raw.push_back(static_cast<char>(c & 0xFF));
        raw.push_back(static_cast<char>(c >> 8));
    }
    return IconvConvert(raw, "UTF-16LE", CodePageName(codePage), "?", 2);
}
