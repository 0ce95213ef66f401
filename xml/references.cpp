// References in text and in attribute values, and the attribute defaults of declared elements.
#include "xml/scantext.h"
#include "xml/strtoint.h"
#include "xml/xmlparser.h"

#include <cstdint>
#include <cstring>
#include <memory>

int TXmlParser::ReferenceCode(std::string_view ref, int malformed) const {
    // ref begins with '#'.
    std::int32_t code = 0;
    if (ref.size() >= 2 && ref[1] == 'x') {
        std::string_view digits = ref.substr(2);
        if (digits.empty())
            return malformed;
        std::uint64_t v = 0;
        for (char c : digits) {
            int d = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
            if (d < 0)
                return malformed;
            v = v * 16 + static_cast<std::uint64_t>(d);
            if (v > 0x7FFFFFFF)
                return malformed;
        }
        return static_cast<int>(v);
    }
    if (!TryStrToInt(ref.substr(1), code))
        return malformed;
    return code;
}

const char* TXmlParser::NextSemicolon(const char* from) {
    auto at = [](const char* p) { return reinterpret_cast<std::uintptr_t>(p); };
    if (FSemiFrom && at(from) >= at(FSemiFrom) && at(from) <= at(FSemiFound))
        return *FSemiFound == ';' ? FSemiFound : nullptr;
    const char* found = std::strchr(from, ';');
    FSemiFrom = from;
    FSemiFound = found ? found : from + std::strlen(from);
    return found;
}

const char* TXmlParser::HandleTextReference(const char* amp) {
    const char* semi = NextSemicolon(amp + 1);
    if (!semi)
        return amp + 1;
    std::string_view ref(amp + 1, static_cast<std::size_t>(semi - amp - 1));
    const char* next = semi + 1;
    if (!ref.empty() && ref[0] == '#') {
        PartContent += CharacterFromCode(ReferenceCode(ref, 32));
        return next;
    }
    if (ref == "lt")
        PartContent += '<';
    else if (ref == "gt")
        PartContent += '>';
    else if (ref == "amp")
        PartContent += '&';
    else if (ref == "apos")
        PartContent += '\'';
    else if (ref == "quot")
        PartContent += '"';
    else if (TEntityDef* def = EntityDefinitions.Node(ref); def && !EntityStack.Includes(def) &&
                                                            EntityStack.Count() < MaxEntityDepth &&
                                                            SpendExpansion(def->Value.size())) {
        if (def->IsExternal()) {
            std::unique_ptr<TXmlParser> entity =
                OpenExternalEntity(def->SystemId, def->PublicId, def->NotationName);
            if (!entity || entity->DocumentText().empty())
                return next;
            if (!SpendExpansion(entity->DocumentText().size())) {
                PartContent += ref;
                return next;
            }
            const char* text = entity->DocumentText().data();
            EntityStack.Push(std::move(entity), CurrentEncoding, next, def);
            return text;
        }
        if (def->Value.empty())
            return next;
        EntityStack.Push(nullptr, CurrentEncoding, next, def);
        return xmlscan::EntityWalkText(*def);
    } else {
        PartContent += ref;
    }
    return next;
}

void TXmlParser::ApplyAttributeDefaults() {
    if (ElementDefinitions.Empty())
        return;
    TElemDef* elem = ElementDefinitions.Node(PartName);
    if (!elem)
        return;
    for (const auto& def : elem->Attributes) {
        TAttr* attr = PartAttributes.Node(def->Name);
        bool hasDefault = def->DefaultKind == TAttrDefaultKind::Default ||
                          def->DefaultKind == TAttrDefaultKind::Fixed;
        if (!attr && hasDefault) {
            attr = &PartAttributes.Add(std::make_unique<TAttr>(def->Name, def->Value));
            attr->ValueKind = TAttrValueKind::Default;
        }
        if (!attr)
            continue;
        if (def->DefaultKind == TAttrDefaultKind::Implied)
            attr->ValueKind = TAttrValueKind::Implied;
        else if (def->DefaultKind == TAttrDefaultKind::Fixed) {
            attr->ValueKind = TAttrValueKind::Fixed;
            attr->Value = def->Value;
        }
        attr->AttrKind = def->AttrKind;
    }
}

std::string TXmlParser::NormalizeAttrValue(std::string_view raw, int depth) {
    std::string out;
    std::string stretch;
    auto flush = [&](std::string_view s) {
        stretch.assign(s);
        for (char& c : stretch)
            if (c == '\t' || c == '\n' || c == '\r')
                c = ' ';
        TranslateText(stretch, out);
    };
    std::size_t i = 0;
    while (i < raw.size()) {
        std::size_t amp = raw.find('&', i);
        if (amp == std::string_view::npos) {
            flush(raw.substr(i));
            break;
        }
        flush(raw.substr(i, amp - i));
        std::size_t semi = raw.find(';', amp + 1);
        if (semi == std::string_view::npos) {
            // No ";" follows, so every later "&" is dropped as well.
            std::string rest;
            for (char c : raw.substr(amp + 1))
                if (c != '&')
                    rest.push_back(c);
            flush(rest);
            break;
        }
        std::string_view ref = raw.substr(amp + 1, semi - amp - 1);
        i = semi + 1;
        if (!ref.empty() && ref[0] == '#')
            out += CharacterFromCode(ReferenceCode(ref, 191));
        else if (ref == "lt")
            out += '<';
        else if (ref == "gt")
            out += '>';
        else if (ref == "amp")
            out += '&';
        else if (ref == "apos")
            out += '\'';
        else if (ref == "quot")
            out += '"';
        else if (TEntityDef* def = EntityDefinitions.Node(ref); def && depth < MaxEntityDepth &&
                                                                !Expanding(def) &&
                                                                SpendExpansion(def->Value.size())) {
            FExpanding.push_back(def);
            if (def->IsExternal())
                ExternalEntityContent(*def, out, depth);
            else
                out += NormalizeAttrValue(def->Value, depth + 1);
            FExpanding.pop_back();
        } else
            out += ref;
    }
    return out;
}

void TXmlParser::ExternalEntityContent(TEntityDef& def, std::string& out, int depth) {
    std::unique_ptr<TXmlParser> entity =
        OpenExternalEntity(def.SystemId, def.PublicId, def.NotationName);
    if (!entity)
        return;
    if (!SpendExpansion(entity->DocumentText().size()))
        return;
    entity->NormalizeText = NormalizeText;
    while (entity->NextPart()) {
        if (entity->PartKind != xpText && entity->PartKind != xpCData)
            continue;
        for (char c : entity->PartContent)
            out += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
    }
}
