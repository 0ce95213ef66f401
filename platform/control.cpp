// The parts of TControl that need no backend.
#include "platform/control.h"
#include "platform/scrollbar.h"

TScrollBar& TControl::HorzScrollBar() {
    return *FHorzBar;
}

TScrollBar& TControl::VertScrollBar() {
    return *FVertBar;
}
