#pragma once
// The toolkit's strings and colours for the system's own. Both string types hold UTF-16, so a
// string converts by copying.
#include "platform/colors.h"

#include <QColor>
#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

inline QString ToQString(std::u16string_view s) {
    return QStringView(s.data(), static_cast<qsizetype>(s.size())).toString();
}

inline std::u16string FromQString(const QString& s) {
    return s.toStdU16String();
}

// A system colour is resolved to its RGB value first.
inline QColor ToQColor(TColor c) {
    const TColor rgb = ColorToRGB(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}
