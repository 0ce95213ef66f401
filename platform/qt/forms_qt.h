#pragma once
// The toolkit widgets behind the window-level pieces. For platform/ and the window tests: they
// reach a piece's widget to send it input or to read what it shows.
#include "platform/forms.h"

#include <QPointer>
#include <QWidget>

struct TWidgetImpl {
    // The piece's widget; children are made inside Client (the central widget of a main window,
    // else the widget itself).
    QPointer<QWidget> Widget;
    QPointer<QWidget> Client;
    // Whether the piece deletes the widget (a control's widget stays its control's).
    bool Owns{true};
    virtual ~TWidgetImpl();
};

QWidget* WidgetOf(const TWidget& piece);
class QAction;
QAction* ActionOf(const TMenuCommand& item);
