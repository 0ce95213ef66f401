// The window pieces as the application uses them, the same on every backend: aligned placing,
// the edit box's events, menu commands and timers.
#include "platform/application.h"
#include "platform/files.h"
#include "platform/forms.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace {

// Lets the window system deliver what the calls above queued (sizes, paints).
void Settle() {
    for (int i = 0; i < 5; ++i)
        ProcessMessages();
}

TEST(Forms, AlignedPiecesShareTheClientAreaInTheOrderTheyWereMade) {
    TForm form(fsDialog);
    form.SetClientSize(300, 200);
    auto* top = form.Make<TPanel>();
    top->SetBounds(0, 0, 0, 30);
    top->SetAlign(alTop);
    auto* bottom = form.Make<TLabel>(u"Строка");
    bottom->SetBounds(0, 0, 0, 20);
    bottom->SetAlign(alBottom);
    auto* left = form.Make<TPanel>();
    left->SetBounds(0, 0, 50, 0);
    left->SetAlign(alLeft);
    auto* rest = form.Make<TPanel>();
    rest->SetAlign(alClient);
    auto* placed = form.Make<TButton>(u"&OK");
    placed->SetBounds(7, 9, 75, 25);
    form.Show();
    Settle();
    ASSERT_EQ(form.ClientWidth(), 300);
    ASSERT_EQ(form.ClientHeight(), 200);
    EXPECT_EQ(top->Bounds(), (TRect{0, 0, 300, 30}));
    EXPECT_EQ(bottom->Bounds(), (TRect{0, 180, 300, 200}));
    EXPECT_EQ(left->Bounds(), (TRect{0, 30, 50, 180}));
    EXPECT_EQ(rest->Bounds(), (TRect{50, 30, 300, 180}));
    EXPECT_EQ(placed->Bounds(), (TRect{7, 9, 82, 34}));
    // A piece hidden on purpose leaves its place; a border line takes a pixel each side.
    top->Hide();
    EXPECT_EQ(rest->Bounds(), (TRect{50, 0, 300, 180}));
    rest->SetBorderLine(true);
    EXPECT_EQ(rest->ClientArea(), (TRect{1, 1, 249, 179}));
    form.Hide();
}

TEST(Forms, TheEditBoxReportsChangesAndTypedCharacters) {
    TForm form(fsDialog);
    form.SetClientSize(200, 50);
    auto* edit = form.Make<TEdit>();
    edit->SetBounds(1, 1, 150, 21);
    int changes = 0;
    std::u16string typed;
    edit->OnChange = [&] { ++changes; };
    edit->OnKeyPress = [&](char16_t& ch) {
        typed += ch;
        if (ch == u'x')
            ch = 0; // dropped
    };
    edit->SetText(u"Гастрит");
    EXPECT_EQ(edit->Text(), u"Гастрит");
    EXPECT_GE(changes, 1);
    const int before = changes;
    edit->SelectAll();
    edit->TypeChar(u'К');
    edit->TypeChar(u'x');
    edit->TypeChar(u'2');
    EXPECT_EQ(edit->Text(), u"К2");
    EXPECT_EQ(typed, u"Кx2");
    EXPECT_GT(changes, before);
}

TEST(Forms, TheTextAreaKeepsLinesAndTellsPastesApart) {
    TForm form(fsWindow);
    form.SetClientSize(300, 200);
    auto* memo = form.Make<TMemo>();
    memo->SetAlign(alClient);
    int changes = 0, pastes = 0;
    memo->OnChange = [&] { ++changes; };
    memo->OnPaste = [&] {
        ++pastes;
        EXPECT_GT(changes, 0); // the text is in when the paste is told
    };
    form.Show();
    Settle();
    memo->SetText(u"J10.1\nA17.0† G01*");
    EXPECT_EQ(memo->Text(), u"J10.1\nA17.0† G01*");
    EXPECT_EQ(pastes, 0);
    memo->SelectAll();
    memo->Paste(u"K29\r\nN12345\tI10");
    EXPECT_EQ(pastes, 1);
    // Line breaks come back as one LF, whatever the clipboard had.
    EXPECT_EQ(memo->Text(), u"K29\nN12345\tI10");
    form.Hide();
}

TEST(Forms, TheDropDownListKeepsItsChoiceAcrossNewCaptions) {
    TForm form(fsWindow);
    auto* box = form.Make<TComboBox>();
    int changes = 0;
    box->OnChange = [&] { ++changes; };
    EXPECT_EQ(box->ItemIndex(), -1);
    box->SetItems({u"Все (3)", u"Ошибки (1)", u"Предупреждения (0)"});
    EXPECT_EQ(box->ItemIndex(), 0);
    box->SetItemIndex(2);
    EXPECT_EQ(changes, 1);
    box->SetItemIndex(2);
    box->SetItemIndex(7); // no such item
    EXPECT_EQ(changes, 1);
    box->SetItems({u"Все (5)", u"Ошибки (2)", u"Предупреждения (1)"});
    EXPECT_EQ(box->ItemIndex(), 2);
    EXPECT_EQ(box->Item(2), u"Предупреждения (1)");
    EXPECT_EQ(changes, 1);
    box->SetItems({u"Все"});
    EXPECT_EQ(box->ItemIndex(), 0);
    EXPECT_EQ(box->ItemCount(), 1);
}

TEST(Forms, FilesAreReadWithinALimitAndReplacedWhole) {
    const auto dir = std::filesystem::temp_directory_path() / "mkb-forms-files";
    std::filesystem::create_directories(dir);
    const std::u16string path = (dir / u"Реестр.csv").u16string();
    EXPECT_EQ(WriteFileBytes(path, "J10.1;A17.0\n"), u"");
    EXPECT_EQ(ReadFileBytes(path, 100).Bytes, "J10.1;A17.0\n");
    EXPECT_EQ(WriteFileBytes(path, "K29"), u"");
    EXPECT_EQ(ReadFileBytes(path, 3).Bytes, "K29");
    const TFileBytes big = ReadFileBytes(path, 2);
    EXPECT_FALSE(big.Ok());
    EXPECT_TRUE(big.Bytes.empty());
    EXPECT_FALSE(ReadFileBytes((dir / u"нет.txt").u16string(), 100).Ok());
    EXPECT_FALSE(ReadFileBytes(dir.u16string(), 100).Ok());
    // A file that cannot be written leaves the one in its place alone.
    EXPECT_NE(WriteFileBytes((dir / u"нет" / u"x.csv").u16string(), "x"), u"");
    EXPECT_NE(WriteFileBytes(dir.u16string(), "x"), u"");
    EXPECT_EQ(ReadFileBytes(path, 100).Bytes, "K29");
    std::filesystem::remove_all(dir);
}

TEST(Forms, ADisabledMenuCommandDoesNothing) {
    TForm form(fsMain);
    const int menu = form.AddMenu(u"&МКБ 10");
    TMenuCommand* find = form.AddMenuItem(menu, u"&Найти", {{'F', ssCtrl}});
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(find->Caption(), u"&Найти");
    ASSERT_EQ(find->ShortCuts().size(), 1u);
    int clicks = 0;
    find->OnClick = [&] { ++clicks; };
    find->Click();
    find->SetEnabled(false);
    find->Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(find->Enabled());
    EXPECT_EQ(form.AddMenuItem(menu + 5, u"нет меню"), nullptr);
}

TEST(Forms, ASingleShotTimerFiresOnce) {
    TTimer timer;
    int fired = 0;
    timer.OnTimer = [&] { ++fired; };
    timer.SetSingleShot(true);
    timer.SetInterval(20);
    timer.Start();
    EXPECT_TRUE(timer.Active());
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (fired == 0 && std::chrono::steady_clock::now() < until)
        WaitAndProcessMessages(50);
    for (int i = 0; i < 4; ++i)
        WaitAndProcessMessages(30);
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(timer.Active());
}

} // namespace
