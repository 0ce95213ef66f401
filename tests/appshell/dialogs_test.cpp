// Message boxes and the font dialog, answered from inside their modal loops.
#include "platform/dialogs.h"
#include "qt_support.h"

#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {

TEST(Dialogs, InformationBoxOffersOkAndCancelWithOkTheDefault) {
    const std::u16string text = u"Не найдено записей.\r\nПопробуйте другой текст.";
    for (const auto& [key, expected] : {std::pair{Qt::Key_Return, TModalResult::mrOK},
                                        std::pair{Qt::Key_Escape, TModalResult::mrCancel}}) {
        const TModalResult result = AnswerModal(
            [&] { return MessageBoxInformation(text); },
            [&, key = key](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->icon(), QMessageBox::Information);
                EXPECT_EQ(box->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
                EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Ok));
                EXPECT_EQ(box->text(), QString::fromStdU16String(text));
                QTest::keyClick(box, key);
            });
        EXPECT_EQ(result, expected);
    }
}

TEST(Dialogs, ErrorBoxHasOkOnly) {
    bool checked = false;
    AnswerModal(
        [&] {
            MessageBoxError(u"Ошибка");
            return 0;
        },
        [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
            EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
            EXPECT_EQ(box->text(), QString::fromUtf8("Ошибка"));
            checked = true;
            box->button(QMessageBox::Ok)->click();
        });
    EXPECT_TRUE(checked);
}

TEST(Dialogs, HooksAnswerInsteadOfTheBoxesAndAreRestored) {
    std::vector<std::pair<TMessageBoxKind, std::u16string>> seen;
    SetMessageBoxHook([&](TMessageBoxKind kind, const std::u16string& text) {
        seen.emplace_back(kind, text);
        return TModalResult::mrCancel;
    });
    EXPECT_EQ(MessageBoxInformation(u"a"), TModalResult::mrCancel);
    MessageBoxError(u"b");
    const TMessageBoxHook previous = SetMessageBoxHook({});
    EXPECT_TRUE(static_cast<bool>(previous));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].first, TMessageBoxKind::mbInformation);
    EXPECT_EQ(seen[1].first, TMessageBoxKind::mbError);
    EXPECT_EQ(seen[1].second, u"b");

    int calls = 0;
    SetFontDialogHook([&](TFontDialogFont& f) {
        ++calls;
        f.Height = 20;
        return true;
    });
    TFontDialogFont font;
    EXPECT_TRUE(ExecuteFontDialog(font));
    EXPECT_EQ(font.Height, 20);
    SetFontDialogHook({});
    EXPECT_EQ(calls, 1);
}

TEST(Dialogs, FontDialogIsSeededAndReturnsTheChoice) {
    TFontDialogFont font;
    font.Name = u"DejaVu Sans";
    font.Height = 16;
    font.Italic = true;
    font.Color = 0x0000FF;
    TFontDialogFont chosen = font;
    const bool ok = AnswerModal([&] { return ExecuteFontDialog(chosen); },
                                [&](QWidget* modal) {
                                    auto* dialog = qobject_cast<QFontDialog*>(modal);
                                    ASSERT_NE(dialog, nullptr);
                                    const QFont seed = dialog->currentFont();
                                    EXPECT_EQ(seed.family(), "DejaVu Sans");
                                    EXPECT_TRUE(seed.italic());
                                    QFont pick("DejaVu Sans");
                                    pick.setBold(true);
                                    pick.setPointSize(9);
                                    dialog->setCurrentFont(pick);
                                    dialog->accept();
                                });
    EXPECT_TRUE(ok);
    EXPECT_EQ(chosen.Name, u"DejaVu Sans");
    EXPECT_TRUE(chosen.Bold);
    EXPECT_FALSE(chosen.Italic);
    EXPECT_EQ(chosen.Height, 12); // 9 pt at 96 dpi
    EXPECT_EQ(chosen.Color, 0x0000FFu);
}

TEST(Dialogs, CancelledFontDialogChangesNothing) {
    TFontDialogFont font;
    const TFontDialogFont before = font;
    const bool ok = AnswerModal([&] { return ExecuteFontDialog(font); },
                                [&](QWidget* modal) {
                                    auto* dialog = qobject_cast<QFontDialog*>(modal);
                                    ASSERT_NE(dialog, nullptr);
                                    QFont other = dialog->currentFont();
                                    other.setBold(true);
                                    dialog->setCurrentFont(other);
                                    dialog->reject();
                                });
    EXPECT_FALSE(ok);
    EXPECT_EQ(font, before);
}

} // namespace
