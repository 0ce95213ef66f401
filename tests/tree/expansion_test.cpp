#include "tree_fixture.h"

namespace {
// Counts the events a tree fires.
struct TEventLog {
    int Expanding = 0, Expanded = 0, Collapsing = 0, Collapsed = 0;
    std::vector<PVirtualNode> ExpandingNodes;
    std::vector<PVirtualNode> FocusChanges;

    void Attach(TBaseVirtualTree& tree) {
        tree.OnExpanded = [this](TBaseVirtualTree*, PVirtualNode) { ++Expanded; };
        tree.OnCollapsing = [this](TBaseVirtualTree*, PVirtualNode, bool&) { ++Collapsing; };
        tree.OnCollapsed = [this](TBaseVirtualTree*, PVirtualNode) { ++Collapsed; };
        tree.OnFocusChanged = [this](TBaseVirtualTree*, PVirtualNode n, TColumnIndex c) {
            EXPECT_EQ(c, NoColumn);
            FocusChanges.push_back(n);
        };
    }
};
} // namespace

TEST_F(TreeTest, ExpandingHandlerReplacesTheChildren) {
    TEventLog log;
    log.Attach(*Tree);
    PVirtualNode a = Tree->AddChild(nullptr);
    Tree->AddChild(a); // the placeholder
    // The allocator may hand the placeholder's memory to a new node, so the replacement is seen
    // in the children being exactly the ones the handler made, not by comparing addresses.
    std::vector<PVirtualNode> made;
    Tree->OnExpanding = [&](TBaseVirtualTree* sender, PVirtualNode node, bool& allowed) {
        ++log.Expanding;
        EXPECT_TRUE(allowed);
        sender->DeleteChildren(node);
        for (int i = 0; i < 5; ++i)
            made.push_back(sender->AddChild(node));
        EXPECT_TRUE(TreeInvariantsHold(*sender));
    };
    Tree->ToggleExpanded(a);
    EXPECT_TRUE(Tree->Expanded(a));
    EXPECT_EQ(a->ChildCount, 5u);
    EXPECT_EQ(a->SubtreeHeight, 6u * 24);
    EXPECT_EQ(log.Expanding, 1);
    EXPECT_EQ(log.Expanded, 1);
    std::vector<PVirtualNode> children;
    for (PVirtualNode c = a->FirstChild; c; c = c->NextSibling)
        children.push_back(c);
    EXPECT_EQ(children, made);
    EXPECT_EQ(Tree->VisibleCount(), 6u);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, ExpandingHandlerLeavingNoChildren) {
    TEventLog log;
    log.Attach(*Tree);
    PVirtualNode a = Tree->AddChild(nullptr);
    Tree->AddChild(a);
    Tree->OnExpanding = [&](TBaseVirtualTree* sender, PVirtualNode node, bool&) {
        sender->DeleteChildren(node, false);
    };
    Tree->ToggleExpanded(a);
    EXPECT_FALSE(a->States.Contains(nsExpanded));
    EXPECT_EQ(log.Expanded, 0);
    EXPECT_EQ(a->SubtreeHeight, 24u);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, RefusedExpansionChangesNothing) {
    PVirtualNode a = Tree->AddChild(nullptr);
    Add(a, 4);
    Tree->OnExpanding = [](TBaseVirtualTree*, PVirtualNode, bool& allowed) { allowed = false; };
    const auto heightBefore = ContentHeight();
    Tree->SetExpanded(a, true);
    EXPECT_FALSE(Tree->Expanded(a));
    EXPECT_EQ(ContentHeight(), heightBefore);
    EXPECT_EQ(a->SubtreeHeight, 24u);
    EXPECT_EQ(Tree->VisibleCount(), 1u);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, CollapseAndReexpandKeepsChildrenAndTheirState) {
    TEventLog log;
    log.Attach(*Tree);
    PVirtualNode a = Tree->AddChild(nullptr);
    auto kids = Add(a, 3);
    Add(kids[1], 2);
    Tree->SetExpanded(a, true);
    Tree->SetExpanded(kids[1], true);
    ASSERT_EQ(Tree->VisibleCount(), 6u);
    Tree->SetExpanded(a, false);
    EXPECT_EQ(log.Collapsing, 1);
    EXPECT_EQ(log.Collapsed, 1);
    EXPECT_EQ(Tree->VisibleCount(), 1u);
    EXPECT_EQ(ContentHeight(), 24u);
    EXPECT_TRUE(Tree->Expanded(kids[1]));
    ASSERT_TRUE(TreeInvariantsHold(*Tree));
    Tree->SetExpanded(a, true);
    EXPECT_EQ(a->FirstChild, kids[0]);
    EXPECT_EQ(Tree->VisibleCount(), 6u);
    EXPECT_EQ(ContentHeight(), 6u * 24);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, ExpandedWriteIgnoresNoneRootAndUnchanged) {
    TEventLog log;
    Tree->OnExpanding = [&](TBaseVirtualTree*, PVirtualNode, bool&) { ++log.Expanding; };
    PVirtualNode a = Tree->AddChild(nullptr);
    Add(a, 1);
    Tree->SetExpanded(a, true);
    ASSERT_EQ(log.Expanding, 1);
    Tree->SetExpanded(a, true);
    Tree->SetExpanded(nullptr, true);
    Tree->SetExpanded(Tree->RootNode(), false);
    EXPECT_EQ(log.Expanding, 1);
    EXPECT_TRUE(Tree->Expanded(Tree->RootNode()));
}

TEST_F(TreeTest, NestedToggleOfTheSameNodeDoesNothing) {
    PVirtualNode a = Tree->AddChild(nullptr);
    Add(a, 2);
    int nested = 0;
    Tree->OnExpanding = [&](TBaseVirtualTree* sender, PVirtualNode node, bool&) {
        ++nested;
        EXPECT_TRUE(sender->TreeStates().Contains(tsToggling));
        sender->ToggleExpanded(node);
    };
    Tree->ToggleExpanded(a);
    EXPECT_EQ(nested, 1);
    EXPECT_TRUE(Tree->Expanded(a));
    EXPECT_FALSE(a->States.Contains(nsToggling));
    EXPECT_FALSE(Tree->TreeStates().Contains(tsToggling));
}

TEST_F(TreeTest, FailingHandlerRestoresToggleStates) {
    PVirtualNode a = Tree->AddChild(nullptr);
    Add(a, 2);
    Tree->OnExpanding = [](TBaseVirtualTree*, PVirtualNode, bool&) { throw EMkbError("no"); };
    EXPECT_THROW(Tree->ToggleExpanded(a), EMkbError);
    EXPECT_FALSE(a->States.Contains(nsToggling));
    EXPECT_FALSE(Tree->TreeStates().Contains(tsToggling));
    Tree->OnExpanding = nullptr;
    Tree->ToggleExpanded(a);
    EXPECT_TRUE(Tree->Expanded(a));
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, RevealExpandsParentThenGrandparent) {
    PVirtualNode a = Tree->AddChild(nullptr);
    PVirtualNode b = Tree->AddChild(a);
    PVirtualNode c = Tree->AddChild(b);
    std::vector<PVirtualNode> order;
    Tree->OnExpanding = [&](TBaseVirtualTree*, PVirtualNode n, bool&) { order.push_back(n); };
    Tree->SetRevealed(c, true);
    EXPECT_EQ(order, (std::vector<PVirtualNode>{b, a}));
    EXPECT_TRUE(Tree->Revealed(c));
    EXPECT_EQ(Tree->VisibleCount(), 3u);
    EXPECT_EQ(Tree->FocusedNode(), nullptr);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, SelectingMovesNoFocus) {
    TEventLog log;
    log.Attach(*Tree);
    auto top = Add(nullptr, 3);
    Tree->SetSelected(top[0], true);
    EXPECT_EQ(Tree->RangeAnchor(), top[0]);
    Tree->SetSelected(top[1], true);
    EXPECT_FALSE(Tree->Selected(top[0]));
    EXPECT_TRUE(Tree->Selected(top[1]));
    EXPECT_EQ(Tree->SelectedCount(), 1u);
    EXPECT_EQ(Tree->FocusedNode(), nullptr);
    EXPECT_TRUE(log.FocusChanges.empty());
    ASSERT_TRUE(TreeInvariantsHold(*Tree));

    Tree->SetSelected(top[1], false);
    EXPECT_EQ(Tree->SelectedCount(), 0u);
    EXPECT_EQ(Tree->RangeAnchor(), nullptr); // back to the (absent) focused node
    Tree->SetSelected(nullptr, true);
    Tree->SetSelected(Tree->RootNode(), true);
    EXPECT_EQ(Tree->SelectedCount(), 0u);

    top[2]->States.Include(nsDisabled);
    Tree->SetSelected(top[2], true);
    EXPECT_FALSE(Tree->Selected(top[2]));
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, SelectionStaysSortedByAddressWithMultiSelect) {
    Tree->TreeOptions().SelectionOptions.Include(toMultiSelect);
    auto top = Add(nullptr, 20);
    std::vector<int> order{7, 3, 15, 0, 19, 11, 4, 8};
    for (int i : order)
        Tree->AddToSelection(top[i]);
    EXPECT_EQ(Tree->SelectedCount(), order.size());
    Tree->RemoveFromSelection(top[15]);
    Tree->RemoveFromSelection(top[1]); // not selected
    EXPECT_EQ(Tree->SelectedCount(), order.size() - 1);
    ASSERT_TRUE(TreeInvariantsHold(*Tree));
    int changes = 0;
    PVirtualNode last = top[0];
    Tree->OnChange = [&](TBaseVirtualTree*, PVirtualNode n) {
        ++changes;
        last = n;
    };
    Tree->ClearSelection();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(last, nullptr);
    EXPECT_EQ(Tree->SelectedCount(), 0u);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, FocusChangedFiresOnlyOnRealMoves) {
    TEventLog log;
    log.Attach(*Tree);
    auto top = Add(nullptr, 3);
    Tree->SetFocusedNode(top[1]);
    Tree->SetFocusedNode(top[1]);
    EXPECT_EQ(log.FocusChanges, (std::vector<PVirtualNode>{top[1]}));
    EXPECT_EQ(Tree->RangeAnchor(), top[1]);

    // A refused move keeps the focus and fires nothing.
    Tree->OnFocusChanging = [&](TBaseVirtualTree*, PVirtualNode oldNode, PVirtualNode newNode,
                                TColumnIndex oldColumn, TColumnIndex newColumn, bool& allowed) {
        EXPECT_EQ(oldNode, top[1]);
        EXPECT_EQ(newNode, top[2]);
        EXPECT_EQ(oldColumn, NoColumn);
        EXPECT_EQ(newColumn, NoColumn);
        EXPECT_TRUE(allowed);
        allowed = false;
    };
    Tree->SetFocusedNode(top[2]);
    EXPECT_EQ(Tree->FocusedNode(), top[1]);
    EXPECT_EQ(log.FocusChanges.size(), 1u);
    Tree->OnFocusChanging = nullptr;
    Tree->SetFocusedNode(Tree->RootNode()); // the root stands for none
    EXPECT_EQ(Tree->FocusedNode(), nullptr);
    EXPECT_EQ(log.FocusChanges, (std::vector<PVirtualNode>{top[1], nullptr}));
}

TEST_F(TreeTest, DeletingTheFocusedNodeMovesFocusToNone) {
    TEventLog log;
    log.Attach(*Tree);
    PVirtualNode a = Tree->AddChild(nullptr);
    auto kids = Add(a, 4);
    Tree->SetExpanded(a, true);
    Tree->SetFocusedNode(kids[2]);
    Tree->SetSelected(kids[2], true);
    log.FocusChanges.clear();
    bool duringDeletion = false;
    Tree->OnFocusChanged = [&](TBaseVirtualTree* sender, PVirtualNode n, TColumnIndex) {
        log.FocusChanges.push_back(n);
        duringDeletion = sender->UpdateCount() > 0;
    };
    Tree->DeleteChildren(a);
    EXPECT_EQ(log.FocusChanges, (std::vector<PVirtualNode>{nullptr}));
    EXPECT_TRUE(duringDeletion);
    EXPECT_EQ(Tree->FocusedNode(), nullptr);
    EXPECT_EQ(Tree->SelectedCount(), 0u);
    EXPECT_EQ(Tree->RangeAnchor(), nullptr);
    ASSERT_TRUE(TreeInvariantsHold(*Tree));

    auto fresh = Add(a, 2);
    Tree->SetFocusedNode(fresh[0]);
    EXPECT_EQ(log.FocusChanges, (std::vector<PVirtualNode>{nullptr, fresh[0]}));
}

TEST_F(TreeTest, DeletingSelectedNodesInsideAnUpdateLeavesNoStaleEntries) {
    Tree->TreeOptions().SelectionOptions.Include(toMultiSelect);
    PVirtualNode a = Tree->AddChild(nullptr);
    auto kids = Add(a, 5);
    for (auto k : kids)
        Tree->AddToSelection(k);
    PVirtualNode keep = Tree->AddChild(nullptr);
    Tree->AddToSelection(keep);
    Tree->BeginUpdate();
    Tree->DeleteChildren(a);
    EXPECT_EQ(Tree->SelectedCount(), 1u);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
    // New nodes may get the freed addresses; none of them may count as selected.
    auto again = Add(a, 5);
    Tree->EndUpdate();
    for (auto n : again)
        EXPECT_FALSE(Tree->Selected(n));
    EXPECT_EQ(Tree->GetSelection(), TNodeArray{keep});
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, CollapsingKeepsAHiddenChildFocusedAndSelected) {
    TEventLog log;
    log.Attach(*Tree);
    PVirtualNode a = Tree->AddChild(nullptr);
    auto kids = Add(a, 2);
    Tree->SetExpanded(a, true);
    Tree->SetFocusedNode(kids[1]);
    Tree->SetSelected(kids[1], true);
    log.FocusChanges.clear();
    Tree->SetExpanded(a, false);
    EXPECT_EQ(Tree->FocusedNode(), kids[1]);
    EXPECT_TRUE(Tree->Selected(kids[1]));
    EXPECT_FALSE(Tree->Revealed(kids[1]));
    EXPECT_TRUE(log.FocusChanges.empty());
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, FocusingAHiddenNodeRevealsIt) {
    PVirtualNode a = Tree->AddChild(nullptr);
    PVirtualNode b = Tree->AddChild(a);
    PVirtualNode c = Tree->AddChild(b);
    Tree->SetFocusedNode(c);
    EXPECT_TRUE(Tree->Revealed(c));
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, FullExpandAsksForEveryNode) {
    // Every node gets two children until level 3, each filled by the expansion handler.
    int asked = 0;
    Tree->OnExpanding = [&](TBaseVirtualTree* sender, PVirtualNode node, bool&) {
        ++asked;
        EXPECT_TRUE(sender->TreeStates().Contains(tsExpanding));
        sender->DeleteChildren(node);
        if (sender->GetNodeLevel(node) < 3)
            for (int i = 0; i < 2; ++i)
                sender->AddChild(sender->AddChild(node)); // with a placeholder
    };
    auto top = Add(nullptr, 2);
    for (auto n : top)
        Tree->AddChild(n);
    Tree->FullExpand();
    // 2 + 4 + 8 + 16 nodes; the 16 leaves were asked too and stay collapsed.
    EXPECT_EQ(asked, 30);
    EXPECT_EQ(Tree->VisibleCount(), 30u);
    EXPECT_EQ(ContentHeight(), 30u * 24);
    EXPECT_FALSE(Tree->TreeStates().Contains(tsExpanding));
    ASSERT_TRUE(TreeInvariantsHold(*Tree));
    Tree->FullCollapse();
    EXPECT_EQ(Tree->VisibleCount(), 2u);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

namespace {
// The browser's way: expanding replaces all children by fresh nodes.
void Rebuild(TBaseVirtualTree* sender, PVirtualNode node, bool&) {
    const std::uint32_t count = node->ChildCount == 0 ? 2 : node->ChildCount;
    sender->DeleteChildren(node);
    for (std::uint32_t i = 0; i < count; ++i)
        sender->AddChild(node);
}
} // namespace

TEST_F(TreeTest, RefocusingAChildWhoseParentIsRebuiltOnExpansion) {
    TEventLog log;
    log.Attach(*Tree);
    PVirtualNode a = Tree->AddChild(nullptr);
    Add(a, 3);
    Tree->SetExpanded(a, true);
    PVirtualNode child = a->FirstChild->NextSibling;
    Tree->SetFocusedNode(child);
    Tree->SetExpanded(a, false);
    Tree->OnExpanding = Rebuild;
    log.FocusChanges.clear();
    // Scrolling the focused node into view expands its parent, which frees it.
    Tree->SetFocusedNode(child);
    EXPECT_EQ(Tree->FocusedNode(), nullptr);
    EXPECT_EQ(log.FocusChanges, (std::vector<PVirtualNode>{nullptr}));
    EXPECT_TRUE(Tree->Expanded(a));
    EXPECT_EQ(a->ChildCount, 3u);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, HandlersMayDeleteTheNodeBeingToggled) {
    auto top = Add(nullptr, 3);
    Add(top[1], 2);
    Tree->OnExpanding = [](TBaseVirtualTree* sender, PVirtualNode node, bool&) {
        sender->DeleteNode(node);
    };
    Tree->ToggleExpanded(top[1]);
    EXPECT_EQ(Tree->RootNodeCount(), 2u);
    ASSERT_TRUE(TreeInvariantsHold(*Tree));

    Add(top[2], 2);
    Tree->OnExpanding = nullptr;
    Tree->SetExpanded(top[2], true);
    Tree->OnCollapsed = [](TBaseVirtualTree* sender, PVirtualNode) {
        sender->DeleteChildren(sender->RootNode());
    };
    Tree->ToggleExpanded(top[2]);
    EXPECT_EQ(Tree->RootNodeCount(), 0u);
    EXPECT_FALSE(Tree->TreeStates().Contains(tsToggling));
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, RevealingThroughRebuildingAncestors) {
    PVirtualNode a = Tree->AddChild(nullptr);
    PVirtualNode b = Tree->AddChild(a);
    PVirtualNode c = Tree->AddChild(b);
    Tree->SetExpanded(a, true);
    Tree->OnExpanding = Rebuild;
    Tree->SetRevealed(c, true); // b's expansion frees c; the walk stops there
    EXPECT_TRUE(Tree->Expanded(b));
    EXPECT_EQ(b->ChildCount, 1u);
    EXPECT_NE(b->FirstChild, nullptr);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, ExpandingAHiddenNodeWhoseAncestorsAreRebuilt) {
    // a > b > c, all collapsed; b and c have more children than fit, so expanding c opens its
    // ancestors, and opening each one rebuilds its children: b's frees c, a's frees b.
    PVirtualNode a = Tree->AddChild(nullptr);
    PVirtualNode b = Tree->AddChild(a);
    auto bKids = Add(b, 20);
    PVirtualNode c = bKids[0];
    Add(c, 20);
    ASSERT_GT(20 * 24, Tree->ClientHeight());
    std::vector<PVirtualNode> rebuilt;
    Tree->OnExpanding = [&](TBaseVirtualTree* sender, PVirtualNode n, bool& allowed) {
        if (n == a || n == b) {
            rebuilt.push_back(n);
            Rebuild(sender, n, allowed);
        }
    };
    Tree->ToggleExpanded(c);
    EXPECT_EQ(rebuilt, (std::vector<PVirtualNode>{b, a}));
    EXPECT_TRUE(Tree->Expanded(a));
    EXPECT_EQ(a->ChildCount, 1u);
    EXPECT_FALSE(Tree->TreeStates().Contains(tsToggling));
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}
