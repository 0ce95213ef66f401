// Random sequences of structural, expansion, selection and focus operations on a tree that is
// filled lazily like the classification browser fills it; the invariants are checked after
// every operation.
#include "tree_fixture.h"
#include <cstdio>
#include <random>

namespace {

// A synthetic hierarchy of records: record r has ChildRecords(r) children, numbered densely.
struct TRecords {
    static constexpr std::uint32_t Placeholder = 0xFFFFFFFF;
    static std::uint32_t ChildCount(std::uint32_t record, std::uint32_t level) {
        if (level >= 5)
            return 0;
        return (record * 2654435761u >> 7) % 6; // 0..5 children
    }
    static std::uint32_t Child(std::uint32_t record, std::uint32_t i) { return record * 7 + i + 1; }
};

// Like the browser: replace the node's children by one node per child record, each with a
// placeholder child when it has children of its own.
void BrowserExpanding(TBaseVirtualTree* tree, PVirtualNode node, bool& allowed) {
    const std::uint32_t record = *tree->GetNodeData<std::uint32_t>(node);
    if (record == TRecords::Placeholder)
        return;
    const std::uint32_t level = tree->GetNodeLevel(node) + 1;
    tree->DeleteChildren(node);
    for (std::uint32_t i = 0; i < TRecords::ChildCount(record, level - 1); ++i) {
        const std::uint32_t child = TRecords::Child(record, i);
        PVirtualNode n = tree->AddChild(node);
        *tree->GetNodeData<std::uint32_t>(n) = child;
        if (TRecords::ChildCount(child, level) > 0)
            *tree->GetNodeData<std::uint32_t>(tree->AddChild(n)) = TRecords::Placeholder;
    }
}

std::vector<PVirtualNode> AllNodes(const TBaseVirtualTree& tree) {
    std::vector<PVirtualNode> out;
    std::vector<PVirtualNode> stack{tree.RootNode()};
    while (!stack.empty()) {
        PVirtualNode n = stack.back();
        stack.pop_back();
        if (n != tree.RootNode())
            out.push_back(n);
        for (PVirtualNode c = n->FirstChild; c != nullptr; c = c->NextSibling)
            stack.push_back(c);
    }
    return out;
}

void RunRandomOperations(TBaseVirtualTree& tree, unsigned seed, int operations) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    int focusChanges = 0;
    int filled = 0;
    std::size_t largest = 0;
    tree.OnExpanding = [&](TBaseVirtualTree* sender, PVirtualNode node, bool& allowed) {
        ++filled;
        BrowserExpanding(sender, node, allowed);
    };
    tree.OnFocusChanged = [&](TBaseVirtualTree* sender, PVirtualNode node, TColumnIndex) {
        ++focusChanges;
        EXPECT_EQ(node, sender->FocusedNode());
    };
    for (std::uint32_t i = 0; i < 6; ++i) {
        PVirtualNode n = tree.AddChild(nullptr);
        *tree.GetNodeData<std::uint32_t>(n) = i * 3 + 1;
        *tree.GetNodeData<std::uint32_t>(tree.AddChild(n)) = TRecords::Placeholder;
    }
    for (int step = 0; step < operations; ++step) {
        std::vector<PVirtualNode> nodes = AllNodes(tree);
        largest = std::max(largest, nodes.size());
        PVirtualNode node =
            nodes.empty() ? nullptr
                          : nodes[static_cast<std::size_t>(pick(static_cast<int>(nodes.size())))];
        // Growing operations (11 and 12) only while the tree is not too large.
        int op = pick(13);
        if (nodes.size() > 1500 && (op == 11 || op == 12))
            op = 13 + pick(2);
        else if (op == 12 && pick(3) == 0)
            op = 13 + pick(2);
        switch (op) {
        case 0:
            tree.DeleteChildren(node, pick(2) == 0);
            break;
        case 1:
            tree.DeleteNode(node);
            break;
        case 2:
        case 3:
        case 4:
            tree.ToggleExpanded(node);
            break;
        case 5:
            tree.SetSelected(node, pick(3) != 0);
            break;
        case 6:
            tree.SetFocusedNode(pick(8) == 0 ? nullptr : node);
            break;
        case 7:
            tree.SetRevealed(node, true);
            break;
        case 8:
            tree.SetIsVisible(node, pick(3) != 0);
            break;
        case 9:
            tree.ScrollIntoView(node, pick(2) == 0);
            break;
        case 10:
            tree.SetOffsetY(-static_cast<int>(rng() % 3000));
            break;
        case 11: {
            PVirtualNode n = tree.AddChild(pick(4) == 0 ? nullptr : node);
            *tree.GetNodeData<std::uint32_t>(n) = rng() % 1000;
            break;
        }
        case 12:
            tree.FullExpand(node);
            break;
        case 13:
            tree.SetChildCount(pick(5) == 0 ? nullptr : node, rng() % 4);
            break;
        case 14: {
            // Nested updates defer repaints and notifications, never bookkeeping.
            tree.BeginUpdate();
            tree.ToggleExpanded(node);
            tree.BeginUpdate();
            const std::vector<PVirtualNode> now = AllNodes(tree);
            if (!now.empty())
                tree.DeleteChildren(now[rng() % now.size()]);
            tree.EndUpdate();
            EXPECT_EQ(tree.UpdateCount(), 1u);
            ASSERT_TRUE(TreeInvariantsHold(tree)) << "inside an update, step " << step;
            tree.SetSelected(tree.GetFirstVisibleNoInit(), true);
            tree.EndUpdate();
            break;
        }
        }
        ASSERT_TRUE(TreeInvariantsHold(tree))
            << "seed " << seed << ", step " << step << ", op " << op;
        if (tree.RootNodeCount() == 0)
            tree.AddChild(nullptr);
    }
    // The run must have reached deep and wide trees to mean anything.
    EXPECT_GT(focusChanges, operations / 30);
    EXPECT_GT(filled, operations / 10);
    EXPECT_GT(largest, 200u);
    std::printf("seed %u: %d fills, %d focus changes, up to %zu nodes\n", seed, filled,
                focusChanges, largest);
}

} // namespace

class RandomTreeTest : public TreeTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(RandomTreeTest, InvariantsHoldAfterEveryOperation) {
    Tree->SetNodeDataSize(4);
    RunRandomOperations(*Tree, GetParam(), 3000);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomTreeTest, ::testing::Values(1u, 2u, 3u, 20240u));
