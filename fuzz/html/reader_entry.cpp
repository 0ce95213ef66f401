#include "fuzz/html/reader_entry.h"

#include "html/read/htmlerrors.h"
#include "html/read/reader.h"
#include "html/style/propstack.h"
#include "html/style/stylelist.h"
#include "html/text/htmlstrings.h"
#include "platform/fixedfonts.h"

#include <cstdlib>
#include <string>

namespace {

// Fixed font answers, so that the run needs no display and is the same everywhere.
TFontMetrics FuzzMetrics() {
    TFontMetrics m;
    m.Height = 16;
    m.Ascent = 13;
    m.Descent = 3;
    return m;
}

} // namespace

int HtmlReaderFuzzOne(const std::uint8_t* data, std::size_t size) {
    TFixedFontServices services{FuzzMetrics(), {u"Arial"}};
    static constexpr int kCodePages[] = {1251, 1252, 65001, 932, 28592, 866, 950, 1250};
    int codePage = 1251;
    if (size > 0) {
        codePage = kCodePages[data[0] % 8];
        ++data;
        --size;
    }
    std::u16string text;
    text.reserve(size / 2 + 1);
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));

    html::TStyleList styles;
    styles.InitializeStyles(u"Times New Roman", u"Courier New", 12, clWindowText, 0xFF0000,
                            0x800080, 0x0000FF, true, RUSSIAN_CHARSET, 5, 10);
    html::TPropStack stack(styles);
    auto base = std::make_unique<html::TProperties>();
    styles.CopyDefault(*base);
    base->CodePage = codePage;
    stack.PushBase(std::move(base));

    html::THtmlReader reader;
    reader.PropStack = &stack;
    int ids = 0;
    reader.OnRegisterId = [&](const std::u16string&, int) { ++ids; };
    reader.ResetReader(text);
    std::size_t symbols = 0;
    try {
        reader.GetChar();
        do {
            reader.NextSymbol();
            if (reader.Symbol == html::symText) {
                // Every unit has a source index inside the text.
                const auto& idx = reader.Token.Indexes();
                if (idx.size() != reader.Token.AsString().size())
                    std::abort();
                for (int i : idx)
                    if (i < 0 || i >= static_cast<int>(text.size()))
                        std::abort();
            } else if (html::IsStartTagSymbol(reader.Symbol)) {
                // The tag's attributes go through the property stack as the builder takes them.
                const std::u16string tag = html::LowerCase(html::SymbolName(reader.Symbol));
                stack.PushProperties(
                    tag, reader.Attributes.ClassValue(), reader.Attributes.IdValue(),
                    reader.Attributes.StyleProperties(), reader.Attributes.TitleValue(), u"");
                (void)reader.Attributes.AsStrings();
                (void)stack.TopProperties()->GetFont();
                if (stack.Count() > 64)
                    stack.PopProperties();
            } else if (html::IsEndTagSymbol(reader.Symbol)) {
                stack.PopTagProperties(html::LowerCase(html::SymbolName(reader.Symbol)));
            }
            // Each step consumes input: more symbols than characters would mean a loop.
            if (++symbols > 2 * text.size() + 2)
                std::abort();
        } while (reader.Symbol != html::symEndOfInput);
    } catch (const html::EParseError&) {
    }
    return 0;
}
