#include "platform/unicode.h"
#include "platform/qt/qtconvert.h"

std::u16string UnicodeUpperCase(std::u16string_view text) {
    return FromQString(ToQString(text).toUpper());
}
