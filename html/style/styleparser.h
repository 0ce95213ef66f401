#pragma once
// Declarations of a style attribute ("color: red; margin-left: 4px") as a property record.
#include "html/style/properties.h"

#include <memory>
#include <string_view>

namespace html {

// Sets the values of the declarations it can map to the 60 properties (with the shorthands
// margin, padding, border, border-width, border-color, border-style and background); unknown
// properties and values that do not parse are skipped. Explicit flags stay clear: the record
// is merged like a style rule.
std::unique_ptr<TProperties> ParseStyleDeclarations(std::u16string_view text);

// Applies one declaration to a record; false when the property is not one it maps.
bool ApplyDeclaration(TProperties& record, std::u16string_view name, std::u16string_view value);

} // namespace html
