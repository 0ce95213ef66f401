#include "text/codepages.h"

namespace mkb::text {

namespace {

template <std::size_t N>
int ReverseLookup(const std::array<char16_t, N>& table, char32_t c, int base) {
    for (std::size_t i = 0; i < N; ++i)
        if (table[i] == c)
            return base + static_cast<int>(i);
    return -1;
}

} // namespace

int Cp1251Byte(char32_t c) {
    return c < 0x80 ? static_cast<int>(c) : ReverseLookup(Cp1251High, c, 0x80);
}

int Cp1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    return ReverseLookup(Cp1252C1, c, 0x80);
}

void AppendCp1251(std::u16string& out, std::string_view bytes) {
    const std::size_t start = out.size();
    out.resize(start + bytes.size());
    char16_t* dst = out.data() + start;
    for (unsigned char b : bytes)
        *dst++ = Cp1251Table[b];
}

} // namespace mkb::text
