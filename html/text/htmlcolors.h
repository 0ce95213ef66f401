#pragma once
// Colour values of HTML attributes and style values: names, #hex and rgb().
#include "platform/types.h"

#include <cstddef>
#include <string_view>

namespace html {

// 0x02000000 on a display of 8 bits per pixel or fewer, else 0; measured once.
TColor PaletteFlag();

// Whether text is a colour, and the colour. Hexadecimal colours carry PaletteFlag().
bool ParseColor(std::u16string_view text, bool needHash, TColor& color);

std::size_t ColorNameCount();
bool ColorNamesSorted();

} // namespace html
