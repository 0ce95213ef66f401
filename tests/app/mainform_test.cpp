#include "app/application.h"
#include "app/mainform.h"
#include "browser/records.h"
#include "platform/bitmap.h"
#include "platform/colors.h"
#include "platform/dialogs.h"
#include "tree/tree_geometry.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

std::u16string U(const QString& s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()),
                          static_cast<std::size_t>(s.size()));
}

QColor Q(TColor c) {
    TColor rgb = ColorToRGB(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (TMKBRec& r : MKBStore())
            if (r.id != 0)
                r.child_count = -1;
        Form = std::make_unique<TfrmMainForm>();
        Form->Browser().ShowInformation = [this](const std::u16string& t) {
            Messages.push_back(t);
        };
        Form->FormCreate();
        Form->show();
        QApplication::processEvents();
    }
    void TearDown() override { TMkbApplication::ErrorHandler = nullptr; }

    TVirtualStringTree& Tree() { return Form->vstPartsTree(); }
    std::unique_ptr<TfrmMainForm> Form;
    std::vector<std::u16string> Messages;
};

} // namespace

TEST_F(MainFormTest, OpensWithTheClassesAndTheSearchHint) {
    EXPECT_EQ(Form->windowTitle(), QStringLiteral("Международная классификацая болезней"));
    EXPECT_TRUE(Form->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(Tree().RootNodeCount(), static_cast<unsigned>(CountChildren(MKBStore(), -1)));
    for (PVirtualNode n = Tree().RootNode()->FirstChild; n; n = n->NextSibling)
        EXPECT_FALSE(Tree().Expanded(n));
    EXPECT_EQ(U(Form->edFastSearch->text()), SearchPlaceholder);
    EXPECT_EQ(Form->edFastSearch->palette().color(QPalette::Text), Q(clInactiveCaption));
    EXPECT_FALSE(Form->btnSearch->isEnabled());
    EXPECT_EQ(Form->btnSearch->text(), QStringLiteral("&Поиск"));
    EXPECT_EQ(Form->panPartsHeading->text(), QStringLiteral("  Разделы МКБ 10"));
    EXPECT_EQ(Form->panDetailsHeading->text(), QStringLiteral("  Информация о выбранном элементе"));
    EXPECT_EQ(Form->panDetails->palette().color(QPalette::Window), QColor(0xF7, 0xF8, 0xFA));
    EXPECT_EQ(Form->miChangeFont->text(), QStringLiteral("&Изменить шрифт"));
    EXPECT_EQ(Form->miExit->text(), QStringLiteral("&Выйти из программы"));
    EXPECT_EQ(Form->miAbout->text(), QStringLiteral("&О программе"));
}

TEST_F(MainFormTest, RightPanelKeepsItsWidthWhenTheWindowGrows) {
    Form->showNormal();
    Form->resize(1023, 760);
    QApplication::processEvents();
    int right = Form->panRightPanel->width();
    Form->resize(1400, 760);
    QApplication::processEvents();
    EXPECT_EQ(Form->panRightPanel->width(), right);
    EXPECT_GE(Form->panParts->width(), 650);
    EXPECT_EQ(Form->Splitter1->handleWidth(), 3);
}

TEST_F(MainFormTest, TypingEnablesTheButtonAndEnterSearches) {
    Form->edFastSearch->setFocus();
    QApplication::processEvents();
    if (!Form->edFastSearch->hasFocus()) // the offscreen platform may not hand out focus
        Form->Browser().edFastSearchEnter();
    EXPECT_TRUE(Form->edFastSearch->text().isEmpty());
    QTest::keyClicks(Form->edFastSearch, QStringLiteral("C"));
    EXPECT_FALSE(Form->btnSearch->isEnabled());
    QTest::keyClick(Form->edFastSearch, Qt::Key_Return);
    EXPECT_EQ(Tree().SelectedCount(), 0u);
    QTest::keyClicks(Form->edFastSearch, QStringLiteral("00.0"));
    EXPECT_TRUE(Form->btnSearch->isEnabled());
    QTest::keyClick(Form->edFastSearch, Qt::Key_Return);
    ASSERT_EQ(Tree().SelectedCount(), 1u);
    EXPECT_EQ(Tree().Text(Tree().GetSelection()[0]).substr(0, 5), u"C00.0");
    // Scrolled into view: the row lies inside the client area.
    const TRect row = Tree().GetDisplayRect(Tree().GetSelection()[0], NoColumn, false);
    EXPECT_FALSE(row.IsEmpty());
    EXPECT_GE(row.Top, 0);
    EXPECT_LE(row.Bottom, Tree().ClientHeight());
    EXPECT_EQ(Tree().FocusedNode(), nullptr); // the tree's focus did not move
}

TEST_F(MainFormTest, ButtonSearchAndNoMatch) {
    Form->Browser().edFastSearchEnter();
    Form->edFastSearch->setText(QStringLiteral("a00"));
    QTest::mouseClick(Form->btnSearch, Qt::LeftButton);
    ASSERT_EQ(Tree().SelectedCount(), 1u);
    EXPECT_EQ(Tree().GetSelection()[0], Tree().RootNode()->FirstChild);
    Form->edFastSearch->setText(QStringLiteral("ничего похожего нет"));
    QTest::mouseClick(Form->btnSearch, Qt::LeftButton);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], NoMatchMessage);
}

TEST_F(MainFormTest, AnErrorInAHandlerReachesTheMessageBoxAndTheWindowRunsOn) {
    std::vector<std::string> errors;
    TMkbApplication::ErrorHandler = [&](const std::string& m) { errors.push_back(m); };
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
    Form->edFastSearch->setText(QStringLiteral("a00"));
    QTest::mouseClick(Form->btnSearch, Qt::LeftButton);
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

TEST_F(MainFormTest, TreeCarriesItsPicturesColoursAndBackgroundPlacement) {
    ASSERT_NE(Tree().Images(), nullptr);
    EXPECT_EQ(Tree().Images()->Count(), 4);
    EXPECT_EQ(Tree().Images()->Width(), 24);
    EXPECT_EQ(Tree().Background().Width(), 161);
    EXPECT_EQ(Tree().Background().Height(), 169);
    const TColor blue = RGBColor(0x72, 0xA1, 0xDB);
    EXPECT_EQ(Tree().Colors().FocusedSelectionColor, blue);
    EXPECT_EQ(Tree().Colors().UnfocusedSelectionBorderColor, blue);
    EXPECT_EQ(Tree().Colors().SelectionRectangleBlendColor, blue);
    EXPECT_TRUE(Tree().TreeOptions().PaintOptions.Contains(toStaticBackground));
    EXPECT_TRUE(Tree().TreeOptions().SelectionOptions.Contains(toFullRowSelect));
    EXPECT_EQ(Tree().LineStyle(), lsSolid);

    // Every resize puts the picture 24 pixels from the right and bottom edges, also when the
    // tree is smaller than the picture.
    for (QSize size : {QSize(1200, 800), QSize(700, 500), QSize(300, 200)}) {
        Form->showNormal();
        Form->resize(size);
        QApplication::processEvents();
        EXPECT_EQ(Tree().BackgroundOffsetX(), Tree().ClientWidth() - 161 - 24);
        EXPECT_EQ(Tree().BackgroundOffsetY(), Tree().ClientHeight() - 169 - 24);
    }

    // The first class's row shows the closed folder: the picture's opaque pixels appear at the
    // image position of a top-level row.
    Form->resize(1023, 760);
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
    Form->miChangeFont->trigger();
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
    Form->miChangeFont->trigger();
    SetFontDialogHook(old);
    EXPECT_EQ(Tree().Font().Name, u"DejaVu Sans");
    EXPECT_EQ(Tree().Font().Height, 17);
    EXPECT_EQ(Tree().Font().Weight, FW_BOLD);
    EXPECT_EQ(Tree().Font().CharSet, before.CharSet);
    EXPECT_FALSE(SameRows(original, RenderTree(Tree()), 0, 24));
}
