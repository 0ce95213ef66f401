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
            auto digit = [](PVirtualNode p) {
                return std::u16string(1, char16_t(u'1' + p->Index));
            };
            text = (n->Parent == t->RootNode() ? u"" : digit(n->Parent) + u".") + digit(n);
        };
        Top = Add(nullptr, 3);
        Kids = Add(Top[1], 2);
        Tree->SetExpanded(Top[1], true);
        Add(Top[2], 4);
        Events.clear();
        SetAccessibleEventSink(&RecordEvent);
        Iface = QAccessible::queryAccessibleInterface(ControlWidget(*Tree));
    }
    void TearDown() override { SetAccessibleEventSink(nullptr); }
    QString Name(int row) { return Iface->child(row)->text(QAccessible::Name); }
    void Key(int qtKey) {
        QKeyEvent e(QEvent::KeyPress, qtKey, Qt::NoModifier);
        QApplication::sendEvent(ControlWidget(*Tree), &e);
    }

    std::vector<PVirtualNode> Top, Kids;
    QAccessibleInterface* Iface = nullptr;
};

TEST_F(AccessibleTreeTest, VisibleRowsWithNamesLevelsStatesAndPlaces) {
    EXPECT_EQ(Iface->role(), QAccessible::Tree);
    ASSERT_EQ(Iface->childCount(), 5);
    EXPECT_EQ(Iface->indexOfChild(Iface->child(4)), 4);
    EXPECT_EQ((QStringList{Name(0), Name(1), Name(2), Name(3), Name(4)}),
              (QStringList{"1", "2", "2.1", "2.2", "3"}));
    EXPECT_TRUE(Iface->child(2)->text(QAccessible::Description).startsWith("уровень 2"));
    const QAccessible::State closed = Iface->child(4)->state();
    EXPECT_TRUE(closed.expandable && closed.collapsed && !closed.expanded);

    Tree->SetFocusedNode(Kids[1]);
    Tree->AddToSelection(Kids[1]);
    EXPECT_EQ(Iface->focusChild(), Iface->child(3));
    EXPECT_TRUE(Iface->child(3)->state().selected);
    const QPoint middle = Iface->child(3)->rect().center();
    EXPECT_EQ(Iface->childAt(middle.x(), middle.y()), Iface->child(3));
    // Opening a whole tree is one change of the rows for a reader.
    Events.clear();
    Tree->FullExpand();
    EXPECT_EQ(Iface->childCount(), 9);
    EXPECT_EQ(Events, (decltype(Events){{QAccessible::ObjectReorder, -1}}));
}

TEST_F(AccessibleTreeTest, KeysOpenNodesAndMoveTheFocusAndTheReaderHears) {
    Tree->SetFocusedNode(Top[2]);
    EXPECT_TRUE(Events.empty()); // no focus event while the tree has no keyboard focus
    QWidget* w = ControlWidget(*Tree);
    w->activateWindow();
    for (int i = 0; i < 50 && !w->isActiveWindow(); ++i)
        WaitAndProcessMessages(10);
    w->setFocus();
    ASSERT_TRUE(w->hasFocus());
    Events.clear();
    Key(Qt::Key_Right);
    EXPECT_EQ(Name(5), "3.1");
    EXPECT_EQ(Events,
              (decltype(Events){{QAccessible::ObjectReorder, -1}, {QAccessible::StateChanged, 4}}));
    EXPECT_TRUE(LastChange.expanded);
    Key(Qt::Key_Down);
    EXPECT_EQ(Events.back(), std::make_pair(QAccessible::Focus, 5));
    EXPECT_TRUE(Iface->child(5)->state().focused);

    QAccessibleActionInterface* actions = Iface->child(4)->actionInterface();
    EXPECT_EQ(actions->actionNames(), (QStringList{"collapse", "select"}));
    actions->doAction("collapse");
    EXPECT_EQ(Iface->childCount(), 5);
    Iface->child(0)->actionInterface()->doAction("select");
    EXPECT_EQ(Tree->FocusedNode(), Top[0]);
    EXPECT_EQ(Tree->GetSelection(), TNodeArray{Top[0]});
}

TEST_F(AccessibleTreeTest, HeldRowsAnswerNeutrallyOnceTheirRowsAreGone) {
    QAccessibleInterface* kid = Iface->child(3);
    QAccessibleInterface* last = Iface->child(4);
    Tree->DeleteNode(Kids[0]);
    // Row 3 exists again, but a held row describes the row it was made for or nothing.
    EXPECT_TRUE(!kid->isValid() && kid->state().invalid);
    EXPECT_TRUE(kid->text(QAccessible::Name).isEmpty() && kid->rect().isNull());
    EXPECT_TRUE(kid->actionInterface()->actionNames().isEmpty());
    kid->actionInterface()->doAction("select");
    EXPECT_EQ(Tree->FocusedNode(), nullptr);
    EXPECT_EQ(Iface->indexOfChild(kid), -1);
    EXPECT_EQ(Name(3), "3");
    Tree->Clear();
    EXPECT_TRUE(Iface->childCount() == 0 && last->text(QAccessible::Name).isEmpty());
}

} // namespace
