// The mouse and the wheel: hits, clicks, panning, scrolling.
#include "tests/tree/input_support.h"

TEST_F(InputTest, HitPositionsAcrossARow) {
    auto top = Add(nullptr, 3);
    auto kids = Add(top[1], 2);
    Tree->SetExpanded(top[1], true);
    auto hits = [&](int x, int y) { return Tree->GetHitTestInfoAt(x, y).HitPositions; };

    EXPECT_EQ(hits(-1, 5), THitPositions(hpToLeft));
    EXPECT_EQ(hits(5, -1), THitPositions(hpAbove));
    EXPECT_EQ(hits(-1, -1), THitPositions({hpToLeft, hpAbove}));
    EXPECT_EQ(hits(Tree->ClientWidth() + 1, 5), THitPositions(hpToRight));
    EXPECT_EQ(hits(5, Tree->ClientHeight() + 1), THitPositions(hpBelow));
    // Inside the client area but below the five rows.
    THitInfo below = Tree->GetHitTestInfoAt(5, 5 * 24 + 3);
    EXPECT_EQ(below.HitNode, nullptr);
    EXPECT_EQ(below.HitColumn, NoColumn);
    EXPECT_EQ(below.HitPositions, THitPositions(hpNowhere));

    // A top-level node with children: its indentation step 0..23 is the button area, the last
    // 9 pixels of it the glyph; then the margin, the image with its gap at 26..51, the text at
    // 52..75.
    const int y1 = RowY(top[1]);
    EXPECT_EQ(Tree->GetHitTestInfoAt(0, y1).HitNode, top[1]);
    EXPECT_EQ(hits(0, y1), THitPositions({hpOnNode, hpOnButton}));
    EXPECT_EQ(hits(14, y1), THitPositions({hpOnNode, hpOnButton}));
    EXPECT_EQ(hits(15, y1), THitPositions({hpOnNode, hpOnButton, hpOnButtonGlyph}));
    EXPECT_EQ(hits(24, y1), THitPositions(hpOnNode)); // the margin
    EXPECT_EQ(hits(26, y1), THitPositions({hpOnNode, hpOnImage}));
    EXPECT_EQ(hits(51, y1), THitPositions({hpOnNode, hpOnImage}));
    EXPECT_EQ(hits(52, y1), THitPositions({hpOnNode, hpOnText}));
    EXPECT_EQ(hits(75, y1), THitPositions({hpOnNode, hpOnText}));
    EXPECT_EQ(hits(76, y1), THitPositions({hpOnNode, hpRightOfText}));
    // A leaf has no button area; its indentation is plain row.
    EXPECT_EQ(hits(5, RowY(top[0])), THitPositions(hpOnNode));
    // A child: the parent's step is not its button area, even though the child has none.
    Tree->AddChild(kids[0]);
    const int yk = RowY(kids[0]);
    EXPECT_EQ(hits(10, yk), THitPositions(hpOnNode));
    EXPECT_EQ(hits(30, yk), THitPositions({hpOnNode, hpOnButton}));
    EXPECT_EQ(hits(39, yk), THitPositions({hpOnNode, hpOnButton, hpOnButtonGlyph}));
    EXPECT_EQ(hits(24 * 2 + 2 + 26, yk), THitPositions({hpOnNode, hpOnText}));

    // Without an image the text starts where the image would have been.
    NoImageNode = top[2];
    const int y2 = RowY(top[2]);
    EXPECT_EQ(hits(26, y2), THitPositions({hpOnNode, hpOnText}));
    EXPECT_EQ(hits(49, y2), THitPositions({hpOnNode, hpOnText}));
    EXPECT_EQ(hits(50, y2), THitPositions({hpOnNode, hpRightOfText}));
    // The same without an image list at all.
    Tree->SetImages(nullptr);
    NoImageNode = nullptr;
    EXPECT_EQ(hits(30, y1), THitPositions({hpOnNode, hpOnText}));
}

TEST_F(InputTest, HitTestingFollowsTheOffsetsAndLongTexts) {
    Add(nullptr, 30);
    Texts([](PVirtualNode n) { return n->Index == 3 ? std::u16string(100, u'w') : u"Text"; });
    ASSERT_GT(Tree->HorzRange(), Tree->ClientWidth());
    Tree->SetOffsetY(-48);
    Tree->SetOffsetX(-20);
    PVirtualNode third = Tree->RootNode()->FirstChild->NextSibling->NextSibling;
    // Row 2 now begins at the top; the text of a row starts 20 pixels further left.
    THitInfo hit = Tree->GetHitTestInfoAt(40, 5);
    EXPECT_EQ(hit.HitNode, third);
    EXPECT_TRUE(hit.HitPositions.Contains(hpOnText));
    // A text wider than the content: everything right of the image counts as text.
    PVirtualNode wide = third->NextSibling;
    const THitPositions far = Tree->GetHitTestInfoAt(Tree->ClientWidth() - 1, 24 + 5).HitPositions;
    EXPECT_EQ(Tree->GetHitTestInfoAt(5, 24 + 5).HitNode, wide);
    EXPECT_EQ(far, THitPositions({hpOnNode, hpOnText}));
    // Right of the content range there is nothing.
    EXPECT_TRUE(Tree->GetHitTestInfoAt(Tree->HorzRange() + 1, 5).HitPositions.Contains(hpToRight));
}

TEST_F(InputTest, LeftClicksToggleButtonsAndFocusRows) {
    auto top = Add(nullptr, 5);
    Add(top[1], 3);
    Tree->SetFocusedNode(top[0]);
    Tree->SetSelected(top[0], true);
    FocusChanges.clear();

    // The button area only toggles: focus and selection stay.
    Click(5, RowY(top[1]));
    EXPECT_TRUE(Tree->Expanded(top[1]));
    EXPECT_EQ(Expanding, std::vector<PVirtualNode>{top[1]});
    EXPECT_EQ(Tree->FocusedNode(), top[0]);
    EXPECT_TRUE(Tree->Selected(top[0]));
    EXPECT_TRUE(FocusChanges.empty());
    Click(20, RowY(top[1]));
    EXPECT_FALSE(Tree->Expanded(top[1]));

    // Right of the text, the row is still hit: focused and selected.
    Click(250, RowY(top[1]));
    EXPECT_EQ(Tree->FocusedNode(), top[1]);
    EXPECT_TRUE(Tree->Selected(top[1]));
    EXPECT_FALSE(Tree->Selected(top[0]));
    EXPECT_EQ(Tree->SelectedCount(), 1u);
    EXPECT_EQ(Tree->RangeAnchor(), top[1]);
    EXPECT_EQ(FocusChanges, std::vector<PVirtualNode>{top[1]});
    EXPECT_EQ(Tree->LastClickPos(), (TPoint{250, RowY(top[1])}));
    EXPECT_FALSE(Tree->TreeStates().Contains(tsLeftButtonDown));

    // A search selects another node without moving the focus; clicking the focused node
    // selects it again but reports no focus change; another node reports one.
    Tree->SetSelected(top[3], true);
    Click(TextX(0), RowY(top[1]));
    EXPECT_TRUE(Tree->Selected(top[1]));
    EXPECT_FALSE(Tree->Selected(top[3]));
    EXPECT_EQ(FocusChanges.size(), 1u);
    Click(TextX(0), RowY(top[2]));
    EXPECT_EQ(FocusChanges, (std::vector<PVirtualNode>{top[1], top[2]}));

    // Below the last row: the selection and the focus stay.
    Click(TextX(0), 190);
    EXPECT_EQ(Tree->FocusedNode(), top[2]);
    EXPECT_TRUE(Tree->Selected(top[2]));

    // A refused focus change leaves the focus, though the old selection was cleared.
    Tree->OnFocusChanging = [](TBaseVirtualTree*, PVirtualNode, PVirtualNode, TColumnIndex,
                               TColumnIndex, bool& allowed) { allowed = false; };
    Click(TextX(0), RowY(top[4]));
    EXPECT_EQ(Tree->FocusedNode(), top[2]);
    EXPECT_EQ(Tree->SelectedCount(), 0u);
    EXPECT_EQ(FocusChanges.size(), 2u);
}

TEST_F(InputTest, StandardMouseEventsComeFirstAndOtherButtonsChangeNothing) {
    auto top = Add(nullptr, 3);
    Tree->SetFocusedNode(top[0]);
    std::vector<std::string> log;
    Tree->OnMouseDown = [&](TBaseVirtualTree*, TMouseButton b, TShiftState, int x, int y) {
        log.push_back("down " + std::to_string(static_cast<int>(b)));
        // The tree's own handling comes after this.
        EXPECT_EQ(Tree->FocusedNode(), top[0]);
    };
    Tree->OnMouseUp = [&](TBaseVirtualTree*, TMouseButton b, TShiftState, int, int) {
        log.push_back("up " + std::to_string(static_cast<int>(b)));
    };
    Tree->OnColumnClick = [&](TBaseVirtualTree*, TColumnIndex c, TShiftState) {
        EXPECT_EQ(c, NoColumn);
        log.push_back("column click");
    };
    Mouse(QEvent::MouseButtonPress, Qt::RightButton, TextX(0), RowY(top[2]));
    EXPECT_TRUE(Tree->TreeStates().Contains(tsRightButtonDown));
    Mouse(QEvent::MouseButtonRelease, Qt::RightButton, TextX(0), RowY(top[2]));
    EXPECT_FALSE(Tree->TreeStates().Contains(tsRightButtonDown));
    EXPECT_EQ(Tree->FocusedNode(), top[0]);
    EXPECT_EQ(Tree->SelectedCount(), 0u);
    Click(TextX(0), RowY(top[2]));
    EXPECT_EQ(log, (std::vector<std::string>{"down 1", "up 1", "down 0", "up 0", "column click"}));
}

TEST_F(InputTest, DoubleClicksToggleTheRowsNode) {
    auto top = Add(nullptr, 3);
    Add(top[0], 2);
    Add(top[2], 2);
    std::vector<PVirtualNode> dbl;
    Tree->OnColumnDblClick = [&](TBaseVirtualTree*, TColumnIndex c, TShiftState) {
        EXPECT_EQ(c, NoColumn);
        EXPECT_TRUE(Tree->TreeStates().Contains(tsLeftDblClick));
        dbl.push_back(nullptr);
    };
    // On the text, and right of it: the row's node toggles.
    DoubleClick(TextX(0), RowY(top[0]));
    EXPECT_TRUE(Tree->Expanded(top[0]));
    EXPECT_EQ(Tree->FocusedNode(), top[0]);
    DoubleClick(280, RowY(top[0]));
    EXPECT_FALSE(Tree->Expanded(top[0]));
    EXPECT_FALSE(Tree->TreeStates().Contains(tsLeftDblClick));
    EXPECT_EQ(dbl.size(), 2u);
    // On the button the press toggles and the double click toggles back.
    DoubleClick(5, RowY(top[2]));
    EXPECT_FALSE(Tree->Expanded(top[2]));
    EXPECT_EQ(Expanding.size(), 2u);
    // Without the option only the button area toggles on a double click.
    Tree->TreeOptions().MiscOptions.Exclude(toToggleOnDblClick);
    DoubleClick(TextX(0), RowY(top[2]));
    EXPECT_FALSE(Tree->Expanded(top[2]));
}

TEST_F(InputTest, MiddleClickPansUntilTheNextPress) {
    Add(nullptr, 30);
    const int clickY = 100;
    Mouse(QEvent::MouseButtonPress, Qt::MiddleButton, 150, clickY);
    EXPECT_TRUE(Tree->TreeStates().ContainsAll({tsWheelPanning, tsWheelScrolling}));
    ASSERT_NE(Tree->PanningWindow(), nullptr);
    EXPECT_TRUE(Tree->PanningWindow()->Visible());
    // Only vertical scrolling is possible; the window is centred on the click point.
    EXPECT_EQ(Tree->PanningWindow()->Kind(), crMoveNS);
    const TPoint origin = Tree->ClientToScreen({150, clickY});
    EXPECT_EQ(Tree->PanningWindow()->ScreenPos(), (TPoint{origin.X - 16, origin.Y - 16}));
    EXPECT_EQ(Tree->Cursor(), crMoveNS);
    Mouse(QEvent::MouseButtonRelease, Qt::MiddleButton, 150, clickY);
    // Released without moving: the tree keeps scrolling.
    EXPECT_EQ(Tree->TreeStates() & TVirtualTreeStates({tsWheelPanning, tsWheelScrolling}),
              TVirtualTreeStates(tsWheelScrolling));
    EXPECT_TRUE(Tree->MouseCaptured());

    // Within 8 pixels of the origin nothing scrolls.
    Move(150, clickY + 8);
    EXPECT_TRUE(Tree->ScrollDirections().Empty());
    Tree->Timer(ScrollTimer);
    EXPECT_EQ(Tree->OffsetY(), 0);
    // Below the origin the content moves up by the distance less 8 at every tick.
    Move(150, clickY + 50);
    EXPECT_EQ(Tree->ScrollDirections(), TScrollDirections(sdDown));
    EXPECT_EQ(Tree->Cursor(), crMoveS);
    Tree->Timer(ScrollTimer);
    EXPECT_EQ(Tree->OffsetY(), -42);
    Tree->Timer(ScrollTimer);
    EXPECT_EQ(Tree->OffsetY(), -84);
    // Above it, back down; the direction is dropped at the top end.
    Move(150, clickY - 70);
    EXPECT_EQ(Tree->Cursor(), crMoveN);
    Tree->Timer(ScrollTimer);
    EXPECT_EQ(Tree->OffsetY(), -22);
    Tree->Timer(ScrollTimer);
    EXPECT_EQ(Tree->OffsetY(), 0);
    EXPECT_TRUE(Tree->ScrollDirections().Empty());

    // A left click only ends panning.
    PVirtualNode first = Tree->RootNode()->FirstChild;
    Click(TextX(0), 12);
    EXPECT_FALSE(Tree->TreeStates().ContainsAny({tsWheelPanning, tsWheelScrolling}));
    EXPECT_EQ(Tree->PanningWindow(), nullptr);
    EXPECT_EQ(Tree->Cursor(), crDefault);
    EXPECT_FALSE(Tree->MouseCaptured());
    EXPECT_EQ(Tree->FocusedNode(), nullptr);
    Click(TextX(0), 12);
    EXPECT_EQ(Tree->FocusedNode(), first);
}

TEST_F(InputTest, PanningWithTheButtonHeldEndsOnRelease) {
    Add(nullptr, 30);
    // Wide texts: both directions can scroll.
    Texts([](PVirtualNode) { return std::u16string(80, u'w'); });
    Mouse(QEvent::MouseButtonPress, Qt::MiddleButton, 150, 100);
    ASSERT_NE(Tree->PanningWindow(), nullptr);
    EXPECT_EQ(Tree->PanningWindow()->Kind(), crMoveAll);
    EXPECT_EQ(Tree->Cursor(), crMoveAll);
    // Less than the drag threshold keeps the release-and-scroll mode open.
    Move(154, 100);
    EXPECT_TRUE(Tree->TreeStates().Contains(tsWheelScrolling));
    Move(150 + 20, 100 - 20);
    EXPECT_FALSE(Tree->TreeStates().Contains(tsWheelScrolling));
    EXPECT_EQ(Tree->ScrollDirections(), TScrollDirections({sdRight, sdUp}));
    EXPECT_EQ(Tree->Cursor(), crMoveNE);
    Move(150 - 20, 100);
    EXPECT_EQ(Tree->Cursor(), crMoveW);
    Move(150 - 20, 100 + 9);
    EXPECT_EQ(Tree->Cursor(), crMoveSW);
    Move(150 + 30, 100 + 30);
    Tree->Timer(ScrollTimer);
    EXPECT_EQ(Tree->OffsetX(), -22);
    EXPECT_EQ(Tree->OffsetY(), -22);
    Mouse(QEvent::MouseButtonRelease, Qt::MiddleButton, 180, 130);
    EXPECT_FALSE(Tree->TreeStates().ContainsAny({tsWheelPanning, tsWheelScrolling}));
    EXPECT_EQ(Tree->PanningWindow(), nullptr);

    // A wheel turn and the loss of the focus end panning too.
    Mouse(QEvent::MouseButtonPress, Qt::MiddleButton, 150, 100);
    Mouse(QEvent::MouseButtonRelease, Qt::MiddleButton, 150, 100);
    ASSERT_TRUE(Tree->TreeStates().Contains(tsWheelScrolling));
    Wheel(120);
    EXPECT_FALSE(Tree->TreeStates().Contains(tsWheelScrolling));
    Mouse(QEvent::MouseButtonPress, Qt::MiddleButton, 150, 100);
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(ControlWidget(*Tree), &out);
    EXPECT_FALSE(
        Tree->TreeStates().ContainsAny({tsWheelPanning, tsWheelScrolling, tsMiddleButtonDown}));
    EXPECT_EQ(Tree->PanningWindow(), nullptr);
    // A middle press while panning ends it instead of starting anew.
    Mouse(QEvent::MouseButtonPress, Qt::MiddleButton, 150, 100);
    Mouse(QEvent::MouseButtonRelease, Qt::MiddleButton, 150, 100);
    Mouse(QEvent::MouseButtonPress, Qt::MiddleButton, 150, 100);
    EXPECT_FALSE(Tree->TreeStates().Contains(tsWheelScrolling));
}

TEST_F(InputTest, NoPanningWhenNothingCanScroll) {
    Add(nullptr, 3);
    Mouse(QEvent::MouseButtonPress, Qt::MiddleButton, 150, 30);
    EXPECT_TRUE(Tree->TreeStates().Contains(tsMiddleButtonDown));
    EXPECT_FALSE(Tree->TreeStates().ContainsAny({tsWheelPanning, tsWheelScrolling}));
    EXPECT_EQ(Tree->PanningWindow(), nullptr);
    Mouse(QEvent::MouseButtonRelease, Qt::MiddleButton, 150, 30);
    EXPECT_FALSE(Tree->TreeStates().Contains(tsMiddleButtonDown));
    Tree->Timer(ScrollTimer); // a stray tick does nothing
    EXPECT_EQ(Tree->OffsetY(), 0);
}

TEST_F(InputTest, WheelScrollsByLinesOrPages) {
    Add(nullptr, 30);
    Tree->SetOffsetY(-300);
    // Three lines of 24 per notch; away from the user the content moves down.
    EXPECT_TRUE(Wheel(120));
    EXPECT_EQ(Tree->OffsetY(), -228);
    Wheel(-240);
    EXPECT_EQ(Tree->OffsetY(), -372);
    Wheel(60); // a fine wheel's half notch
    EXPECT_EQ(Tree->OffsetY(), -336);
    Wheel(120 * 10);
    EXPECT_EQ(Tree->OffsetY(), 0);
    // With Ctrl one client height per notch, rounded half to even.
    Wheel(-120, Qt::ControlModifier);
    EXPECT_EQ(Tree->OffsetY(), -200);
    SizeClient(300, 150);
    Tree->SetOffsetY(-200);
    Wheel(2, Qt::ControlModifier); // 2.5 pixels
    EXPECT_EQ(Tree->OffsetY(), -198);
    Wheel(6, Qt::ControlModifier); // 7.5 pixels
    EXPECT_EQ(Tree->OffsetY(), -190);
    // The standard event may take the turn.
    Tree->OnMouseWheel = [](TBaseVirtualTree*, TShiftState, int, TPoint, bool& handled) {
        handled = true;
    };
    Wheel(120);
    EXPECT_EQ(Tree->OffsetY(), -190);
}

TEST_F(InputTest, WheelScrollsHorizontallyWhenRowsFit) {
    Add(nullptr, 3);
    Texts([](PVirtualNode) { return std::u16string(100, u'w'); });
    ASSERT_GT(Tree->HorzRange(), Tree->ClientWidth());
    Wheel(-120);
    EXPECT_EQ(Tree->OffsetX(), -72);
    Wheel(120);
    EXPECT_EQ(Tree->OffsetX(), 0);
    Wheel(-120, Qt::ControlModifier);
    EXPECT_EQ(Tree->OffsetX(), -Tree->ClientWidth());
    // With many rows the wheel is vertical, except with Shift.
    Add(nullptr, 30);
    Tree->SetOffsetX(0);
    Wheel(-120, Qt::ShiftModifier);
    EXPECT_EQ(Tree->OffsetX(), -72);
    EXPECT_EQ(Tree->OffsetY(), 0);
    Wheel(-120);
    EXPECT_EQ(Tree->OffsetY(), -72);
}
