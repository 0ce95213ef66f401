#pragma once
// Character set names of charset attributes and content-type meta elements.
#include <string_view>

namespace html {

// The character set that the first known name contained in text gives. "euc-jp" gives
// SHIFTJIS_CHARSET; converting such a document to Shift-JIS is the builder's part.
bool CharSetFromName(std::u16string_view text, int& charSet);

// Where the reader learns the code page in force while it reads: the records of the open
// elements, which the builder keeps. The reader knows nothing else of them.
class TCodePageSource {
public:
    // The code page of the innermost open element; 0 for the narrow code page.
    virtual int CodePageInForce() const = 0;
    // The text began with the UTF-8 byte-order mark: the document's base takes code page
    // 65001 and character set 0.
    virtual void MarkUtf8Document() = 0;

protected:
    ~TCodePageSource() = default;
};

} // namespace html
