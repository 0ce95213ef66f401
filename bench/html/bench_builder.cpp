// A details page with a long note, read into a document and laid out at the pane's width:
// the work of a focus change in the tree.
#include "html/builder.h"
#include "html/layout/document.h"

#include "fixed_layout.h"

#include <benchmark/benchmark.h>

namespace {

// The pane: the right panel is 320 wide, its bordered panel leaves the viewer 318, and a page
// taller than the pane is laid out again without the scroll bar's 17.
constexpr int kPaneWidth = 318;
constexpr int kScrollBarWidth = 17;
constexpr int kPaneHeight = 637;

std::u16string Cell(std::u16string_view heading, std::u16string_view value) {
    std::u16string s =
        u"    <tr>\r\n      <td><font size=\"2\" color=\"#871f1c\" face=\"Verdana\"><b>";
    s += heading;
    s += u"</b></font></td>\r\n    </tr>\r\n    <tr>\r\n      <td><font size=\"2\" "
         u"face=\"Verdana\">";
    s += value;
    s += u"</font></td>\r\n    </tr>\r\n";
    return s;
}

std::u16string LongNotePage() {
    const std::u16string sentence = u"Холера, вызванная холерным вибрионом 01, биовар eltor. ";
    std::u16string note;
    for (int i = 0; note.size() < 5680; ++i) {
        note += sentence;
        if (i % 4 == 3)
            note += u"<br>";
    }
    note.resize(5680);
    std::u16string page = u"<html>\r\n  <body bgColor=\"#f7f8fa\">\r\n    <table border=\"0\" "
                          u"cellpadding=\"0\" cellspacing=\"8\">\r\n";
    page += Cell(u"Класс", u"КЛАСС I.Некоторые инфекционные и паразитарные болезни");
    page += Cell(u"Раздел", u"Кишечные инфекции");
    page += Cell(u"Код", u"A00");
    page += Cell(u"Наименование", u"Холера");
    page += Cell(u"Дополнительная информация", note);
    page += u"  </body>\r\n</html>\r\n";
    return page;
}

struct TSetup {
    TFixedFontServices Fonts{VerdanaLikeMetrics()};
};

void Load(html::TSectionList& doc, const std::u16string& page) {
    doc.Clear();
    doc.SetDefaults(u"Times New Roman", u"Courier New", 10, 5, RUSSIAN_CHARSET, true, false,
                    0xFAF8F7, 0xFF, 0x800080, 0xFF0000, 0xFF000008, 12);
    html::ParseDocument(page, doc);
}

void BM_BuildDetailsPageLongNote(benchmark::State& state) {
    TSetup setup;
    const std::u16string page = LongNotePage();
    html::TSectionList doc;
    for (auto _ : state)
        Load(doc, page);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size() * 2));
}
BENCHMARK(BM_BuildDetailsPageLongNote)->Unit(benchmark::kMicrosecond);

// Parsed and laid out as the viewer does for a page taller than the pane: at the full width,
// then at the width beside the scroll bar.
void BM_BuildAndLayOutDetailsPageLongNote(benchmark::State& state) {
    TSetup setup;
    const std::u16string page = LongNotePage();
    html::TSectionList doc;
    TFixedCanvas canvas;
    int height = 0;
    for (auto _ : state) {
        Load(doc, page);
        for (int width : {kPaneWidth, kPaneWidth - kScrollBarWidth}) {
            int pos = 0, maxWidth = 0;
            height = doc.Layout(canvas, 0, pos, maxWidth, width, kPaneHeight);
        }
    }
    state.counters["height"] = height;
}
BENCHMARK(BM_BuildAndLayOutDetailsPageLongNote)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
