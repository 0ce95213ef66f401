#include "platform/shell.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace {

TShellOpenHandler& CurrentHandler() {
    static TShellOpenHandler handler;
    return handler;
}

} // namespace

void ShellExecuteOpen(const std::u16string& target) {
    if (const TShellOpenHandler& handler = CurrentHandler()) {
        handler(target);
        return;
    }
    const QUrl url(QString::fromStdU16String(target), QUrl::StrictMode);
    if (url.isValid() && !url.scheme().isEmpty())
        QDesktopServices::openUrl(url);
}

TShellOpenHandler SetShellOpenHandler(TShellOpenHandler handler) {
    TShellOpenHandler previous = std::move(CurrentHandler());
    CurrentHandler() = std::move(handler);
    return previous;
}
