#pragma once
// The HTML reader: turns a document text into start and end tags with their attributes, runs
// of text with the source index of every character, and the end of input. One instance serves
// one parse at a time.
#include "html/read/attributes.h"
#include "html/read/symbols.h"
#include "html/read/token.h"
#include "html/text/charsets.h"

#include <functional>
#include <string>

namespace html {

class THtmlReader {
public:
    // Prepares a copy of the text and puts the cursor before its first character. Call GetChar
    // and then NextSymbol to read. Returns Utf8Document.
    bool ResetReader(std::u16string_view text);
    // Back to the state ResetReader left (the builder's second pass).
    void Rewind();
    // Reads the next symbol; CurChar is then the first character after it. When the input ended
    // inside a comment or declaration, the step after the last complete symbol raises
    // EParseError "Open Comment at End of HTML File" instead of giving symEndOfInput.
    void NextSymbol();
    // Advances CurChar by one character, skipping comments and declarations.
    void GetChar();
    void SkipSpace();
    // With CurChar on '&': reads one character reference of an attribute value and returns
    // what it stands for (the characters as written when it is not a valid reference).
    std::u16string DecodeReference(int codePage);

    // The code page in force: what PropStack gives, else the narrow page.
    int CodePageInForce() const;

    char16_t CurChar{0};
    char16_t UpChar{0};
    int SourceIndex{-1};
    int TagStart{0};
    THtmlSymbol Symbol{symEndOfInput};
    TokenObj Token;
    TAttributeList Attributes;
    int HeadingLevel{0};
    bool InComment{false};
    int LineEndState{0};
    bool FirstPass{false};
    bool Utf8Document{false};

    // Gives the code page in force (the builder hands it its property stack). When set at
    // ResetReader, a document with the byte-order mark is reported to it.
    TCodePageSource* PropStack{nullptr};
    // An id attribute was read outside the first pass (the document's IdList records it).
    std::function<void(const std::u16string& Id, int SourceIndex)> OnRegisterId;

private:
    char16_t Fetch();
    void SetCurrent(char16_t c);
    char16_t PeekRaw() const { return FPos < FText.size() ? FText[FPos] : 0; }
    bool ReadTag();
    bool ReadText();
    bool ReadAttribute();
    void ReadTextReference();
    // The digits of a numeric reference after "&#" or "&#x": their value, kept to 16 bits, and
    // how many there were.
    int ReadReferenceDigits(bool hex, unsigned& value);
    void EmitCodePoint(char16_t value, int index, bool numeric);
    void Flush();

    std::u16string FText;
    std::size_t FPos{0};
    bool FOpenComment{false}; // the input ended inside <!...
    int FStartIndex{-1};
    TCharCollection FCollection;
};

} // namespace html
