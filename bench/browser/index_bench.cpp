// The record index against the passes over the store it replaced, in one run: expanding every
// class and block of the tree, and opening a record by its code (finding it and the path to
// it), each before (every question a pass over all slots) and after; and the index's making.
// Run: QT_QPA_PLATFORM=offscreen bench_index
#include "browser/browser.h"
#include "browser/records.h"
#include "data/loader.h"
#include "data/recindex.h"
#include "platform/application.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

using namespace mkb::browser;

namespace {

std::span<TMKBRec> EmbeddedStore() {
    if (MKBRecs[0].id == 0)
        LoadClassification();
    return MKBStore();
}

// ---- before: the passes over every slot, as the browser made them ----

int ScanChildCount(std::span<const TMKBRec> store, int id) {
    int count = 0;
    for (const TMKBRec& rec : store)
        count += rec.parent_id == id;
    return count;
}

void ScanAddChildNodes(std::span<TMKBRec> store, TVirtualStringTree& tree, int parentId,
                       PVirtualNode parentNode) {
    for (std::size_t i = 0; i < store.size(); ++i) {
        TMKBRec& rec = store[i];
        if (rec.parent_id != parentId)
            continue;
        PVirtualNode node = tree.AddChild(parentNode);
        if (rec.child_count == -1)
            rec.child_count = ScanChildCount(store, rec.id);
        std::int32_t index = static_cast<std::int32_t>(i);
        std::memcpy(tree.GetNodeData(node), &index, sizeof index);
        if (rec.child_count > 0)
            tree.AddChild(node);
    }
}

int ScanById(std::span<const TMKBRec> store, int id) {
    for (std::size_t i = 0; i < store.size(); ++i)
        if (store[i].id == id)
            return static_cast<int>(i);
    return -1;
}

std::vector<int> ScanOpenByCode(std::span<const TMKBRec> store, std::u16string_view code) {
    const std::u16string key = TRecordIndex::CodeKey(code);
    std::vector<int> path;
    for (std::size_t i = 0; i < store.size(); ++i)
        if (!store[i].code.empty() && TRecordIndex::CodeKey(DecodeCode(store[i])) == key) {
            path.push_back(static_cast<int>(i));
            break;
        }
    while (!path.empty() && store[static_cast<std::size_t>(path.front())].parent_id != -1) {
        const int parent = ScanById(store, store[static_cast<std::size_t>(path.front())].parent_id);
        if (parent < 0)
            break;
        path.insert(path.begin(), parent);
    }
    return path;
}

void ForgetCounts(std::span<TMKBRec> store) {
    for (TMKBRec& r : store)
        if (r.id != 0)
            r.child_count = -1;
}

// Every class, then every block (and sub-block) below it.
template <class Expand> void ExpandClassesAndBlocks(TVirtualStringTree& tree, Expand expand) {
    for (PVirtualNode c = tree.RootNode()->FirstChild; c; c = c->NextSibling) {
        expand(c);
        for (PVirtualNode b = c->FirstChild; b; b = b->NextSibling)
            if (tree.GetNodeLevel(b) == 1)
                expand(b);
    }
}

void ExpandEverything(benchmark::State& state, bool indexed) {
    EnsureApplication();
    const std::span<TMKBRec> store = EmbeddedStore();
    std::size_t nodes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ForgetCounts(store); // every count asked anew, as after start-up
        TVirtualStringTree tree;
        tree.SetNodeDataSize(4);
        TBrowser browser(store, tree);
        browser.IndexRecords();
        state.ResumeTiming();
        if (indexed) {
            browser.AddChildNodes(-1, nullptr);
            ExpandClassesAndBlocks(tree, [&](PVirtualNode n) {
                tree.DeleteChildren(n, false);
                bool allowed = false;
                browser.vstPartsTreeExpanding(&tree, n, allowed);
            });
        } else {
            ScanAddChildNodes(store, tree, -1, nullptr);
            ExpandClassesAndBlocks(tree, [&](PVirtualNode n) {
                tree.DeleteChildren(n, false);
                ScanAddChildNodes(store, tree,
                                  store[static_cast<std::size_t>(browser.RecordIndex(n))].id, n);
            });
        }
        nodes = 0;
        for (PVirtualNode c = tree.RootNode()->FirstChild; c; c = c->NextSibling)
            for (PVirtualNode b = c->FirstChild; b; b = b->NextSibling)
                nodes += 1 + b->ChildCount;
    }
    state.counters["nodes"] = static_cast<double>(nodes);
}

const std::u16string_view Codes[] = {u"A00", u"C00.0", u"G30.1", u"J10.1", u"S06.70", u"Z99.9"};

void OpenByCode(benchmark::State& state, bool indexed) {
    const std::span<TMKBRec> store = EmbeddedStore();
    const TRecordIndex records(store);
    for (auto _ : state)
        for (std::u16string_view code : Codes) {
            std::vector<int> path;
            if (indexed) {
                const int found = records.ByCode(code);
                path.push_back(found);
                BuildRecordPath(records, found, path);
            } else {
                path = ScanOpenByCode(store, code);
            }
            benchmark::DoNotOptimize(path.data());
        }
    state.counters["codes"] = std::size(Codes);
}

void MakeIndex(benchmark::State& state) {
    const std::span<TMKBRec> store = EmbeddedStore();
    for (auto _ : state) {
        TRecordIndex records(store);
        benchmark::DoNotOptimize(records.Built());
    }
}

} // namespace

BENCHMARK_CAPTURE(ExpandEverything, before_store_passes, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ExpandEverything, after_index, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenByCode, before_store_passes, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(OpenByCode, after_index, true)->Unit(benchmark::kMicrosecond);
BENCHMARK(MakeIndex)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
