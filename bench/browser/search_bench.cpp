// The search list on the embedded and on the synthetic full-scale classification: the time from
// a changed query to the ready list (results matched, ranked and handed to the list control,
// header and size given to the window), as a median of single runs, and the making of the folded
// index the first query pays for. Run: QT_QPA_PLATFORM=offscreen bench_search
#include "browser/search_list.h"
#include "data/loader.h"
#include "platform/application.h"
#include "platform/bitmap.h"
#include "tools/mkbgen/mkbgen.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

using namespace mkb::browser;

namespace {

std::span<TMKBRec> EmbeddedStore() {
    if (MKBRecs[0].id == 0)
        LoadClassification();
    return MKBStore();
}

std::span<TMKBRec> SyntheticStore() {
    static std::vector<TMKBRec> store = [] {
        const std::string doc = GenerateSyntheticClassification();
        std::size_t records = 0;
        for (std::size_t at = doc.find("</rec>"); at != std::string::npos;
             at = doc.find("</rec>", at + 6))
            ++records;
        std::vector<TMKBRec> s(records + 1);
        LoadClassificationInto(s, doc);
        return s;
    }();
    return store;
}

std::span<TMKBRec> StoreOf(int document) {
    return document == 0 ? EmbeddedStore() : SyntheticStore();
}

class TNullView : public TSearchResultsView {
public:
    void ShowResults(int) override {}
    void HideResults() override {}
    void SetResultsHeader(const std::u16string&) override {}
    void FocusResults() override {}
    void FocusSearchBox() override {}
};

// The list as the window has it: a shown control 700 x 320 below the search bar.
struct TListPane {
    TVirtualStringTree Tree;
    TBrowser Browser;
    TNullView View;
    TSearchResultsList List;
    explicit TListPane(std::span<TMKBRec> store) : Browser(store, Tree), List(store, Browser) {
        List.View = &View;
        List.vstSearchResults().SetBounds(0, 0, 700, 320);
        List.vstSearchResults().Show();
        List.SearchTextChanged(u"zzz"); // the index is made here, outside the timing
    }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The list's client area painted into a bitmap, as the window would paint it.
void PaintList(TVirtualStringTree& tree, TBitmap& out) {
    tree.RenderContent(out.Canvas(),
                       {-tree.OffsetX(), -tree.OffsetY(), tree.ClientWidth() - tree.OffsetX(),
                        tree.ClientHeight() - tree.OffsetY()},
                       {0, 0});
}

// before: the query the list shows when the user changes it. paint: the rows are painted too.
void QueryToList(benchmark::State& state, int document, std::u16string query, std::u16string before,
                 bool paint) {
    EnsureApplication();
    TListPane pane(StoreOf(document));
    TVirtualStringTree& tree = pane.List.vstSearchResults();
    TBitmap bitmap(tree.ClientWidth(), tree.ClientHeight());
    std::vector<double> samples;
    for (auto _ : state) {
        state.PauseTiming();
        // Only the words of the query before are known, as typing leaves them.
        pane.List.ForgetWords();
        pane.List.SearchTextChanged(before);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        pane.List.SearchTextChanged(query);
        if (paint)
            PaintList(tree, bitmap);
        samples.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    state.counters["median_us"] = Median(samples);
    state.counters["results"] = static_cast<double>(pane.List.Results().Records.size());
}

// The matching and ranking alone, without the list control.
void SearchOnly(benchmark::State& state, int document, std::u16string query) {
    TSearchIndex index(StoreOf(document));
    std::vector<double> samples;
    std::size_t results = 0;
    for (auto _ : state) {
        state.PauseTiming();
        index.ForgetWords(); // every word new, as in a changed query
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        results = Search(index, query).Records.size();
        samples.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    state.counters["median_us"] = Median(samples);
    state.counters["results"] = static_cast<double>(results);
}

// The first query of a run: the list and its index are made anew, and nothing is known yet of
// the names the ranking reads.
void FirstQuery(benchmark::State& state, int document, std::u16string query) {
    EnsureApplication();
    const std::span<TMKBRec> store = StoreOf(document);
    TVirtualStringTree tree;
    TBrowser browser(store, tree);
    TNullView view;
    std::vector<double> samples;
    for (auto _ : state) {
        state.PauseTiming();
        auto list = std::make_unique<TSearchResultsList>(store, browser);
        list->View = &view;
        list->vstSearchResults().SetBounds(0, 0, 700, 320);
        list->vstSearchResults().Show();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        list->SearchTextChanged(query);
        samples.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
    state.counters["median_us"] = Median(samples);
}

void IndexBuild(benchmark::State& state, int document) {
    const std::span<TMKBRec> store = StoreOf(document);
    std::vector<double> samples;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        TSearchIndex index(store);
        benchmark::DoNotOptimize(index.Size());
        samples.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    state.counters["median_us"] = Median(samples);
    state.counters["records"] = static_cast<double>(store.size());
    std::size_t characters = 0;
    for (const TMKBRec& rec : store)
        characters += rec.name.size() + rec.code.size();
    state.counters["characters"] = static_cast<double>(characters);
}

void Register() {
    const char* documents[] = {"embedded", "synthetic"};
    // Each query from one with no results (every row new) and from itself one character shorter,
    // as typing changes it.
    const std::vector<std::pair<std::u16string, std::u16string>> queries = {
        {u"грипп", u"грип"},
        {u"a0", u"a"},
        {u"туберкулез легких", u"туберкулез легки"},
        {u"ая", u"а"},
        {u"zzz", u"zz"},
        {u"переломами лучевой кости", u"переломами лучевой кост"},
        {u"ОНМК", u"ОНМ"},
        {u"менингид", u"менинги"},
        {u"сахарный диабет 2 типа с осложнениями", u"сахарный диабет 2 типа с осложнениям"}};
    const std::vector<std::string> names = {"грипп", "a0",   "туберкулез_легких",
                                            "ая",    "zzz",  "word_forms",
                                            "term",  "slip", "most_words"};
    for (int d = 0; d < 2; ++d) {
        benchmark::RegisterBenchmark(("IndexBuild/" + std::string(documents[d])).c_str(),
                                     [d](benchmark::State& s) { IndexBuild(s, d); })
            ->Unit(benchmark::kMicrosecond);
        for (std::size_t q = 0; q < queries.size(); ++q) {
            const auto& [query, shorter] = queries[q];
            benchmark::RegisterBenchmark(
                ("FirstQuery/" + std::string(documents[d]) + "/" + names[q]).c_str(),
                [d, query](benchmark::State& s) { FirstQuery(s, d, query); })
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(
                ("Search/" + std::string(documents[d]) + "/" + names[q]).c_str(),
                [d, query](benchmark::State& s) { SearchOnly(s, d, query); })
                ->Unit(benchmark::kMicrosecond);
            // A two-character query has no shorter one that shows a list.
            for (int from = 0; from < (shorter.size() >= 2 ? 2 : 1); ++from)
                for (int paint = 0; paint < 2; ++paint) {
                    const std::string name = "QueryToList/" + std::string(documents[d]) + "/" +
                                             names[q] + (from == 0 ? "/from_empty" : "/typed") +
                                             (paint ? "/painted" : "/ready");
                    const std::u16string before = from == 0 ? u"ничего такого нет" : shorter;
                    benchmark::RegisterBenchmark(name.c_str(), [d, query, before,
                                                                paint](benchmark::State& s) {
                        QueryToList(s, d, query, before, paint != 0);
                    })->Unit(benchmark::kMicrosecond);
                }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Register();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
