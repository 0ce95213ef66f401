#pragma once
// Named character references (case-sensitive names).
#include <cstddef>
#include <string_view>

namespace html {

// The code point of the named reference, if the list holds the name.
bool FindNamedReference(std::u16string_view name, char16_t& code);
std::size_t NamedReferenceCount();
bool NamedReferencesSorted();

} // namespace html
