#include "app/application.h"
#include "app/mainform.h"
#include "browser/records.h"
#include "platform/colors.h"

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
