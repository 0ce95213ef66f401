// The details page's references as links in the real main window (the pointer, a click, Tab
// and Enter, what a screen reader is told) and going back and forward over what was shown.
#include "app/mainform.h"
#include "browser/records.h"
#include "platform/qt/control_bridge.h"
#include "platform/qt/forms_qt.h"
#include "tests/app/app_support.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace mkb::browser;

namespace {

class LinksTest : public ::testing::Test {
protected:
    void SetUp() override {
        Form = ShownMainWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(W(Form.get())));
    }
    html::THTMLViewer& Viewer() { return Form->HTMLViewer(); }
    QWidget* Pane() { return ControlWidget(Viewer()); }
    QWidget* Surface() { return qobject_cast<QAbstractScrollArea*>(Pane())->viewport(); }
    // Opens the record as a search does and paints its page, which places the links.
    void Open(std::u16string_view code) {
        const int index = Form->Browser().Records().ByCode(code);
        ASSERT_GE(index, 0);
        Form->Browser().OpenRecord(index);
        Surface()->repaint();
    }
    std::u16string Shown() {
        const int index = Form->Browser().ShownRecord();
        return index < 0 ? u"" : RecordCodeText(MKBRecs[index]);
    }
    // The page shown is the tree's focused node's, as after a search.
    bool TreeFollows() {
        return Form->Browser().RecordIndex(Form->vstPartsTree().FocusedNode()) ==
               Form->Browser().ShownRecord();
    }
    // The link's middle, as the screen reader's object places it.
    QPoint LinkPoint(int link) {
        QAccessibleInterface* child = QAccessible::queryAccessibleInterface(Pane())->child(link);
        return child ? Surface()->mapFromGlobal(child->rect().center()) : QPoint(-1, -1);
    }
    std::unique_ptr<TfrmMainForm> Form;
};

} // namespace

TEST_F(LinksTest, AClickOnAReferenceOpensItsRecordInTheTree) {
    Open(u"A17.0");
    ASSERT_EQ(Viewer().Links().size(), 1u);
    EXPECT_EQ(Viewer().LinkText(0), u"G01*");
    const QPoint link = LinkPoint(0);
    QTest::mouseMove(Surface(), link);
    EXPECT_EQ(Surface()->cursor().shape(), Qt::PointingHandCursor);
    // A drag that selects over the link follows nothing.
    QTest::mousePress(Surface(), Qt::LeftButton, {}, link);
    QTest::mouseMove(Surface(), QPoint(link.x() - 40, link.y()));
    QTest::mouseRelease(Surface(), Qt::LeftButton, {}, QPoint(link.x() - 40, link.y()));
    EXPECT_EQ(Shown(), u"A17.0†");
    QTest::mouseClick(Surface(), Qt::LeftButton, {}, link);
    EXPECT_EQ(Shown(), u"G01*");
    EXPECT_TRUE(TreeFollows());
    // The asterisk code's page lists the dagger codes that name it.
    const std::u16string text = Viewer().TextRange(0, 1 << 20);
    EXPECT_TRUE(text.ends_with(u"\nСсылки на эту рубрику\nA17.0† Туберкулезный менингит (G01*)\n"
                               u"A39.0 Менингококковый менингит (G01*)"));
    EXPECT_EQ(Viewer().Links().size(), 2u);
}

TEST_F(LinksTest, TabReachesEachLinkAndEnterFollowsIt) {
    Open(u"G55.3"); // (M45-M46+,M48.-+,M53-M54+)
    ASSERT_EQ(Viewer().Links().size(), 3u);
    Pane()->setFocus();
    QTest::keyClick(Pane(), Qt::Key_Tab);
    QTest::keyClick(Pane(), Qt::Key_Tab);
    EXPECT_TRUE(Pane()->hasFocus());
    EXPECT_EQ(Viewer().FocusedLink(), 1);
    // A screen reader hears the link reached, as a link, with its text.
    QAccessibleInterface* page = QAccessible::queryAccessibleInterface(Pane());
    ASSERT_NE(page->focusChild(), nullptr);
    EXPECT_EQ(page->focusChild()->role(), QAccessible::Link);
    EXPECT_EQ(page->focusChild()->text(QAccessible::Name), QStringLiteral("M48.-+"));
    EXPECT_EQ(page->childCount(), 3);
    QTest::keyClick(Pane(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(Viewer().FocusedLink(), 0);
    QTest::keyClick(Pane(), Qt::Key_Return);
    EXPECT_EQ(Shown(), u"M45"); // no block has M45-M46: its first code
    EXPECT_TRUE(TreeFollows());
    // Past the last link Tab leaves the pane, as it does from a page without links.
    Open(u"G55.3");
    Pane()->setFocus();
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_FALSE(Pane()->hasFocus());
    EXPECT_EQ(Viewer().FocusedLink(), -1);
    // The reader's action follows a link too.
    QAccessible::queryAccessibleInterface(Pane())->child(2)->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
    EXPECT_EQ(Shown(), u"M53");
}

TEST_F(LinksTest, TheCommandLinesCodeOpensItsRecordOrTheStatusBarSaysItIsUnknown) {
    for (std::u16string_view code : {u"j101", u"J10,1"}) {
        Form->OpenCode(std::u16string(code));
        EXPECT_EQ(Shown(), u"J10.1");
    }
    Form->OpenCode(u"с00.0"); // a Cyrillic «с»
    EXPECT_EQ(Shown(), u"C00.0");
    EXPECT_TRUE(TreeFollows());
    EXPECT_TRUE(As<QStatusBar>(Form->StatusBar())->currentMessage().isEmpty());
    Form->OpenCode(u"Z99.99");
    EXPECT_EQ(Shown(), u"C00.0");
    EXPECT_EQ(As<QStatusBar>(Form->StatusBar())->currentMessage(),
              QStringLiteral("Код «Z99.99» не найден в классификации"));
}

TEST_F(LinksTest, AltLeftAltRightTheMenuAndTheMouseButtonsGoBackAndForward) {
    EXPECT_FALSE(ActionOf(*Form->miBack)->isEnabled());
    EXPECT_FALSE(ActionOf(*Form->miForward)->isEnabled());
    Open(u"A17.0");
    QTest::mouseClick(Surface(), Qt::LeftButton, {}, LinkPoint(0)); // to G01*
    EXPECT_TRUE(ActionOf(*Form->miBack)->isEnabled());
    // An arrow key in the tree enters G02* only once its page has stayed shown a moment; G03,
    // passed at once, never.
    QWidget* tree = ControlWidget(Form->vstPartsTree());
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(Shown(), u"G02*");
    QTest::qWait(TfrmMainForm::HistoryDwellMs + 200);
    QTest::keyClick(tree, Qt::Key_Down);
    QTest::keyClick(tree, Qt::Key_Down);
    QTest::keyClick(tree, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Shown(), u"G02*");
    QTest::keyClick(tree, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Shown(), u"G01*");
    EXPECT_TRUE(TreeFollows());
    QTest::mouseClick(Surface(), Qt::BackButton, {}, QPoint(5, 5));
    EXPECT_EQ(Shown(), u"A17.0†");
    EXPECT_FALSE(ActionOf(*Form->miBack)->isEnabled());
    QTest::mouseClick(ControlWidget(Form->vstPartsTree()), Qt::ForwardButton);
    EXPECT_EQ(Shown(), u"G01*");
    QTest::keyClick(W(Form.get()), Qt::Key_Right, Qt::AltModifier);
    QTest::keyClick(W(Form.get()), Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(Shown(), u"G04");
    EXPECT_FALSE(ActionOf(*Form->miForward)->isEnabled());
}
