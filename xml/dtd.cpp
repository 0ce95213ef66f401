// Reading document type declarations: the root element name, the external and internal
// subsets, and the element, attribute-list, entity and notation declarations in them.
#include "xml/scantext.h"
#include "xml/strtoint.h"
#include "xml/xmlparser.h"

#include <algorithm>
#include <cstring>

namespace {

using xmlscan::IsNameStarter;
using xmlscan::IsWhite;
using xmlscan::StartsWith;

// A name: its first character always, then every character up to a delimiter. NUL and ">"
// always delimit; `extra` lists the others.
const char* ReadDtdName(const char* p, const char* extra, std::string& name) {
    if (*p == '\0') {
        name.clear();
        return p;
    }
    const char* q = p + 1;
    while (*q != '\0' && *q != '>' && !std::strchr(extra, *q))
        ++q;
    name.assign(p, q);
    return q;
}

constexpr const char* kWhiteDelims = "\t\n\r ";

// A quoted value starting at the opening quote; returns the closing quote, or the last
// character of the text when there is none.
const char* ReadQuoted(const char* quote, std::string& value) {
    const char* close = std::strchr(quote + 1, *quote);
    const char* end = close ? close : quote + 1 + std::strlen(quote + 1);
    value.assign(quote + 1, end);
    return close ? close : end - 1;
}

std::string WithoutWhite(std::string_view s) {
    std::string out;
    for (char c : s)
        if (!IsWhite(c))
            out.push_back(c);
    return out;
}

// The text from p up to the next `stop` (or the end), and the position of that stop or the
// last character.
const char* TextUpTo(const char* p, char stop, std::string& text) {
    const char* close = std::strchr(p, stop);
    const char* end = close ? close : p + std::strlen(p);
    text.assign(p, end);
    return close ? close : end - 1;
}

TAttrKind KindOfKeyword(const std::string& keyword) {
    static const struct {
        const char* Word;
        TAttrKind Kind;
    } kinds[] = {{"CDATA", TAttrKind::CDATA},     {"ID", TAttrKind::ID},
                 {"IDREF", TAttrKind::IDREF},     {"IDREFS", TAttrKind::IDREFS},
                 {"ENTITY", TAttrKind::ENTITY},   {"ENTITIES", TAttrKind::ENTITIES},
                 {"NMTOKEN", TAttrKind::NMTOKEN}, {"NMTOKENS", TAttrKind::NMTOKENS}};
    for (const auto& k : kinds)
        if (keyword == k.Word)
            return k.Kind;
    return TAttrKind::Unknown;
}

} // namespace

TExternalID::TExternalID(const char* start) {
    auto walkToStop = [](const char* p) {
        while (*p != '\0' && *p != '"' && *p != '\'' && *p != '>' && *p != '[')
            ++p;
        return p;
    };
    bool system = StartsWith(start, "SYSTEM");
    if (!system && !StartsWith(start, "PUBLIC")) {
        Final = start - 1;
        return;
    }
    const char* p = walkToStop(start + 6);
    if (*p != '"' && *p != '\'') {
        Final = p - 1;
        return;
    }
    Final = ReadQuoted(p, system ? SystemId : PublicId);
    if (system || *Final == '\0' || *(Final + 1) == '\0')
        return;
    p = walkToStop(Final + 1);
    if (*p == '"' || *p == '\'')
        Final = ReadQuoted(p, SystemId);
    else
        Final = p - 1;
}

std::size_t TXmlParser::EntityExpansionBudget(std::size_t documentSize) {
    const std::size_t scaled = documentSize > MaxEntityExpansion / EntityExpansionFactor
                                   ? MaxEntityExpansion
                                   : documentSize * EntityExpansionFactor;
    return std::clamp(scaled, MinEntityExpansion, MaxEntityExpansion);
}

bool TXmlParser::Expanding(const TEntityDef* def) const {
    return std::find(FExpanding.begin(), FExpanding.end(), def) != FExpanding.end();
}

bool TXmlParser::SpendExpansion(std::size_t bytes) {
    const std::size_t budget = EntityExpansionBudget(FSize);
    if (FExpanded > budget || bytes > budget - FExpanded)
        return false;
    FExpanded += bytes;
    return true;
}

void TXmlParser::Report(const TDtdDeclaration& declaration) {
    if (!FDeclarationsRead)
        DeclarationFound(declaration);
}

void TXmlParser::ReportDeclaration(TDtdDeclarationKind kind, const char* start, const char* final) {
    TDtdDeclaration d;
    d.Kind = kind;
    d.Start = start;
    d.Final = final;
    Report(d);
}

void TXmlParser::ScanDoctype() {
    PartKind = xpDoctype;
    // A declaration met inside an included text keeps that inclusion open: emptying the stack
    // would free the very text the part lies in.
    const bool inInclusion = !EntityStack.Empty();
    if (!inInclusion)
        EntityStack.Clear();
    // A repeated pass meets the same declaration again and skips it; any later declaration in
    // the text is read, or the scan would go back to the end of the first one for ever.
    if (DoctypeEnd && PartStart == FDoctypeStart) {
        PartEnd = DoctypeEnd;
        return;
    }
    const char* const partStart = PartStart;
    const int baseDepth = EntityStack.Count();
    enum { BeforeName, AfterName, InSubset, AfterSubset } state = BeforeName;
    const char* p = PartStart + 9;
    const char* end = nullptr;
    while (!end) {
        char c = *p;
        if (c == '\0') {
            if (EntityStack.Count() > baseDepth) {
                p = EntityStack.Pop(CurrentEncoding);
                continue;
            }
            end = p - 1;
        } else if (c == '>') {
            end = p;
        } else if (c == '%') {
            p = ParameterEntityReference(p);
        } else if (c == '[') {
            state = InSubset;
            p = WalkDeclarations(p + 1);
        } else if (c == ']') {
            state = AfterSubset;
            ++p;
        } else if (IsWhite(c)) {
            ++p;
        } else if (state == BeforeName) {
            if (IsNameStarter(c)) {
                std::string name;
                p = ReadDtdName(p, "\t\n\r [", name);
                if (!FDeclarationsRead)
                    RootElementName = std::move(name);
                state = AfterName;
            } else {
                ++p;
            }
        } else if (state == AfterName) {
            if (StartsWith(p, "SYSTEM") || StartsWith(p, "PUBLIC")) {
                TExternalID id(p);
                ReadExternalSubset(id.SystemId, id.PublicId);
                p = id.Final + 1;
            } else {
                ++p;
            }
        } else {
            ReportDeclaration(TDtdDeclarationKind::Error, p, p);
            ++p;
        }
    }
    // A processing instruction in the subset borrowed the part fields; this part is the
    // declaration as a whole.
    PartKind = xpDoctype;
    PartStart = partStart;
    PartEnd = end;
    PartName.clear();
    PartContent.clear();
    if (EntityStack.Count() > baseDepth) {
        ReportDeclaration(TDtdDeclarationKind::Error, end, end);
        while (EntityStack.Count() > baseDepth)
            EntityStack.Pop(CurrentEncoding);
    }
    if (!inInclusion) {
        EntityStack.Clear();
        if (!DoctypeEnd) {
            DoctypeEnd = PartEnd;
            FDoctypeStart = partStart;
        }
    }
}

void TXmlParser::ReadExternalSubset(const std::string& systemId, const std::string& publicId) {
    if (FDeclarationsRead)
        return;
    std::unique_ptr<TXmlParser> subset = OpenExternalEntity(systemId, publicId, std::string());
    if (!subset || subset->DocumentText().empty())
        return;
    const char* text = subset->DocumentText().data();
    const char* first = xmlscan::FindText(text, "<!");
    if (!first)
        return;
    // The subset's own inclusions must not unwind the document's.
    TEntityStack outer;
    std::swap(outer, EntityStack);
    WalkDeclarations(first);
    EntityStack.Clear();
    std::swap(outer, EntityStack);
}

const char* TXmlParser::ParameterEntityReference(const char* p) {
    const char* semi = std::strchr(p + 1, ';');
    if (!semi)
        return p + 1;
    std::string_view name(p + 1, static_cast<std::size_t>(semi - p - 1));
    TEntityDef* def = ParameterEntityDefinitions.Node(name);
    if (!def || def->Value.empty() || EntityStack.Includes(def) ||
        EntityStack.Count() >= MaxEntityDepth || !SpendExpansion(def->Value.size()))
        return semi + 1;
    EntityStack.Push(nullptr, CurrentEncoding, semi + 1, def);
    return xmlscan::EntityWalkText(*def);
}

const char* TXmlParser::WalkDeclarations(const char* p) {
    const int baseDepth = EntityStack.Count();
    for (;;) {
        char c = *p;
        if (c == '\0') {
            if (EntityStack.Count() <= baseDepth)
                return p;
            p = EntityStack.Pop(CurrentEncoding);
            continue;
        }
        if (c == '%') {
            p = ParameterEntityReference(p);
            continue;
        }
        if (c == '>' || c == ']')
            return p;
        if (c != '<') {
            ++p;
            continue;
        }
        const char* last;
        if (StartsWith(p, "<!ELEMENT"))
            last = ReadElementDecl(p);
        else if (StartsWith(p, "<!ATTLIST"))
            last = ReadAttlistDecl(p);
        else if (StartsWith(p, "<!ENTITY"))
            last = ReadEntityDecl(p);
        else if (StartsWith(p, "<!NOTATION"))
            last = ReadNotationDecl(p);
        else if (StartsWith(p, "<?")) {
            PartStart = p;
            ScanPI();
            last = PartEnd;
            TDtdDeclaration d;
            d.Kind = TDtdDeclarationKind::ProcessingInstruction;
            d.Start = p;
            d.Final = last;
            d.Target = PartName;
            d.Content = PartContent;
            d.Attributes = &PartAttributes;
            Report(d);
        } else if (StartsWith(p, "<!--")) {
            const char* close = xmlscan::FindText(p + 4, "-->");
            last = close ? close + 2 : p + std::strlen(p) - 1;
            ReportDeclaration(TDtdDeclarationKind::Comment, p, last);
        } else {
            ReportDeclaration(TDtdDeclarationKind::Error, p, p);
            last = p;
        }
        p = last + 1;
    }
}

const char* TXmlParser::ReadElementDecl(const char* start) {
    const char* p = start + 9;
    while (*p != '\0' && *p != '>' && !IsNameStarter(*p))
        ++p;
    if (!IsNameStarter(*p))
        return *p == '\0' ? p - 1 : p;
    auto def = std::make_unique<TElemDef>();
    p = ReadDtdName(p, kWhiteDelims, def->Name);
    std::string model;
    const char* last = TextUpTo(p, '>', model);
    def->Definition = WithoutWhite(ReplaceParameterReferences(model, 0));
    const std::string& m = def->Definition;
    if (m == "EMPTY")
        def->ContentKind = TElemContentKind::Empty;
    else if (m == "ANY")
        def->ContentKind = TElemContentKind::Any;
    else if (m.rfind("(#PCDATA", 0) == 0)
        def->ContentKind = TElemContentKind::Mixed;
    else if (!m.empty() && m[0] == '(')
        def->ContentKind = TElemContentKind::ChildsOnly;
    else
        def->ContentKind = TElemContentKind::Any;
    if (FDeclarationsRead)
        return last;
    // Attribute lists may come before the element's own declaration; they carry over.
    if (int old = ElementDefinitions.IndexOf(def->Name); old >= 0) {
        std::unique_ptr<TElemDef> previous = ElementDefinitions.Extract(old);
        while (previous->Attributes.Count() > 0)
            def->Attributes.Add(previous->Attributes.Extract(0));
        FRetired.push_back(std::move(previous));
    }
    TElemDef& added = ElementDefinitions.Add(std::move(def));
    TDtdDeclaration d;
    d.Kind = TDtdDeclarationKind::Element;
    d.Start = start;
    d.Final = last;
    d.ElemDef = &added;
    Report(d);
    return last;
}

const char* TXmlParser::ReadAttlistDecl(const char* start) {
    constexpr const char* kDelims = "\t\n\r \"#'";
    enum { ElemName, AttrName, Type, NotationList, Default } state = ElemName;
    TElemDef* elem = nullptr;
    TAttrDef* attr = nullptr;
    // Where a repeated pass puts what it reads, keeping the declarations the first one made.
    TElemDef scratch;
    const int baseDepth = EntityStack.Count();
    const char* p = start + 9;
    const char* last = nullptr;
    std::string word;
    while (!last) {
        char c = *p;
        if (IsWhite(c)) {
            ++p;
            continue;
        }
        if (c == '%') {
            p = ParameterEntityReference(p);
            continue;
        }
        if (c == '\0') {
            if (EntityStack.Count() > baseDepth) {
                p = EntityStack.Pop(CurrentEncoding);
                continue;
            }
            last = p - 1;
            break;
        }
        if (c == '>') {
            last = p;
            break;
        }
        switch (state) {
        case ElemName:
            p = ReadDtdName(p, kDelims, word);
            elem = FDeclarationsRead ? &scratch : ElementDefinitions.Node(word);
            if (!elem) {
                auto def = std::make_unique<TElemDef>(word, std::string());
                def->Definition = "ANY";
                def->ContentKind = TElemContentKind::Any;
                elem = &ElementDefinitions.Add(std::move(def));
            }
            state = AttrName;
            break;
        case AttrName: {
            p = ReadDtdName(p, kDelims, word);
            if (int old = elem->Attributes.IndexOf(word); old >= 0 && elem != &scratch)
                FRetired.push_back(elem->Attributes.Extract(old));
            attr = &elem->Attributes.Add(std::make_unique<TAttrDef>(word, ""));
            state = Type;
            break;
        }
        case Type:
            if (c == '(') {
                std::string list;
                const char* close = TextUpTo(p + 1, ')', list);
                attr->TypeDef =
                    ReplaceCharacterReferences(ReplaceParameterReferences(WithoutWhite(list), 0));
                attr->AttrKind = TAttrKind::Enumeration;
                p = close + 1;
                state = Default;
            } else if (StartsWith(p, "NOTATION")) {
                attr->TypeDef = "NOTATION";
                attr->AttrKind = TAttrKind::Notation;
                p += 8;
                state = NotationList;
            } else {
                p = ReadDtdName(p, kDelims, attr->TypeDef);
                attr->AttrKind = KindOfKeyword(attr->TypeDef);
                state = Default;
            }
            break;
        case NotationList: {
            const char* from = c == '(' ? p + 1 : p;
            std::string list;
            const char* close = TextUpTo(from, ')', list);
            attr->Notations = WithoutWhite(ReplaceParameterReferences(list, 0));
            p = close + 1;
            state = Default;
            break;
        }
        case Default:
            if (c == '"' || c == '\'') {
                std::string value;
                const char* close = ReadQuoted(p, value);
                attr->Value = ReplaceCharacterReferences(ReplaceParameterReferences(value, 0));
                p = close + 1;
                state = AttrName;
            } else if (c == '#') {
                p = ReadDtdName(p, "\t\n\r \"'", word);
                word = ReplaceParameterReferences(word, 0);
                if (word == "#REQUIRED" || word == "#IMPLIED") {
                    attr->DefaultKind = word == "#REQUIRED" ? TAttrDefaultKind::Required
                                                            : TAttrDefaultKind::Implied;
                    state = AttrName;
                } else if (word == "#FIXED") {
                    attr->DefaultKind = TAttrDefaultKind::Fixed;
                }
            } else {
                ++p;
            }
            break;
        }
    }
    if (elem && elem != &scratch) {
        TDtdDeclaration d;
        d.Kind = TDtdDeclarationKind::AttributeList;
        d.Start = start;
        d.Final = last;
        d.ElemDef = elem;
        Report(d);
    }
    return last;
}

const char* TXmlParser::ReadEntityDecl(const char* start) {
    enum { Name, AfterName, AfterExternal, Done } state = Name;
    auto def = std::make_unique<TEntityDef>();
    bool parameter = false;
    const char* p = start + 8;
    const char* last = nullptr;
    while (!last) {
        char c = *p;
        if (c == '\0') {
            last = p - 1;
            break;
        }
        if (c == '>') {
            last = p;
            break;
        }
        if (IsWhite(c)) {
            ++p;
            continue;
        }
        if (c == '%') {
            parameter = true;
            ++p;
            continue;
        }
        switch (state) {
        case Name:
            if (IsNameStarter(c)) {
                p = ReadDtdName(p, "\t\n\r \"'", def->Name);
                state = AfterName;
            } else {
                ++p;
            }
            break;
        case AfterName:
            if (c == '"' || c == '\'') {
                p = ReadQuoted(p, def->Value) + 1;
                state = Done;
            } else if (StartsWith(p, "SYSTEM") || StartsWith(p, "PUBLIC")) {
                TExternalID id(p);
                def->SystemId = id.SystemId;
                def->PublicId = id.PublicId;
                p = id.Final + 1;
                state = AfterExternal;
            } else {
                ++p;
            }
            break;
        case AfterExternal:
            if (StartsWith(p, "NDATA")) {
                p += 5;
                while (IsWhite(*p))
                    ++p;
                p = ReadDtdName(p, kWhiteDelims, def->NotationName);
            } else {
                ++p;
            }
            break;
        case Done:
            ++p;
            break;
        }
    }
    if (def->Name.empty() || FDeclarationsRead)
        return last;
    auto& list = parameter ? ParameterEntityDefinitions : EntityDefinitions;
    if (!parameter)
        def->Value = ReplaceParameterReferences(def->Value, 0);
    def->Value = ReplaceCharacterReferences(def->Value);
    // The replaced declaration's text may be the very one being walked: retire it instead.
    for (int old; (old = list.IndexOf(def->Name)) >= 0;)
        FRetired.push_back(list.Extract(old));
    TEntityDef& added = list.Add(std::move(def));
    TDtdDeclaration d;
    d.Kind = TDtdDeclarationKind::Entity;
    d.Start = start;
    d.Final = last;
    d.EntityDef = &added;
    Report(d);
    return last;
}

const char* TXmlParser::ReadNotationDecl(const char* start) {
    auto def = std::make_unique<TNotationDef>();
    const char* p = start + 10;
    bool named = false;
    const char* last = nullptr;
    while (!last) {
        char c = *p;
        if (c == '\0') {
            last = p - 1;
        } else if (c == '>') {
            last = p;
        } else if (IsWhite(c)) {
            ++p;
        } else if (!named) {
            p = ReadDtdName(p, kWhiteDelims, def->Name);
            named = true;
        } else {
            TExternalID id(p);
            if (id.Final < p) {
                ++p; // not an identifier: pass the character over
                continue;
            }
            def->Value = id.SystemId;
            def->PublicId = id.PublicId;
            p = id.Final + 1;
        }
    }
    if (FDeclarationsRead)
        return last;
    TNotationDef& added = NotationDefinitions.Add(std::move(def));
    TDtdDeclaration d;
    d.Kind = TDtdDeclarationKind::Notation;
    d.Start = start;
    d.Final = last;
    d.NotationDef = &added;
    Report(d);
    return last;
}

// Built by appending, so that many references cost time in proportion to the result.
std::string TXmlParser::ReplaceParameterReferences(const std::string& value, int depth) {
    std::string out;
    std::size_t from = 0;
    for (;;) {
        std::size_t pct = value.find('%', from);
        std::size_t semi = pct == std::string::npos || pct + 2 > value.size()
                               ? std::string::npos
                               : value.find(';', pct + 2);
        if (semi == std::string::npos) {
            out.append(value, from, std::string::npos);
            return out;
        }
        std::string_view name(value.data() + pct + 1, semi - pct - 1);
        TEntityDef* def = ParameterEntityDefinitions.Node(name);
        if (!def || depth >= MaxEntityDepth || Expanding(def) ||
            !SpendExpansion(def->Value.size())) {
            out.append(value, from, pct + 1 - from);
            from = pct + 1;
            continue;
        }
        out.append(value, from, pct - from);
        FExpanding.push_back(def);
        out += ReplaceParameterReferences(def->Value, depth + 1);
        FExpanding.pop_back();
        from = semi + 1;
    }
}

std::string TXmlParser::ReplaceCharacterReferences(const std::string& value) {
    std::string out;
    std::size_t from = 0;
    for (;;) {
        std::size_t amp = value.find("&#", from);
        std::size_t semi = amp == std::string::npos ? amp : value.find(';', amp + 3);
        if (semi == std::string::npos) {
            out.append(value, from, std::string::npos);
            return out;
        }
        out.append(value, from, amp - from);
        out += CharacterFromCode(
            ReferenceCode(std::string_view(value).substr(amp + 1, semi - amp - 1), 32));
        from = semi + 1;
    }
}
