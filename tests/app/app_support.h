#pragma once
// The toolkit widget behind a window piece, to send it input or read what it shows.
#include "platform/qt/forms_qt.h"

inline QWidget* W(const TWidget* piece) {
    return WidgetOf(*piece);
}
template <typename Q> Q* As(const TWidget* piece) {
    return qobject_cast<Q*>(WidgetOf(*piece));
}
