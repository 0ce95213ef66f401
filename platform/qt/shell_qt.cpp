#include "platform/backend.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

void backend::ShellOpen(const std::u16string& target) {
    const QUrl url(QString::fromStdU16String(target), QUrl::StrictMode);
    if (url.isValid() && !url.scheme().isEmpty())
        QDesktopServices::openUrl(url);
}
