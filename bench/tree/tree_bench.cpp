// "Expand all" on a lazily filled tree of about 40,000 nodes, and deleting it again.
// The expansion handler works like the classification browser's: it replaces the node's
// children by one node per child record, each with a placeholder child when it has children.
#include "platform/application.h"
#include "tree/stringtree.h"
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

// Records by level: 20 classes, 20 blocks each, 10 categories each, 9 subcategories each.
constexpr std::uint32_t Fanout[] = {20, 20, 10, 9};
constexpr std::uint32_t Levels = 4;
constexpr std::uint32_t Placeholder = 0xFFFFFFFF;

std::uint32_t TotalNodes() {
    std::uint32_t total = 0, level = 1;
    for (std::uint32_t f : Fanout)
        total += (level *= f);
    return total;
}

void Fill(TBaseVirtualTree* tree, PVirtualNode node, bool&) {
    if (*tree->GetNodeData<std::uint32_t>(node) == Placeholder)
        return;
    const std::uint32_t level = tree->GetNodeLevel(node) + 1;
    tree->DeleteChildren(node);
    if (level >= Levels)
        return;
    for (std::uint32_t i = 0; i < Fanout[level]; ++i) {
        PVirtualNode child = tree->AddChild(node);
        *tree->GetNodeData<std::uint32_t>(child) = i;
        if (level + 1 < Levels)
            *tree->GetNodeData<std::uint32_t>(tree->AddChild(child)) = Placeholder;
    }
}

std::unique_ptr<TVirtualStringTree> MakeTree() {
    EnsureApplication();
    auto tree = std::make_unique<TVirtualStringTree>();
    tree->SetNodeDataSize(4);
    tree->SetDefaultNodeHeight(24);
    tree->SetBounds(0, 0, 400, 700);
    tree->Show();
    tree->OnExpanding = Fill;
    tree->BeginUpdate();
    for (std::uint32_t i = 0; i < Fanout[0]; ++i) {
        PVirtualNode n = tree->AddChild(nullptr);
        *tree->GetNodeData<std::uint32_t>(n) = i;
        *tree->GetNodeData<std::uint32_t>(tree->AddChild(n)) = Placeholder;
    }
    tree->EndUpdate();
    return tree;
}

long PeakRssKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// How much the process's peak memory grows for one fully expanded tree, per node. Measured
// once, before any other tree of the program raised the peak.
double PeakBytesPerNode() {
    static const double perNode = [] {
        auto tree = MakeTree();
        const long before = PeakRssKiB();
        tree->FullExpand();
        const long after = PeakRssKiB();
        return static_cast<double>(after - before) * 1024.0 / (tree->RootNode()->SubtreeCount - 1);
    }();
    return perNode;
}

void BM_ExpandAll(benchmark::State& state) {
    const double peakPerNode = PeakBytesPerNode();
    std::uint32_t nodes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = MakeTree();
        state.ResumeTiming();
        tree->FullExpand();
        state.PauseTiming();
        nodes = tree->RootNode()->SubtreeCount - 1;
        if (nodes != TotalNodes() || tree->VisibleCount() != nodes)
            state.SkipWithError("the tree was not fully built");
        tree.reset();
        state.ResumeTiming();
    }
    state.counters["nodes"] = nodes;
    state.counters["per_node"] =
        benchmark::Counter(static_cast<double>(nodes) * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["peak_rss_B_per_node"] = peakPerNode;
}

void BM_DeleteAll(benchmark::State& state) {
    std::uint32_t nodes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = MakeTree();
        tree->FullExpand();
        nodes = tree->RootNode()->SubtreeCount - 1;
        state.ResumeTiming();
        tree->DeleteChildren(tree->RootNode());
        state.PauseTiming();
        if (tree->RootNode()->SubtreeCount != 1 || tree->VisibleCount() != 0)
            state.SkipWithError("the tree was not emptied");
        tree.reset();
        state.ResumeTiming();
    }
    state.counters["nodes"] = nodes;
    state.counters["per_node"] =
        benchmark::Counter(static_cast<double>(nodes) * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

// Run first, while the process's peak memory is still that of an empty tree.
BENCHMARK(BM_ExpandAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteAll)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
