#pragma once
// A context menu built for one showing: captions with actions, shown at a screen point and
// modal until an item is chosen or the menu is dismissed.
#include "platform/types.h"

#include <functional>
#include <string>
#include <vector>

struct TMenuItem {
    std::u16string Caption;
    bool Enabled{true};
    std::function<void()> OnClick;
};

class TPopupMenu {
public:
    std::vector<TMenuItem> Items;

    void Add(std::u16string caption, std::function<void()> onClick, bool enabled = true);
    bool Empty() const { return Items.empty(); }
    // Shows the menu with its top left at the screen point and waits; the chosen item's
    // action runs after the menu has closed. Returns the index chosen, -1 when none was.
    int Popup(TPoint screenPoint);
};

// Replaces the real menu (tests choose an item without a menu loop): the hook returns the index
// of the item to choose, or -1 to dismiss the menu; a disabled item cannot be chosen. An empty
// hook restores the real menu. Returns the hook in place before.
using TPopupMenuHook = std::function<int(const TPopupMenu& menu, TPoint screenPoint)>;
TPopupMenuHook SetPopupMenuHook(TPopupMenuHook hook);
