#pragma once
// Unicode text services of the platform.
#include <string>
#include <string_view>

// The platform's Unicode upper-casing (Cyrillic and Latin alike).
std::u16string UnicodeUpperCase(std::u16string_view text);
