#include "fuzz/xml/xml_fuzz_entry.h"

#include "data/loader.h"
#include "platform/errors.h"
#include "xml/xmlparser.h"

#include <cstring>
#include <exception>
#include <memory>
#include <string_view>
#include <vector>

namespace {

// External entities come from memory, never from the file system the input names.
class TFuzzParser : public TXmlParser {
public:
    // Every external text handed out, for the span checks; freed ones stay listed, which can
    // only make a check more lenient.
    std::vector<std::string_view> ExternalTexts;
    // Every entity declared since loading: one replaced while its text is being scanned is
    // retired, not freed, and the parts that follow still lie in its text.
    std::vector<const TEntityDef*> Declared;

protected:
    void DeclarationFound(const TDtdDeclaration& declaration) override {
        if (declaration.EntityDef)
            Declared.push_back(declaration.EntityDef);
    }

    std::unique_ptr<TXmlParser> OpenExternalEntity(const std::string& systemId,
                                                   const std::string& publicId,
                                                   const std::string& notation) override {
        auto entity = std::make_unique<TXmlParser>();
        entity->LoadFromMemory(systemId.size() % 2 ? "<e a='&lt;'>external &amp; text</e>"
                                                   : "<!ENTITY x \"y\"><!ELEMENT e ANY>");
        ExternalTexts.push_back(entity->DocumentText());
        return entity;
    }
};

// Whether p lies in the text (or its framing zeros), inclusive of the terminator.
bool Within(std::string_view text, const char* p) {
    const auto a = reinterpret_cast<std::uintptr_t>(p);
    const auto lo = reinterpret_cast<std::uintptr_t>(text.data()) - 1;
    return p && a >= lo && a <= lo + 1 + text.size();
}

// A part may also lie in the replacement text of an entity being scanned: the start of that
// text, or nullptr when p lies in none.
const char* EntityTextOf(const TFuzzParser& parser, const char* p) {
    for (const auto* list : {&parser.EntityDefinitions, &parser.ParameterEntityDefinitions})
        for (const auto& def : *list)
            if (!def->WalkText.empty() && Within(std::string_view(def->WalkText).substr(1), p))
                return def->WalkText.data();
    for (const TEntityDef* def : parser.Declared)
        if (!def->WalkText.empty() && Within(std::string_view(def->WalkText).substr(1), p))
            return def->WalkText.data();
    for (std::string_view t : parser.ExternalTexts)
        if (Within(t, p))
            return t.data();
    return nullptr;
}

// Reading every byte is what lets the address sanitizer see a span that is off.
std::uint64_t Touch(std::string_view s) {
    std::uint64_t sum = 0;
    for (char c : s)
        sum = sum * 31 + static_cast<unsigned char>(c);
    return sum;
}

struct TPassResult {
    std::size_t Parts{0};
    std::uint64_t Digest{0}; // of the fields; a repeated pass may differ (DOCTYPE keeps names)
    std::uint64_t Shape{0};  // of the kinds and spans, which a repeated pass must reproduce
    std::uint64_t Own{0};    // of the fields a part sets itself, which it must reproduce too
    // Tag attributes by position: a tag before the document type declaration gets its declared
    // defaults only once the declarations are known, that is on a repeated pass.
    std::vector<std::pair<const char*, std::uint64_t>> TagAttrs;
    const char* LastDoctypeEnd{nullptr};
};

std::uint64_t TagAttrsAfter(const TPassResult& r, const char* doctypeEnd) {
    std::uint64_t h = 0;
    for (const auto& [start, attrs] : r.TagAttrs)
        if (!doctypeEnd || !start || start > doctypeEnd)
            h = h * 1000003 + attrs;
    return h;
}

bool Fail(std::string& failure, std::string text) {
    failure = std::move(text);
    return false;
}

bool WalkPass(TFuzzParser& parser, TPassResult& result, std::string& failure) {
    const std::string_view doc = parser.DocumentText();
    const char* previousStart = nullptr;
    // Every part starts at its own character of the document or of a replacement text entered
    // during the pass, and the text entered during one pass is held to the document's budget.
    const std::size_t limit = doc.size() + 2 + TXmlParser::EntityExpansionBudget(doc.size());
    while (parser.NextPart()) {
        if (++result.Parts > limit)
            return Fail(failure, "more parts than characters: the scan does not advance");
        const char* start = parser.PartStart;
        const char* end = parser.PartEnd;
        const bool startInDoc = Within(doc, start) && start != doc.data() - 1;
        const bool endInDoc = Within(doc, end);
        const bool inDoc = startInDoc && endInDoc;
        const char* startText = startInDoc ? doc.data() : EntityTextOf(parser, start);
        const char* endText = endInDoc ? doc.data() : EntityTextOf(parser, end);
        if (!startText || !endText)
            return Fail(failure, "part span outside the document and entity texts");
        // A text part that runs into an entity's replacement text starts in one text and ends
        // in the other; only a span within one text is a range of bytes.
        const bool oneText = startText == endText;
        // An entity's text may be entered again inside itself, so a span between two of its
        // instances can run backwards; only the document is read once.
        if (oneText && startText == doc.data() && end + 1 < start)
            return Fail(failure, "part ends before it starts");
        result.Shape = result.Shape * 1000003 + static_cast<std::uint64_t>(parser.PartKind);
        if (inDoc) {
            if (previousStart && start <= previousStart)
                return Fail(failure, "part at offset " + std::to_string(start - doc.data()) +
                                         " does not follow the previous one at offset " +
                                         std::to_string(previousStart - doc.data()));
            previousStart = start;
            result.Shape = result.Shape * 1000003 + static_cast<std::uint64_t>(start - doc.data());
            result.Shape = result.Shape * 1000003 + static_cast<std::uint64_t>(end - doc.data());
            if (parser.PartKind == xpDoctype)
                result.LastDoctypeEnd = end;
        } else {
            // Included texts may be made anew for each pass: only document offsets compare.
            result.Shape = result.Shape * 1000003 +
                           (startInDoc ? static_cast<std::uint64_t>(start - doc.data()) : 1u << 31);
            result.Shape = result.Shape * 1000003 +
                           (endInDoc ? static_cast<std::uint64_t>(end - doc.data()) : 1u << 31);
        }
        if (parser.PartKind < xpProlog || parser.PartKind > xpCData)
            return Fail(failure, "part kind out of range");
        result.Digest += Touch(DisplayName(parser.PartKind));
        result.Digest += Touch(parser.PartName) + Touch(parser.PartContent);
        if (oneText && end + 1 >= start)
            result.Digest +=
                Touch(std::string_view(start, static_cast<std::size_t>(end + 1 - start)));
        std::uint64_t attrs = 0;
        for (const auto& attr : parser.PartAttributes) {
            attrs = attrs * 31 + Touch(attr->Name) + Touch(attr->Value);
            result.Digest +=
                Touch(DisplayName(attr->ValueKind)) + Touch(DisplayName(attr->AttrKind));
        }
        result.Digest += attrs;
        // Comments, document type declarations and text keep some fields of the part before,
        // which a repeated pass may legitimately see differently; the rest is the part's own.
        const TXmlPartKind kind = parser.PartKind;
        if (kind == xpText || kind == xpCData || kind == xpPI)
            result.Own = result.Own * 1000003 + Touch(parser.PartContent);
        if (kind == xpPI || kind == xpStartTag || kind == xpEmptyTag || kind == xpEndTag)
            result.Own = result.Own * 1000003 + Touch(parser.PartName);
        if (kind == xpProlog || kind == xpPI)
            result.Own = result.Own * 1000003 + attrs;
        if (kind == xpStartTag || kind == xpEmptyTag || kind == xpEndTag)
            // Included texts lie wherever each pass allocates them: only document positions
            // can be compared with the declaration's end.
            result.TagAttrs.emplace_back(inDoc ? start : nullptr, attrs);
    }
    // Exhausted: the position rests on the terminating zero and stays there.
    if (parser.PartStart != doc.data() + doc.size() || parser.PartEnd != parser.PartStart - 1)
        return Fail(failure, "exhausted scanner does not rest at the end of the text");
    if (parser.NextPart())
        return Fail(failure, "an exhausted scanner delivered another part");
    return true;
}

bool ScanTwice(const std::string& text, bool normalize, std::string& failure) {
    TFuzzParser parser;
    if (!parser.LoadFromMemory(text.c_str()))
        return true;
    parser.NormalizeText = normalize;
    if (parser.DocumentText() != std::string_view(text.c_str()))
        return Fail(failure, "the loaded text differs from the input");
    TPassResult first, second, third;
    if (!WalkPass(parser, first, failure))
        return false;
    const bool declares = !parser.EntityDefinitions.Empty() ||
                          !parser.ParameterEntityDefinitions.Empty() ||
                          !parser.ElementDefinitions.Empty();
    parser.Rewind();
    if (!WalkPass(parser, second, failure)) {
        failure = "second pass: " + failure;
        return false;
    }
    parser.Rewind();
    if (!WalkPass(parser, third, failure)) {
        failure = "third pass: " + failure;
        return false;
    }
    auto same = [&](const TPassResult& a, const TPassResult& b, const char* which) {
        if (a.Parts != b.Parts || a.Shape != b.Shape)
            return Fail(failure, std::string(which) + " differ (" + std::to_string(a.Parts) +
                                     " against " + std::to_string(b.Parts) + " parts)");
        if (a.Own != b.Own ||
            TagAttrsAfter(a, a.LastDoctypeEnd) != TagAttrsAfter(b, a.LastDoctypeEnd))
            return Fail(failure,
                        std::string(which) + " deliver other names, contents or attributes");
        return true;
    };
    // Declarations stay known after Rewind, so a reference met before its declaration expands
    // only on a repeated pass: the first pass matches the others only without declarations
    // (which a declaration ending inside an entity's text makes too, not only one wholly in
    // the document).
    if (!declares && !same(first, second, "the first pass and the one after Rewind"))
        return false;
    if (!same(second, third, "two passes after Rewind"))
        return false;
    volatile std::uint64_t keep = first.Digest + second.Digest + third.Digest;
    (void)keep;
    parser.ResetDocument();
    if (parser.NextPart() || !parser.DocumentText().empty())
        return Fail(failure, "a reset scanner still has a document");
    return true;
}

bool LoadIntoSmallStore(std::string_view bytes, std::string& failure) {
    // Small, so that the overflow guard runs as often as the fields do.
    std::vector<TMKBRec> store(8);
    try {
        LoadClassificationInto(store, bytes);
    } catch (const EMkbError&) {
        // Conversion errors and overflow are the loader's documented failures.
    }
    for (const TMKBRec& rec : store)
        if (rec.code.size() > static_cast<std::size_t>(MKBCodeMaxBytes))
            return Fail(failure, "a code longer than the store keeps");
    return true;
}

} // namespace

bool MkbXmlFuzzCheck(const std::uint8_t* data, std::size_t size, std::string& failure) {
    // The scanner reads zero-terminated text: an embedded zero ends the document there.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const bool normalize = size == 0 || (data[0] & 1) == 0;
    try {
        if (!ScanTwice(text, normalize, failure))
            return false;
        if (!LoadIntoSmallStore(text, failure))
            return false;
    } catch (const std::exception& e) {
        return Fail(failure, std::string("unexpected exception: ") + e.what());
    }
    return true;
}
