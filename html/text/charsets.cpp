#include "html/text/charsets.h"

#include "html/text/htmlstrings.h"

namespace html {

bool CharSetFromName(std::u16string_view text, int& charSet) {
    struct TName {
        std::u16string_view Name;
        int CharSet;
    };
    // Searched in this order; the first contained name wins ("8859-1" before "8859-15").
    static constexpr TName kNames[] = {
        {u"1252", 0},         {u"8859-1", 0},    {u"1253", 161},       {u"8859-7", 161},
        {u"1250", 238},       {u"8859-2", 31},   {u"1251", 204},       {u"8859-5", 204},
        {u"koi", 204},        {u"866", 204},     {u"1254", 162},       {u"8859-3", 162},
        {u"8859-9", 162},     {u"1257", 186},    {u"8859-4", 186},     {u"932", 128},
        {u"949", 129},        {u"936", 134},     {u"950", 136},        {u"1255", 177},
        {u"1256", 178},       {u"1258", 163},    {u"874", 222},        {u"ansi", 0},
        {u"default", 1},      {u"symbol", 2},    {u"shiftjis", 128},   {u"shift_jis", 128},
        {u"x-sjis", 128},     {u"hangeul", 129}, {u"gb2312", 134},     {u"big5", 136},
        {u"oem", 255},        {u"johab", 130},   {u"hebrew", 177},     {u"arabic", 178},
        {u"greek", 161},      {u"turkish", 162}, {u"vietnamese", 163}, {u"thai", 222},
        {u"easteurope", 238}, {u"russian", 204}, {u"euc-kr", 129},     {u"5601", 129},
        {u"euc-jp", 128},     {u"8859-15", 0},   {u"tis-620", 222},
    };
    const std::u16string lower = LowerCase(text);
    for (const TName& n : kNames) {
        if (Contains(lower, n.Name)) {
            charSet = n.CharSet;
            return true;
        }
    }
    return false;
}

} // namespace html
