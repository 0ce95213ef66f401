#include "platform/popupmenu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QString>

namespace {

TPopupMenuHook& Hook() {
    static TPopupMenuHook hook;
    return hook;
}

int ShowMenu(const TPopupMenu& menu, TPoint screenPoint) {
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

} // namespace

void TPopupMenu::Add(std::u16string caption, std::function<void()> onClick, bool enabled) {
    Items.push_back({std::move(caption), enabled, std::move(onClick)});
}

int TPopupMenu::Popup(TPoint screenPoint) {
    if (Items.empty())
        return -1;
    const int chosen = Hook() ? Hook()(*this, screenPoint) : ShowMenu(*this, screenPoint);
    if (chosen < 0 || chosen >= static_cast<int>(Items.size()) || !Items[chosen].Enabled)
        return -1;
    // The action may rebuild whatever made the menu, so it runs on a copy.
    const std::function<void()> action = Items[chosen].OnClick;
    if (action)
        action();
    return chosen;
}

TPopupMenuHook SetPopupMenuHook(TPopupMenuHook hook) {
    TPopupMenuHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}
