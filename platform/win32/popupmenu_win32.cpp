// Context menus as the system's popup menus, shown modally with TrackPopupMenu.
#include "platform/backend.h"
#include "platform/win32/win32.h"

int backend::ShowPopupMenu(const TPopupMenu& menu, TPoint screenPoint) {
    HMENU popup = CreatePopupMenu();
    if (popup == nullptr)
        return -1;
    for (std::size_t i = 0; i < menu.Items.size(); ++i) {
        const std::wstring caption = win32::Wide(menu.Items[i].Caption);
        AppendMenuW(popup, MF_STRING | (menu.Items[i].Enabled ? MF_ENABLED : MF_GRAYED),
                    static_cast<UINT_PTR>(i + 1), caption.c_str());
    }
    // The menu needs a window of this thread to report to; it closes when that window loses
    // the foreground, so the window is brought there first.
    HWND owner = GetActiveWindow();
    if (owner == nullptr)
        owner = GetFocus();
    if (owner == nullptr)
        owner = win32::ParkingWindow();
    SetForegroundWindow(owner);
    const int chosen = static_cast<int>(
        TrackPopupMenu(popup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
                       screenPoint.X, screenPoint.Y, 0, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);
    DestroyMenu(popup);
    return chosen > 0 ? chosen - 1 : -1;
}
