#pragma once
// The attributes of the current tag.
#include "html/read/symbols.h"
#include "html/style/properties.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace html {

struct TAttribute {
    THtmlSymbol Kind{symUnknownAttribute};
    std::u16string Name; // as read, upper case
    std::u16string Value;
    int Number{0};
    int CodePage{0}; // in force when the attribute was read
};

class TAttributeList {
public:
    void Clear();
    void Add(TAttribute attribute);
    int Count() const { return static_cast<int>(FItems.size()); }
    const TAttribute& operator[](int i) const { return FItems[i]; }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

    // The first attribute of that kind, or nullptr.
    const TAttribute* Find(THtmlSymbol kind) const;
    // class: trimmed, lower case, its words sorted and joined by ".".
    std::u16string ClassValue() const;
    // id, lower case; computed once per tag.
    const std::u16string& IdValue() const;
    std::u16string TitleValue() const;
    // style parsed into a record the list owns until the next call or tag; nullptr without one.
    TProperties* StyleProperties();
    // NAME=value, one per attribute.
    std::vector<std::u16string> AsStrings() const;

private:
    std::vector<TAttribute> FItems;
    mutable std::optional<std::u16string> FId;
    std::unique_ptr<TProperties> FStyle;
};

} // namespace html
