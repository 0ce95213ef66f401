// The viewer's text: plain text of document ranges, select all, copying, and the context menu.
#include "html/viewer.h"
#include "platform/clipboard.h"
#include "platform/popupmenu.h"

#include <algorithm>

namespace html {

using namespace viewer_steps;

std::u16string THTMLViewer::TextRange(int from, int to) const {
    return Document.TextRange(from, to);
}

std::u16string THTMLViewer::SelectedText() const {
    return Document.SelectedText();
}

void THTMLViewer::SelectAll() {
    if (Processing)
        return;
    Pointer.Selecting = false;
    Document.SelStart = Document.FirstPos;
    Document.SelEnd = Document.FirstPos + Document.PosCount;
    Pointer.SelAnchor = Document.SelStart;
    Pointer.CaretPos = Document.SelEnd;
    Invalidate();
    NotifyAccessible(*this, aeSelectionChanged);
}

void THTMLViewer::CopyToClipboard() {
    const std::u16string text = SelectedText();
    if (!text.empty())
        SetClipboardText(text);
}

bool THTMLViewer::TextKey(TVirtualKey key, TShiftState shift) {
    const bool ctrlOnly = shift.Contains(ssCtrl) && !shift.ContainsAny({ssShift, ssAlt});
    if (ctrlOnly && (key == 'C' || key == vk::Insert)) {
        CopyToClipboard();
        return true;
    }
    if (ctrlOnly && key == 'A') {
        SelectAll();
        return true;
    }
    const bool shiftOnly = shift.Contains(ssShift) && !shift.ContainsAny({ssCtrl, ssAlt});
    if (key == vk::Apps || (shiftOnly && key == vk::F(10))) {
        // At the caret when it is on screen, else at the surface's top left corner.
        TPoint p{MarginWidth, MarginHeight};
        int x = 0, y = 0;
        if (Document.PointOfCursor(FCanvas, Pointer.CaretPos, x, y) != 0) {
            y -= Document.ViewTop;
            if (x >= 0 && x < FScroll.SurfaceWidth && y >= 0 && y < FScroll.SurfaceHeight)
                p = {x, y};
        }
        ShowContextMenu(p);
        return true;
    }
    return false;
}

void THTMLViewer::ShowContextMenu(TPoint p) {
    if (Processing)
        return;
    TPopupMenu menu;
    menu.Add(
        u"Копировать", [this] { CopyToClipboard(); }, Document.SelStart < Document.SelEnd);
    menu.Add(u"Выделить всё", [this] { SelectAll(); });
    menu.Popup(ClientToScreen(p));
}

} // namespace html
