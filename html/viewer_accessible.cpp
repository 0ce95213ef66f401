// The viewer for screen readers and the keyboard: the page as read-only text with its
// selection, and selecting with Shift and the navigation keys.
#include "html/viewer.h"

#include <algorithm>

namespace html {

using namespace viewer_steps;

std::u16string THTMLViewer::ReadingText() {
    return TextRange(Document.FirstPos, Document.FirstPos + Document.PosCount);
}

void THTMLViewer::ReadingSelection(int& start, int& end) {
    start = end = 0;
    if (Document.SelStart >= Document.SelEnd)
        return;
    // Offsets count the characters of the reading text before each end.
    const int length = static_cast<int>(ReadingText().size());
    start =
        std::min(length, static_cast<int>(TextRange(Document.FirstPos, Document.SelStart).size()));
    end = std::clamp(static_cast<int>(TextRange(Document.FirstPos, Document.SelEnd).size()), start,
                     length);
}

void THTMLViewer::SelectTo(int position) {
    if (NoSelect || Processing)
        return;
    const int first = Document.FirstPos, last = first + Document.PosCount;
    position = std::clamp(position, first, last);
    if (Pointer.SelAnchor < 0)
        Pointer.SelAnchor = std::clamp(Pointer.CaretPos, first, last);
    Pointer.Selecting = false;
    Document.SelStart = std::min(Pointer.SelAnchor, position);
    Document.SelEnd = std::max(Pointer.SelAnchor, position);
    Pointer.CaretPos = position;
    Invalidate();
    NotifyAccessible(*this, aeSelectionChanged);
}

int THTMLViewer::ViewEdgePosition(bool bottom) {
    bool atChar = false;
    int caretX = 0;
    // The edge may fall between lines or into the margins: the nearest line inside it counts,
    // at its end (start).
    const int x = bottom ? FScroll.SurfaceWidth - MarginWidth - 1 : MarginWidth;
    for (int inset = 0; inset < std::min(FScroll.SurfaceHeight, 64); inset += 2) {
        const int y = bottom ? FScroll.SurfaceHeight - 1 - inset : inset;
        const int p = CursorAtPoint(x, y + Document.ViewTop, atChar, caretX);
        if (p >= 0)
            return p;
    }
    if (bottom)
        return FScroll.Position >= MaxPosition() ? Document.FirstPos + Document.PosCount
                                                 : Pointer.CaretPos;
    return FScroll.Position == 0 ? Document.FirstPos : Pointer.CaretPos;
}

bool THTMLViewer::SelectionKey(TVirtualKey key, TShiftState shift) {
    // Ctrl+A is a text key (viewer_text.cpp).
    if (NoSelect || Processing || shift.ContainsAny({ssAlt, ssCtrl}) || !shift.Contains(ssShift))
        return false;
    switch (key) {
    case vk::Left:
    case vk::Right:
        SelectTo(Pointer.CaretPos + (key == vk::Left ? -1 : 1));
        return true;
    case vk::Home:
        MoveTo(0, false);
        SelectTo(Document.FirstPos);
        return true;
    case vk::End:
        MoveTo(MaxPosition(), false);
        SelectTo(Document.FirstPos + Document.PosCount);
        return true;
    case vk::Up:
    case vk::Down:
    case vk::Prior:
    case vk::Next: {
        // The selection grows over what the scroll brings into view.
        const bool down = key == vk::Down || key == vk::Next;
        const int step = key == vk::Up || key == vk::Down ? kVSmallChange : FScroll.LargeChange;
        MoveTo(FScroll.Position + (down ? step : -step), false);
        // Hit testing knows the places of the lines that have been painted.
        Repaint();
        SelectTo(ViewEdgePosition(down));
        return true;
    }
    default:
        return false;
    }
}

} // namespace html
