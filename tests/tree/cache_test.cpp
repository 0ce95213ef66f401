#include "cache_support.h"
#include "tree/worker.h"
#include "tree_fixture.h"

namespace {
class CacheTest : public TreeTest {
protected:
    // Top-level rows only, each 24 pixels high; waits for the build that follows.
    void MakeRows(unsigned n) {
        Tree->SetRootNodeCount(n);
        ASSERT_TRUE(WaitForCache(*Tree));
    }
    bool UsesCache() const { return Tree->TreeStates().Contains(tsUseCache); }
};
} // namespace

TEST_F(CacheTest, TwoThousandRowsBuildNoCache) {
    MakeRows(2000);
    EXPECT_FALSE(UsesCache());
    EXPECT_TRUE(Tree->TreeStates().Contains(tsValidationNeeded));
    EXPECT_FALSE(Tree->TreeStates().ContainsAny({tsValidating, tsStopValidation}));
    int top = -1;
    EXPECT_EQ(Tree->GetNodeAt(1999 * 24, false, &top), VisibleNodes(*Tree).back());
    EXPECT_EQ(top, 1999 * 24);
}

TEST_F(CacheTest, EntriesForEvery2000thRow) {
    MakeRows(4001);
    ASSERT_TRUE(UsesCache());
    EXPECT_FALSE(
        Tree->TreeStates().ContainsAny({tsValidating, tsValidationNeeded, tsStopValidation}));
    const auto rows = VisibleNodes(*Tree);
    const TCache& cache = Tree->PositionCache();
    ASSERT_EQ(cache.size(), 3u);
    EXPECT_EQ(cache[0].Node, rows[0]);
    EXPECT_EQ(cache[1].Node, rows[2000]);
    EXPECT_EQ(cache[2].Node, rows[4000]);
    EXPECT_EQ(cache[0].AbsoluteTop, 0u);
    EXPECT_EQ(cache[1].AbsoluteTop, 48000u);
    EXPECT_EQ(cache[2].AbsoluteTop, 96000u);
    int top = -1;
    EXPECT_EQ(Tree->GetNodeAt(96000, false, &top), rows[4000]);
    EXPECT_EQ(top, 96000);
    EXPECT_EQ(Tree->GetNodeAt(96024, false, &top), nullptr);
    EXPECT_EQ(Tree->GetDisplayRect(rows[4000]).Top, 96000);
    EXPECT_EQ(Tree->GetDisplayRect(rows[2001]).Top, 48024);
    EXPECT_EQ(Tree->GetDisplayRect(rows[1999]).Top, 47976);
}

TEST_F(CacheTest, FourThousandRowsFindTheLastFromTheSecondEntry) {
    MakeRows(4000);
    ASSERT_TRUE(UsesCache());
    const auto rows = VisibleNodes(*Tree);
    const TCache& cache = Tree->PositionCache();
    ASSERT_EQ(cache.size(), 2u);
    EXPECT_EQ(cache[1].Node, rows[2000]);
    int top = -1;
    EXPECT_EQ(Tree->GetNodeAt(95999, false, &top), rows[3999]);
    EXPECT_EQ(top, 3999 * 24);
    EXPECT_EQ(Tree->GetNodeAt(47999, false, &top), rows[1999]);
    EXPECT_EQ(Tree->GetNodeAt(48000, false, &top), rows[2000]);
}

TEST_F(CacheTest, NestedRowsAndHiddenNodesKeepLookupsExact) {
    // 30 parents of 200 children each, a few hidden: the entries fall inside child lists.
    Tree->BeginUpdate();
    std::vector<PVirtualNode> parents = Add(nullptr, 30);
    for (PVirtualNode p : parents)
        Add(p, 200);
    Tree->EndUpdate();
    Tree->FullExpand();
    Tree->SetIsVisible(parents[3]->FirstChild, false);
    Tree->SetIsVisible(parents[7], false);
    ASSERT_TRUE(WaitForCache(*Tree));
    ASSERT_TRUE(UsesCache());
    const auto rows = VisibleNodes(*Tree);
    ASSERT_EQ(rows.size(), Tree->VisibleCount());
    const TCache& cache = Tree->PositionCache();
    ASSERT_EQ(cache.size(), (rows.size() + 1999) / 2000);
    for (std::size_t k = 0; k < cache.size(); ++k) {
        EXPECT_EQ(cache[k].Node, rows[2000 * k]);
        EXPECT_EQ(cache[k].AbsoluteTop, 2000u * 24 * k);
    }
    for (std::size_t i = 0; i < rows.size(); i += 97) {
        EXPECT_EQ(Tree->GetDisplayRect(rows[i]).Top, static_cast<int>(i * 24));
        int top = -1;
        EXPECT_EQ(Tree->GetNodeAt(static_cast<int>(i * 24 + 5), false, &top), rows[i]);
    }
}

TEST_F(CacheTest, ChangeDuringBuildDiscardsIt) {
    Tree->SetRootNodeCount(100000);
    // Let the build start, then change the tree under it.
    for (int i = 0; i < 100000 && !Tree->TreeStates().Contains(tsValidating); ++i) {
        ProcessMessages();
        std::this_thread::yield();
    }
    std::vector<PVirtualNode> rows = VisibleNodes(*Tree);
    Tree->DeleteNode(rows[10]);
    EXPECT_FALSE(UsesCache());
    EXPECT_TRUE(Tree->TreeStates().Contains(tsValidationNeeded));
    int top = -1;
    EXPECT_EQ(Tree->GetNodeAt(50000 * 24, false, &top), rows[50001]);
    EXPECT_EQ(Tree->GetDisplayRect(rows[90001]).Top, 90000 * 24);
    // The tree was queued again; the new build sees the new shape.
    ASSERT_TRUE(WaitForCache(*Tree));
    ASSERT_TRUE(UsesCache());
    const TCache& cache = Tree->PositionCache();
    ASSERT_EQ(cache.size(), 50u);
    EXPECT_EQ(cache[1].Node, rows[2001]);
    EXPECT_EQ(cache[49].Node, rows[98001]);
    EXPECT_EQ(Tree->GetNodeAt(50000 * 24, false, &top), rows[50001]);
}

TEST_F(CacheTest, ToggleAndSelectionDuringBuild) {
    std::vector<PVirtualNode> top = Add(nullptr, 3);
    Tree->BeginUpdate();
    Add(top[0], 30000);
    Add(top[1], 30000);
    Tree->EndUpdate();
    Tree->ToggleExpanded(top[0]);
    Tree->ToggleExpanded(top[1]);
    for (int i = 0; i < 100000 && !Tree->TreeStates().Contains(tsValidating); ++i)
        ProcessMessages();
    Tree->ToggleExpanded(top[0]);
    EXPECT_FALSE(UsesCache());
    Tree->SetSelected(top[1]->LastChild, true);
    ASSERT_TRUE(WaitForCache(*Tree));
    ASSERT_TRUE(UsesCache());
    EXPECT_EQ(Tree->VisibleCount(), 30003u);
    Tree->SetOffsetY(0);
    EXPECT_EQ(Tree->GetDisplayRect(top[1]->LastChild).Top, 30001 * 24);
    EXPECT_EQ(Tree->GetDisplayRect(top[2]).Top, 30002 * 24);
    EXPECT_EQ(Tree->GetNodeAt(30002 * 24, false), top[2]);
}

TEST_F(CacheTest, TwoTreesShareTheWorkerUntilTheLastGoes) {
    auto second = std::make_unique<TTestTree>();
    second->SetDefaultNodeHeight(10);
    second->SetBounds(0, 0, 200, 200);
    second->Show();
    // Both queued at once.
    Tree->SetRootNodeCount(5000);
    second->SetRootNodeCount(7000);
    ASSERT_TRUE(WaitForCache(*Tree));
    ASSERT_TRUE(WaitForCache(*second));
    EXPECT_TRUE(Tree->TreeStates().Contains(tsUseCache));
    EXPECT_TRUE(second->TreeStates().Contains(tsUseCache));
    EXPECT_EQ(second->PositionCache().size(), 4u);
    EXPECT_EQ(second->PositionCache()[3].AbsoluteTop, 60000u);
    TWorkerThread* worker = TWorkerThread::Instance();
    ASSERT_NE(worker, nullptr);
    // A build still queued when its tree goes is dropped with it.
    second->SetRootNodeCount(9000);
    second.reset();
    EXPECT_EQ(TWorkerThread::Instance(), worker);
    Tree->SetRootNodeCount(6001);
    ASSERT_TRUE(WaitForCache(*Tree));
    EXPECT_EQ(Tree->PositionCache().size(), 4u);
    Tree.reset();
    EXPECT_EQ(TWorkerThread::Instance(), nullptr);
    // A new tree starts a new worker.
    Tree = std::make_unique<TTestTree>();
    EXPECT_NE(TWorkerThread::Instance(), nullptr);
}

TEST_F(CacheTest, DestroyingATreeWhileItsBuildRuns) {
    auto other = std::make_unique<TTestTree>();
    other->SetRootNodeCount(200000);
    for (int i = 0; i < 100000 && !other->TreeStates().Contains(tsValidating); ++i)
        ProcessMessages();
    other.reset();
    Tree->SetRootNodeCount(2500);
    ASSERT_TRUE(WaitForCache(*Tree));
    EXPECT_TRUE(Tree->TreeStates().Contains(tsUseCache));
}

TEST_F(CacheTest, ExpandingHandlerFillingThousandsOfChildren) {
    // The handler's additions ask for rebuilds in the middle of the toggle; the cache that is
    // finally used describes the tree after it.
    std::vector<PVirtualNode> top = Add(nullptr, 2);
    Tree->AddChild(top[0]);
    Tree->OnExpanding = [](TBaseVirtualTree* sender, PVirtualNode node, bool&) {
        sender->DeleteChildren(node);
        for (int i = 0; i < 3000; ++i)
            sender->AddChild(node);
    };
    Tree->ToggleExpanded(top[0]);
    ASSERT_TRUE(WaitForCache(*Tree));
    ASSERT_TRUE(UsesCache());
    EXPECT_EQ(Tree->VisibleCount(), 3002u);
    const TCache& cache = Tree->PositionCache();
    ASSERT_EQ(cache.size(), 2u);
    EXPECT_EQ(cache[1].Node, VisibleNodes(*Tree)[2000]);
    Tree->SetOffsetY(0);
    EXPECT_EQ(Tree->GetDisplayRect(top[1]).Top, 3001 * 24);
    EXPECT_EQ(Tree->GetNodeAt(3001 * 24, false), top[1]);
}
