#include "platform/backend.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QString>

int backend::ShowPopupMenu(const TPopupMenu& menu, TPoint screenPoint) {
    QMenu popup(QApplication::activeWindow());
    std::vector<QAction*> actions;
    for (const TMenuItem& item : menu.Items) {
        QAction* action = popup.addAction(QString::fromStdU16String(item.Caption));
        action->setEnabled(item.Enabled);
        actions.push_back(action);
    }
    const QAction* chosen = popup.exec(QPoint(screenPoint.X, screenPoint.Y));
    for (std::size_t i = 0; i < actions.size(); ++i)
        if (actions[i] == chosen)
            return static_cast<int>(i);
    return -1;
}
