// Copying from the real main window through the system clipboard; the popup hook answers menus.
#include "app/mainform.h"
#include "html/layout/section.h"
#include "platform/clipboard.h"
#include "platform/popupmenu.h"
#include "platform/qt/control_bridge.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

TEST(CopyTest, TreeAndDetailsPaneCopyByKeysAndMenus) {
    TfrmMainForm form;
    form.FormCreate();
    form.show();
    std::u16string offered;
    int choice = 0;
    SetPopupMenuHook([&](const TPopupMenu& menu, TPoint) {
        offered.clear();
        for (const TMenuItem& item : menu.Items)
            offered += item.Caption + (item.Enabled ? u";" : u"(off);");
        return choice;
    });
    TVirtualStringTree& tree = form.vstPartsTree();
    QWidget* treeKeys = ControlWidget(tree);
    auto surface = [](TControl& c) {
        return qobject_cast<QAbstractScrollArea*>(ControlWidget(c))->viewport();
    };
    auto rightClick = [&](PVirtualNode n, int item) {
        const TRect r = tree.GetDisplayRect(n, NoColumn, true);
        choice = item;
        QTest::mouseClick(surface(tree), Qt::RightButton, {}, QPoint(r.Left + 2, r.Top + 2));
        return ClipboardText();
    };
    form.Browser().OpenRecord(form.Browser().FindRecord(u"A17.0"));
    PVirtualNode dagger = tree.GetSelection()[0], a17 = dagger->Parent;
    tree.SetExpanded(a17->PrevSibling->PrevSibling, true);
    PVirtualNode a15 = a17->PrevSibling->PrevSibling->FirstChild;
    tree.SetFocusedNode(a15);
    QTest::keyClick(treeKeys, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), u"A15.0 Туберкулез легких, подтвержденный бактериоскопически с "
                               u"наличием или отсутствием роста культуры");
    SetClipboardText(u"-");
    QTest::keyClick(treeKeys, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), tree.Text(a15));

    // A right click acts on the row under the pointer and leaves focus and selection alone.
    const std::vector<PVirtualNode> selected = tree.GetSelection();
    EXPECT_EQ(rightClick(dagger, 0), u"A17.0†");
    EXPECT_EQ(offered, u"Копировать код;Копировать код и наименование;");
    EXPECT_EQ(rightClick(dagger, 1), tree.Text(dagger));
    EXPECT_EQ(tree.FocusedNode(), a15);
    EXPECT_EQ(tree.GetSelection(), selected);
    EXPECT_EQ(rightClick(a17->Parent, 0), u"ТУБЕРКУЛЕЗ (A15-A19)"); // a block: its name
    QTest::keyClick(treeKeys, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(ClipboardText(), u"A15.0");
    choice = 1;
    QTest::keyClick(treeKeys, Qt::Key_Menu);
    EXPECT_EQ(ClipboardText(), tree.Text(a15));

    // The details pane: a drag from the heading "Код" into the code below selects two cells.
    tree.SetFocusedNode(dagger);
    html::THTMLViewer& v = form._HTMLViewer();
    QWidget* pane = surface(v);
    pane->grab(); // painted once, so that hit testing knows where the lines are
    int from = 0, to = 0;
    for (const html::TSection* s : v.Document.SearchList) {
        from = s->Text == u"Код " ? s->FirstPos : from;
        to = s->Text == u"A17.0† " ? s->FirstPos : to;
    }
    html::TMeasureCanvas measure;
    auto at = [&](int pos) {
        int x = 0, y = 0;
        v.Document.PointOfCursor(measure, pos, x, y);
        return QPoint(x + 1, y + 3);
    };
    QTest::mousePress(pane, Qt::LeftButton, {}, at(from));
    QMouseEvent move(QEvent::MouseMove, at(to + 3), pane->mapToGlobal(at(to + 3)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pane, &move);
    QTest::mouseRelease(pane, Qt::LeftButton, {}, at(to + 3));
    QTest::keyClick(ControlWidget(v), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), u"Код\nA17");
    QTest::keyClick(ControlWidget(v), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(ControlWidget(v), Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText().substr(0, 14), u"Класс\nКЛАСС I.");
    EXPECT_NE(ClipboardText().find(u"\nКод\nA17.0†\nНаименование\nТуберкулезный менингит"),
              std::u16string::npos);
    // After a click the menu's "Копировать" is off; "Выделить всё" selects the page again.
    QTest::mouseClick(pane, Qt::LeftButton, {}, at(from));
    QTest::mouseClick(pane, Qt::RightButton, {}, at(from));
    EXPECT_EQ(offered, u"Копировать(off);Выделить всё;");
    EXPECT_EQ(v.SelectedText(), ClipboardText());
    SetPopupMenuHook(nullptr);
}
