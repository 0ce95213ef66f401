#include "app/mainform.h"
#include "app/searchpopup.h"
#include "browser/records.h"
#include "browser/windowsetup.h"
#include "html/layout/section.h"
#include "platform/application.h"
#include "platform/bitmap.h"
#include "platform/clipboard.h"
#include "platform/colors.h"
#include "platform/dialogs.h"
#include "platform/popupmenu.h"
#include "platform/qt/control_bridge.h"
#include "platform/qt/forms_qt.h"
#include "platform/qt/qtconvert.h"
#include "tests/app/app_support.h"
#include "tests/browser/store_support.h"
#include "tree/tree_geometry.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <algorithm>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

using namespace mkb::browser;

namespace {

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetChildCounts(MKBStore());
        Form = std::make_unique<TfrmMainForm>();
        Form->Browser().ShowInformation = [this](const std::u16string& t) {
            Messages.push_back(t);
        };
        Form->FormCreate();
        W(Form.get())->show();
        QApplication::processEvents();
    }
    void TearDown() override { ApplicationErrorHandler = nullptr; }

    TVirtualStringTree& Tree() { return Form->vstPartsTree(); }
    std::unique_ptr<TfrmMainForm> Form;
    std::vector<std::u16string> Messages;
};

} // namespace

TEST_F(MainFormTest, OpensWithTheClassesAndTheSearchHint) {
    EXPECT_EQ(W(Form.get())->windowTitle(), QStringLiteral("Международная классификация болезней"));
    EXPECT_TRUE(W(Form.get())->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(Tree().RootNodeCount(), 22u); // classes I to XXII
    for (PVirtualNode n = Tree().RootNode()->FirstChild; n; n = n->NextSibling)
        EXPECT_FALSE(Tree().Expanded(n));
    // The hint shows as the box's text until the box is entered, and while it is empty after;
    // in a grey that reads, where the inactive-caption colour would not (1.7:1).
    QLineEdit* box = As<QLineEdit>(Form->edFastSearch);
    EXPECT_EQ(FromQString(box->text().isEmpty() ? box->placeholderText() : box->text()),
              SearchPlaceholder);
    for (auto role : {QPalette::Text, QPalette::PlaceholderText}) {
        const QColor c = box->palette().color(role);
        EXPECT_GE(ContrastRatio(RGBColor(c.red(), c.green(), c.blue()), clWindow),
                  ReadableContrast);
    }
    EXPECT_FALSE(As<QPushButton>(Form->btnSearch)->isEnabled());
    EXPECT_EQ(As<QPushButton>(Form->btnSearch)->text(), QStringLiteral("&Поиск"));
    EXPECT_EQ(As<QLabel>(Form->panPartsHeading)->text(), QStringLiteral("  Разделы МКБ 10"));
    EXPECT_EQ(As<QLabel>(Form->panDetailsHeading)->text(),
              QStringLiteral("  Информация о выбранном элементе"));
    EXPECT_EQ(W(Form->panDetails)->palette().color(QPalette::Window), QColor(0xF7, 0xF8, 0xFA));
    EXPECT_EQ(ActionOf(*Form->miChangeFont)->text(), QStringLiteral("&Изменить шрифт"));
    EXPECT_EQ(ActionOf(*Form->miExit)->text(), QStringLiteral("&Выйти из программы"));
    EXPECT_EQ(ActionOf(*Form->miAbout)->text(), QStringLiteral("&О программе"));
    // The status bar names the records loaded and the edition.
    EXPECT_EQ(ToQString(Form->StatusBar()->SimpleText()),
              QStringLiteral("Записей: %1 · НСИ %2, версия %3")
                      .arg(MKBDataRecordCount)
                      .arg(MKBDataSetId)
                      .arg(MKBDataSetVersion) +
                  QStringLiteral(", последние изменения от ") + MKBDataLatestRecordDate);
}

TEST_F(MainFormTest, RightPanelKeepsItsWidthWhenTheWindowGrows) {
    W(Form.get())->showNormal();
    W(Form.get())->resize(1023, 760);
    QApplication::processEvents();
    int right = W(Form->panRightPanel)->width();
    W(Form.get())->resize(1400, 760);
    QApplication::processEvents();
    EXPECT_EQ(W(Form->panRightPanel)->width(), right);
    EXPECT_GE(W(Form->panParts)->width(), 650);
    // The search box stretches with the window and the button stays at the right edge.
    const int bar = W(Form->panSearch)->width();
    EXPECT_GE(bar, 1300);
    EXPECT_EQ(As<QPushButton>(Form->btnSearch)->geometry(), QRect(bar - 79, 1, 75, 25));
    EXPECT_EQ(As<QLineEdit>(Form->edFastSearch)->geometry(), QRect(1, 3, bar - 87, 21));
    EXPECT_EQ(As<QSplitter>(Form->Splitter1)->handleWidth(), 3);
}

TEST_F(MainFormTest, ANarrowWindowNarrowsTheTreeFirstAndThePageWrapsInItsPane) {
    // The offscreen screen is 800 pixels wide, narrower than the window's design: it fits.
    const QRect screen = W(Form.get())->screen()->availableGeometry();
    ASSERT_LT(screen.width(), 1023);
    W(Form.get())->showMaximized();
    QApplication::processEvents();
    EXPECT_LE(W(Form.get())->geometry().right(), screen.right());
    EXPECT_EQ(W(Form->panRightPanel)->width(), 320);
    // Narrower still: the tree gives way, the details pane keeps a readable width.
    W(Form.get())->showNormal();
    W(Form.get())->resize(420, 300);
    QApplication::processEvents();
    EXPECT_LE(W(Form->panRightPanel)->geometry().right(), As<QSplitter>(Form->Splitter1)->width());
    EXPECT_GE(W(Form->panRightPanel)->width(), 240);
    EXPECT_LT(W(Form->panParts)->width(), 420 - 240);
    // A long page wraps inside the width the scroll bar leaves.
    html::THTMLViewer& v = Form->HTMLViewer();
    std::size_t longest = 0;
    for (std::size_t i = 1; i < MKBStore().size(); ++i)
        if (MKBStore()[i].name.size() > MKBStore()[longest].name.size())
            longest = i;
    Form->Browser().OpenRecord(static_cast<int>(longest));
    QApplication::processEvents();
    ASSERT_TRUE(v.VertScrollBar().Visible());
    EXPECT_LE(v.DocWidth, v.Width() - VerticalScrollBarWidth());
}

TEST_F(MainFormTest, TypingEnablesTheButtonAndEnterSearches) {
    As<QLineEdit>(Form->edFastSearch)->setFocus();
    QApplication::processEvents();
    if (!As<QLineEdit>(Form->edFastSearch)
             ->hasFocus()) // the offscreen platform may not hand out focus
        Form->Browser().edFastSearchEnter();
    EXPECT_TRUE(As<QLineEdit>(Form->edFastSearch)->text().isEmpty());
    QTest::keyClicks(W(Form->edFastSearch), QStringLiteral("C"));
    EXPECT_FALSE(As<QPushButton>(Form->btnSearch)->isEnabled());
    QTest::keyClick(W(Form->edFastSearch), Qt::Key_Return);
    EXPECT_EQ(Tree().SelectedCount(), 0u);
    QTest::keyClicks(W(Form->edFastSearch), QStringLiteral("00.0"));
    EXPECT_TRUE(As<QPushButton>(Form->btnSearch)->isEnabled());
    QTest::keyClick(W(Form->edFastSearch), Qt::Key_Return);
    ASSERT_EQ(Tree().SelectedCount(), 1u);
    EXPECT_EQ(Tree().Text(Tree().GetSelection()[0]).substr(0, 5), u"C00.0");
    // Scrolled into view: the row lies inside the client area.
    const TRect row = Tree().GetDisplayRect(Tree().GetSelection()[0], NoColumn, false);
    EXPECT_FALSE(row.IsEmpty());
    EXPECT_GE(row.Top, 0);
    EXPECT_LE(row.Bottom, Tree().ClientHeight());
    EXPECT_EQ(Tree().FocusedNode(), Tree().GetSelection()[0]); // the found record is current
}

TEST_F(MainFormTest, ButtonSearchAndNoMatch) {
    // The button opens the ranked list's first row, not the first match in store order.
    Form->Browser().edFastSearchEnter();
    As<QLineEdit>(Form->edFastSearch)->setText(QStringLiteral("гипертоническая болезнь"));
    QTest::mouseClick(W(Form->btnSearch), Qt::LeftButton);
    const std::vector<int>& ranked = Form->SearchResults().Results().Records;
    ASSERT_FALSE(ranked.empty());
    ASSERT_NE(ranked[0], Form->Browser().FindRecord(u"гипертоническая болезнь"));
    ASSERT_EQ(Tree().SelectedCount(), 1u);
    EXPECT_EQ(Form->Browser().RecordIndex(Tree().GetSelection()[0]), ranked[0]);
    EXPECT_TRUE(Messages.empty());
    As<QLineEdit>(Form->edFastSearch)->setText(QStringLiteral("qzqzqzqz"));
    QTest::mouseClick(W(Form->btnSearch), Qt::LeftButton);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], NoMatchMessage);
}

TEST_F(MainFormTest, TheNoMatchMessageSpeaksRussian) {
    // The window's own message box this time, read and closed once it is up.
    Form->Browser().ShowInformation = [](const std::u16string& text) {
        MessageBoxInformation(text);
    };
    const TMessageBoxHook previous = SetMessageBoxHook(nullptr);
    QStringList buttons;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            for (QAbstractButton* b : box->buttons())
                buttons << b->text().remove(QLatin1Char('&'));
            poll.stop();
            box->reject();
        }
    });
    poll.start(10);
    As<QLineEdit>(Form->edFastSearch)->setText(QStringLiteral("qzqzqzqz"));
    QTest::mouseClick(W(Form->btnSearch), Qt::LeftButton);
    SetMessageBoxHook(previous);
    buttons.sort();
    EXPECT_EQ(buttons, QStringList({QStringLiteral("ОК"), QStringLiteral("Отмена")}));
}

TEST_F(MainFormTest, AnErrorInAHandlerReachesTheMessageBoxAndTheWindowRunsOn) {
    std::vector<std::string> errors;
    ApplicationErrorHandler = [&](const std::string& m) { errors.push_back(m); };
    Tree().OnExpanding = [](TBaseVirtualTree*, PVirtualNode, bool&) {
        throw EMkbError("expanding failed");
    };
    // Deliver the failure through the application's event dispatch, as a key press would.
    struct Thrower : QObject {
        bool event(QEvent*) override { throw EMkbError("handler failed"); }
    } thrower;
    QEvent ev(QEvent::User);
    QApplication::sendEvent(&thrower, &ev);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "handler failed");
    // The window is still usable.
    As<QLineEdit>(Form->edFastSearch)->setText(QStringLiteral("a00"));
    QTest::mouseClick(W(Form->btnSearch), Qt::LeftButton);
    EXPECT_EQ(errors.size(), 2u); // expanding class I now raises, and that is shown too
    EXPECT_EQ(errors.back(), "expanding failed");
}

namespace {

// The tree's client area as the window shows it.
TBitmap RenderTree(TVirtualStringTree& tree) {
    TBitmap out(tree.ClientWidth(), tree.ClientHeight());
    tree.RenderContent(out.Canvas(),
                       {-tree.OffsetX(), -tree.OffsetY(), tree.ClientWidth() - tree.OffsetX(),
                        tree.ClientHeight() - tree.OffsetY()},
                       {0, 0});
    return out;
}

bool SameRows(const TBitmap& a, const TBitmap& b, int top, int bottom) {
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.PixelAt(x, y) != b.PixelAt(x, y))
                return false;
    return true;
}

} // namespace

// ---- the details pane ----

namespace {

int SectionsWith(html::THTMLViewer& v, std::u16string_view text) {
    int n = 0;
    for (const html::TSection* s : v.Document.SearchList)
        n += s->Text.find(text) != std::u16string::npos;
    return n;
}

QImage GrabViewer(html::THTMLViewer& v) {
    auto* area = qobject_cast<QAbstractScrollArea*>(ControlWidget(v));
    return area->viewport()->grab().toImage();
}

} // namespace

TEST_F(MainFormTest, TreeCarriesItsPicturesColoursAndBackgroundPlacement) {
    // The window's tree carries what the set-up gives a fresh tree.
    TVirtualStringTree fresh;
    TImageList images{24, 24};
    SetUpPartsTree(fresh, images);
    ASSERT_NE(Tree().Images(), nullptr);
    EXPECT_EQ(Tree().Images()->Count(), images.Count());
    EXPECT_EQ(Tree().Images()->Width(), images.Width());
    const int pictureWidth = fresh.Background().Width(),
              pictureHeight = fresh.Background().Height();
    EXPECT_GT(pictureWidth, 0);
    EXPECT_EQ(Tree().Background().Width(), pictureWidth);
    EXPECT_EQ(Tree().Background().Height(), pictureHeight);
    EXPECT_EQ(Tree().Colors(), fresh.Colors());
    EXPECT_EQ(Tree().TreeOptions().PaintOptions, fresh.TreeOptions().PaintOptions);
    EXPECT_EQ(Tree().TreeOptions().SelectionOptions, fresh.TreeOptions().SelectionOptions);
    EXPECT_EQ(Tree().LineStyle(), fresh.LineStyle());

    // Every resize puts the picture 24 pixels from the right and bottom edges, also when the
    // tree is smaller than the picture.
    for (QSize size : {QSize(1200, 800), QSize(700, 500), QSize(300, 200)}) {
        W(Form.get())->showNormal();
        W(Form.get())->resize(size);
        QApplication::processEvents();
        EXPECT_EQ(Tree().BackgroundOffsetX(), Tree().ClientWidth() - pictureWidth - 24);
        EXPECT_EQ(Tree().BackgroundOffsetY(), Tree().ClientHeight() - pictureHeight - 24);
    }

    // The first class's row shows the closed folder: the picture's opaque pixels appear at the
    // image position of a top-level row.
    W(Form.get())->resize(1023, 760);
    QApplication::processEvents();
    const TBitmap out = RenderTree(Tree());
    const TBitmap* folder = Tree().Images()->Image(0);
    ASSERT_NE(folder, nullptr);
    const TRowGeometry geometry = Tree().RowGeometry();
    const int imageX = geometry.ImageLeft(geometry.IndentSteps(0));
    EXPECT_EQ(imageX, 2 + 24);
    int opaque = 0, matching = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            if (AlphaOfPixel(folder->PixelAt(x, y)) == 255) {
                ++opaque;
                matching += out.ColorAt(imageX + x, y) == folder->ColorAt(x, y);
            }
    ASSERT_GT(opaque, 50);
    EXPECT_EQ(matching, opaque);
}

TEST_F(MainFormTest, FontCommandCancelledKeepsTheFontConfirmedRedrawsTheTexts) {
    const TFontSpec before = Tree().Font();
    EXPECT_EQ(before.Name, u"MS Sans Serif");
    EXPECT_EQ(before.Height, 11);
    const TBitmap original = RenderTree(Tree());

    TFontDialogFont seen;
    TFontDialogHook old = SetFontDialogHook([&](TFontDialogFont& f) {
        seen = f;
        return false;
    });
    ActionOf(*Form->miChangeFont)->trigger();
    EXPECT_EQ(seen.Name, u"MS Sans Serif"); // seeded with the tree's font
    EXPECT_EQ(seen.Height, 11);
    EXPECT_EQ(Tree().Font(), before);
    EXPECT_TRUE(SameRows(original, RenderTree(Tree()), 0, 24 * 5));

    SetFontDialogHook([](TFontDialogFont& f) {
        f.Name = u"DejaVu Sans";
        f.Height = 17;
        f.Bold = true;
        return true;
    });
    ActionOf(*Form->miChangeFont)->trigger();
    SetFontDialogHook(old);
    EXPECT_EQ(Tree().Font().Name, u"DejaVu Sans");
    EXPECT_EQ(Tree().Font().Height, 17);
    EXPECT_EQ(Tree().Font().Weight, FW_BOLD);
    EXPECT_EQ(Tree().Font().CharSet, before.CharSet);
    EXPECT_FALSE(SameRows(original, RenderTree(Tree()), 0, 24));
}

TEST_F(MainFormTest, DetailsPaneStartsWithTheEmptyPage) {
    html::THTMLViewer& v = Form->HTMLViewer();
    EXPECT_EQ(v.BorderStyle(), html::htNone);
    EXPECT_EQ(v.ScrollBars(), html::ssVertical);
    EXPECT_EQ(v.CharSet, RUSSIAN_CHARSET);
    EXPECT_EQ(v.DefFontName, u"Times New Roman");
    EXPECT_EQ(ControlWidget(v)->parentWidget(), W(Form->panDetails));
    EXPECT_EQ(v.Source, u"\uFEFF<html><body bgColor=\"#f7f8fa\"></body></html>");
    EXPECT_TRUE(v.Document.SearchList.empty());
    EXPECT_FALSE(v.VertScrollBar().Visible());
    // The pane fills the panel inside its one-pixel border.
    EXPECT_EQ(v.Width(), W(Form->panDetails)->width() - 2);
    QImage img = GrabViewer(v);
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.pixelColor(0, 0), QColor(0xF7, 0xF8, 0xFA));
    EXPECT_EQ(img.pixelColor(img.width() - 1, img.height() - 1), QColor(0xF7, 0xF8, 0xFA));
}

TEST_F(MainFormTest, FocusingANodeShowsItsPageFromTheTop) {
    html::THTMLViewer& v = Form->HTMLViewer();
    PVirtualNode classI = Tree().RootNode()->FirstChild;
    Tree().SetFocusedNode(classI);
    QApplication::processEvents();
    std::u16string expected;
    for (const auto& line : Form->Browser().BuildDetailsPage(0, classI))
        expected += line + u"\r\n";
    EXPECT_EQ(v.Source, expected);
    EXPECT_EQ(SectionsWith(v, u"Класс"), 1);
    EXPECT_EQ(SectionsWith(v, u"КЛАСС I.НЕКОТОРЫЕ"), 1);
    EXPECT_EQ(SectionsWith(v, u"Раздел"), 0);
    EXPECT_GT(v.DocHeight, 0);
    // The headings are painted in their dark red.
    QImage img = GrabViewer(v);
    int red = 0;
    for (int y = 0; y < std::min(img.height(), 60); ++y)
        for (int x = 0; x < std::min(img.width(), 120); ++x)
            red += img.pixelColor(x, y) == QColor(0x87, 0x1F, 0x1C);
    EXPECT_GT(red, 5);

    // A block's page, scrolled down, and then the next page starts at the top again.
    Tree().SetExpanded(classI, true);
    PVirtualNode block = classI->FirstChild;
    Tree().SetFocusedNode(block);
    EXPECT_EQ(SectionsWith(v, u"Раздел"), 1);
    v.ScrollTo(40);
    Tree().SetFocusedNode(block->NextSibling);
    EXPECT_EQ(v.Position(), 0);
    EXPECT_EQ(v.Document.ViewTop, 0);

    // The Down key in the tree moves the focus to the next block, whose page follows.
    PVirtualNode third = block->NextSibling->NextSibling;
    ASSERT_NE(third, nullptr);
    QTest::keyClick(ControlWidget(Tree()), Qt::Key_Down);
    ASSERT_EQ(Tree().FocusedNode(), third);
    std::u16string name;
    Form->Browser().vstPartsTreeGetText(&Tree(), third, 0, TVSTTextType{}, name);
    EXPECT_EQ(SectionsWith(v, name), 2); // a block shows itself under Раздел and Наименование
    EXPECT_NE(v.Source.find(u">" + name + u"<"), std::u16string::npos);
}

TEST_F(MainFormTest, ASearchShowsTheFoundPageAndMakesItCurrent) {
    html::THTMLViewer& v = Form->HTMLViewer();
    PVirtualNode last = Tree().RootNode()->LastChild;
    Tree().SetFocusedNode(last);
    Form->Browser().edFastSearchEnter();
    As<QLineEdit>(Form->edFastSearch)->setText(QStringLiteral("A01.1"));
    QTest::mouseClick(W(Form->btnSearch), Qt::LeftButton);
    EXPECT_EQ(Tree().FocusedNode(), Tree().GetSelection()[0]);
    EXPECT_NE(v.Source.find(u">A01.1<"), std::u16string::npos);
    EXPECT_EQ(SectionsWith(v, u"A01.1"), 1);
    // Focusing a node the search opened replaces the page.
    PVirtualNode found = Tree().GetSelection()[0];
    Tree().SetFocusedNode(found->Parent);
    EXPECT_EQ(v.Source.find(u">A01.1<"), std::u16string::npos);
}

TEST_F(MainFormTest, ExpandingClassOneShowsBlocksCategoriesAndTheirPictures) {
    auto image = [&](PVirtualNode n) { return Tree().NodeImageIndex(n); };
    ASSERT_EQ(Tree().RootNodeCount(), 22u);
    for (PVirtualNode n = Tree().RootNode()->FirstChild; n; n = n->NextSibling) {
        EXPECT_EQ(image(n), 0);                         // closed folder
        EXPECT_TRUE(n->States.Contains(nsHasChildren)); // an expand button
    }
    PVirtualNode classI = Tree().RootNode()->FirstChild;
    EXPECT_EQ(Tree().Text(classI).substr(0, 8), u"КЛАСС I ");
    Tree().SetExpanded(classI, true);
    EXPECT_EQ(image(classI), 1); // open folder
    PVirtualNode block = classI->FirstChild;
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(Tree().Text(block), u"КИШЕЧНЫЕ ИНФЕКЦИИ (A00-A09)"); // no code before a block
    EXPECT_EQ(image(block), 0);
    Tree().SetExpanded(block, true);
    EXPECT_EQ(image(block), 1);
    PVirtualNode cholera = block->FirstChild;
    ASSERT_NE(cholera, nullptr);
    EXPECT_EQ(Tree().Text(cholera), u"A00 Холера");
    EXPECT_EQ(image(cholera), 2); // a category with subcategories
    Tree().SetExpanded(cholera, true);
    ASSERT_NE(cholera->FirstChild, nullptr);
    EXPECT_EQ(Tree().Text(cholera->FirstChild).substr(0, 5), u"A00.0");
    EXPECT_EQ(image(cholera->FirstChild), 3); // a leaf
}

// ---- the search results list ----

namespace {

class SearchListTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        W(Form.get())->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(W(Form.get())));
        As<QLineEdit>(Form->edFastSearch)->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(As<QLineEdit>(Form->edFastSearch)->hasFocus());
    }
    QWidget* ListWidget() { return ControlWidget(Form->SearchResults().vstSearchResults()); }
    // Typed key by key, as a Russian keyboard sends it.
    void Type(const QString& text) {
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, W(Form->edFastSearch), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
    }
    bool ListShown() { return W(Form->panSearchResults)->isVisible(); }
    std::u16string Opened() {
        if (Tree().SelectedCount() != 1)
            return u"";
        return Tree().Text(Tree().GetSelection()[0]);
    }
};

} // namespace

TEST_F(SearchListTest, TypeDownDownEnterOpensTheSecondResult) {
    PVirtualNode last = Tree().RootNode()->LastChild;
    Tree().SetFocusedNode(last);
    As<QLineEdit>(Form->edFastSearch)->setFocus();
    Type(QStringLiteral("грипп"));
    ASSERT_TRUE(ListShown());
    TSearchResultsList& list = Form->SearchResults();
    EXPECT_EQ(ToQString(Form->panSearchResults->lbSearchResultsHeader->Caption()),
              QStringLiteral("Найдено: %1").arg(list.Results().Records.size()));
    // The matched text is tinted.
    TVirtualStringTree& rows = list.vstSearchResults();
    const TBitmap painted = RenderTree(rows);
    int tinted = 0;
    for (int x = 0; x < painted.Width(); ++x)
        tinted += painted.ColorAt(x, rows.DefaultNodeHeight() / 2) == RGBColor(0xFF, 0xE3, 0x8A);
    EXPECT_GT(tinted, 10);

    QTest::keyClick(W(Form->edFastSearch), Qt::Key_Down);
    EXPECT_TRUE(ListWidget()->hasFocus());
    QTest::keyClick(ListWidget(), Qt::Key_Down);
    const std::u16string second = rows.Text(rows.RootNode()->FirstChild->NextSibling);
    QTest::keyClick(ListWidget(), Qt::Key_Return);
    EXPECT_FALSE(ListShown());
    EXPECT_EQ(Opened(), second);
    PVirtualNode opened = Tree().FocusedNode();
    ASSERT_NE(opened, last);
    EXPECT_EQ(Tree().Text(opened), second);
    const std::u16string code = second.substr(0, second.find(u' '));
    EXPECT_NE(Form->HTMLViewer().Source.find(u">" + code + u"<"), std::u16string::npos);
    EXPECT_TRUE(As<QLineEdit>(Form->edFastSearch)->hasFocus());
    // F3 opens the third result; with the list closed it still works.
    QTest::keyClick(W(Form->edFastSearch), Qt::Key_F3);
    EXPECT_EQ(Opened(), rows.Text(rows.RootNode()->FirstChild->NextSibling->NextSibling));

    // In the tree the keys start from the record opened last: Ctrl+C, the Menu key, Down.
    opened = Tree().FocusedNode();
    ASSERT_EQ(Tree().Text(opened), Opened());
    QWidget* treeKeys = ControlWidget(Tree());
    treeKeys->setFocus();
    QTest::keyClick(treeKeys, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), Opened());
    std::u16string offered;
    SetPopupMenuHook([&](const TPopupMenu& menu, TPoint) {
        offered = menu.Items.empty() ? u"" : menu.Items[0].Caption;
        return -1;
    });
    QTest::keyClick(treeKeys, Qt::Key_Menu);
    SetPopupMenuHook(nullptr);
    EXPECT_EQ(offered, u"Копировать код");
    QTest::keyClick(treeKeys, Qt::Key_Down);
    EXPECT_EQ(Tree().FocusedNode(), Tree().GetNextVisibleNoInit(opened));
}

TEST_F(SearchListTest, EnterOpensTheFirstRowAndEscClosesTheList) {
    // Enter opens the row on screen, not the first match in store order (B25.0† here).
    Type(QStringLiteral("пневмония"));
    ASSERT_TRUE(ListShown());
    TVirtualStringTree& rows = Form->SearchResults().vstSearchResults();
    const std::u16string first = rows.Text(rows.RootNode()->FirstChild);
    ASSERT_NE(
        first,
        RecordText(MKBStore()[static_cast<std::size_t>(Form->Browser().FindRecord(u"пневмония"))]));
    QTest::keyClick(W(Form->edFastSearch), Qt::Key_Return);
    EXPECT_FALSE(ListShown());
    EXPECT_EQ(Opened(), first);
    As<QLineEdit>(Form->edFastSearch)->clear();
    Type(QStringLiteral("грипп"));
    // Esc closes the list and leaves the text; Up from the first row returns to the box.
    Type(QStringLiteral("а"));
    ASSERT_TRUE(ListShown());
    QTest::keyClick(W(Form->edFastSearch), Qt::Key_Escape);
    EXPECT_FALSE(ListShown());
    EXPECT_EQ(As<QLineEdit>(Form->edFastSearch)->text(), QStringLiteral("гриппа"));
    QTest::keyClick(W(Form->edFastSearch), Qt::Key_Backspace);
    QTest::keyClick(W(Form->edFastSearch), Qt::Key_Down);
    QTest::keyClick(ListWidget(), Qt::Key_Up);
    EXPECT_TRUE(As<QLineEdit>(Form->edFastSearch)->hasFocus());
    EXPECT_TRUE(ListShown());
    // Focus elsewhere closes it.
    ControlWidget(Tree())->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(ListShown());
}

TEST_F(SearchListTest, NothingFoundIsOneWholeRowAndEnterTellsSo) {
    Type(QStringLiteral("ъъъъъ"));
    ASSERT_TRUE(ListShown());
    TVirtualStringTree& rows = Form->SearchResults().vstSearchResults();
    ASSERT_EQ(rows.RootNodeCount(), 1u);
    EXPECT_TRUE(rows.Text(rows.RootNode()->FirstChild).starts_with(u"Ничего не найдено"));
    EXPECT_GE(ListWidget()->height(), static_cast<int>(rows.DefaultNodeHeight())); // whole
    const TBitmap painted = RenderTree(rows);
    int dark = 0;
    for (int y = 0; y < painted.Height(); ++y)
        for (int x = 0; x < painted.Width(); ++x) {
            const TColor c = painted.ColorAt(x, y);
            dark += GetRValue(c) + GetGValue(c) + GetBValue(c) < 200;
        }
    EXPECT_GT(dark, 20);
    // Nothing to enter or open; Enter shows the message.
    QTest::keyClick(W(Form->edFastSearch), Qt::Key_Down);
    EXPECT_TRUE(As<QLineEdit>(Form->edFastSearch)->hasFocus());
    QTest::keyClick(W(Form->edFastSearch), Qt::Key_Return);
    EXPECT_EQ(Messages, std::vector<std::u16string>{std::u16string(NoMatchMessage)});
    EXPECT_EQ(Tree().SelectedCount(), 0u);
}

namespace {

// The contrast of a drawn text: its most contrasting pixel against the most frequent colour.
double DrawnContrast(const TBitmap& b, const TRect& r) {
    std::map<TColor, int> count;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            ++count[b.ColorAt(x, y)];
    const TColor back = std::max_element(count.begin(), count.end(), [](auto& a, auto& c) {
                            return a.second < c.second;
                        })->first;
    double most = 1;
    for (const auto& [c, n] : count)
        most = std::max(most, ContrastRatio(c, back));
    return most;
}

} // namespace

TEST_F(SearchListTest, SelectedRowsAndTheRangeColumnRead) {
    // The opened record in the tree, selected and focused, with and without the keyboard focus.
    Form->Browser().OpenRecord(Form->Browser().FindRecord(u"J45.9"));
    PVirtualNode row = Tree().FocusedNode();
    for (bool treeFocused : {true, false}) {
        ControlWidget(Tree())->setFocus();
        if (!treeFocused)
            As<QLineEdit>(Form->edFastSearch)->setFocus();
        QApplication::processEvents();
        ASSERT_EQ(Tree().Focused(), treeFocused);
        const TRect text = Tree().GetDisplayRect(row, NoColumn, true);
        EXPECT_GE(DrawnContrast(RenderTree(Tree()), text), ReadableContrast) << treeFocused;
    }
    // The list's grey range column, then the same on the focused selected row.
    Type(QStringLiteral("астма"));
    TVirtualStringTree& rows = Form->SearchResults().vstSearchResults();
    const int h = static_cast<int>(rows.DefaultNodeHeight()), w = rows.ClientWidth();
    const TRect range{w - w / 8, 0, w - 4, h};
    EXPECT_GE(DrawnContrast(RenderTree(rows), range), ReadableContrast);
    QTest::keyClick(W(Form->edFastSearch), Qt::Key_Down);
    EXPECT_GE(DrawnContrast(RenderTree(rows), range), ReadableContrast);
    EXPECT_GE(DrawnContrast(RenderTree(rows), {4, 0, w / 4, h}), ReadableContrast);
}

TEST_F(SearchListTest, TheListIsAsWideAsTheBoxAndLongTitlesEndInAnEllipsis) {
    W(Form.get())->showNormal();
    W(Form.get())->resize(560, 600);
    QApplication::processEvents();
    Type(QStringLiteral("I13"));
    ASSERT_TRUE(ListShown());
    EXPECT_EQ(W(Form->panSearchResults)->width(), As<QLineEdit>(Form->edFastSearch)->width());
    TSearchResultsList& list = Form->SearchResults();
    RenderTree(list.vstSearchResults());
    // I13.0 and I13.2 differ only at their ends: cut, each shows its own whole title on hover.
    std::set<std::u16string> hints;
    for (unsigned row = 0; row < 4; ++row) {
        const std::u16string hint = list.RowHint(row);
        EXPECT_EQ(hint, RecordText(MKBStore()[static_cast<std::size_t>(list.RowRecord(row))]));
        hints.insert(hint);
    }
    EXPECT_EQ(hints.size(), 4u);
    QHelpEvent help(QEvent::ToolTip, QPoint(10, 5), ListWidget()->mapToGlobal(QPoint(10, 5)));
    QApplication::sendEvent(qobject_cast<QAbstractScrollArea*>(ListWidget())->viewport(), &help);
    EXPECT_EQ(FromQString(QToolTip::text()), list.RowHint(0));
}

TEST_F(SearchListTest, ThousandsOfResultsScrollToTheLastRow) {
    Type(QStringLiteral("ая"));
    TSearchResultsList& list = Form->SearchResults();
    ASSERT_GT(list.Results().Records.size(), 1000u);
    QTest::keyClick(W(Form->edFastSearch), Qt::Key_Down);
    QTest::keyClick(ListWidget(), Qt::Key_End);
    TVirtualStringTree& rows = list.vstSearchResults();
    ASSERT_EQ(rows.FocusedNode(), rows.RootNode()->LastChild);
    const TRect r = rows.GetDisplayRect(rows.FocusedNode(), NoColumn, false);
    EXPECT_FALSE(r.IsEmpty());
    EXPECT_GE(r.Top, 0);
    EXPECT_LE(r.Bottom, rows.ClientHeight());
    EXPECT_EQ(rows.Text(rows.FocusedNode()),
              RecordText(MKBStore()[static_cast<std::size_t>(list.Results().Records.back())]));
}

// ---- screen readers and the keyboard ----

TEST_F(MainFormTest, TypingAtStartOrInTheTreeLandsInTheSearchBox) {
    W(Form.get())->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(W(Form.get())));
    ASSERT_TRUE(As<QLineEdit>(Form->edFastSearch)->hasFocus());
    QTest::keyClicks(W(Form->edFastSearch), QStringLiteral("J45"));
    EXPECT_EQ(As<QLineEdit>(Form->edFastSearch)->text(), QStringLiteral("J45"));
    EXPECT_TRUE(W(Form->panSearchResults)->isVisible());
    // A letter typed in the tree starts a new search there; Ctrl+F and F6 select the text.
    QWidget* treeKeys = ControlWidget(Tree());
    treeKeys->setFocus();
    QTest::keyClicks(treeKeys, QStringLiteral("D"));
    EXPECT_EQ(As<QLineEdit>(Form->edFastSearch)->text(), QStringLiteral("D"));
    for (QKeySequence keys : {QKeySequence(Qt::CTRL | Qt::Key_F), QKeySequence(Qt::Key_F6)}) {
        treeKeys->setFocus();
        QTest::keySequence(W(Form.get()), keys);
        EXPECT_TRUE(As<QLineEdit>(Form->edFastSearch)->hasFocus());
        EXPECT_EQ(As<QLineEdit>(Form->edFastSearch)->selectedText(), QStringLiteral("D"));
    }
    for (const TMenuCommand* m : {Form->miFind, Form->miFindNext, Form->miExit, Form->miAbout})
        for (QAction* a : {ActionOf(*m)})
            EXPECT_FALSE(a->shortcut().isEmpty()) << a->text().toStdString();
}

TEST_F(MainFormTest, ScreenReadersReadTheControlsTheTreeAndThePage) {
    auto name = [](QObject* o) {
        return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name);
    };
    EXPECT_EQ(name(W(Form->edFastSearch)), QStringLiteral("Поиск"));
    EXPECT_EQ(name(W(Form->btnSearch)), QStringLiteral("Поиск"));
    QAccessibleInterface* bar =
        QAccessible::queryAccessibleInterface(As<QMainWindow>(Form.get())->menuBar());
    EXPECT_EQ(bar->child(0)->text(QAccessible::Name), QStringLiteral("МКБ 10"));
    QAccessibleInterface* menu =
        QAccessible::queryAccessibleInterface(ActionOf(*Form->miExit)->parent());
    EXPECT_EQ(menu->child(menu->childCount() - 1)->text(QAccessible::Name),
              QStringLiteral("Выйти из программы"));

    // Tab goes from the search box over its button to the tree and on to the details pane.
    QWidget* treeWidget = ControlWidget(Tree());
    QWidget* viewerWidget = ControlWidget(Form->HTMLViewer());
    std::vector<QWidget*> chain;
    for (QWidget* w = As<QLineEdit>(Form->edFastSearch)->nextInFocusChain();
         chain.size() < 3 && w != W(Form.get()); w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible())
            chain.push_back(w);
    EXPECT_EQ(chain, (std::vector<QWidget*>{W(Form->btnSearch), treeWidget, viewerWidget}));

    QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(treeWidget);
    EXPECT_EQ(tree->text(QAccessible::Name), QStringLiteral("Разделы МКБ 10"));
    PVirtualNode classI = Tree().RootNode()->FirstChild;
    Tree().SetExpanded(classI, true);
    Tree().SetExpanded(classI->FirstChild, true);
    PVirtualNode cholera = classI->FirstChild->FirstChild;
    Tree().SetFocusedNode(cholera);
    QApplication::processEvents();
    EXPECT_EQ(tree->focusChild()->text(QAccessible::Name), QStringLiteral("A00 Холера"));
    QAccessibleTextInterface* page =
        QAccessible::queryAccessibleInterface(viewerWidget)->textInterface();
    ASSERT_NE(page, nullptr);
    const QString text = page->text(0, page->characterCount());
    // Each heading is read before its value.
    EXPECT_TRUE(text.contains(QStringLiteral("Код\nA00\nНаименование\nХолера\n")))
        << qPrintable(text);

    // The frame around the details pane shows when the pane has the keyboard focus.
    W(Form.get())->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(W(Form.get())));
    viewerWidget->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(viewerWidget->hasFocus());
    EXPECT_EQ(W(Form->panDetails)->palette().color(QPalette::WindowText), ToQColor(clHighlight));
    treeWidget->setFocus();
    QApplication::processEvents();
    EXPECT_NE(W(Form->panDetails)->palette().color(QPalette::WindowText), ToQColor(clHighlight));
}
