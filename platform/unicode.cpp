#include "platform/unicode.h"

#include <QString>

std::u16string UnicodeUpperCase(std::u16string_view text) {
    QString upper =
        QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()))
            .toUpper();
    return std::u16string(reinterpret_cast<const char16_t*>(upper.utf16()),
                          static_cast<std::size_t>(upper.size()));
}
