#include "html/read/reader.h"

#include "html/read/htmlerrors.h"
#include "html/text/entities.h"
#include "html/text/htmlstrings.h"
#include "platform/codepage.h"

namespace html {

namespace {

constexpr char16_t CR = u'\r';
constexpr char16_t LF = u'\n';
constexpr std::size_t kMaxTagName = 255;
constexpr std::size_t kMaxReferenceName = 11;
constexpr int kMaxNulls = 100;

bool IsUpperLetter(char16_t c) {
    return c >= u'A' && c <= u'Z';
}
bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool IsAsciiAlnum(char16_t c) {
    return IsDigit(c) || IsUpperLetter(UpperAscii(c));
}
int HexValue(char16_t up) {
    if (IsDigit(up))
        return up - u'0';
    if (up >= u'A' && up <= u'F')
        return up - u'A' + 10;
    return -1;
}
bool IsWhite(char16_t c) {
    return c == u' ' || c == CR || c == LF || c == u'\t';
}

// The character that the narrow code page gives for one byte.
char16_t NarrowChar(unsigned char byte) {
    std::u16string s = DecodeCodePage(std::string(1, static_cast<char>(byte)), NarrowCodePage);
    return s.empty() ? u'?' : s[0];
}

// Decimal value of the number at the start of s, rounded; 0 when there is none.
int LeadingNumber(std::u16string_view s) {
    TNumberUnit nu = SplitNumberUnit(s);
    return nu.HasNumber ? RoundHalfEven(nu.Number) : 0;
}

} // namespace

bool THtmlReader::ResetReader(std::u16string_view text) {
    FText.assign(text);
    int nulls = 0;
    for (std::size_t i = 0; i < FText.size(); ++i) {
        if (FText[i] != 0)
            continue;
        if (nulls == kMaxNulls) {
            FText.resize(i);
            break;
        }
        FText[i] = u' ';
        ++nulls;
    }
    Utf8Document = false;
    FStartIndex = -1;
    // The UTF-8 byte-order mark EF BB BF as read through the narrow code page 1251.
    if (FText.size() > 3 && FText[0] == 0x043F && FText[1] == 0x00BB && FText[2] == 0x0457) {
        FText.erase(0, 3);
        FStartIndex = 2;
        Utf8Document = true;
    }
    Rewind();
    if (Utf8Document && PropStack)
        PropStack->MarkUtf8Document();
    return Utf8Document;
}

void THtmlReader::Rewind() {
    FPos = 0;
    SourceIndex = FStartIndex;
    LineEndState = 0;
    InComment = false;
    FOpenComment = false;
    CurChar = UpChar = 0;
    HeadingLevel = 0;
    Symbol = symEndOfInput;
    Token.Clear();
    Attributes.Clear();
    FCollection.Clear();
}

int THtmlReader::CodePageInForce() const {
    const int page = PropStack ? PropStack->CodePageInForce() : 0;
    return page == 0 ? NarrowCodePage : page;
}

void THtmlReader::SetCurrent(char16_t c) {
    CurChar = c;
    UpChar = UpperAscii(c);
}

char16_t THtmlReader::Fetch() {
    auto take = [this]() -> char16_t {
        if (FPos >= FText.size())
            return 0;
        ++SourceIndex;
        return FText[FPos++];
    };
    char16_t c = take();
    // The second half of a CR LF or LF CR pair is dropped.
    if ((c == LF && LineEndState == 1) || (c == CR && LineEndState == 2))
        c = take();
    if (c == LF) {
        c = CR;
        LineEndState = 2;
    } else if (c == CR) {
        LineEndState = 1;
    } else {
        LineEndState = 0;
        if (c == u'\t')
            c = u' ';
    }
    SetCurrent(c);
    if (c == 0 && InComment) {
        // Raised by the next symbol step, so that the symbol before the comment is complete.
        FOpenComment = true;
        InComment = false;
    }
    return c;
}

void THtmlReader::GetChar() {
    Fetch();
    while (CurChar == u'<') {
        const char16_t next = PeekRaw();
        if (next == u'!') {
            Fetch(); // the '!'
            InComment = true;
            Fetch();
            if (CurChar == u'-' && PeekRaw() == u'-') {
                Fetch();
                Fetch();
                while (CurChar != 0) {
                    while (CurChar != u'-' && CurChar != 0)
                        Fetch();
                    Fetch();
                    if (CurChar != u'-')
                        continue;
                    while (CurChar == u'-')
                        Fetch();
                    while (CurChar == u' ' || CurChar == CR)
                        Fetch();
                    if (CurChar == u'!')
                        Fetch();
                    if (CurChar == u'>')
                        break;
                }
            } else {
                while (CurChar != u'>' && CurChar != 0)
                    Fetch();
            }
            if (CurChar == 0)
                return; // the open comment is reported by NextSymbol
            InComment = false;
            Fetch();
        } else if (next == u'%') {
            Fetch(); // the '%'
            Fetch();
            while (CurChar != 0 && !(CurChar == u'%' && PeekRaw() == u'>'))
                Fetch();
            if (CurChar == u'%')
                Fetch(); // the '>'
            Fetch();
        } else {
            break;
        }
    }
}

void THtmlReader::SkipSpace() {
    while (CurChar == u' ' || CurChar == CR)
        GetChar();
}

void THtmlReader::NextSymbol() {
    Token.Clear();
    if (CurChar == 0) {
        Symbol = symEndOfInput;
        if (FOpenComment)
            throw EParseError("Open Comment at End of HTML File");
        return;
    }
    bool consumed = UpChar == u'<' ? ReadTag() : ReadText();
    if (!consumed) {
        // A control character 1 to 8: read as '?' by the next step.
        SetCurrent(u'?');
        Symbol = symText;
    }
}

bool THtmlReader::ReadTag() {
    TagStart = SourceIndex;
    GetChar();
    bool endTag = false;
    if (UpChar == u'/') {
        endTag = true;
        GetChar();
    } else if (UpChar != u'?' && !IsUpperLetter(UpChar)) {
        Symbol = symText;
        Token.AddUnit(u'<', TagStart);
        return true;
    }

    Symbol = symUnknownTag;
    std::u16string name;
    for (;;) {
        const char16_t c = UpChar;
        if (!(c == u'/' || IsDigit(c) || IsUpperLetter(c) || c == u'_'))
            break;
        if (c == u'/' && !name.empty()) {
            GetChar(); // the '/' of "<br/>"
            break;
        }
        if (name.size() < kMaxTagName)
            name += c;
        GetChar();
        if (name == u"H" && UpChar >= u'1' && UpChar <= u'6')
            break;
    }
    Symbol = LookupTag(name, endTag);

    SkipSpace();
    HeadingLevel = 0;
    if ((Symbol == symH || Symbol == symHEnd) && UpChar >= u'1' && UpChar <= u'6') {
        HeadingLevel = UpChar - u'0';
        GetChar();
    }
    Attributes.Clear();
    while (ReadAttribute()) {
    }
    while (UpChar != u'>' && UpChar != 0)
        GetChar();
    if (UpChar == u'>' && Symbol != symScript && Symbol != symStyle)
        GetChar();
    return true;
}

bool THtmlReader::ReadAttribute() {
    SkipSpace();
    if (!IsUpperLetter(UpChar))
        return false;
    TAttribute a;
    while (IsUpperLetter(UpChar) || IsDigit(UpChar) || UpChar == u'-') {
        a.Name += UpChar;
        GetChar();
    }
    a.Kind = LookupAttribute(a.Name);
    a.CodePage = CodePageInForce();
    SkipSpace();
    a.Number = a.Kind == symAttrBorder ? 1 : 0;
    if (UpChar == u'=') {
        GetChar();
        SkipSpace();
        if (UpChar == u'"' || UpChar == u'\'') {
            const char16_t quote = CurChar;
            const bool keepLineEnds = a.Kind == symAttrTitle || a.Kind == symAttrAlt;
            GetChar();
            while (CurChar != quote && CurChar != 0) {
                if (CurChar == CR) {
                    if (keepLineEnds)
                        a.Value += u"\r\n";
                    GetChar();
                } else if (CurChar == u'&') {
                    a.Value += DecodeReference(0);
                } else {
                    a.Value += CurChar;
                    GetChar();
                }
            }
            if (CurChar == quote)
                GetChar();
            std::u16string t = Trim(a.Value);
            if (!t.empty() && t.find(u'%') == t.size() - 1)
                t.pop_back();
            if (!t.empty() && (t[0] == u'+' || t[0] == u'-' || t[0] == u'.' || IsDigit(t[0])))
                a.Number = LeadingNumber(t);
            else
                a.Number = 0;
        } else if (UpChar == u'+' || UpChar == u'-' || IsDigit(UpChar)) {
            while (CurChar != 0 && CurChar != u' ' && CurChar != CR && CurChar != u'%' &&
                   CurChar != u'>') {
                if (CurChar == u'&') {
                    a.Value += DecodeReference(a.CodePage);
                } else {
                    a.Value += CurChar;
                    GetChar();
                }
            }
            SkipSpace();
            a.Number = LeadingNumber(a.Value);
            if (CurChar == u'%') {
                a.Value += u'%';
                GetChar();
            }
        } else {
            while (CurChar != 0 && CurChar != u' ' && CurChar != CR && CurChar != u'>') {
                if (CurChar == u'&') {
                    a.Value += DecodeReference(a.CodePage);
                } else {
                    a.Value += CurChar;
                    GetChar();
                }
            }
        }
    }
    if (a.Kind == symAttrId && !a.Value.empty() && !FirstPass && OnRegisterId)
        OnRegisterId(a.Value, SourceIndex);
    Attributes.Add(std::move(a));
    return true;
}

int THtmlReader::ReadReferenceDigits(bool hex, unsigned& value) {
    value = 0;
    int digits = 0;
    for (;;) {
        const int d = hex ? HexValue(UpChar) : (IsDigit(CurChar) ? CurChar - u'0' : -1);
        if (d < 0)
            return digits;
        value = (value * (hex ? 16 : 10) + static_cast<unsigned>(d)) & 0xFFFF;
        ++digits;
        GetChar();
    }
}

std::u16string THtmlReader::DecodeReference(int codePage) {
    std::u16string written = u"&";
    GetChar();
    if (CurChar == u'#') {
        written += CurChar;
        GetChar();
        const bool hex = UpChar == u'X';
        if (hex) {
            written += CurChar;
            GetChar();
        }
        unsigned value = 0;
        const int digits = ReadReferenceDigits(hex, value);
        if (digits == 0)
            return written;
        if (CurChar == u';')
            GetChar();
        if (value == u'\t')
            return u" ";
        if (value < 32)
            return u"?";
        if (value >= 127 && value <= 159) {
            std::u16string s = DecodeCodePage(std::string(1, static_cast<char>(value)), codePage);
            return s.empty() ? u"?" : s;
        }
        return std::u16string(1, static_cast<char16_t>(value));
    }
    std::u16string name;
    while (name.size() < kMaxReferenceName && IsAsciiAlnum(CurChar)) {
        name += CurChar;
        GetChar();
    }
    written += name;
    char16_t code;
    if (!FindNamedReference(name, code))
        return written;
    if (CurChar == u';')
        GetChar();
    else if (code > 255)
        return written;
    return std::u16string(1, code);
}

void THtmlReader::Flush() {
    if (FirstPass || FCollection.Count() == 0)
        return;
    Token.AddCollection(FCollection, CodePageInForce());
    FCollection.Clear();
}

void THtmlReader::EmitCodePoint(char16_t value, int index, bool numeric) {
    if (FirstPass)
        return;
    if (value == u'\t') {
        FCollection.Add(u' ', index);
    } else if (value < 32) {
        FCollection.Add(u'?', index);
    } else if (numeric && value >= 127 && value <= 159) {
        // A byte of the document's code page.
        FCollection.Add(NarrowChar(static_cast<unsigned char>(value)), index);
    } else {
        Flush();
        Token.AddUnit(value, index);
    }
}

void THtmlReader::ReadTextReference() {
    const int amp = SourceIndex;
    TCharCollection written;
    written.Add(u'&', amp);
    GetChar();
    if (CurChar == u'#') {
        written.Add(CurChar, SourceIndex);
        GetChar();
        const bool hex = UpChar == u'X';
        if (hex) {
            written.Add(CurChar, SourceIndex);
            GetChar();
        }
        unsigned value = 0;
        const int digits = ReadReferenceDigits(hex, value);
        if (digits == 0) {
            if (!FirstPass)
                FCollection.Append(written);
            return;
        }
        if (CurChar == u';')
            GetChar();
        EmitCodePoint(static_cast<char16_t>(value), amp, true);
        return;
    }
    std::u16string name;
    while (name.size() < kMaxReferenceName && IsAsciiAlnum(CurChar)) {
        name += CurChar;
        written.Add(CurChar, SourceIndex);
        GetChar();
    }
    char16_t code;
    if (FindNamedReference(name, code)) {
        if (CurChar == u';')
            GetChar();
        EmitCodePoint(code, amp, false);
    } else if (!FirstPass) {
        FCollection.Append(written);
    }
}

bool THtmlReader::ReadText() {
    Symbol = symText;
    if (CurChar <= 8 || CurChar == u'<')
        return false;
    FCollection.Clear();
    while (CurChar > 8 && CurChar != u'<') {
        if (CurChar == u'&') {
            Flush();
            ReadTextReference();
            continue;
        }
        if (IsWhite(CurChar)) {
            if (!FirstPass)
                FCollection.Add(u' ', SourceIndex);
            do
                GetChar();
            while (IsWhite(CurChar));
            continue;
        }
        if (!FirstPass)
            FCollection.Add(CurChar, SourceIndex);
        GetChar();
    }
    Flush();
    return true;
}

} // namespace html
