#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QString>

void SetClipboardText(const std::u16string& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(QString::fromStdU16String(text));
}

std::u16string ClipboardText() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text().toStdU16String() : std::u16string();
}
