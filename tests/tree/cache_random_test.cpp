// Structure changes racing with background builds: every lookup, cached or not, has to agree
// with the plain walk from the first visible node.
#include "cache_support.h"
#include "tree_fixture.h"
#include <random>

TEST_F(TreeTest, CachedLookupsMatchThePlainWalkWhileBuildsRace) {
    std::mt19937 rng(20261209);
    auto pick = [&](unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(rng); };
    Tree->BeginUpdate();
    std::vector<PVirtualNode> parents = Add(nullptr, 40);
    for (PVirtualNode p : parents)
        Add(p, 150 + pick(100));
    Tree->EndUpdate();
    Tree->FullExpand();
    int cachedLookups = 0;
    for (int step = 0; step < 400; ++step) {
        const auto rows = VisibleNodes(*Tree);
        ASSERT_EQ(rows.size(), Tree->VisibleCount());
        PVirtualNode target = rows.empty() ? nullptr : rows[pick(rows.size())];
        switch (pick(7)) {
        case 0:
            Tree->ToggleExpanded(parents[pick(parents.size())]);
            break;
        case 1:
            if (target != nullptr && target->Parent != Tree->RootNode())
                Tree->DeleteNode(target);
            break;
        case 2:
            Add(parents[pick(parents.size())], 1 + pick(40));
            break;
        case 3:
            if (target != nullptr)
                Tree->SetIsVisible(target, false);
            break;
        case 4:
            if (target != nullptr)
                Tree->SetSelected(target, !Tree->Selected(target));
            break;
        case 5:
            // Let a build run to its end now and then, so that the cache gets used.
            ASSERT_TRUE(WaitForCache(*Tree));
            break;
        default:
            ProcessMessages();
            break;
        }
        const auto now = VisibleNodes(*Tree);
        if (Tree->TreeStates().Contains(tsUseCache))
            ++cachedLookups;
        Tree->SetOffsetY(0);
        for (int probe = 0; probe < 20 && !now.empty(); ++probe) {
            PVirtualNode n = now[pick(now.size())];
            ASSERT_EQ(Tree->GetDisplayRect(n).Top - Tree->OffsetY(), PlainTop(*Tree, n));
            const std::int64_t y = pick(Tree->ContentHeight() + 30);
            std::int64_t expectedTop = 0;
            int top = -1;
            ASSERT_EQ(Tree->GetNodeAt(static_cast<int>(y), false, &top),
                      PlainNodeAt(*Tree, y, &expectedTop));
            ASSERT_EQ(top, expectedTop);
        }
    }
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
    // The cache took part: some lookups above ran while it was in use.
    EXPECT_GT(cachedLookups, 20);
}
