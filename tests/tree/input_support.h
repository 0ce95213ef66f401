#pragma once
// Mouse, wheel, keyboard, focus and drag input reach the tree as synthetic toolkit events sent
// to its host widget; timers are driven by calling the timer handler. The fixture the input
// suites share.
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

namespace input_support {

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

} // namespace input_support

using input_support::InputTest;
using input_support::TInputTree;
