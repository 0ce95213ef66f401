#include "xml/xmlparser.h"

#include "text/codepages.h"
#include "text/utf.h"
#include "xml/scantext.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <sys/stat.h>

#if defined(__SSE2__)
#include <emmintrin.h>

using namespace mkb::text;
#endif

namespace {

using xmlscan::StartsWith;

enum : unsigned char {
    kWhite = 1,
    kTagDelim = 2,
    kPIDelim = 4,
    kAttrDelim = 8,
    kStarter = 16,
    kTextStop = 32
};

constexpr std::array<unsigned char, 256> MakeClasses() {
    std::array<unsigned char, 256> t{};
    for (unsigned char c : {'\t', '\n', '\r', ' '})
        t[c] |= kWhite | kTagDelim | kPIDelim | kAttrDelim;
    for (unsigned char c : {'\0', '>'})
        t[c] |= kTagDelim | kPIDelim | kAttrDelim;
    for (unsigned char c : {'\0', '<', '&'})
        t[c] |= kTextStop;
    t['/'] |= kTagDelim | kAttrDelim;
    t['?'] |= kPIDelim;
    t['='] |= kAttrDelim;
    t[':'] |= kStarter;
    t['_'] |= kStarter;
    for (int c = 'A'; c <= 'Z'; ++c)
        t[c] |= kStarter;
    for (int c = 'a'; c <= 'z'; ++c)
        t[c] |= kStarter;
    for (int c = 0xC0; c <= 0xFF; ++c)
        if (c != 0xD7 && c != 0xF7)
            t[c] |= kStarter;
    return t;
}
constexpr std::array<unsigned char, 256> kClass = MakeClasses();

inline bool Is(char c, unsigned char cls) {
    return kClass[static_cast<unsigned char>(c)] & cls;
}
inline bool IsWhite(char c) {
    return Is(c, kWhite);
}

#if !defined(__SSE2__)
// Whether the eight bytes at p are all TAB, LF, CR or space: the bytes that are none of them
// leave a high bit set.
inline bool AllWhite8(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    constexpr std::uint64_t ones = 0x0101010101010101u, lows = 0x7F7F7F7F7F7F7F7Fu, highs = ~lows;
    // Exactly the zero bytes get their high bit (no borrow runs between bytes).
    auto zeroAt = [](std::uint64_t v) { return ~(((v & lows) + lows) | v | lows); };
    const std::uint64_t hits = zeroAt(w ^ (ones * ' ')) | zeroAt(w ^ (ones * '\n')) |
                               zeroAt(w ^ (ones * '\r')) | zeroAt(w ^ (ones * '\t'));
    return hits == highs;
}
#endif

// The first character at or after p that is not TAB, LF, CR or space; sixteen characters at a
// time while the text [start, end) is known to go on that far. Indentation is mostly shorter
// than eight characters, so one vector compare usually settles it.
inline const char* SkipWhite(const char* p, const char* start, const char* end) {
    const auto lo = reinterpret_cast<std::uintptr_t>(start);
    const auto hi = reinterpret_cast<std::uintptr_t>(end);
#if defined(__SSE2__)
    while (reinterpret_cast<std::uintptr_t>(p) >= lo &&
           reinterpret_cast<std::uintptr_t>(p) + 16 <= hi) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i white = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(' ')),
                                                        _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))),
                                           _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                                        _mm_cmpeq_epi8(v, _mm_set1_epi8('\t'))));
        const unsigned other = ~static_cast<unsigned>(_mm_movemask_epi8(white)) & 0xFFFFu;
        if (other != 0)
            return p + __builtin_ctz(other);
        p += 16;
    }
#else
    while (reinterpret_cast<std::uintptr_t>(p) >= lo &&
           reinterpret_cast<std::uintptr_t>(p) + 8 <= hi && AllWhite8(p))
        p += 8;
#endif
    while (IsWhite(*p))
        ++p;
    return p;
}

// The first "<", "&" or zero at or after p. Most texts between tags are a few characters long,
// found before a library call would have been set up; longer ones go on with the library's search.
inline const char* TextStop(const char* p) {
    for (int i = 0; i < 16; ++i, ++p)
        if (Is(*p, kTextStop))
            return p;
    return p + std::strcspn(p, "<&");
}

constexpr char kDefaultChar = '\xBF';

// The Windows-1252 byte for a code point, or the default character.
char Cp1252ByteOrDefault(long code) {
    const int byte = code < 0 ? -1 : ::Cp1252Byte(static_cast<char32_t>(code));
    return byte < 0 ? kDefaultChar : static_cast<char>(byte);
}

void Utf8ToCp1252(std::string_view s, std::string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const unsigned char* end = p + s.size();
    while (p < end) {
        unsigned char b = *p;
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++p;
        } else if ((b & 0xE0) == 0xC0 && end - p >= 2) {
            out.push_back(Cp1252ByteOrDefault(((b & 0x1F) << 6) | (p[1] & 0x3F)));
            p += 2;
        } else if ((b & 0xF0) == 0xE0 && end - p >= 3) {
            out.push_back(
                Cp1252ByteOrDefault(((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F)));
            p += 3;
        } else {
            // A stray continuation byte, a longer sequence, or one cut off by the end: skip the
            // byte and the rest of its sequence as its leading ones announce it.
            int ones = 0;
            while (ones < 8 && (b & (0x80 >> ones)))
                ++ones;
            out.push_back(kDefaultChar);
            std::ptrdiff_t skip = ones < 1 ? 1 : ones;
            p += std::min<std::ptrdiff_t>(skip, end - p);
        }
    }
}

std::string ToUpperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

} // namespace

// ---- display names ----

const char* DisplayName(TXmlPartKind kind) {
    static const char* const names[] = {
        "",          "XML Prolog", "Comment", "PI",   "DTD Declaration",
        "Start Tag", "Empty Tag",  "End Tag", "Text", "CDATA"};
    return static_cast<unsigned>(kind) < std::size(names) ? names[kind] : "";
}
const char* DisplayName(TAttrValueKind kind) {
    static const char* const names[] = {"Normal", "Implied", "Fixed", "Default"};
    return names[static_cast<int>(kind)];
}
const char* DisplayName(TAttrKind kind) {
    static const char* const names[] = {"Unknown",  "CDATA",    "ID",         "IDREF",
                                        "IDREFS",   "ENTITY",   "ENTITIES",   "NMTOKEN",
                                        "NMTOKENS", "Notation", "Enumeration"};
    return names[static_cast<int>(kind)];
}
const char* DisplayName(TElemContentKind kind) {
    static const char* const names[] = {"Empty", "Any", "Childs only", "Mixed"};
    return names[static_cast<int>(kind)];
}
const char* DisplayName(TAttrDefaultKind kind) {
    static const char* const names[] = {"Default", "Required", "Implied", "Fixed"};
    return names[static_cast<int>(kind)];
}

// ---- entity stack ----

void TEntityStack::Push(std::unique_ptr<TXmlParser> owner, const std::string& encoding,
                        const char* resume, const TEntityDef* entity) {
    FNodes.push_back({std::move(owner), encoding, resume, entity});
}

bool TEntityStack::Includes(const TEntityDef* entity) const {
    for (const TEntityStackNode& node : FNodes)
        if (node.Entity == entity)
            return true;
    return false;
}

// Rare, and with a scanner to free: kept out of the scan step's way.
[[gnu::noinline]] const char* TEntityStack::Pop(std::string& encoding) {
    if (FNodes.empty())
        return nullptr;
    TEntityStackNode node = std::move(FNodes.back());
    FNodes.pop_back();
    if (!node.Encoding.empty())
        encoding = node.Encoding;
    return node.Resume;
}

void TEntityStack::Clear() {
    FNodes.clear();
}

// ---- loading ----

TXmlParser::TXmlParser() = default;

TXmlParser::~TXmlParser() {
    ResetDocument();
}

void TXmlParser::ResetDocument() {
    FBuffer.reset();
    FSize = 0;
    SourceName.clear();
    XmlVersion.clear();
    RootElementName.clear();
    Encoding = "UTF-8";
    CurrentEncoding = "UTF-8";
    Standalone = false;
    DoctypeEnd = nullptr;
    FDoctypeStart = nullptr;
    NormalizeText = true;
    EntityStack.Clear();
    ElementDefinitions.Clear();
    EntityDefinitions.Clear();
    ParameterEntityDefinitions.Clear();
    NotationDefinitions.Clear();
    PartAttributes.Clear();
    FRetired.clear();
    FDeclarationsRead = false;
    Rewind();
}

void TXmlParser::Rewind() {
    PartKind = xpNone;
    PartName.clear();
    PartContent.clear();
    PartStart = nullptr;
    PartEnd = nullptr;
    PartAttributes.Clear();
    EntityStack.Clear();
    FStarted = false;
    FExpanded = 0;
    FExpanding.clear();
    FSemiFrom = FSemiFound = nullptr;
    // A new pass reads the text as the first one did, whatever encoding the last one ended in.
    CurrentEncoding = "UTF-8";
}

bool TXmlParser::LoadFromMemory(const char* text) {
    ResetDocument();
    if (!text)
        return false;
    std::size_t size = std::strlen(text);
    if (size > SIZE_MAX - 2 || !FBuffer.Allocate(size + 2))
        return false;
    FBuffer[0] = '\0';
    std::memcpy(FBuffer.get() + 1, text, size + 1);
    FSize = size;
    SourceName = u"<MEM>";
    return true;
}

bool TXmlParser::ReadDocumentFile(const std::u16string& path, TShareMode) {
    ResetDocument();
    std::FILE* f = std::fopen(Utf16ToUtf8(path).c_str(), "rb");
    if (!f)
        return false;
    // Only a regular file has a size worth trusting: a folder or a device reports nonsense.
    struct stat info {};
    bool ok = fstat(fileno(f), &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0;
    std::size_t size = ok ? static_cast<std::size_t>(info.st_size) : 0;
    if (ok && size <= SIZE_MAX - 2 && FBuffer.Allocate(size + 2)) {
        FBuffer[0] = '\0';
        ok = std::fread(FBuffer.get() + 1, 1, size, f) == size;
        FBuffer[size + 1] = '\0';
    } else {
        ok = false;
    }
    std::fclose(f);
    if (!ok) {
        ResetDocument();
        return false;
    }
    FSize = size;
    SourceName = path;
    return true;
}

std::string_view TXmlParser::DocumentText() const {
    if (!FBuffer)
        return {};
    return {FBuffer.get() + 1, FSize};
}

const char* TXmlParser::TextEnd() const {
    return FBuffer.get() + 1 + FSize;
}

const char* TXmlParser::Find(const char* p, std::string_view what) const {
    // In the document its end is known, which allows the library's fast bounded search; an
    // included text is searched up to its zero.
    const auto at = reinterpret_cast<std::uintptr_t>(p);
    const auto start = reinterpret_cast<std::uintptr_t>(TextStart());
    const auto end = reinterpret_cast<std::uintptr_t>(TextEnd());
    if (FBuffer && at >= start && at <= end)
        return xmlscan::FindText(p, what, TextEnd());
    return xmlscan::FindText(p, what);
}

const char* TXmlParser::LastChar(const char* from) const {
    return from + std::strlen(from) - 1;
}

// ---- the scan step ----

[[gnu::noinline]] const char* TXmlParser::FirstPartStart() {
    FStarted = true;
    const char* start = TextStart();
    if (StartsWith(start, "\xEF\xBB\xBF")) {
        start += 3;
        Encoding = "UTF-8";
    }
    return start;
}

[[gnu::noinline]] const char* TXmlParser::LeaveInclusions(const char* start) {
    // An included text that ends returns to where it was referenced, level by level.
    while (*start == '\0' && !EntityStack.Empty())
        start = EntityStack.Pop(CurrentEncoding);
    return start;
}

bool TXmlParser::NextPart() {
    if (!FBuffer)
        return false;
    for (;;) {
        FDeliver = true;
        const char* start = FStarted ? PartEnd + 1 : FirstPartStart();
        if (*start == '\0') [[unlikely]] {
            start = LeaveInclusions(start);
            if (!start || *start == '\0') {
                PartStart = TextEnd();
                PartEnd = PartStart - 1;
                EntityStack.Clear();
                FDeclarationsRead = true;
                return false;
            }
        }
        if (IsWhite(*start) && NormalizeText) {
            // Indentation before a tag is a text part that withdraws itself: only the content it
            // empties is left of it.
            const char* q = SkipWhite(start, TextStart(), TextEnd());
            if (*q == '<') {
                PartContent.clear();
                start = q;
            }
        }
        PartStart = start;
        PartEnd = start;
        // The second character sorts out all but tags and text at once.
        if (start[0] != '<')
            ScanText();
        else if (start[1] == '?')
            StartsWith(start, "<?xml") && IsWhite(start[5]) ? ScanProlog() : ScanPI();
        else if (start[1] != '!')
            ScanTag();
        else if (start[2] == '[')
            StartsWith(start, "<![CDATA[") ? ScanCData() : ScanTag();
        else if (StartsWith(start, "<!--"))
            ScanComment();
        else if (StartsWith(start, "<!DOCTYPE"))
            ScanDoctype();
        else
            ScanTag();
        if (FDeliver)
            return true;
    }
}

const char* TXmlParser::ReadName(const char* p, const unsigned char* delimiters,
                                 std::string& name) const {
    // The first character always belongs to the name, except the terminating zero.
    if (*p == '\0') {
        name.clear();
        return p;
    }
    const char* q = p + 1;
    unsigned char cls = *delimiters;
    while (!Is(*q, cls))
        ++q;
    // An end tag repeats the name its start tag left: nothing to copy then.
    const auto length = static_cast<std::size_t>(q - p);
    bool same = name.size() == length;
    for (std::size_t i = 0; same && i < length; ++i)
        same = name[i] == p[i];
    if (!same)
        name.assign(p, length);
    return q;
}

const char* TXmlParser::ReadAttributes(const char* p, TAttrList& list) {
    static const unsigned char attrDelims = kAttrDelim;
    if (*p == '>' && list.Empty())
        return p; // most tags have no attributes
    list.Clear();
    if (*p == '>')
        return p;
    enum { ExpectName, ExpectEquals, ExpectValue } state = ExpectName;
    std::string name;
    for (;;) {
        char c = *p;
        if (c == '\0' || c == '>')
            return p;
        if (IsWhite(c)) {
            ++p;
            continue;
        }
        switch (state) {
        case ExpectName:
            if (!Is(c, kStarter))
                return p;
            p = ReadName(p, &attrDelims, name);
            state = ExpectEquals;
            break;
        case ExpectEquals:
            if (c == '=')
                state = ExpectValue;
            ++p;
            break;
        case ExpectValue:
            if (c == '"' || c == '\'') {
                const char* close = std::strchr(p + 1, c);
                const char* end = close ? close : p + 1 + std::strlen(p + 1);
                list.Add(std::make_unique<TAttr>(name, std::string(p + 1, end)));
                p = close ? close + 1 : end;
                state = ExpectName;
            } else {
                ++p;
            }
            break;
        }
    }
}

void TXmlParser::ScanProlog() {
    PartKind = xpProlog;
    PartName.clear();
    PartContent.clear();
    const char* p = ReadAttributes(PartStart + 5, PartAttributes);
    const char* close = Find(p, "?>");
    PartEnd = close ? close + 1 : LastChar(p);

    TAttr* version = PartAttributes.Node("version");
    TAttr* encoding = PartAttributes.Node("encoding");
    TAttr* standalone = PartAttributes.Node("standalone");
    std::string enc = encoding && !encoding->Value.empty() ? encoding->Value : "UTF-8";
    CurrentEncoding = ToUpperAscii(enc);
    // The declaration's list reports the encoding in force, also when it was left out.
    if (encoding)
        encoding->Value = CurrentEncoding;
    else
        PartAttributes.Add(std::make_unique<TAttr>("encoding", CurrentEncoding));
    if (EntityStack.Empty()) {
        XmlVersion = version ? version->Value : std::string();
        Encoding = CurrentEncoding;
        Standalone = standalone && standalone->Value == "yes";
    }
}

void TXmlParser::ScanPI() {
    static const unsigned char piDelims = kPIDelim;
    PartKind = xpPI;
    const char* afterTarget = ReadName(PartStart + 2, &piDelims, PartName);
    const char* close = Find(PartStart + 2, "?>");
    const char* contentEnd = close ? close : afterTarget + std::strlen(afterTarget);
    if (afterTarget < contentEnd)
        PartContent.assign(afterTarget, contentEnd);
    else
        PartContent.clear();
    ReadAttributes(afterTarget, PartAttributes);
    PartEnd = close ? close + 1 : LastChar(PartStart);
}

void TXmlParser::ScanComment() {
    PartKind = xpComment;
    const char* close = Find(PartStart + 4, "-->");
    PartEnd = close ? close + 2 : LastChar(PartStart);
}

// CDATA sections and tags are most of the parts: both are scanned inside the scan step, without a
// call of their own.
[[gnu::always_inline]] inline void TXmlParser::ScanCData() {
    PartKind = xpCData;
    const char* content = PartStart + 9;
    // Empty sections are common enough to be settled before any search.
    const char* close = StartsWith(content, "]]>") ? content : Find(content, "]]>");
    const char* end = close ? close : content + std::strlen(content);
    PartContent.clear();
    TranslateText(std::string_view(content, static_cast<std::size_t>(end - content)), PartContent);
    PartEnd = close ? close + 2 : end - 1;
}

void TXmlParser::ScanText() {
    PartKind = xpText;
    PartContent.clear();
    if (NormalizeText && IsWhite(*PartStart)) {
        // Whitespace-only text is dropped before any translation.
        const char* q = SkipWhite(PartStart, TextStart(), TextEnd());
        if (*q == '<' || (*q == '\0' && EntityStack.Empty())) {
            PartEnd = q - 1;
            FDeliver = false;
            return;
        }
    }
    const char* p = PartStart;
    const char* pending = p;
    for (;;) {
        p = TextStop(p);
        char c = *p;
        if (c == '<')
            break;
        if (c == '&') {
            TranslateText(std::string_view(pending, static_cast<std::size_t>(p - pending)),
                          PartContent);
            p = HandleTextReference(p);
            pending = p;
            continue;
        }
        if (EntityStack.Empty())
            break;
        TranslateText(std::string_view(pending, static_cast<std::size_t>(p - pending)),
                      PartContent);
        p = EntityStack.Pop(CurrentEncoding);
        pending = p;
    }
    TranslateText(std::string_view(pending, static_cast<std::size_t>(p - pending)), PartContent);
    PartEnd = p - 1;
    if (NormalizeText) {
        xmlscan::FoldRuns(PartContent, IsWhite);
        if (PartContent.empty())
            FDeliver = false;
    }
}

[[gnu::always_inline]] inline void TXmlParser::ScanTag() {
    static const unsigned char tagDelims = kTagDelim;
    PartKind = xpStartTag;
    const char* p = PartStart + 1;
    if (*p == '/') {
        PartKind = xpEndTag;
        ++p;
    }
    p = ReadName(p, &tagDelims, PartName);
    // Most tags carry no attributes; the call is saved for those that do.
    if (*p != '>' || !PartAttributes.Empty()) [[unlikely]]
        p = ReadAttributes(p, PartAttributes);
    if (*p == '/')
        PartKind = xpEmptyTag;
    // The ">" is nearly always the very next character: no library call for it.
    const char* close = p;
    while (*close != '>' && *close != '\0')
        ++close;
    PartEnd = *close != '\0' ? close : LastChar(p);
    if (PartKind != xpEndTag && (!PartAttributes.Empty() || !ElementDefinitions.Empty()))
        [[unlikely]]
        CompleteAttributes();
}

[[gnu::noinline]] void TXmlParser::CompleteAttributes() {
    if (!ElementDefinitions.Empty())
        ApplyAttributeDefaults();
    for (const auto& attr : PartAttributes) {
        attr->Value = NormalizeAttrValue(attr->Value, 0);
        if (attr->AttrKind != TAttrKind::Unknown && attr->AttrKind != TAttrKind::CDATA)
            xmlscan::FoldRuns(attr->Value, [](char c) { return c == ' '; });
    }
}

// ---- overridable operations ----

std::unique_ptr<TXmlParser> TXmlParser::OpenExternalEntity(const std::string& systemId,
                                                           const std::string& publicId,
                                                           const std::string& notation) {
    std::string path = systemId; // "/" serves on every platform
#if defined(_WIN32)
    // Windows also separates with "\\", and a drive ("C:") makes a path absolute.
    constexpr const char* separators = "/\\";
    bool absolute =
        !path.empty() && (path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':'));
#else
    constexpr const char* separators = "/";
    bool absolute = !path.empty() && path[0] == '/';
#endif
    if (!absolute && !SourceName.empty() && SourceName[0] != u'<') {
        std::string source = Utf16ToUtf8(SourceName);
        std::size_t slash = source.find_last_of(separators);
        if (slash != std::string::npos)
            path = source.substr(0, slash + 1) + path;
    }
    auto entity = std::make_unique<TXmlParser>();
    entity->ReadDocumentFile(Utf8ToUtf16(path), TShareMode::DenyWrite);
    return entity;
}

void TXmlParser::TranslateText(std::string_view text, std::string& result) {
    if (CurrentEncoding.size() != 5 || std::memcmp(CurrentEncoding.data(), "UTF-8", 5) != 0) {
        result.append(text);
        return;
    }
    // Plain ASCII, the common case, needs no conversion.
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80)
        ++i;
    result.append(text.substr(0, i));
    if (i < text.size())
        Utf8ToCp1252(text.substr(i), result);
}

std::string TXmlParser::CharacterFromCode(int code) {
    return std::string(1, Cp1252ByteOrDefault(code));
}
