// The reader and the property stack on a details page, the work of every focus change.
#include "html/read/reader.h"
#include "html/style/propstack.h"
#include "html/style/stylelist.h"
#include "html/text/htmlcolors.h"
#include "platform/fixedfonts.h"

#include <benchmark/benchmark.h>

namespace {

TFontMetrics SixteenPixelMetrics() {
    TFontMetrics m;
    m.Height = 16;
    return m;
}

// A page of the largest kind: seven items, long notes with line breaks.
std::u16string DetailsPage() {
    std::u16string page = u"<html>\r\n  <body bgColor=\"#f7f8fa\">\r\n    <table border=\"0\" "
                          u"cellpadding=\"0\" cellspacing=\"8\">\r\n";
    const std::u16string note = u"Холера, вызванная холерным вибрионом 01, биовар eltor<br>";
    for (int item = 0; item < 7; ++item) {
        page += u"    <tr>\r\n      <td><font size=\"2\" color=\"#871f1c\" "
                u"face=\"Verdana\"><b>Наименование</b></font></td>\r\n    </tr>\r\n";
        page += u"    <tr>\r\n      <td><font size=\"2\" face=\"Verdana\">";
        for (int i = 0; i < 5; ++i)
            page += note;
        page += u"</font></td>\r\n    </tr>\r\n";
    }
    page += u"  </body>\r\n</html>\r\n";
    return page;
}

void BM_ReaderDetailsPage(benchmark::State& state) {
    const std::u16string page = DetailsPage();
    html::THtmlReader reader;
    std::size_t symbols = 0;
    for (auto _ : state) {
        reader.ResetReader(page);
        reader.GetChar();
        do {
            reader.NextSymbol();
            ++symbols;
        } while (reader.Symbol != html::symEndOfInput);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size() * 2));
    benchmark::DoNotOptimize(symbols);
}
BENCHMARK(BM_ReaderDetailsPage);

void BM_PropertyStackDetailsPage(benchmark::State& state) {
    TFixedFontServices fonts{SixteenPixelMetrics()};
    html::TStyleList styles;
    styles.InitializeStyles(u"Times New Roman", u"Courier New", 12, clWindowText, 0, 0, 0, true,
                            RUSSIAN_CHARSET, 5, 10);
    for (auto _ : state) {
        html::TPropStack stack(styles);
        auto base = std::make_unique<html::TProperties>();
        styles.CopyDefault(*base);
        stack.PushBase(std::move(base));
        stack.PushProperties(u"body", u"", u"", nullptr, u"", u"");
        stack.PushProperties(u"table", u"", u"", nullptr, u"", u"");
        for (int row = 0; row < 14; ++row) {
            stack.PushProperties(u"tr", u"", u"", nullptr, u"", u"");
            stack.PushProperties(u"td", u"", u"", nullptr, u"", u"");
            stack.PushProperties(u"font", u"", u"", nullptr, u"", u"")
                ->SetProperty(html::FontSize, 10.0);
            stack.PushProperties(u"b", u"", u"", nullptr, u"", u"");
            benchmark::DoNotOptimize(stack.TopProperties()->GetFont());
            stack.PopTagProperties(u"b");
            stack.PopTagProperties(u"font");
            stack.PopProperties();
            stack.PopProperties();
        }
    }
}
BENCHMARK(BM_PropertyStackDetailsPage);

void BM_ParseColorAlternating(benchmark::State& state) {
    TFixedFontServices fonts{SixteenPixelMetrics()};
    TColor c;
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        benchmark::DoNotOptimize(
            html::ParseColor(flip ? u"#871f1c" : u"lightgoldenrodyellow", true, c));
    }
}
BENCHMARK(BM_ParseColorAlternating);

} // namespace

BENCHMARK_MAIN();
