#include "platform/popupmenu.h"
#include "platform/backend.h"

namespace {

TPopupMenuHook& Hook() {
    static TPopupMenuHook hook;
    return hook;
}

} // namespace

void TPopupMenu::Add(std::u16string caption, std::function<void()> onClick, bool enabled) {
    Items.push_back({std::move(caption), enabled, std::move(onClick)});
}

int TPopupMenu::Popup(TPoint screenPoint) {
    if (Items.empty())
        return -1;
    const int chosen =
        Hook() ? Hook()(*this, screenPoint) : backend::ShowPopupMenu(*this, screenPoint);
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
