// Finding the row at a position and the top of a node's row on a tree of 40,000 visible rows,
// once with the position cache in use and once walking from the first visible node.
#include "forty_thousand.h"
#include "platform/application.h"
#include "tree/stringtree.h"

#include <benchmark/benchmark.h>
#include <random>
#include <vector>

namespace {

struct TFixture {
    std::unique_ptr<TVirtualStringTree> Tree;
    std::vector<PVirtualNode> Rows;
    std::vector<int> Positions;
};

TFixture Make(bool cached) {
    EnsureApplication();
    TFixture f;
    f.Tree = std::make_unique<TVirtualStringTree>();
    TVirtualStringTree& tree = *f.Tree;
    tree.SetDefaultNodeHeight(24);
    tree.SetBounds(0, 0, 400, 600);
    FillFortyThousandRows(tree);
    if (!cached)
        tree.SetDefaultNodeHeight(25); // marks the cache out of date; rows keep their heights
    for (PVirtualNode n = tree.GetFirstVisibleNoInit(); n != nullptr;
         n = tree.GetNextVisibleNoInit(n))
        f.Rows.push_back(n);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> y(0, static_cast<int>(tree.ContentHeight()) - 1);
    for (int i = 0; i < 1024; ++i)
        f.Positions.push_back(y(rng));
    return f;
}

void CheckState(benchmark::State& state, const TFixture& f, bool cached) {
    if (f.Rows.size() != 40000 || f.Tree->TreeStates().Contains(tsUseCache) != cached)
        state.SkipWithError("the tree is not in the state to measure");
}

void NodeAtPosition(benchmark::State& state, bool cached) {
    TFixture f = Make(cached);
    CheckState(state, f, cached);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(f.Tree->GetNodeAt(f.Positions[i++ & 1023], false));
    }
}

void TopOfNode(benchmark::State& state, bool cached) {
    TFixture f = Make(cached);
    CheckState(state, f, cached);
    std::vector<PVirtualNode> nodes;
    for (int y : f.Positions)
        nodes.push_back(f.Rows[static_cast<std::size_t>(y / 24)]);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(f.Tree->GetDisplayRect(nodes[i++ & 1023]).Top);
    }
}

void BM_NodeAtPosition_Cached(benchmark::State& s) {
    NodeAtPosition(s, true);
}
void BM_NodeAtPosition_Walk(benchmark::State& s) {
    NodeAtPosition(s, false);
}
void BM_TopOfNode_Cached(benchmark::State& s) {
    TopOfNode(s, true);
}
void BM_TopOfNode_Walk(benchmark::State& s) {
    TopOfNode(s, false);
}
BENCHMARK(BM_NodeAtPosition_Cached);
BENCHMARK(BM_NodeAtPosition_Walk);
BENCHMARK(BM_TopOfNode_Cached);
BENCHMARK(BM_TopOfNode_Walk);

} // namespace

BENCHMARK_MAIN();
