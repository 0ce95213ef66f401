// Mouse, wheel, keyboard, focus and drag input reach the tree as synthetic toolkit events sent
// to its host widget; timers are driven by calling the timer handler.
#include "platform/application.h"
#include "platform/imagelist.h"
#include "platform/qt/control_bridge.h"
#include "tree/stringtree.h"
#include "tree_checker.h"
#include <QAbstractScrollArea>
#include <QApplication>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QWheelEvent>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

// The main window's configuration: rows and indent of 24, margin 2, no text margin, images of
// 24 pixels, full-row selection; texts 6 pixels per character.
class TInputTree : public TVirtualStringTree {
public:
    using TBaseVirtualTree::Timer;
    std::uint32_t Clock = 5000;

protected:
    std::uint32_t TickCount() const override { return Clock; }
};

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        Tree = std::make_unique<TInputTree>();
        Tree->SetImages(&Images);
        Tree->SetNodeDataSize(4);
        Tree->SetDefaultNodeHeight(24);
        Tree->SetIndent(24);
        Tree->SetMargin(2);
        Tree->SetTextMargin(0);
        Tree->TreeOptions().SelectionOptions.Include({toFullRowSelect, toSimpleDrawSelection});
        Tree->SetTextWidthMeasure(
            [](const std::u16string& s) { return 6 * static_cast<int>(s.size()); });
        Tree->OnGetText = [](TBaseVirtualTree*, PVirtualNode, TColumnIndex, TVSTTextType,
                             std::u16string& text) { text = u"Text"; }; // 24 pixels
        Tree->OnGetImageIndex = [this](TBaseVirtualTree*, PVirtualNode n, TVTImageKind kind,
                                       TColumnIndex, bool&, int& index) {
            if (kind == ikNormal || kind == ikSelected)
                index = n == NoImageNode ? -1 : 0;
        };
        Tree->OnExpanding = [this](TBaseVirtualTree*, PVirtualNode n, bool& allowed) {
            Expanding.push_back(n);
            allowed = AllowExpanding;
        };
        Tree->OnFocusChanged = [this](TBaseVirtualTree*, PVirtualNode n, TColumnIndex column) {
            EXPECT_EQ(column, NoColumn);
            FocusChanges.push_back(n);
        };
        Tree->Show();
        SizeClient(300, 200);
        ProcessMessages();
    }

    void TearDown() override {
        if (Tree) {
            EXPECT_TRUE(TreeInvariantsHold(*Tree));
        }
    }

    void SizeClient(int width, int height) {
        Tree->SetBounds(0, 0, width, height);
        for (int i = 0; i < 3; ++i)
            Tree->SetBounds(0, 0, width + (width - Tree->ClientWidth()),
                            height + (height - Tree->ClientHeight()));
    }

    std::vector<PVirtualNode> Add(PVirtualNode parent, int n) {
        std::vector<PVirtualNode> out;
        for (int i = 0; i < n; ++i)
            out.push_back(Tree->AddChild(parent));
        return out;
    }

    // Replaces the texts; cached widths are measured anew.
    void Texts(std::function<std::u16string(PVirtualNode)> text) {
        Tree->OnGetText = [text](TBaseVirtualTree*, PVirtualNode n, TColumnIndex, TVSTTextType,
                                 std::u16string& out) { out = text(n); };
        Tree->SetTextWidthMeasure(
            [](const std::u16string& s) { return 6 * static_cast<int>(s.size()); });
    }

    QWidget* Viewport() {
        return static_cast<QAbstractScrollArea*>(ControlWidget(*Tree))->viewport();
    }

    void Mouse(QEvent::Type type, Qt::MouseButton button, int x, int y,
               Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const QPointF p(x, y);
        Qt::MouseButtons held = Qt::NoButton;
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
            held = button;
        QMouseEvent e(type, p, Viewport()->mapToGlobal(p), button, held, mods);
        QApplication::sendEvent(Viewport(), &e);
    }
    void Click(int x, int y, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        Mouse(QEvent::MouseButtonPress, Qt::LeftButton, x, y, mods);
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, x, y, mods);
    }
    void DoubleClick(int x, int y) {
        Click(x, y);
        Mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, x, y);
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, x, y);
    }
    void Move(int x, int y) {
        const QPointF p(x, y);
        QMouseEvent e(QEvent::MouseMove, p, Viewport()->mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(Viewport(), &e);
    }
    bool Wheel(int delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const QPointF p(10, 10);
        QWheelEvent e(p, Viewport()->mapToGlobal(p), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(Viewport(), &e);
        return e.isAccepted();
    }
    void Key(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
        QKeyEvent e(QEvent::KeyPress, qtKey, mods, text);
        QApplication::sendEvent(ControlWidget(*Tree), &e);
    }

    // The client x of the middle of the node's text, with no horizontal scrolling.
    static int TextX(int level) { return 24 * (level + 1) + 2 + 26 + 12; }
    int RowY(PVirtualNode n) { return Tree->GetDisplayRect(n).Top + 12; }

    TImageList Images{24, 24};
    std::unique_ptr<TInputTree> Tree;
    std::vector<PVirtualNode> Expanding;
    std::vector<PVirtualNode> FocusChanges;
    PVirtualNode NoImageNode = nullptr;
    bool AllowExpanding = true;
};

} // namespace

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

namespace {
QMimeData* FileMime() {
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile("/tmp/dragged.txt")});
    return mime;
}
} // namespace

TEST_F(InputTest, DragsFromOtherProgramsAreRefusedButOpenNodes) {
    auto top = Add(nullptr, 30);
    Add(top[2], 3);
    EXPECT_TRUE(Tree->IsDropTarget());
    std::unique_ptr<QMimeData> mime(FileMime());
    auto send = [&](QEvent::Type type, int x, int y) {
        if (type == QEvent::DragEnter) {
            QDragEnterEvent e(QPoint(x, y), Qt::CopyAction, mime.get(), Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(Viewport(), &e);
            return e.dropAction();
        }
        if (type == QEvent::DragMove) {
            QDragMoveEvent e(QPoint(x, y), Qt::CopyAction, mime.get(), Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(Viewport(), &e);
            EXPECT_FALSE(e.isAccepted());
            return e.dropAction();
        }
        QDropEvent e(QPointF(x, y), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Viewport(), &e);
        EXPECT_FALSE(e.isAccepted());
        return e.dropAction();
    };
    EXPECT_EQ(send(QEvent::DragEnter, TextX(0), 12), Qt::IgnoreAction);
    EXPECT_EQ(Tree->DropTargetNode(), nullptr);
    // Over the text of a collapsed node with children: on the node, and it opens on the tick.
    EXPECT_EQ(send(QEvent::DragMove, TextX(0), RowY(top[2])), Qt::IgnoreAction);
    EXPECT_EQ(Tree->DropTargetNode(), top[2]);
    EXPECT_EQ(Tree->LastDropMode(), dmOnNode);
    EXPECT_TRUE(Tree->TimerActive(ExpandTimer));
    Tree->Timer(ExpandTimer);
    EXPECT_FALSE(Tree->TimerActive(ExpandTimer));
    EXPECT_TRUE(Tree->Expanded(top[2]));
    EXPECT_EQ(Expanding, std::vector<PVirtualNode>{top[2]});
    // Beside the text: above or below by the half of the row; a leaf starts no timer.
    const int rowTop = Tree->GetDisplayRect(top[1]).Top;
    send(QEvent::DragMove, 250, rowTop + 3);
    EXPECT_EQ(Tree->DropTargetNode(), top[1]);
    EXPECT_EQ(Tree->LastDropMode(), dmAbove);
    EXPECT_FALSE(Tree->TimerActive(ExpandTimer));
    send(QEvent::DragMove, 250, rowTop + 20);
    EXPECT_EQ(Tree->LastDropMode(), dmBelow);
    // Dropping changes nothing and forgets the target.
    const std::uint32_t before = Tree->RootNode()->SubtreeCount;
    send(QEvent::Drop, TextX(0), RowY(top[1]));
    EXPECT_EQ(Tree->DropTargetNode(), nullptr);
    EXPECT_EQ(Tree->RootNode()->SubtreeCount, before);

    // Leaving stops a pending expansion.
    Add(top[5], 1);
    send(QEvent::DragEnter, TextX(0), 12);
    send(QEvent::DragMove, TextX(0), RowY(top[5]));
    ASSERT_TRUE(Tree->TimerActive(ExpandTimer));
    QDragLeaveEvent leave;
    QApplication::sendEvent(Viewport(), &leave);
    EXPECT_FALSE(Tree->TimerActive(ExpandTimer));
    EXPECT_EQ(Tree->DropTargetNode(), nullptr);
    Tree->Timer(ExpandTimer);
    EXPECT_FALSE(Tree->Expanded(top[5]));
}

TEST_F(InputTest, DraggingAtTheEdgesScrollsAfterTheDelay) {
    Add(nullptr, 30);
    std::unique_ptr<QMimeData> mime(FileMime());
    auto move = [&](int x, int y) {
        QDragMoveEvent e(QPoint(x, y), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Viewport(), &e);
    };
    QDragEnterEvent enter(QPoint(150, 100), Qt::CopyAction, mime.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(Viewport(), &enter);
    const int bottomZone = Tree->ClientHeight() - 10;
    move(150, bottomZone);
    Tree->Clock += 999;
    move(150, bottomZone);
    EXPECT_EQ(Tree->OffsetY(), 0);
    Tree->Clock += 1;
    move(150, bottomZone);
    EXPECT_EQ(Tree->OffsetY(), -20);
    move(150, bottomZone);
    EXPECT_EQ(Tree->OffsetY(), -40);
    // Leaving the zone restarts the wait; the top zone scrolls back only after it.
    move(150, 100);
    move(150, 5);
    EXPECT_EQ(Tree->OffsetY(), -40);
    Tree->Clock += 1000;
    move(150, 5);
    EXPECT_EQ(Tree->OffsetY(), -20);
    // At the top there is nothing more above: no zone.
    move(150, 5);
    move(150, 5);
    EXPECT_EQ(Tree->OffsetY(), 0);
    QDragLeaveEvent leave;
    QApplication::sendEvent(Viewport(), &leave);
}
