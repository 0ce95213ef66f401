// The system colours are the desktop's own.
#include "platform/win32/win32.h"

TColor GetSysColor(int index) {
    // The numbers the platform knows (types.h); others are black, as on the other platforms.
    if (index < 0 || index > COLOR_MENUBAR || index == 25)
        return clBlack;
    return win32::NativeSysColor(index);
}
