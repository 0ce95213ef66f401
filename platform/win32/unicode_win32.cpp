#include "platform/unicode.h"
#include "platform/win32/win32.h"

#include <climits>

std::u16string UnicodeUpperCase(std::u16string_view text) {
    std::u16string out(text);
    if (out.empty() || out.size() > static_cast<std::size_t>(INT_MAX))
        return out;
    // Linguistic casing of the invariant locale: the same for Cyrillic and Latin on every desktop,
    // one unit for one unit.
    const int n = LCMapStringEx(
        LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE | LCMAP_LINGUISTIC_CASING,
        reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()),
        reinterpret_cast<wchar_t*>(out.data()), static_cast<int>(out.size()), nullptr, nullptr, 0);
    if (n != static_cast<int>(out.size())) {
        out.assign(text);
        CharUpperBuffW(reinterpret_cast<wchar_t*>(out.data()), static_cast<DWORD>(out.size()));
    }
    return out;
}
