#pragma once
// Colour values of HTML attributes and style values: names, #hex and rgb().
#include "platform/types.h"

#include <cstddef>
#include <string_view>

namespace html {

// Whether text is a colour, and the colour. Hexadecimal colours carry PaletteFlag().
bool ParseColor(std::u16string_view text, bool needHash, TColor& color);

std::size_t ColorNameCount();
bool ColorNamesSorted();

} // namespace html
