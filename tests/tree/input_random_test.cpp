// A tree in the main window's configuration, filled lazily like the browser fills it, driven by
// a long random mix of keys, clicks, double clicks, wheel turns, panning, drags from outside,
// resizes down to nothing, expansion, deletion of the focused and selected nodes and repaints
// into an off-screen bitmap; the tree's invariants are checked after every step.
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
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <set>
#include <string>

namespace {

class TDrivenTree : public TVirtualStringTree {
public:
    using TBaseVirtualTree::Paint;
    using TBaseVirtualTree::Scroll;
    using TBaseVirtualTree::Timer;
};

constexpr std::uint32_t Placeholder = 0xFFFFFFFF;
// The "store" runs out of records beyond this many nodes, so whole-tree expansion ends.
constexpr std::uint32_t NodeBudget = 900;

std::uint32_t ChildRecords(std::uint32_t record, std::uint32_t level) {
    if (level >= 4)
        return 0;
    return (record * 2654435761u >> 9) % 5;
}

class InputRandomTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        Tree = std::make_unique<TDrivenTree>();
        TDrivenTree& t = *Tree;
        t.SetNodeDataSize(4);
        t.SetDefaultNodeHeight(24);
        t.SetIndent(24);
        t.SetMargin(2);
        t.SetTextMargin(0);
        t.SetLineStyle(lsSolid);
        t.SetDrawSelectionMode(smBlendedRectangle);
        TVTColors colors = t.Colors();
        colors.FocusedSelectionColor = colors.FocusedSelectionBorderColor = 14393714;
        colors.UnfocusedSelectionColor = colors.UnfocusedSelectionBorderColor = 14393714;
        t.SetColors(colors);
        auto& o = t.TreeOptions();
        o.PaintOptions.Include({toShowBackground, toStaticBackground, toUseBlendedSelection});
        o.SelectionOptions.Include({toFullRowSelect, toSimpleDrawSelection});
        for (int i = 0; i < 4; ++i) {
            TBitmap b(24, 24);
            b.Fill(RGBColor(200, 40 * i, 90));
            Images.Add(b);
        }
        t.SetImages(&Images);
        Picture = TBitmap(161, 169);
        Picture.Fill(RGBColor(30, 160, 40));
        t.SetBackground(Picture);
        t.OnResize = [this](TBaseVirtualTree* s) {
            s->SetBackgroundOffsetX(s->ClientWidth() - Picture.Width() - 24);
            s->SetBackgroundOffsetY(s->ClientHeight() - Picture.Height() - 24);
        };
        t.OnExpanding = [this](TBaseVirtualTree* s, PVirtualNode node, bool&) { Fill(s, node); };
        t.OnGetText = [](TBaseVirtualTree* s, PVirtualNode n, TColumnIndex, TVSTTextType,
                         std::u16string& text) {
            const std::uint32_t r = *s->GetNodeData<std::uint32_t>(n);
            if (r % 11 == 0)
                text.clear();
            else
                text.assign(r % 7 == 0 ? 90 : 3 + r % 20, static_cast<char16_t>(u'a' + r % 26));
        };
        t.OnGetImageIndex = [](TBaseVirtualTree* s, PVirtualNode n, TVTImageKind kind, TColumnIndex,
                               bool&, int& index) {
            const std::uint32_t r = *s->GetNodeData<std::uint32_t>(n);
            if (kind != ikOverlay)
                index = static_cast<int>(r % 5) - 1; // some nodes have none
        };
        t.OnFocusChanged = [this](TBaseVirtualTree* s, PVirtualNode n, TColumnIndex) {
            ++FocusChanges;
            EXPECT_EQ(n, s->FocusedNode());
        };
        t.Show();
        t.SetBounds(0, 0, 320, 240);
        ProcessMessages();
    }

    // Like the browser: one node per child record, each with a placeholder child when it has
    // children of its own.
    void Fill(TBaseVirtualTree* s, PVirtualNode node) {
        ++Fills;
        const std::uint32_t record = *s->GetNodeData<std::uint32_t>(node);
        if (record == Placeholder)
            return;
        const std::uint32_t level = s->GetNodeLevel(node) + 1;
        s->DeleteChildren(node);
        for (std::uint32_t i = 0; i < ChildRecords(record, level - 1); ++i) {
            if (s->RootNode()->SubtreeCount > NodeBudget)
                break;
            const std::uint32_t child = record * 7 + i + 1;
            PVirtualNode n = s->AddChild(node);
            *s->GetNodeData<std::uint32_t>(n) = child;
            if (ChildRecords(child, level) > 0)
                *s->GetNodeData<std::uint32_t>(s->AddChild(n)) = Placeholder;
        }
    }

    void AddTopLevel(int count) {
        for (int i = 0; i < count; ++i) {
            PVirtualNode n = Tree->AddChild(nullptr);
            *Tree->GetNodeData<std::uint32_t>(n) = NextRecord;
            if (ChildRecords(NextRecord, 0) > 0)
                *Tree->GetNodeData<std::uint32_t>(Tree->AddChild(n)) = Placeholder;
            NextRecord += 13;
        }
    }

    QWidget* Widget() { return ControlWidget(*Tree); }
    QWidget* Viewport() { return static_cast<QAbstractScrollArea*>(Widget())->viewport(); }

    void Mouse(QEvent::Type type, Qt::MouseButton button, int x, int y,
               Qt::KeyboardModifiers mods) {
        const QPointF p(x, y);
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease || type == QEvent::MouseMove ? Qt::NoButton : button;
        QMouseEvent e(type, p, Viewport()->mapToGlobal(p), button, held, mods);
        QApplication::sendEvent(Viewport(), &e);
    }
    void Key(int qtKey, Qt::KeyboardModifiers mods, const QString& text = {}) {
        QKeyEvent e(QEvent::KeyPress, qtKey, mods, text);
        QApplication::sendEvent(Widget(), &e);
    }
    void Wheel(int delta, Qt::KeyboardModifiers mods) {
        const QPointF p(10, 10);
        QWheelEvent e(p, Viewport()->mapToGlobal(p), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(Viewport(), &e);
    }

    std::vector<PVirtualNode> AllNodes() const {
        std::vector<PVirtualNode> out;
        std::vector<PVirtualNode> stack{Tree->RootNode()};
        while (!stack.empty()) {
            PVirtualNode n = stack.back();
            stack.pop_back();
            if (n != Tree->RootNode())
                out.push_back(n);
            for (PVirtualNode c = n->FirstChild; c != nullptr; c = c->NextSibling)
                stack.push_back(c);
        }
        return out;
    }

    // What the structural checker does not cover: offsets in range, the drop target and the
    // panning window in step with the states, transient states left.
    ::testing::AssertionResult InputInvariantsHold() {
        const TDrivenTree& t = *Tree;
        if (auto r = TreeInvariantsHold(t); !r)
            return r;
        if (t.OffsetX() > 0 || t.OffsetY() > 0)
            return ::testing::AssertionFailure()
                   << "positive offset " << t.OffsetX() << ", " << t.OffsetY();
        // A control without a client area handles no resize; its offsets wait for the next one.
        if (t.ClientHeight() >= 1) {
            if (t.OffsetY() < std::min(0, t.ClientHeight() - t.VertRange()))
                return ::testing::AssertionFailure()
                       << "OffsetY " << t.OffsetY() << " beyond the range " << t.VertRange()
                       << " for client height " << t.ClientHeight();
            if (t.OffsetX() < std::min(0, t.ClientWidth() - t.HorzRange()))
                return ::testing::AssertionFailure()
                       << "OffsetX " << t.OffsetX() << " beyond the range " << t.HorzRange()
                       << " for client width " << t.ClientWidth();
            if (t.VertRange() < static_cast<int>(t.ContentHeight()))
                return ::testing::AssertionFailure() << "VertRange " << t.VertRange()
                                                     << " below the content " << t.ContentHeight();
            TDrivenTree& mt = *Tree;
            if (mt.VertScrollBar().Visible() != (t.ClientHeight() < t.VertRange()))
                return ::testing::AssertionFailure()
                       << "vertical bar shown " << mt.VertScrollBar().Visible() << " for range "
                       << t.VertRange() << " and client height " << t.ClientHeight();
            if (mt.VertScrollBar().Visible() &&
                mt.VertScrollBar().GetScrollInfo().Max != t.VertRange())
                return ::testing::AssertionFailure()
                       << "vertical bar maximum " << mt.VertScrollBar().GetScrollInfo().Max
                       << " for range " << t.VertRange();
        }
        if (t.SelectedCount() > 1)
            return ::testing::AssertionFailure()
                   << t.SelectedCount() << " nodes selected with single selection";
        if (t.DropTargetNode() != nullptr) {
            const auto all = AllNodes();
            if (std::find(all.begin(), all.end(), t.DropTargetNode()) == all.end())
                return ::testing::AssertionFailure() << "drop target is not in the tree";
        }
        const bool panning = t.TreeStates().ContainsAny({tsWheelPanning, tsWheelScrolling});
        if (panning != (t.PanningWindow() != nullptr))
            return ::testing::AssertionFailure() << "panning window out of step with the states";
        if (t.TreeStates().ContainsAny(
                {tsPainting, tsLeftDblClick, tsExpanding, tsCollapsing, tsToggling, tsSizing}))
            return ::testing::AssertionFailure() << "a transient state stayed set";
        if (t.UpdateCount() != 0)
            return ::testing::AssertionFailure() << "update counter left at " << t.UpdateCount();
        return ::testing::AssertionSuccess();
    }

    std::mt19937 Rng{20250611u};
    int Pick(int n) { return static_cast<int>(Rng() % static_cast<unsigned>(n)); }
    Qt::KeyboardModifiers Mods() {
        Qt::KeyboardModifiers m = Qt::NoModifier;
        if (Pick(4) == 0)
            m |= Qt::ControlModifier;
        if (Pick(5) == 0)
            m |= Qt::ShiftModifier;
        if (Pick(12) == 0)
            m |= Qt::AltModifier;
        return m;
    }
    // Mostly on the rows and near the client area, sometimes far outside it.
    QPoint RandomPoint() {
        const int w = std::max(Tree->ClientWidth(), 1), h = std::max(Tree->ClientHeight(), 1);
        if (Pick(10) == 0)
            return QPoint(Pick(3 * w + 200) - w - 100, Pick(3 * h + 200) - h - 100);
        return QPoint(Pick(w + 20) - 10, Pick(h + 20) - 10);
    }

    // Operations 0 to 10: keys, clicks, panning, wheel.
    void InputStep(int op) {
        static const int navKeys[] = {
            Qt::Key_Home,      Qt::Key_End,   Qt::Key_PageUp, Qt::Key_PageDown,
            Qt::Key_Left,      Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down,
            Qt::Key_Backspace, Qt::Key_Tab,   Qt::Key_Escape, Qt::Key_F1,
            Qt::Key_F2,        Qt::Key_Menu,  Qt::Key_Space,  Qt::Key_A};
        struct TOperatorKey {
            int key;
            const char* text;
        };
        static const TOperatorKey operatorKeys[] = {{Qt::Key_Asterisk, "*"},
                                                    {Qt::Key_Plus, "+"},
                                                    {Qt::Key_Minus, "-"},
                                                    {Qt::Key_Slash, "/"}};
        switch (op) {
        case 0:
        case 1:
        case 2:
        case 3:
            Key(navKeys[Pick(Pick(3) == 0 ? 16 : 9)], Mods());
            break;
        case 4: {
            const TOperatorKey& k = operatorKeys[Pick(4)];
            // Ctrl gives no character; Ctrl+Shift+"+" expands the whole tree.
            const Qt::KeyboardModifiers m =
                Pick(6) == 0 ? Qt::ControlModifier | Qt::ShiftModifier
                             : (Pick(3) == 0 ? Qt::KeypadModifier : Qt::NoModifier);
            Key(k.key, m, m.testFlag(Qt::ControlModifier) ? QString() : QString(k.text));
            break;
        }
        case 5:
        case 6: {
            const QPoint p = RandomPoint();
            const Qt::KeyboardModifiers m = Pick(3) == 0 ? Mods() : Qt::NoModifier;
            Mouse(QEvent::MouseButtonPress, Qt::LeftButton, p.x(), p.y(), m);
            Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, p.x(), p.y(), m);
            break;
        }
        case 7: {
            const QPoint p = RandomPoint();
            Mouse(QEvent::MouseButtonPress, Qt::LeftButton, p.x(), p.y(), Qt::NoModifier);
            Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, p.x(), p.y(), Qt::NoModifier);
            Mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, p.x(), p.y(), Qt::NoModifier);
            Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, p.x(), p.y(), Qt::NoModifier);
            break;
        }
        case 8: {
            // Panning: press, maybe move, maybe release, a few ticks.
            const QPoint p = RandomPoint();
            Mouse(QEvent::MouseButtonPress, Pick(4) == 0 ? Qt::RightButton : Qt::MiddleButton,
                  p.x(), p.y(), Qt::NoModifier);
            if (Pick(2) == 0) {
                const QPoint q = RandomPoint();
                Mouse(QEvent::MouseMove, Qt::NoButton, q.x(), q.y(), Qt::NoModifier);
            }
            if (Pick(2) == 0)
                Mouse(QEvent::MouseButtonRelease, Qt::MiddleButton, p.x(), p.y(), Qt::NoModifier);
            for (int i = Pick(4); i > 0; --i)
                Tree->Timer(ScrollTimer);
            break;
        }
        case 9: {
            const QPoint q = RandomPoint();
            Mouse(QEvent::MouseMove, Qt::NoButton, q.x(), q.y(), Qt::NoModifier);
            Tree->Timer(ScrollTimer);
            break;
        }
        case 10: {
            static const int deltas[] = {120, -120, 240, -360, 60, -1, 7, -12000, 120000};
            Wheel(deltas[Pick(9)], Pick(3) == 0 ? Mods() : Qt::NoModifier);
            break;
        }
        }
    }

    // A repaint of the client area or of a random part of it, partly outside too.
    void PaintPart(int step) {
        const int w = Tree->ClientWidth(), h = Tree->ClientHeight();
        TBitmap out(std::max(w, 1), std::max(h, 1));
        TRect r = Tree->ClientRect();
        if (Pick(2) == 0) {
            const int l = Pick(w + 10) - 5, tp = Pick(h + 10) - 5;
            r = {l, tp, l + Pick(w + 10), tp + Pick(h + 10)};
        }
        Tree->Paint(out.Canvas(), r);
        ++Paints;
        // Rows are composed whatever part is asked for: a part inside the client area
        // comes out exactly as in a paint of the whole area.
        if (w > 0 && h > 0) {
            const TRect part{std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, w),
                             std::min(r.Bottom, h)};
            if (!part.IsEmpty()) {
                TBitmap whole(w, h);
                Tree->Paint(whole.Canvas(), Tree->ClientRect());
                TBitmap piece(w, h);
                piece.Fill(RGBColor(1, 2, 3));
                Tree->Paint(piece.Canvas(), part);
                for (int y = part.Top; y < part.Bottom; ++y)
                    for (int x = part.Left; x < part.Right; ++x)
                        ASSERT_EQ(piece.PixelAt(x, y), whole.PixelAt(x, y))
                            << "pixel " << x << ", " << y << " of a paint of " << part.Left << ", "
                            << part.Top << " - " << part.Right << ", " << part.Bottom << " at step "
                            << step;
            }
        }
    }

    // Operations 11 to 21: sizes, expansion, deletion, paints, search results, drags, focus,
    // scroll bars.
    void TreeStep(int op, int step) {
        static const TScrollCode codes[] = {scLineUp, scLineDown, scPageUp,   scPageDown, scTop,
                                            scBottom, scTrack,    scPosition, scEndScroll};
        switch (op) {
        case 11: {
            static const QSize sizes[] = {{0, 0},     {1, 1},     {2, 30},   {30, 2},
                                          {320, 240}, {150, 500}, {700, 90}, {40, 40}};
            const QSize s = sizes[Pick(8)];
            if (s.width() <= 1)
                ++ZeroSizes;
            Tree->SetBounds(0, 0, s.width(), s.height());
            break;
        }
        case 12:
        case 13: {
            const auto all = AllNodes();
            if (!all.empty())
                Tree->ToggleExpanded(
                    all[static_cast<std::size_t>(Pick(static_cast<int>(all.size())))]);
            break;
        }
        case 14: {
            // Deletion of the focused node, a selected one, or a random node's children.
            PVirtualNode victim = nullptr;
            const int which = Pick(3);
            if (which == 0)
                victim = Tree->FocusedNode();
            else if (which == 1 && Tree->SelectedCount() > 0)
                victim = Tree->GetSelection()[0];
            if (victim != nullptr) {
                Tree->DeleteNode(victim);
                ++Deletions;
            } else {
                const auto all = AllNodes();
                if (!all.empty())
                    Tree->DeleteChildren(
                        all[static_cast<std::size_t>(Pick(static_cast<int>(all.size())))],
                        Pick(2) == 0);
            }
            break;
        }
        case 15:
        case 16:
            PaintPart(step);
            break;
        case 17: {
            // A search result: selected and scrolled into view without moving the focus.
            const auto all = AllNodes();
            if (!all.empty()) {
                PVirtualNode n = all[static_cast<std::size_t>(Pick(static_cast<int>(all.size())))];
                Tree->ClearSelection();
                Tree->SetSelected(n, true);
                Tree->ScrollIntoView(n, Pick(2) == 0, false);
            }
            break;
        }
        case 18: {
            const QPoint p = RandomPoint();
            if (!Dragging || Pick(3) == 0) {
                QDragEnterEvent e(p, Qt::CopyAction, Mime.get(), Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(Viewport(), &e);
                Dragging = true;
            } else if (Pick(4) == 0) {
                QDropEvent e(QPointF(p), Qt::CopyAction, Mime.get(), Qt::LeftButton,
                             Qt::NoModifier);
                QApplication::sendEvent(Viewport(), &e);
                Dragging = false;
            } else if (Pick(4) == 0) {
                QDragLeaveEvent e;
                QApplication::sendEvent(Viewport(), &e);
                Dragging = false;
            } else {
                QDragMoveEvent e(p, Qt::CopyAction, Mime.get(), Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(Viewport(), &e);
            }
            if (Pick(3) == 0)
                Tree->Timer(ExpandTimer);
            break;
        }
        case 19: {
            QFocusEvent e(Pick(2) == 0 ? QEvent::FocusOut : QEvent::FocusIn);
            QApplication::sendEvent(Widget(), &e);
            break;
        }
        case 20:
            Tree->Scroll(Pick(2) == 0 ? sbVertical : sbHorizontal, codes[Pick(9)],
                         Pick(3000) - 500);
            break;
        case 21:
            if (Pick(40) == 0) {
                Tree->Clear();
            } else {
                const auto all = AllNodes();
                if (!all.empty())
                    Tree->SetFocusedNode(
                        all[static_cast<std::size_t>(Pick(static_cast<int>(all.size())))]);
            }
            break;
        }
    }

    std::unique_ptr<QMimeData> Mime{new QMimeData};
    bool Dragging = false;
    int Paints = 0, Deletions = 0, ZeroSizes = 0;

    std::unique_ptr<TDrivenTree> Tree;
    TImageList Images{24, 24};
    TBitmap Picture;
    int Fills = 0;
    int FocusChanges = 0;
    std::uint32_t NextRecord = 1;
};

} // namespace

TEST_F(InputRandomTest, RandomInputKeepsTheTreeSound) {
    Mime->setUrls({QUrl::fromLocalFile("/tmp/dragged.txt")});
    AddTopLevel(40);
    std::size_t largest = 0;
    const int steps = 2500;
    for (int step = 0; step < steps; ++step) {
        const int op = Pick(22);
        if (op <= 10)
            InputStep(op);
        else
            TreeStep(op, step);
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(InputInvariantsHold()) << "step " << step << ", op " << op;
        largest = std::max<std::size_t>(largest, Tree->RootNode()->SubtreeCount);
        if (Tree->RootNodeCount() < 5)
            AddTopLevel(20);
    }
    // The run must have reached a tree of some hundreds of nodes and exercised the painting,
    // focus and deletion paths to mean anything.
    EXPECT_GT(largest, 300u);
    EXPECT_GT(Fills, 100);
    EXPECT_GT(FocusChanges, 100);
    EXPECT_GT(Paints, 100);
    EXPECT_GT(Deletions, 20);
    EXPECT_GT(ZeroSizes, 10);
    std::printf("%zu nodes at most, %d fills, %d focus changes, %d paints, %d deletions\n", largest,
                Fills, FocusChanges, Paints, Deletions);
}
