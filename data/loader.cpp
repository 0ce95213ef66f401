#include "data/loader.h"

#include "platform/errors.h"
#include "platform/resources.h"
#include "text/codepages.h"
#include "text/scopeexit.h"
#include "xml/strtoint.h"
#include "xml/textbuffer.h"
#include "xml/xmlparser.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <strings.h>

using namespace mkb::text;

namespace {

std::int32_t ToInteger(const std::string& text) {
    std::int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError("'" + text + "' is not a valid integer value");
    return value;
}

// windows-1251 to wide text, the source's escaped line break becoming "<br>". Both are four
// ASCII characters, which the code page keeps as they are, so the breaks are found in the
// bytes and replaced in place.
void DecodeText(const std::string& raw, std::u16string& out) {
    out.resize(raw.size());
    char16_t* dst = out.data();
    const auto* src = reinterpret_cast<const unsigned char*>(raw.data());
    for (std::size_t i = 0; i < raw.size(); ++i)
        dst[i] = Cp1251Table[src[i]];
    static constexpr std::string_view kBreak = "\\n\\r";
    static constexpr std::u16string_view kTag = u"<br>";
    static_assert(kBreak.size() == kTag.size());
    for (std::size_t pos = raw.find(kBreak); pos != std::string::npos;
         pos = raw.find(kBreak, pos + kBreak.size()))
        std::copy(kTag.begin(), kTag.end(), dst + pos);
}

enum class TField { None, Id, Code, Name, Incl, Excl, Note, ParentId };

// By length first: every part of the document asks, and most are none of them.
TField FieldOf(const std::string& name) {
    switch (name.size()) {
    case 2:
        return name == "id" ? TField::Id : TField::None;
    case 4:
        return name == "code"   ? TField::Code
               : name == "name" ? TField::Name
               : name == "incl" ? TField::Incl
               : name == "excl" ? TField::Excl
               : name == "note" ? TField::Note
                                : TField::None;
    case 9:
        return name == "parent_id" ? TField::ParentId : TField::None;
    default:
        return TField::None;
    }
}

bool IsField(const std::string& name) {
    return FieldOf(name) != TField::None;
}

std::string Records(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " record" : " records");
}

std::string OverflowMessage(std::size_t records, std::size_t capacity) {
    return "The classification document holds " + Records(records) +
           ", but the record store has room for " + Records(capacity) +
           "; nothing beyond the store was written.";
}

} // namespace

void LoadClassificationInto(std::span<TMKBRec> store, std::string_view document) {
    auto parser = std::make_unique<TXmlParser>();
    {
        // The raw copy lives only until the scanner has its own, and is wiped before release.
        TTextBuffer buffer;
        if (!buffer.Allocate(document.size() + 1))
            throw EMkbError("Not enough memory to read the classification document.");
        std::memcpy(buffer.get(), document.data(), document.size());
        buffer[document.size()] = '\0';
        bool loaded = parser->LoadFromMemory(buffer.get());
#if defined(_WIN32)
        // MinGW-w64's C library has no explicit_bzero; volatile stores are not left out either.
        volatile char* wipe = buffer.get();
        for (std::size_t i = 0; i <= document.size(); ++i)
            wipe[i] = 0;
#else
        explicit_bzero(buffer.get(), document.size() + 1);
#endif
        if (!loaded)
            throw EMkbError("Not enough memory to read the classification document.");
    }

    TScopeExit reset([&parser] { parser->ResetDocument(); });

    std::size_t index = 0;
    const std::size_t capacity = store.size();
    while (parser->NextPart()) {
        const TXmlPartKind kind = parser->PartKind;
        const std::string& name = parser->PartName;
        if (kind == xpEndTag && name.size() == 3 && name == "rec") {
            if (index >= capacity)
                goto overflow;
            store[index].child_count = -1;
            ++index;
            continue;
        }
        if (kind != xpText && kind != xpCData)
            continue;
        const TField field = FieldOf(name);
        if (field == TField::None)
            continue;
        if (index >= capacity)
            goto overflow;
        TMKBRec& rec = store[index];
        const std::string& content = parser->PartContent;
        switch (field) {
        case TField::Id:
            rec.id = ToInteger(content);
            break;
        case TField::ParentId:
            rec.parent_id = ToInteger(content);
            break;
        case TField::Code:
            rec.code.assign(content, 0, MKBCodeMaxBytes);
            break;
        case TField::Name:
            DecodeText(content, rec.name);
            break;
        case TField::Incl:
            DecodeText(content, rec.incl);
            break;
        case TField::Excl:
            DecodeText(content, rec.excl);
            break;
        default:
            DecodeText(content, rec.note);
            break;
        }
    }
    return;

overflow:
    // Count the rest without writing, so that the message names both figures. Field values
    // after the last "</rec>" belong to one more record that the document never closes.
    std::size_t records = index;
    bool open = false;
    do {
        if (parser->PartKind == xpEndTag && parser->PartName == "rec") {
            ++records;
            open = false;
        } else if (parser->PartKind == xpText || parser->PartKind == xpCData) {
            open = open || IsField(parser->PartName);
        }
    } while (parser->NextPart());
    if (open)
        ++records;
    throw EMkbError(OverflowMessage(records, capacity));
}

void LoadClassification() {
    const TEmbeddedResource& res = OpenEmbeddedResource("MKBDATA");
    LoadClassificationInto(MKBStore(),
                           std::string_view(reinterpret_cast<const char*>(res.Data), res.Size));
}
