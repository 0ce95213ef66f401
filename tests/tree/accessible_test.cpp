// The tree through the toolkit's accessibility interface, as a screen reader reads it.
#include "platform/qt/control_bridge.h"
#include "tree_fixture.h"
#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

std::vector<std::pair<QAccessible::Event, int>> Events; // type, row
QAccessible::State LastChange;

void RecordEvent(QAccessibleEvent* e) {
    Events.emplace_back(e->type(), e->child());
    if (e->type() == QAccessible::StateChanged)
        LastChange = static_cast<QAccessibleStateChangeEvent*>(e)->changedStates();
}

// Rows "1", "2", "2.1", "2.2", "3" (with four hidden children).
class AccessibleTreeTest : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
        Tree->OnGetText = [](TBaseVirtualTree* t, PVirtualNode n, TColumnIndex, TVSTTextType,
                             std::u16string& text) {
            text.clear();
            for (PVirtualNode p = n; p != t->RootNode(); p = p->Parent)
                text = char16_t(u'1' + p->Index) + (text.empty() ? u"" : u"." + text);
        };
        Top = Add(nullptr, 3);
        Kids = Add(Top[1], 2);
        Tree->SetExpanded(Top[1], true);
        Add(Top[2], 4);
        Events.clear();
        SetAccessibleEventSink(&RecordEvent);
        Iface = QAccessible::queryAccessibleInterface(ControlWidget(*Tree));
        ASSERT_NE(Iface, nullptr);
    }
    void TearDown() override { SetAccessibleEventSink(nullptr); }
    QString Name(int row) { return Iface->child(row)->text(QAccessible::Name); }
    void Key(int qtKey) {
        QKeyEvent e(QEvent::KeyPress, qtKey, Qt::NoModifier);
        QApplication::sendEvent(ControlWidget(*Tree), &e);
    }
    int Count(QAccessible::Event type) const {
        return static_cast<int>(std::count_if(Events.begin(), Events.end(),
                                              [type](const auto& e) { return e.first == type; }));
    }

    std::vector<PVirtualNode> Top, Kids;
    QAccessibleInterface* Iface = nullptr;
};

TEST_F(AccessibleTreeTest, VisibleRowsWithNamesLevelsStatesAndPlaces) {
    EXPECT_EQ(Iface->role(), QAccessible::Tree);
    ASSERT_EQ(Iface->childCount(), 5);
    const QStringList expected{"1", "2", "2.1", "2.2", "3"};
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(Name(row), expected[row]);
        EXPECT_EQ(Iface->indexOfChild(Iface->child(row)), row);
    }
    EXPECT_EQ(Iface->child(5), nullptr);
    EXPECT_TRUE(Iface->child(2)->text(QAccessible::Description).startsWith("уровень 2"));
    EXPECT_TRUE(Iface->child(1)->state().expanded);
    const QAccessible::State closed = Iface->child(4)->state();
    EXPECT_TRUE(closed.expandable && closed.collapsed && !closed.expanded);
    EXPECT_FALSE(Iface->child(0)->state().expandable);

    Tree->SetFocusedNode(Kids[1]);
    Tree->AddToSelection(Kids[1]);
    EXPECT_EQ(Iface->focusChild(), Iface->child(3));
    EXPECT_TRUE(Iface->child(3)->state().selected);
    const QRect r = Iface->child(3)->rect();
    EXPECT_EQ(r.height(), 24);
    EXPECT_EQ(Iface->childAt(r.center().x(), r.center().y()), Iface->child(3));
    // Opening a whole tree is one change of the rows for a reader.
    Events.clear();
    Tree->FullExpand();
    EXPECT_EQ(Iface->childCount(), 9);
    EXPECT_EQ(Events, (decltype(Events){{QAccessible::ObjectReorder, -1}}));
}

TEST_F(AccessibleTreeTest, RightOpensACollapsedNodeAndTellsTheReader) {
    Tree->SetFocusedNode(Top[2]);
    Key(Qt::Key_Right);
    ASSERT_EQ(Iface->childCount(), 9);
    EXPECT_TRUE(Iface->child(4)->state().expanded);
    EXPECT_EQ(Name(5), "3.1");
    ASSERT_EQ(Count(QAccessible::StateChanged), 1);
    EXPECT_EQ(Events.back(), std::make_pair(QAccessible::StateChanged, 4));
    EXPECT_TRUE(LastChange.expanded);

    QAccessibleActionInterface* actions = Iface->child(4)->actionInterface();
    EXPECT_EQ(actions->actionNames(), (QStringList{"collapse", "select"}));
    actions->doAction("collapse");
    EXPECT_EQ(Iface->childCount(), 5);
    Iface->child(0)->actionInterface()->doAction("select");
    EXPECT_EQ(Tree->FocusedNode(), Top[0]);
    EXPECT_EQ(Tree->GetSelection(), TNodeArray{Top[0]});
}

TEST_F(AccessibleTreeTest, FocusMovesAreAnnouncedOnlyWhileTheTreeHasTheFocus) {
    Tree->SetFocusedNode(Top[0]);
    EXPECT_EQ(Count(QAccessible::Focus), 0);
    QWidget* w = ControlWidget(*Tree);
    w->activateWindow();
    for (int i = 0; i < 50 && !w->isActiveWindow(); ++i)
        WaitAndProcessMessages(10);
    w->setFocus();
    ASSERT_TRUE(w->hasFocus());
    Key(Qt::Key_Down);
    EXPECT_EQ(Events.back(), std::make_pair(QAccessible::Focus, 1));
    EXPECT_TRUE(Iface->child(1)->state().focused);
}

TEST_F(AccessibleTreeTest, HeldRowsAnswerNeutrallyOnceTheirRowsAreGone) {
    QAccessibleInterface* kid = Iface->child(3);
    QAccessibleInterface* last = Iface->child(4);
    Tree->DeleteNode(Kids[0]);
    // Row 3 exists again, but a held row describes the row it was made for or nothing.
    EXPECT_FALSE(kid->isValid());
    EXPECT_TRUE(kid->state().invalid);
    EXPECT_EQ(kid->text(QAccessible::Name), QString());
    EXPECT_EQ(kid->rect(), QRect());
    EXPECT_TRUE(kid->actionInterface()->actionNames().isEmpty());
    kid->actionInterface()->doAction("select");
    EXPECT_EQ(Tree->FocusedNode(), nullptr);
    EXPECT_EQ(Iface->indexOfChild(kid), -1);
    EXPECT_EQ(Name(3), "3");
    Tree->Clear();
    EXPECT_EQ(Iface->childCount(), 0);
    EXPECT_FALSE(last->isValid());
    EXPECT_EQ(last->text(QAccessible::Name), QString());
    EXPECT_EQ(Iface->focusChild(), nullptr);
}

} // namespace
