#pragma once
// The toolkit widget behind a window piece, to send it input or read what it shows.
#include "app/mainform.h"
#include "platform/qt/forms_qt.h"

#include <memory>

inline QWidget* W(const TWidget* piece) {
    return WidgetOf(*piece);
}
template <typename Q> Q* As(const TWidget* piece) {
    return qobject_cast<Q*>(WidgetOf(*piece));
}

// The real main window with the classification loaded, shown and asked to be the active one
// (a test waits for that with QTest::qWaitForWindowActive).
inline std::unique_ptr<TfrmMainForm> ShownMainWindow() {
    auto form = std::make_unique<TfrmMainForm>();
    form->FormCreate();
    W(form.get())->show();
    W(form.get())->activateWindow();
    return form;
}
