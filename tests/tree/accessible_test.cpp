// The tree through the toolkit's accessibility interface, as a screen reader reads it: one item
// per visible row, its states and actions, the events of a key press, and rows that go while a
// reader still holds one.
#include "platform/qt/control_bridge.h"
#include "tree_fixture.h"
#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>

namespace {

struct TSeenEvent {
    QAccessible::Event Type;
    int Child;
    QAccessible::State Changed;
};
std::vector<TSeenEvent>* SeenEvents = nullptr;

void RecordEvent(QAccessibleEvent* e) {
    if (SeenEvents == nullptr)
        return;
    QAccessible::State changed;
    if (e->type() == QAccessible::StateChanged)
        changed = static_cast<QAccessibleStateChangeEvent*>(e)->changedStates();
    SeenEvents->push_back({e->type(), e->child(), changed});
}

class AccessibleTreeTest : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
        // Names from the node's place: "1", "2", "2.1", ...
        Tree->OnGetText = [](TBaseVirtualTree* t, PVirtualNode n, TColumnIndex, TVSTTextType,
                             std::u16string& text) {
            text.clear();
            for (PVirtualNode p = n; p != t->RootNode(); p = p->Parent)
                text = std::u16string(1, char16_t(u'1' + p->Index)) +
                       (text.empty() ? u"" : u"." + text);
        };
        Top = Add(nullptr, 3);
        Kids = Add(Top[1], 2);
        Tree->SetExpanded(Top[1], true);
        Add(Top[2], 4); // collapsed
        SeenEvents = &Events;
        SetAccessibleEventSink(&RecordEvent);
        Iface = QAccessible::queryAccessibleInterface(ControlWidget(*Tree));
        ASSERT_NE(Iface, nullptr);
    }
    void TearDown() override {
        SetAccessibleEventSink(nullptr);
        SeenEvents = nullptr;
    }
    QString Name(int row) { return Iface->child(row)->text(QAccessible::Name); }
    std::vector<TSeenEvent> EventsOf(QAccessible::Event type) const {
        std::vector<TSeenEvent> out;
        for (const TSeenEvent& e : Events)
            if (e.Type == type)
                out.push_back(e);
        return out;
    }

    std::vector<PVirtualNode> Top, Kids;
    std::vector<TSeenEvent> Events;
    QAccessibleInterface* Iface = nullptr;
};

TEST_F(AccessibleTreeTest, RowsInDisplayOrderWithNamesLevelsAndStates) {
    EXPECT_EQ(Iface->role(), QAccessible::Tree);
    ASSERT_EQ(Iface->childCount(), 5);
    const QStringList expected{"1", "2", "2.1", "2.2", "3"};
    for (int row = 0; row < 5; ++row) {
        QAccessibleInterface* item = Iface->child(row);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->role(), QAccessible::TreeItem);
        EXPECT_EQ(item->text(QAccessible::Name), expected[row]);
        EXPECT_EQ(Iface->indexOfChild(item), row);
        EXPECT_EQ(item->parent(), Iface);
    }
    EXPECT_EQ(Iface->child(5), nullptr);
    EXPECT_EQ(Iface->child(-1), nullptr);
    EXPECT_TRUE(Iface->child(2)->text(QAccessible::Description).startsWith("уровень 2"));

    const QAccessible::State open = Iface->child(1)->state();
    EXPECT_TRUE(open.expandable && open.expanded && !open.collapsed);
    const QAccessible::State closed = Iface->child(4)->state();
    EXPECT_TRUE(closed.expandable && closed.collapsed && !closed.expanded);
    EXPECT_TRUE(Iface->child(4)->text(QAccessible::Description).endsWith(": 4"));
    EXPECT_FALSE(Iface->child(0)->state().expandable);

    Tree->SetFocusedNode(Kids[1]);
    Tree->AddToSelection(Kids[1]);
    EXPECT_EQ(Iface->focusChild(), Iface->child(3));
    EXPECT_TRUE(Iface->child(3)->state().selected);
    EXPECT_FALSE(Iface->child(2)->state().selected);
    // The row's rectangle is where the row is painted.
    const QRect r = Iface->child(3)->rect();
    const QPoint origin = ControlWidget(*Tree)->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(r.height(), 24);
    EXPECT_EQ(Iface->childAt(r.center().x(), r.center().y()), Iface->child(3));
    EXPECT_GE(r.top(), origin.y());
}

TEST_F(AccessibleTreeTest, RightOnACollapsedNodeOpensItAndTellsTheReader) {
    Tree->SetFocusedNode(Top[2]);
    Events.clear();
    QKeyEvent e(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(ControlWidget(*Tree), &e);

    ASSERT_EQ(Iface->childCount(), 9);
    EXPECT_TRUE(Iface->child(4)->state().expanded);
    EXPECT_EQ(Name(5), "3.1");
    const auto changes = EventsOf(QAccessible::StateChanged);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].Child, 4);
    EXPECT_TRUE(changes[0].Changed.expanded);
    EXPECT_EQ(EventsOf(QAccessible::ObjectReorder).size(), 1u);

    // The actions a reader offers: collapse now, then expand again.
    QAccessibleActionInterface* actions = Iface->child(4)->actionInterface();
    ASSERT_NE(actions, nullptr);
    EXPECT_EQ(actions->actionNames(), (QStringList{"collapse", "select"}));
    actions->doAction("collapse");
    EXPECT_EQ(Iface->childCount(), 5);
    EXPECT_TRUE(Iface->child(4)->state().collapsed);
    Iface->child(0)->actionInterface()->doAction("select");
    EXPECT_EQ(Tree->FocusedNode(), Top[0]);
    EXPECT_TRUE(Tree->Selected(Top[0]));
    EXPECT_EQ(Tree->SelectedCount(), 1u);
}

TEST_F(AccessibleTreeTest, FocusMovesAreAnnouncedOnlyWhileTheTreeHasTheFocus) {
    Tree->SetFocusedNode(Top[0]);
    EXPECT_TRUE(EventsOf(QAccessible::Focus).empty()); // the tree has no keyboard focus
    QWidget* w = ControlWidget(*Tree);
    w->activateWindow();
    for (int i = 0; i < 50 && !w->isActiveWindow(); ++i)
        WaitAndProcessMessages(10);
    w->setFocus();
    if (!w->hasFocus())
        GTEST_SKIP() << "the platform gives no window the focus";
    Events.clear();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(w, &down);
    const auto focus = EventsOf(QAccessible::Focus);
    ASSERT_FALSE(focus.empty());
    EXPECT_EQ(focus.back().Child, 1);
    EXPECT_TRUE(Iface->child(1)->state().focused);
}

TEST_F(AccessibleTreeTest, HeldRowsAnswerNeutrallyOnceTheirRowsAreGone) {
    QAccessibleInterface* kid = Iface->child(3);
    QAccessibleInterface* last = Iface->child(4);
    const QAccessible::Id lastId = QAccessible::uniqueId(last);
    ASSERT_TRUE(kid->isValid());
    Tree->DeleteNode(Kids[0]);
    // Row 3 now exists again, but held row objects describe rows that were, never a new one.
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
    EXPECT_EQ(Iface->child(0), nullptr);
    EXPECT_FALSE(last->isValid());
    EXPECT_EQ(QAccessible::accessibleInterface(lastId), last);
    EXPECT_EQ(last->text(QAccessible::Name), QString());
    EXPECT_EQ(Iface->focusChild(), nullptr);
}

} // namespace
