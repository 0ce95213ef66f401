// Copying from the real main window through the system clipboard; the popup hook answers menus.
#include "app/mainform.h"
#include "html/layout/section.h"
#include "platform/clipboard.h"
#include "platform/popupmenu.h"
#include "platform/qt/control_bridge.h"
#include "platform/qt/forms_qt.h"
#include "tests/app/app_support.h"

#include <QAbstractScrollArea>
#include <QTest>
#include <gtest/gtest.h>

using namespace mkb::browser;

TEST(CopyTest, TreeAndDetailsPaneCopyByKeysAndMenus) {
    TfrmMainForm form;
    form.FormCreate();
    form.Show();
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
    tree.SetFocusedNode(dagger);
    QTest::keyClick(treeKeys, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), u"A17.0† Туберкулезный менингит (G01*)");

    // A right click acts on the row under the pointer and leaves focus and selection alone.
    const std::vector<PVirtualNode> selected = tree.GetSelection();
    EXPECT_EQ(rightClick(a17, 0), u"A17†");
    EXPECT_EQ(offered, u"Копировать код;Копировать код и наименование;");
    EXPECT_EQ(rightClick(a17, 1), tree.Text(a17));
    EXPECT_EQ(tree.FocusedNode(), dagger);
    EXPECT_EQ(tree.GetSelection(), selected);
    EXPECT_EQ(rightClick(a17->Parent, 0), u"ТУБЕРКУЛЕЗ (A15-A19)"); // a block: its name
    QTest::keyClick(treeKeys, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(ClipboardText(), u"A17.0†");
    choice = 1;
    QTest::keyClick(treeKeys, Qt::Key_Menu);
    EXPECT_EQ(ClipboardText(), tree.Text(dagger));

    // The details pane: a selection from the heading "Код" into the code in the cell below.
    html::THTMLViewer& v = form.HTMLViewer();
    QWidget* paneKeys = ControlWidget(v);
    for (const html::TSection* s : v.Document.SearchList) {
        if (s->Text == u"Код ")
            v.Document.SelStart = s->FirstPos;
        if (s->Text == u"A17.0† ")
            v.Document.SelEnd = s->FirstPos + 3;
    }
    QTest::keyClick(paneKeys, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), u"Код\nA17");
    QTest::keyClick(paneKeys, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(paneKeys, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText().substr(0, 14), u"Класс\nКЛАСС I.");
    // The reference, a link on the page, copies as the text it is.
    EXPECT_NE(ClipboardText().find(u"\nКод\nA17.0†\nНаименование\nТуберкулезный менингит (G01*)"),
              std::u16string::npos);
    // With nothing selected "Копировать" is off; "Выделить всё" selects the page again.
    v.Document.SelEnd = v.Document.SelStart;
    QTest::mouseClick(surface(v), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(offered, u"Копировать(off);Выделить всё;");
    EXPECT_EQ(v.SelectedText(), ClipboardText());
    SetPopupMenuHook(nullptr);
}
