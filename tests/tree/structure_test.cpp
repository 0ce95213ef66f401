#include "platform/timing.h"
#include "tree_fixture.h"
#include <cstring>
#include <string>

TEST_F(TreeTest, FreshTreeIsEmpty) {
    TVirtualStringTree fresh;
    PVirtualNode root = fresh.RootNode();
    EXPECT_EQ(root->SubtreeCount, 1u);
    EXPECT_EQ(fresh.VisibleCount(), 0u);
    EXPECT_EQ(fresh.ContentHeight(), 0u);
    EXPECT_EQ(fresh.GetNodeLevel(root), 0u);
    EXPECT_EQ(fresh.GetNodeLevel(nullptr), 0u);
    EXPECT_EQ(fresh.GetNodeData(root), nullptr);
    EXPECT_EQ(fresh.NodeDataSize(), -1);
    EXPECT_EQ(fresh.DefaultNodeHeight(), 18u);
    EXPECT_TRUE(root->States.ContainsAll({nsInitialized, nsExpanded, nsHasChildren, nsVisible}));
    EXPECT_EQ(root->Parent, nullptr);
    EXPECT_EQ(fresh.FocusedNode(), nullptr);
    EXPECT_FALSE(fresh.Expanded(nullptr));
    EXPECT_TRUE(TreeInvariantsHold(fresh));
}

TEST_F(TreeTest, PropertyValuesAreNormalised) {
    Tree->SetNodeDataSize(-5);
    EXPECT_EQ(Tree->NodeDataSize(), -1);
    Tree->SetDefaultNodeHeight(0);
    EXPECT_EQ(Tree->DefaultNodeHeight(), 18u);
    // The root follows the default height, so the content height stays 0.
    EXPECT_EQ(Tree->RootNode()->NodeHeight, 18);
    EXPECT_EQ(ContentHeight(), 0u);
}

TEST_F(TreeTest, TopLevelNodesAreNumberedAndCounted) {
    // Not on screen, so that nothing measures (and so initialises) the rows.
    Tree->Hide();
    auto nodes = Add(nullptr, 3);
    for (std::uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(nodes[i]->Index, i);
        EXPECT_EQ(nodes[i]->States, TVirtualNodeStates(nsVisible)) << i;
        EXPECT_EQ(nodes[i]->Parent, Tree->RootNode());
        EXPECT_EQ(Tree->GetNodeLevel(nodes[i]), 0u);
    }
    EXPECT_EQ(Tree->RootNode()->ChildCount, 3u);
    EXPECT_EQ(Tree->RootNode()->SubtreeCount, 4u);
    EXPECT_EQ(ContentHeight(), 3u * 24);
    EXPECT_EQ(Tree->VisibleCount(), 3u);
    EXPECT_EQ(Tree->RootNodeCount(), 3u);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, AddingUnderCollapsedAndExpandedNodes) {
    PVirtualNode a = Tree->AddChild(nullptr);
    PVirtualNode b = Tree->AddChild(a);
    ASSERT_TRUE(TreeInvariantsHold(*Tree));
    // Under a collapsed node: counts grow, heights do not.
    PVirtualNode c = Tree->AddChild(b);
    EXPECT_EQ(a->SubtreeCount, 3u);
    EXPECT_EQ(Tree->RootNode()->SubtreeCount, 4u);
    EXPECT_EQ(ContentHeight(), 24u);
    EXPECT_EQ(Tree->VisibleCount(), 1u);
    EXPECT_EQ(Tree->GetNodeLevel(c), 2u);
    ASSERT_TRUE(TreeInvariantsHold(*Tree));

    Tree->SetExpanded(a, true);
    Tree->SetExpanded(b, true);
    ASSERT_TRUE(TreeInvariantsHold(*Tree));
    EXPECT_EQ(Tree->VisibleCount(), 3u);
    // Under an expanded, fully visible node: one row for every expanded ancestor.
    Tree->AddChild(b);
    EXPECT_EQ(b->SubtreeHeight, 3u * 24);
    EXPECT_EQ(a->SubtreeHeight, 4u * 24);
    EXPECT_EQ(ContentHeight(), 4u * 24);
    EXPECT_EQ(Tree->VisibleCount(), 4u);
    ASSERT_TRUE(TreeInvariantsHold(*Tree));

    // Under an expanded node whose parent is collapsed: the node's height grows, the root's not.
    Tree->SetExpanded(a, false);
    ASSERT_TRUE(TreeInvariantsHold(*Tree));
    Tree->AddChild(b);
    EXPECT_EQ(b->SubtreeHeight, 4u * 24);
    EXPECT_EQ(ContentHeight(), 24u);
    EXPECT_EQ(Tree->VisibleCount(), 1u);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, HasChildrenFollowsAddingAndDeleting) {
    PVirtualNode a = Tree->AddChild(nullptr);
    EXPECT_FALSE(a->States.Contains(nsHasChildren));
    PVirtualNode child = Tree->AddChild(a);
    EXPECT_TRUE(a->States.Contains(nsHasChildren));
    Tree->SetExpanded(a, true);
    ASSERT_TRUE(Tree->Expanded(a));
    // Deleting the last child one by one clears both flags.
    Tree->DeleteNode(child);
    EXPECT_FALSE(a->States.Contains(nsHasChildren));
    EXPECT_FALSE(a->States.Contains(nsExpanded));
    ASSERT_TRUE(TreeInvariantsHold(*Tree));

    Add(a, 2);
    Tree->SetExpanded(a, true);
    Tree->DeleteChildren(a, false);
    EXPECT_TRUE(a->States.Contains(nsHasChildren));
    EXPECT_FALSE(a->States.Contains(nsExpanded));
    EXPECT_EQ(a->ChildCount, 0u);
    ASSERT_TRUE(TreeInvariantsHold(*Tree));

    Add(a, 2);
    Tree->DeleteChildren(a, true);
    EXPECT_FALSE(a->States.Contains(nsHasChildren));
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, DeletingRenumbersAndKeepsTotals) {
    auto top = Add(nullptr, 5);
    Add(top[1], 3);
    Add(top[3], 2);
    Tree->SetExpanded(top[1], true);
    ASSERT_TRUE(TreeInvariantsHold(*Tree));
    Tree->DeleteNode(top[0]);
    EXPECT_EQ(top[1]->Index, 0u);
    EXPECT_EQ(top[4]->Index, 3u);
    ASSERT_TRUE(TreeInvariantsHold(*Tree));
    Tree->DeleteNode(top[1]); // expanded, with children
    ASSERT_TRUE(TreeInvariantsHold(*Tree));
    EXPECT_EQ(Tree->VisibleCount(), 3u);
    EXPECT_EQ(Tree->RootNode()->SubtreeCount, 6u);
    Tree->DeleteNode(nullptr);
    Tree->DeleteNode(Tree->RootNode());
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, RootNodeCountGrowsAndShrinksAtTheEnd) {
    Tree->SetRootNodeCount(4);
    PVirtualNode first = Tree->RootNode()->FirstChild;
    Add(first, 2);
    Tree->SetRootNodeCount(6);
    EXPECT_EQ(Tree->RootNode()->LastChild->Index, 5u);
    ASSERT_TRUE(TreeInvariantsHold(*Tree));
    Tree->SetRootNodeCount(1);
    EXPECT_EQ(Tree->RootNode()->FirstChild, first);
    EXPECT_EQ(Tree->RootNode()->SubtreeCount, 4u);
    ASSERT_TRUE(TreeInvariantsHold(*Tree));
    Tree->SetRootNodeCount(0);
    EXPECT_EQ(Tree->RootNode()->ChildCount, 0u);
    EXPECT_EQ(Tree->VisibleCount(), 0u);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, NodeDataArea) {
    PVirtualNode a = Tree->AddChild(nullptr);
    auto* data = Tree->GetNodeData<std::uint32_t>(a);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(*data, 0u); // zero-filled
    *data = 12345;
    EXPECT_EQ(*Tree->GetNodeData<std::uint32_t>(a), 12345u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(data) % alignof(std::uint32_t), 0u);
    EXPECT_EQ(Tree->GetNodeData(nullptr), nullptr);

    int value = 7;
    PVirtualNode b = Tree->AddChild(nullptr, &value);
    void* stored = nullptr;
    std::memcpy(&stored, Tree->GetNodeData(b), sizeof stored);
    EXPECT_EQ(stored, &value);
    EXPECT_TRUE(b->States.Contains(nsFreeEventNeeded));
}

TEST_F(TreeTest, ChangingNodeDataSizeRebuildsTopLevel) {
    auto top = Add(nullptr, 3);
    Add(top[0], 2);
    Tree->SetFocusedNode(top[0]);
    Tree->SetSelected(top[1], true);
    Tree->SetNodeDataSize(0);
    EXPECT_EQ(Tree->RootNodeCount(), 3u);
    EXPECT_EQ(Tree->RootNode()->SubtreeCount, 4u);
    EXPECT_EQ(Tree->FocusedNode(), nullptr);
    EXPECT_EQ(Tree->SelectedCount(), 0u);
    EXPECT_EQ(Tree->GetNodeData(Tree->RootNode()->FirstChild), nullptr);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));

    // The same size again keeps the nodes, their data, the focus and the selection.
    Tree->SetNodeDataSize(4);
    PVirtualNode a = Tree->AddChild(Tree->RootNode()->FirstChild);
    *Tree->GetNodeData<std::uint32_t>(a) = 42;
    Tree->SetFocusedNode(a);
    Tree->SetSelected(a, true);
    Tree->SetNodeDataSize(4);
    EXPECT_EQ(Tree->RootNode()->SubtreeCount, 5u);
    EXPECT_EQ(*Tree->GetNodeData<std::uint32_t>(a), 42u);
    EXPECT_EQ(Tree->FocusedNode(), a);
    EXPECT_EQ(Tree->SelectedCount(), 1u);
}

TEST_F(TreeTest, UserDataWithoutRoomRaisesAfterAdding) {
    Tree->SetNodeDataSize(4);
    int value = 1;
    try {
        Tree->AddChild(nullptr, &value);
        FAIL() << "no error";
    } catch (const EVirtualTreeError& e) {
        EXPECT_STREQ(e.what(), "Cannot set initial user data because there is not enough user "
                               "data space allocated.");
        EXPECT_EQ(e.HelpContext, 2008);
    }
    ASSERT_EQ(Tree->RootNodeCount(), 1u);
    EXPECT_FALSE(Tree->RootNode()->FirstChild->States.Contains(nsFreeEventNeeded));
    EXPECT_EQ(*Tree->GetNodeData<std::uint32_t>(Tree->RootNode()->FirstChild), 0u);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, NodeDataSizeAskedOnFirstNode) {
    TVirtualStringTree tree;
    int asked = 0;
    tree.OnGetNodeDataSize = [&](TBaseVirtualTree*, int& size) {
        ++asked;
        EXPECT_EQ(size, 0);
        size = 12;
    };
    tree.AddChild(nullptr);
    tree.AddChild(nullptr);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(tree.NodeDataSize(), 12);
    EXPECT_NE(tree.GetNodeData(tree.RootNode()->FirstChild), nullptr);
}

TEST_F(TreeTest, FreeEventForInitialisedAndUserDataNodes) {
    Tree->Hide(); // rows on screen would be initialised by measuring
    std::vector<PVirtualNode> freed;
    Tree->OnFreeNode = [&](TBaseVirtualTree*, PVirtualNode n) { freed.push_back(n); };
    auto top = Add(nullptr, 3);
    int value = 0;
    PVirtualNode withData = Tree->AddChild(nullptr, &value);
    Tree->InitNode(top[1]);
    auto kids = Add(top[1], 2);
    Tree->InitNode(kids[1]);
    Tree->DeleteChildren(Tree->RootNode());
    // Children before their parent, last child first.
    ASSERT_EQ(freed.size(), 3u);
    EXPECT_EQ(freed[0], withData);
    EXPECT_EQ(freed[1], kids[1]);
    EXPECT_EQ(freed[2], top[1]);
}

TEST_F(TreeTest, FailingFreeHandlerDoesNotBreakTheTree) {
    auto top = Add(nullptr, 4);
    for (auto n : top) {
        Tree->InitNode(n);
        Add(n, 2);
    }
    int calls = 0;
    Tree->OnFreeNode = [&](TBaseVirtualTree*, PVirtualNode) {
        ++calls;
        throw EMkbError("free failed");
    };
    EXPECT_THROW(Tree->DeleteChildren(Tree->RootNode()), EMkbError);
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(Tree->RootNodeCount(), 0u);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, InitialisationOnDemand) {
    Tree->Hide(); // rows on screen would be initialised by measuring
    int inits = 0;
    Tree->OnInitNode = [&](TBaseVirtualTree*, PVirtualNode parent, PVirtualNode node,
                           TVirtualNodeInitStates& states) {
        ++inits;
        if (Tree->GetNodeLevel(node) == 0) {
            EXPECT_EQ(parent, nullptr);
            states.Include(ivsHasChildren);
        } else {
            EXPECT_EQ(parent, node->Parent);
        }
    };
    Tree->OnInitChildren = [&](TBaseVirtualTree*, PVirtualNode, std::uint32_t& count) {
        EXPECT_EQ(count, 0u);
        count = 3;
    };
    PVirtualNode a = Tree->AddChild(nullptr);
    EXPECT_EQ(inits, 0); // new nodes are not initialised
    PVirtualNode first = Tree->GetFirstChild(a);
    EXPECT_EQ(inits, 2); // the node, then the child returned
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(a->ChildCount, 3u);
    EXPECT_TRUE(first->States.Contains(nsInitialized));
    EXPECT_FALSE(a->FirstChild->NextSibling->States.Contains(nsInitialized));
    Tree->InitNode(a); // initialising again is the caller's business; the node stays sound
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, InitChildrenWithZeroClearsHasChildren) {
    Tree->OnInitChildren = [&](TBaseVirtualTree*, PVirtualNode, std::uint32_t& count) {
        count = 0;
    };
    PVirtualNode a = Tree->AddChild(nullptr);
    a->States.Include(nsHasChildren);
    Tree->ToggleExpanded(a);
    EXPECT_FALSE(a->States.Contains(nsHasChildren));
    EXPECT_FALSE(Tree->Expanded(a));
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, VisibleTraversalSkipsHiddenAndCollapsed) {
    Tree->Hide(); // rows on screen would be initialised by measuring
    auto top = Add(nullptr, 3);
    auto kids = Add(top[0], 3);
    Add(kids[2], 1);
    Tree->SetExpanded(top[0], true);
    Tree->SetIsVisible(kids[1], false);
    ASSERT_TRUE(TreeInvariantsHold(*Tree));
    std::vector<PVirtualNode> order;
    for (PVirtualNode n = Tree->GetFirstVisibleNoInit(); n; n = Tree->GetNextVisibleNoInit(n))
        order.push_back(n);
    EXPECT_EQ(order, (std::vector<PVirtualNode>{top[0], kids[0], kids[2], top[1], top[2]}));
    std::vector<PVirtualNode> back;
    for (PVirtualNode n = Tree->GetLastVisibleNoInit(); n; n = Tree->GetPreviousVisibleNoInit(n))
        back.push_back(n);
    EXPECT_EQ(back, (std::vector<PVirtualNode>{top[2], top[1], kids[2], kids[0], top[0]}));
    EXPECT_EQ(Tree->GetLastVisibleNoInit(top[0]), kids[2]);
    EXPECT_EQ(Tree->CountShownDescendants(top[0]), 2u);
    EXPECT_EQ(Tree->VisibleCount(), 5u);
    EXPECT_EQ(ContentHeight(), 5u * 24);
    // Only adding children (to top[0] and kids[2]) initialised nodes; walking did not.
    for (auto n : {kids[0], top[1], top[2]})
        EXPECT_FALSE(n->States.Contains(nsInitialized));

    Tree->SetIsVisible(kids[1], true);
    EXPECT_EQ(Tree->VisibleCount(), 6u);
    Tree->SetIsVisible(top[0], false);
    EXPECT_EQ(Tree->VisibleCount(), 2u);
    EXPECT_EQ(ContentHeight(), 2u * 24);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, HiddenChildrenAreRecountedWhenTheUpdateEnds) {
    auto top = Add(nullptr, 2);
    PVirtualNode only = Tree->AddChild(top[0]);
    auto pair = Add(top[1], 2);
    Tree->BeginUpdate();
    Tree->SetIsVisible(only, false);
    Tree->SetIsVisible(pair[0], false);
    Tree->BeginUpdate();
    Tree->EndUpdate();
    // Still inside the outer update: the recount waits for its end.
    EXPECT_FALSE(top[0]->States.Contains(nsNoVisibleChildren));
    Tree->EndUpdate();
    EXPECT_TRUE(top[0]->States.Contains(nsNoVisibleChildren));
    EXPECT_FALSE(top[1]->States.Contains(nsNoVisibleChildren));
    EXPECT_FALSE(Tree->TreeStates().Contains(tsUpdateHiddenChildrenNeeded));

    // A parent freed while its recount waits is simply left out.
    Tree->BeginUpdate();
    Tree->SetIsVisible(pair[1], false);
    Tree->DeleteNode(top[1]);
    Tree->EndUpdate();
    EXPECT_EQ(Tree->RootNodeCount(), 1u);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, StructureChangeNotifications) {
    std::vector<std::pair<PVirtualNode, TChangeReason>> seen;
    Tree->OnStructureChange = [&](TBaseVirtualTree*, PVirtualNode n, TChangeReason r) {
        seen.emplace_back(n, r);
    };
    PVirtualNode a = Tree->AddChild(nullptr);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], std::make_pair(PVirtualNode{nullptr}, crChildAdded));
    Tree->AddChild(a);
    Tree->DeleteChildren(a);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1], std::make_pair(a, crChildAdded));
    EXPECT_EQ(seen[2], std::make_pair(a, crChildDeleted));

    // Inside an update the notification waits and several reasons accumulate.
    seen.clear();
    Tree->BeginUpdate();
    Tree->AddChild(a);
    Tree->DeleteChildren(a);
    EXPECT_TRUE(seen.empty());
    Tree->EndUpdate();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].second, crAccumulated);
}

TEST_F(TreeTest, AccumulatedStructureChangeNamesTheLastNode) {
    auto top = Add(nullptr, 2);
    std::vector<std::pair<PVirtualNode, TChangeReason>> seen;
    Tree->OnStructureChange = [&](TBaseVirtualTree*, PVirtualNode n, TChangeReason r) {
        seen.emplace_back(n, r);
    };
    // Changes under two parents: one report, the reason merged, the node of the last change.
    Tree->SetChangeDelay(20);
    Tree->AddChild(top[0]);
    Tree->AddChild(top[1]);
    const std::uint32_t start = GetTickCount();
    while (seen.empty() && GetTickCount() - start < 2000)
        ProcessMessages();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], std::make_pair(top[1], crAccumulated));

    seen.clear();
    Tree->SetChangeDelay(0);
    Tree->BeginUpdate();
    Tree->AddChild(top[1]);
    Tree->DeleteChildren(top[0]);
    Tree->EndUpdate();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], std::make_pair(top[0], crAccumulated));
}

TEST_F(TreeTest, ChangeDelayDefersTheSelectionNotification) {
    PVirtualNode a = Tree->AddChild(nullptr);
    int changes = 0;
    PVirtualNode changed = nullptr;
    Tree->OnChange = [&](TBaseVirtualTree*, PVirtualNode n) {
        ++changes;
        changed = n;
    };
    Tree->SetSelected(a, true);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(changed, a);

    Tree->SetChangeDelay(30);
    Tree->SetSelected(a, false);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(Tree->TreeStates().Contains(tsChangePending));
    const std::uint32_t start = GetTickCount();
    while (changes == 1 && GetTickCount() - start < 2000)
        ProcessMessages();
    EXPECT_EQ(changes, 2);
    EXPECT_GE(GetTickCount() - start, 25u);
    EXPECT_FALSE(Tree->TreeStates().Contains(tsChangePending));

    // Structure changes wait just the same.
    int structureChanges = 0;
    Tree->OnStructureChange = [&](TBaseVirtualTree*, PVirtualNode, TChangeReason r) {
        EXPECT_EQ(r, crChildAdded);
        ++structureChanges;
    };
    Tree->AddChild(a);
    EXPECT_EQ(structureChanges, 0);
    const std::uint32_t again = GetTickCount();
    while (structureChanges == 0 && GetTickCount() - again < 2000)
        ProcessMessages();
    EXPECT_EQ(structureChanges, 1);
}

TEST_F(TreeTest, ReadOnlyTreeRefusesChanges) {
    PVirtualNode a = Tree->AddChild(nullptr);
    Tree->TreeOptions().MiscOptions.Include(toReadOnly);
    EXPECT_EQ(Tree->AddChild(nullptr), nullptr);
    Tree->DeleteNode(a);
    Tree->DeleteChildren(Tree->RootNode());
    EXPECT_EQ(Tree->RootNodeCount(), 1u);
}

TEST_F(TreeTest, DefaultNodeHeightMovesTheRootOnly) {
    PVirtualNode a = Tree->AddChild(nullptr);
    Tree->SetDefaultNodeHeight(30);
    EXPECT_EQ(a->NodeHeight, 24);
    EXPECT_EQ(Tree->RootNode()->NodeHeight, 30);
    EXPECT_EQ(ContentHeight(), 24u);
    EXPECT_EQ(Tree->AddChild(nullptr)->NodeHeight, 30);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}
