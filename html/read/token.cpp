#include "html/read/token.h"

#include "platform/codepage.h"

namespace html {

namespace {

// The typical run fits the first allocation; longer runs grow geometrically, so a document of
// one huge run costs linear time.
constexpr std::size_t kInitialCapacity = 300;

bool IsNarrowPage(int codePage) {
    return codePage == 0 || codePage == NarrowCodePage;
}

// Source indexes of UTF-8 text decoded from one byte per character: each decoded unit takes
// the index of its sequence's lead byte, the second unit of a surrogate pair too.
void Utf8Indexes(const std::string& bytes, const std::vector<int>& byteIndexes, std::size_t units,
                 std::vector<int>& out) {
    std::size_t i = 0;
    while (i < bytes.size() && out.size() < units) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        std::size_t len = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        out.push_back(byteIndexes[i]);
        if (len == 4 && out.size() < units)
            out.push_back(byteIndexes[i]);
        i += len;
    }
    while (out.size() < units)
        out.push_back(byteIndexes.empty() ? 0 : byteIndexes.back());
}

} // namespace

TCharCollection::TCharCollection() {
    FChars.reserve(kInitialCapacity);
    FIndexes.reserve(kInitialCapacity);
}

void TCharCollection::Add(char16_t c, int sourceIndex) {
    FChars.push_back(c);
    FIndexes.push_back(sourceIndex);
}

void TCharCollection::Append(const TCharCollection& other) {
    FChars += other.FChars;
    FIndexes.insert(FIndexes.end(), other.FIndexes.begin(), other.FIndexes.end());
}

void TCharCollection::Clear() {
    FChars.clear();
    FIndexes.clear();
}

TokenObj::TokenObj() {
    FText.reserve(kInitialCapacity);
    FIndexes.reserve(kInitialCapacity);
}

void TokenObj::Clear() {
    FText.clear();
    FIndexes.clear();
}

void TokenObj::AddUnit(char16_t unit, int sourceIndex) {
    FText.push_back(unit);
    FIndexes.push_back(sourceIndex);
}

void TokenObj::AddString(std::u16string_view s, int sourceIndex) {
    for (char16_t c : s)
        AddUnit(c, sourceIndex);
}

void TokenObj::AddCollection(const TCharCollection& collection, int codePage) {
    const std::u16string& chars = collection.AsString();
    const std::vector<int>& indexes = collection.Indexes();
    if (IsNarrowPage(codePage)) {
        // Encoding to the narrow page and decoding with it again is the identity.
        FText += chars;
        FIndexes.insert(FIndexes.end(), indexes.begin(), indexes.end());
        return;
    }
    // Characters the narrow page cannot hold would become '?': they pass unchanged, and the
    // runs between them are converted.
    std::size_t i = 0;
    while (i < chars.size()) {
        unsigned char b;
        if (!EncodeNarrowChar(chars[i], b)) {
            AddUnit(chars[i], indexes[i]);
            ++i;
            continue;
        }
        std::string bytes;
        std::vector<int> byteIndexes;
        while (i < chars.size() && EncodeNarrowChar(chars[i], b)) {
            bytes.push_back(static_cast<char>(b));
            byteIndexes.push_back(indexes[i]);
            ++i;
        }
        std::u16string decoded = DecodeCodePage(bytes, codePage);
        if (decoded.empty())
            decoded = DecodeCodePage(bytes, NarrowCodePage);
        FText += decoded;
        if (decoded.size() == bytes.size()) {
            FIndexes.insert(FIndexes.end(), byteIndexes.begin(), byteIndexes.end());
        } else if (codePage == 65001) {
            std::vector<int> unitIndexes;
            Utf8Indexes(bytes, byteIndexes, decoded.size(), unitIndexes);
            FIndexes.insert(FIndexes.end(), unitIndexes.begin(), unitIndexes.end());
        } else {
            // Other multi-byte pages: each unit takes an index inside the run, in proportion.
            for (std::size_t k = 0; k < decoded.size(); ++k)
                FIndexes.push_back(byteIndexes[k * bytes.size() / decoded.size()]);
        }
    }
}

} // namespace html
