#include "data/loader.h"

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/resources.h"
#include "xml/strtoint.h"
#include "xml/textbuffer.h"
#include "xml/xmlparser.h"

#include <cstring>
#include <memory>
#include <string>
#include <strings.h>

namespace {

std::int32_t ToInteger(const std::string& text) {
    std::int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError("'" + text + "' is not a valid integer value");
    return value;
}

// windows-1251 to wide text, the source's escaped line break becoming "<br>". Both are four
// characters long, so the substitution is made in place.
void DecodeText(const std::string& raw, std::u16string& out) {
    out.clear();
    AppendCp1251(out, raw);
    static constexpr std::u16string_view kBreak = u"\\n\\r";
    static constexpr std::u16string_view kTag = u"<br>";
    static_assert(kBreak.size() == kTag.size());
    for (std::size_t pos = out.find(kBreak); pos != std::u16string::npos;
         pos = out.find(kBreak, pos + kTag.size()))
        out.replace(pos, kTag.size(), kTag);
}

bool IsField(const std::string& name) {
    return name == "id" || name == "code" || name == "name" || name == "incl" || name == "excl" ||
           name == "note" || name == "parent_id";
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
        explicit_bzero(buffer.get(), document.size() + 1);
        if (!loaded)
            throw EMkbError("Not enough memory to read the classification document.");
    }

    struct ResetOnExit {
        TXmlParser& p;
        ~ResetOnExit() { p.ResetDocument(); }
    } reset{*parser};

    std::size_t index = 0;
    const std::size_t capacity = store.size();
    while (parser->NextPart()) {
        const TXmlPartKind kind = parser->PartKind;
        const std::string& name = parser->PartName;
        if (kind == xpEndTag && name == "rec") {
            if (index >= capacity)
                goto overflow;
            store[index].child_count = -1;
            ++index;
            continue;
        }
        if (kind != xpText && kind != xpCData)
            continue;
        if (!IsField(name))
            continue;
        if (index >= capacity)
            goto overflow;
        TMKBRec& rec = store[index];
        const std::string& content = parser->PartContent;
        if (name == "id")
            rec.id = ToInteger(content);
        else if (name == "parent_id")
            rec.parent_id = ToInteger(content);
        else if (name == "code")
            rec.code.assign(content, 0, MKBCodeMaxBytes);
        else if (name == "name")
            DecodeText(content, rec.name);
        else if (name == "incl")
            DecodeText(content, rec.incl);
        else if (name == "excl")
            DecodeText(content, rec.excl);
        else
            DecodeText(content, rec.note);
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
