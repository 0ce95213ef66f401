// From a focus change in the tree to the new details page painted: page build, parse, layout
// and paint, for the record with the longest texts and for a synthetic 5,680-character note.
// Run: QT_QPA_PLATFORM=offscreen bench_details
#include "browser/browser.h"
#include "browser/detailsview.h"
#include "browser/records.h"
#include "browser/windowsetup.h"
#include "data/loader.h"
#include "platform/application.h"
#include "platform/codepage.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace mkb::browser;

namespace {

struct TPane {
    TImageList Images{24, 24};
    TVirtualStringTree Tree;
    html::THTMLViewer Viewer;
    THtmlDetailsView Details{Viewer};
    std::unique_ptr<TBrowser> Browser;

    explicit TPane(std::span<TMKBRec> store) {
        // The main window's tree and viewer, the viewer 320 wide inside its frame.
        Tree.SetNodeDataSize(4);
        SetUpPartsTree(Tree, Images);
        Tree.SetBounds(0, 0, 700, 600);
        Tree.Show();
        SetUpDetailsViewer(Viewer);
        Viewer.SetBounds(0, 0, 318, 600);
        Viewer.Show();
        Browser = std::make_unique<TBrowser>(store, Tree);
        Browser->Details = &Details;
        ConnectPartsTree(Tree, *Browser);
        Browser->AddChildNodes(-1, nullptr);
        ProcessMessages();
    }
    // Opens the tree down to the record and returns its node.
    PVirtualNode Open(std::span<const TMKBRec> store, int index) {
        std::vector<int> path{index};
        BuildRecordPath(Browser->Records(), index, path);
        PVirtualNode node = Tree.RootNode();
        for (int i : path) {
            node = Browser->FindChildByIndex(node, i);
            Tree.SetExpanded(node, true);
        }
        return node;
    }
    void Run(benchmark::State& state, PVirtualNode target, PVirtualNode other) {
        for (auto _ : state) {
            state.PauseTiming();
            Tree.SetFocusedNode(other);
            Viewer.Repaint();
            state.ResumeTiming();
            Tree.SetFocusedNode(target);
            Viewer.Repaint(); // paints now, through the off-screen bitmap
        }
        state.counters["DocHeight"] = Viewer.DocHeight;
    }
};

void FocusToPaintLongestRecord(benchmark::State& state) {
    EnsureApplication();
    if (MKBRecs[0].id == 0)
        LoadClassification();
    std::span<TMKBRec> store = MKBStore();
    std::size_t best = 0, longest = 0;
    for (std::size_t i = 0; i < store.size(); ++i) {
        const std::size_t n = store[i].name.size() + store[i].incl.size() + store[i].excl.size() +
                              store[i].note.size();
        if (n > longest) {
            longest = n;
            best = i;
        }
    }
    TPane pane(store);
    PVirtualNode target = pane.Open(store, static_cast<int>(best));
    state.counters["Characters"] = static_cast<double>(longest);
    pane.Run(state, target, target->Parent);
}

void FocusToPaintSyntheticNote(benchmark::State& state) {
    EnsureApplication();
    auto rec = [](int id, const std::u16string& code, const std::u16string& name, int parent) {
        TMKBRec r;
        r.id = id;
        r.code = EncodeCodePage(code, 1251);
        r.name = name;
        r.parent_id = parent;
        r.child_count = -1;
        return r;
    };
    std::vector<TMKBRec> store = {rec(1, u"КЛАСС I", u"НЕКОТОРЫЕ ИНФЕКЦИОННЫЕ БОЛЕЗНИ", -1),
                                  rec(2, u"", u"КИШЕЧНЫЕ ИНФЕКЦИИ (A00-A09)", 1),
                                  rec(3, u"A00", u"Холера", 2),
                                  rec(4, u"A00.0", u"Холера, вызванная холерным вибрионом", 3)};
    std::u16string note;
    const std::u16string words = u"Исключены: острая кишечная инфекция неуточненной этиологии, ";
    while (note.size() + words.size() <= 5680 - 4) {
        note += words;
        if (note.size() % 7 == 0)
            note += u"<br>";
    }
    note.append(5680 - note.size(), u'ж');
    store[3].note = note;
    TPane pane(store);
    PVirtualNode target = pane.Open(store, 3);
    state.counters["Characters"] = static_cast<double>(note.size());
    pane.Run(state, target, target->Parent);
}

} // namespace

BENCHMARK(FocusToPaintLongestRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(FocusToPaintSyntheticNote)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
