// The code check window in the real program, by the keyboard: Ctrl+K opens it, a pasted
// register is checked at once, the filter narrows the list, Enter opens a record in the main
// window, Ctrl+C and «Сохранить…» give the rows, a file is opened and a bad one refused.
#include "app/codecheckform.h"
#include "app/mainform.h"
#include "browser/records.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/qt/control_bridge.h"
#include "tests/app/app_support.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>

using namespace mkb::browser;

namespace {

class CodeCheckWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Form = ShownMainWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(W(Form.get())));
    }
    void TearDown() override {
        SetFileDialogHook({});
        SetMessageBoxHook({});
    }
    std::u16string Shown() {
        const int index = Form->Browser().ShownRecord();
        return index < 0 ? u"" : RecordCodeText(MKBRecs[index]);
    }
    std::unique_ptr<TfrmMainForm> Form;
};

} // namespace

TEST_F(CodeCheckWindowTest, PasteFilterAndEnterOpenTheRecordInTheMainWindow) {
    QTest::keyClick(W(Form.get()), Qt::Key_K, Qt::ControlModifier);
    TfrmCodeCheck& check = Form->OpenCodeCheck();
    ASSERT_TRUE(QTest::qWaitForWindowActive(W(&check)));
    QTest::qWaitFor([&] { return check.memText->Focused(); });
    EXPECT_TRUE(check.memText->Focused());
    EXPECT_TRUE(W(Form.get())->isEnabled()); // not modal

    check.memText->Paste(u"Иванов;J101;\nПетров;а17.0† G01*;\nСидоров;K29\nN12345 I84.1 J00-J06");
    // No pause: a paste is checked at once.
    const TCodeCheckList& results = check.Results();
    ASSERT_EQ(results.Rows().size(), 6u);
    EXPECT_EQ(As<QLabel>(check.lblCounts)->text().toStdU16String(),
              u"Всего 6: можно использовать 2, нужен 4-й знак 1, со звёздочкой 1, исключены 1, "
              u"блоки и диапазоны 1");

    // The filter by keys: one step down shows only what needs the coder's attention.
    auto* filter = As<QComboBox>(check.cbFilter);
    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_Down);
    ASSERT_EQ(results.Rows().size(), 4u);
    EXPECT_EQ(results.RowFinding(0)->Code, u"G01");

    // Into the list, to its first row, and Enter: the main window shows the record.
    QWidget* list = ControlWidget(check.Results().List());
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(Shown(), u"G01*");
    EXPECT_TRUE(QTest::qWaitForWindowActive(W(Form.get())));

    // Ctrl+C copies the selected rows as a table; «Сохранить…» writes the rows shown.
    W(&check)->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(W(&check)));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(list, Qt::Key_End, Qt::ShiftModifier);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    const std::u16string copied = ClipboardText();
    EXPECT_TRUE(copied.starts_with(u"Строка\tКак записан\tКод\t"));
    EXPECT_EQ(std::count(copied.begin(), copied.end(), u'\n'), 5); // the header and four rows
    const auto path = (std::filesystem::temp_directory_path() / "mkb-check.csv").u16string();
    SetFileDialogHook([&](bool save, const std::u16string&) { return save ? path : u""; });
    QTest::keyClick(list, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadFileBytes(path, 1 << 20).Bytes, results.Csv());
    std::filesystem::remove(std::filesystem::path(path));
}

TEST_F(CodeCheckWindowTest, TypingWaitsForAPauseAndFilesAreOpenedOrRefused) {
    TfrmCodeCheck& check = Form->OpenCodeCheck();
    ASSERT_TRUE(QTest::qWaitForWindowActive(W(&check)));
    QTest::keyClicks(W(check.memText), QStringLiteral("e11"));
    EXPECT_TRUE(check.Results().Report().Findings.empty());
    QTest::qWait(TfrmCodeCheck::TypingPauseMs * 3);
    ASSERT_EQ(check.Results().Rows().size(), 1u);
    EXPECT_EQ(check.Results().RowFinding(0)->Verdict, cvNeedsFourth);

    const auto dir = std::filesystem::temp_directory_path() / "mkb-check-files";
    std::filesystem::create_directories(dir);
    const std::u16string good = (dir / u"реестр.csv").u16string();
    const std::u16string bad = (dir / u"снимок.png").u16string();
    // A register as a Russian spreadsheet saves it: windows-1251.
    ASSERT_EQ(WriteFileBytes(good, "\xC8\xE2\xE0\xED\xEE\xE2;J45.0\r\n"), u"");
    ASSERT_EQ(WriteFileBytes(bad, std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)), u"");
    std::vector<std::u16string> errors;
    SetMessageBoxHook([&](TMessageBoxKind, const std::u16string& text) {
        errors.push_back(text);
        return TModalResult::mrOK;
    });
    EXPECT_TRUE(check.LoadFile(good));
    EXPECT_EQ(check.memText->Text(), u"Иванов;J45.0\n");
    ASSERT_EQ(check.Results().Rows().size(), 1u);
    EXPECT_FALSE(check.LoadFile(bad));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(u"двоичные данные"), std::u16string::npos);
    // The refused file left the text and the results as they were.
    EXPECT_EQ(check.memText->Text(), u"Иванов;J45.0\n");
    EXPECT_EQ(check.Results().Rows().size(), 1u);
    std::filesystem::remove_all(dir);
}
