#include "platform/qt/qtconvert.h"
#include "platform/unicode.h"

std::u16string UnicodeUpperCase(std::u16string_view text) {
    return FromQString(ToQString(text).toUpper());
}
