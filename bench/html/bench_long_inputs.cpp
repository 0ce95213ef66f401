// Hostile page shapes, each read into a document, laid out at a narrow width and painted: a
// page that costs more than linear time in its length shows here long before it hangs a pane.
#include "html/builder.h"
#include "html/layout/document.h"

#include "fixed_layout.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

struct TSetup {
    TFixedFontServices Fonts{VerdanaLikeMetrics()};
};

std::u16string Repeat(std::u16string_view piece, std::size_t times) {
    std::u16string s;
    s.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        s += piece;
    return s;
}

std::u16string Page(int kind, std::size_t n) {
    switch (kind) {
    case 0: // n characters without a space (100,000 of them are 200 KB)
        return Repeat(u"x", n);
    case 1: // as long, with a break opportunity after every second character
        return Repeat(u"x-", n / 2);
    case 2: // words of one letter: one line each at the narrow width
        return Repeat(u"x ", n / 2);
    case 3: // n cells, 100 to a row
        return u"<table>" + Repeat(u"<tr>" + Repeat(u"<td>ab cd</td>", 100), n / 100) + u"</table>";
    case 4: // n one-cell rows
        return u"<table cellspacing=8>" + Repeat(u"<tr><td>ab cd", n);
    case 5: // n inline tags opened and never closed, each with a word
        return Repeat(u"<b>x <i>y <span>z ", n / 3);
    case 6: // n font changes in one section
        return Repeat(u"<b>x</b>y ", n);
    default: // twelve tables one inside the other (ten are kept), n words in the innermost
        return Repeat(u"<table><tr><td>abc def ", 12) + Repeat(u"ghi ", n);
    }
}

void BM_HostilePage(benchmark::State& state) {
    TSetup setup;
    const std::u16string page =
        Page(static_cast<int>(state.range(0)), static_cast<std::size_t>(state.range(1)));
    TFixedCanvas canvas;
    int height = 0;
    for (auto _ : state) {
        html::TSectionList doc;
        doc.SetDefaults(u"Times New Roman", u"Courier New", 10, 5, RUSSIAN_CHARSET, true, false,
                        0xFAF8F7, 0xFF, 0x800080, 0xFF0000, 0xFF000008, 12);
        html::ParseDocument(page, doc);
        int pos = 0, maxWidth = 0;
        height = doc.Layout(canvas, 0, pos, maxWidth, 40, 600);
        const TRect clip{0, 0, 300, 600};
        doc.ViewTop = height / 2;
        canvas.SetClipRect(clip);
        doc.Paint(canvas, clip, 0);
    }
    state.counters["height"] = height;
}
// {kind, count}: the sizes named above, and each at half that, to show how the time grows.
BENCHMARK(BM_HostilePage)
    ->ArgsProduct({{0, 1, 2}, {50000, 100000}})
    ->ArgsProduct({{3, 4}, {5000, 10000}})
    ->ArgsProduct({{5}, {500, 1000}})
    ->ArgsProduct({{6}, {10000, 20000}})
    ->ArgsProduct({{7}, {1000, 2000}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

BENCHMARK_MAIN();
