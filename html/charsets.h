#pragma once
// Character set names of charset attributes and content-type meta elements.
#include <string_view>

namespace html {

// The character set that the first known name contained in text gives. "euc-jp" gives
// SHIFTJIS_CHARSET; converting such a document to Shift-JIS is the builder's part.
bool CharSetFromName(std::u16string_view text, int& charSet);

} // namespace html
