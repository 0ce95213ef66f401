// The keyboard, the focus and resizing.
#include "tests/tree/input_support.h"

TEST_F(InputTest, ArrowKeysMoveTheFocusAndTheSelectionFollows) {
    auto top = Add(nullptr, 4);
    auto kids = Add(top[1], 2);
    // Keys with no focused node start at the first or last visible node.
    Key(Qt::Key_Down);
    EXPECT_EQ(Tree->FocusedNode(), top[0]);
    EXPECT_TRUE(Tree->Selected(top[0]));
    Tree->SetFocusedNode(nullptr);
    Key(Qt::Key_Up);
    EXPECT_EQ(Tree->FocusedNode(), top[3]);
    EXPECT_EQ(Tree->SelectedCount(), 1u);
    EXPECT_TRUE(Tree->Selected(top[3]));
    FocusChanges.clear();
    // Down from the last row keeps the focus.
    Key(Qt::Key_Down);
    EXPECT_EQ(Tree->FocusedNode(), top[3]);
    EXPECT_TRUE(FocusChanges.empty());
    Key(Qt::Key_Home);
    EXPECT_EQ(Tree->FocusedNode(), top[0]);
    Key(Qt::Key_Up);
    EXPECT_EQ(Tree->FocusedNode(), top[0]);
    // Left on a collapsed top-level node does nothing.
    Key(Qt::Key_Left);
    EXPECT_EQ(Tree->FocusedNode(), top[0]);
    EXPECT_TRUE(Expanding.empty());
    // Right expands (through the owner), a second Right focuses the first child.
    Key(Qt::Key_Down);
    Key(Qt::Key_Right);
    EXPECT_TRUE(Tree->Expanded(top[1]));
    EXPECT_EQ(Expanding, std::vector<PVirtualNode>{top[1]});
    EXPECT_EQ(Tree->FocusedNode(), top[1]);
    Key(Qt::Key_Right);
    EXPECT_EQ(Tree->FocusedNode(), kids[0]);
    Key(Qt::Key_Right); // a leaf has no child to go to
    EXPECT_EQ(Tree->FocusedNode(), kids[0]);
    Key(Qt::Key_Down);
    EXPECT_EQ(Tree->FocusedNode(), kids[1]);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Tree->FocusedNode(), top[1]);
    Key(Qt::Key_Backspace); // a top-level node's parent is the root
    EXPECT_EQ(Tree->FocusedNode(), top[1]);
    Key(Qt::Key_Left);
    EXPECT_FALSE(Tree->Expanded(top[1]));
    EXPECT_EQ(Tree->FocusedNode(), top[1]);
    // With Shift, Right does not toggle: it goes to the first child, which reveals it.
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Tree->FocusedNode(), kids[0]);
    EXPECT_TRUE(Tree->Expanded(top[1]));
    Key(Qt::Key_End);
    EXPECT_EQ(Tree->FocusedNode(), top[3]);
    EXPECT_EQ(Tree->SelectedCount(), 1u);
    EXPECT_TRUE(Tree->Selected(top[3]));
    EXPECT_EQ(Tree->RangeAnchor(), top[3]);

    // A search result selected elsewhere: a scroll key keeps it, a move takes it away.
    Tree->SetSelected(top[0], true);
    Key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_TRUE(Tree->Selected(top[0]));
    Key(Qt::Key_Up);
    EXPECT_TRUE(Tree->Selected(top[2]));
    EXPECT_EQ(Tree->SelectedCount(), 1u);
}

TEST_F(InputTest, LeftAndRightWalkTheLevelsAndArrowsSkipHiddenNodes) {
    auto top = Add(nullptr, 3);
    auto kids = Add(top[1], 3);
    auto grand = Add(kids[1], 2);
    Tree->SetExpanded(top[1], true);
    // Left on a collapsed child goes to its parent; on an expanded one it collapses first.
    Tree->SetFocusedNode(kids[1]);
    Key(Qt::Key_Left);
    EXPECT_EQ(Tree->FocusedNode(), top[1]);
    Tree->SetExpanded(kids[1], true);
    Tree->SetFocusedNode(kids[1]);
    Key(Qt::Key_Left);
    EXPECT_FALSE(Tree->Expanded(kids[1]));
    EXPECT_EQ(Tree->FocusedNode(), kids[1]);
    // With Shift an expanded node is not collapsed: the focus goes up at once.
    Tree->SetExpanded(kids[1], true);
    Key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_TRUE(Tree->Expanded(kids[1]));
    EXPECT_EQ(Tree->FocusedNode(), top[1]);
    // Right on an expanded node goes to its first child that is not hidden.
    Tree->SetIsVisible(kids[0], false);
    Key(Qt::Key_Right);
    EXPECT_EQ(Tree->FocusedNode(), kids[1]);
    Key(Qt::Key_Right);
    EXPECT_EQ(Tree->FocusedNode(), grand[0]);
    // Backspace climbs one level at a time, Ctrl or not.
    Key(Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(Tree->FocusedNode(), kids[1]);
    // Up and Down step over hidden rows in display order, into and out of subtrees.
    Key(Qt::Key_Up);
    EXPECT_EQ(Tree->FocusedNode(), top[1]);
    Tree->SetIsVisible(top[0], false);
    Key(Qt::Key_Up);
    EXPECT_EQ(Tree->FocusedNode(), top[1]); // nothing visible above
    Tree->SetFocusedNode(grand[1]);
    Key(Qt::Key_Down);
    EXPECT_EQ(Tree->FocusedNode(), kids[2]);
    Key(Qt::Key_Down);
    EXPECT_EQ(Tree->FocusedNode(), top[2]);
    Key(Qt::Key_Home);
    EXPECT_EQ(Tree->FocusedNode(), top[1]);
    Tree->SetIsVisible(top[2], false);
    Key(Qt::Key_End);
    EXPECT_EQ(Tree->FocusedNode(), kids[2]);
    // The selection follows; with a modifier the range anchor stays where it was.
    EXPECT_EQ(Tree->RangeAnchor(), kids[2]);
    Key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(Tree->FocusedNode(), grand[1]);
    EXPECT_TRUE(Tree->Selected(grand[1]));
    EXPECT_EQ(Tree->SelectedCount(), 1u);
    EXPECT_EQ(Tree->RangeAnchor(), kids[2]);
}

TEST_F(InputTest, PageKeysMoveByAClientHeight) {
    auto top = Add(nullptr, 40);
    SizeClient(300, 240);
    Tree->SetFocusedNode(top[0]);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Tree->FocusedNode(), top[9]);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Tree->FocusedNode(), top[0]);
    SizeClient(300, 250);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Tree->FocusedNode(), top[10]);
    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Tree->FocusedNode(), top[39]); // stops at the last row
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Tree->FocusedNode(), top[29]);
    Tree->SetFocusedNode(nullptr);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Tree->FocusedNode(), top[39]);
    Tree->SetFocusedNode(nullptr);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Tree->FocusedNode(), top[0]);
}

TEST_F(InputTest, CtrlKeysScrollWithoutMovingTheFocus) {
    auto top = Add(nullptr, 40);
    Texts([](PVirtualNode) { return std::u16string(80, u'w'); });
    Tree->SetFocusedNode(top[0]);
    Key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Tree->OffsetY(), -24);
    Key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(Tree->OffsetY(), -24 - Tree->ClientHeight());
    Key(Qt::Key_PageUp, Qt::ControlModifier);
    Key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Tree->OffsetY(), 0);
    Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(Tree->OffsetX(), -24);
    Key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(Tree->OffsetX(), 0);
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Tree->GetDisplayRect(top[39]).Bottom, Tree->ClientHeight());
    EXPECT_EQ(Tree->OffsetX(), Tree->ClientWidth() - Tree->HorzRange());
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(Tree->OffsetY(), 0);
    EXPECT_EQ(Tree->OffsetX(), 0);
    EXPECT_EQ(Tree->FocusedNode(), top[0]);
    EXPECT_EQ(FocusChanges.size(), 1u);
}

TEST_F(InputTest, OperatorKeysExpandAndCollapseSubtrees) {
    auto top = Add(nullptr, 2);
    auto kids = Add(top[0], 2);
    Add(kids[1], 2);
    Add(top[1], 1);
    Tree->SetFocusedNode(top[0]);
    Expanding.clear();
    // "*" on the keypad: the whole subtree, leaves included, each through the owner.
    Key(Qt::Key_Asterisk, Qt::KeypadModifier, "*");
    EXPECT_TRUE(Tree->Expanded(top[0]));
    EXPECT_TRUE(Tree->Expanded(kids[1]));
    EXPECT_FALSE(Tree->Expanded(top[1]));
    EXPECT_EQ(Expanding.size(), 5u); // top[0], its two children, and the two grandchildren
    EXPECT_FALSE(Tree->TreeStates().Contains(tsExpanding));
    // "/" on the main block collapses the subtree.
    Key(Qt::Key_Slash, Qt::NoModifier, "/");
    EXPECT_FALSE(Tree->Expanded(top[0]));
    EXPECT_FALSE(Tree->Expanded(kids[1]));
    // "+" and "-" for the focused node alone; Ctrl alone does nothing.
    Key(Qt::Key_Plus, Qt::KeypadModifier, "+");
    EXPECT_TRUE(Tree->Expanded(top[0]));
    EXPECT_FALSE(Tree->Expanded(kids[1]));
    Key(Qt::Key_Minus, Qt::ControlModifier, "");
    EXPECT_TRUE(Tree->Expanded(top[0]));
    Key(Qt::Key_Minus, Qt::NoModifier, "-");
    EXPECT_FALSE(Tree->Expanded(top[0]));
    // Ctrl+Shift+"+" expands the whole tree, Ctrl+Shift+"-" collapses it; Ctrl gives no text.
    Key(Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier, "");
    EXPECT_TRUE(Tree->Expanded(top[0]) && Tree->Expanded(kids[1]) && Tree->Expanded(top[1]));
    Key(Qt::Key_Minus, Qt::ControlModifier | Qt::ShiftModifier | Qt::KeypadModifier, "");
    EXPECT_FALSE(Tree->Expanded(top[0]) || Tree->Expanded(kids[1]) || Tree->Expanded(top[1]));
    // With no focused node the operator keys have no subtree to work on.
    Tree->SetFocusedNode(nullptr);
    Expanding.clear();
    Key(Qt::Key_Asterisk, Qt::NoModifier, "*");
    Key(Qt::Key_Plus, Qt::NoModifier, "+");
    EXPECT_TRUE(Expanding.empty());
}

TEST_F(InputTest, KeyActionMayCancelOrReplaceTheKey) {
    auto top = Add(nullptr, 3);
    Tree->SetFocusedNode(top[0]);
    std::vector<TVirtualKey> seen;
    Tree->OnKeyAction = [&](TBaseVirtualTree*, TVirtualKey& key, TShiftState&, bool& doDefault) {
        seen.push_back(key);
        if (key == vk::Down)
            doDefault = false;
        else if (key == vk::Up)
            key = vk::End;
    };
    Key(Qt::Key_Down);
    EXPECT_EQ(Tree->FocusedNode(), top[0]);
    Key(Qt::Key_Up);
    EXPECT_EQ(Tree->FocusedNode(), top[2]);
    EXPECT_EQ(seen, (std::vector<TVirtualKey>{vk::Down, vk::Up}));
    // The standard key event comes first and may swallow the key.
    Tree->OnKeyDown = [](TBaseVirtualTree*, TVirtualKey& key, TShiftState) { key = 0; };
    Key(Qt::Key_Home);
    EXPECT_EQ(Tree->FocusedNode(), top[2]);
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(InputTest, KeysInAnEmptyTreeDoNothing) {
    for (int key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Home,
                    Qt::Key_End, Qt::Key_Left, Qt::Key_Right, Qt::Key_Backspace})
        Key(key);
    Key(Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier);
    Key(Qt::Key_Asterisk, Qt::NoModifier, "*");
    EXPECT_EQ(Tree->FocusedNode(), nullptr);
    EXPECT_EQ(Tree->SelectedCount(), 0u);
    EXPECT_TRUE(FocusChanges.empty());
}

TEST_F(InputTest, FocusLossLeavesTheButtonStates) {
    Add(nullptr, 3);
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, TextX(0), 12);
    Mouse(QEvent::MouseButtonPress, Qt::RightButton, TextX(0), 12);
    EXPECT_TRUE(Tree->TreeStates().ContainsAll({tsLeftButtonDown, tsRightButtonDown}));
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(ControlWidget(*Tree), &out);
    EXPECT_FALSE(Tree->TreeStates().ContainsAny({tsLeftButtonDown, tsRightButtonDown}));
}

TEST_F(InputTest, ResizingFiresOnResizeThenUpdatesTheBars) {
    Add(nullptr, 7);
    std::vector<int> heights;
    std::vector<std::pair<TScrollBarKind, bool>> shown;
    Tree->OnResize = [&](TBaseVirtualTree*) { heights.push_back(Tree->ClientHeight()); };
    Tree->OnShowScrollbar = [&](TBaseVirtualTree*, TScrollBarKind bar, bool show) {
        shown.emplace_back(bar, show);
    };
    ASSERT_FALSE(Tree->VertScrollBar().Visible());
    SizeClient(300, 100);
    ASSERT_FALSE(heights.empty());
    EXPECT_EQ(heights.back(), 100);
    EXPECT_TRUE(Tree->VertScrollBar().Visible());
    EXPECT_EQ(Tree->VertScrollBar().GetScrollInfo().Page, 101);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), std::make_pair(sbVertical, true));
    Tree->SetOffsetY(-68);
    SizeClient(300, 300);
    EXPECT_FALSE(Tree->VertScrollBar().Visible());
    EXPECT_EQ(Tree->OffsetY(), 0);
    EXPECT_EQ(shown.back(), std::make_pair(sbVertical, false));
}
