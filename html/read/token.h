#pragma once
// Text runs of the reader: UTF-16 units with the source index each came from.
#include <string>
#include <vector>

namespace html {

// Characters waiting for code-page decoding.
class TCharCollection {
public:
    TCharCollection();
    void Add(char16_t c, int sourceIndex);
    void Append(const TCharCollection& other);
    void Clear();
    int Count() const { return static_cast<int>(FChars.size()); }
    const std::u16string& AsString() const { return FChars; }
    const std::vector<int>& Indexes() const { return FIndexes; }

private:
    std::u16string FChars;
    std::vector<int> FIndexes;
};

// A text run of the current text symbol.
class TokenObj {
public:
    TokenObj();
    void Clear();
    void AddUnit(char16_t unit, int sourceIndex);
    void AddString(std::u16string_view s, int sourceIndex); // every unit with one index
    // Encodes the collection with the narrow code page and decodes the bytes with codePage
    // (falling back to the narrow page when that yields nothing).
    void AddCollection(const TCharCollection& collection, int codePage);
    int Count() const { return static_cast<int>(FText.size()); }
    const std::u16string& AsString() const { return FText; }
    const std::vector<int>& Indexes() const { return FIndexes; }

private:
    std::u16string FText;
    std::vector<int> FIndexes;
};

} // namespace html
