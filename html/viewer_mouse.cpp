// The viewer's mouse: selection with an anchor, Shift and double-click words, the auto-scroll
// loop while dragging outside the surface, and middle-button panning.
#include "html/layout/section.h"
#include "html/viewer.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace html {

using namespace viewer_steps;

int THTMLViewer::CursorAtPoint(int x, int y, bool& atChar, int& caretX) {
    int lineHeight = 0, lineTop = 0;
    atChar = false;
    caretX = x;
    return Document.CursorAt(FCanvas, x, y, atChar, lineHeight, lineTop, caretX);
}

void THTMLViewer::EndPanning() {
    Pointer.Panning = false;
    SetCursor(Cursor);
}

void THTMLViewer::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    Pointer.Last = {x, y};
    Pointer.LeftHeld = shift.Contains(ssLeft);
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
    SetFocus();
    if (Pointer.Panning) {
        // The click that ends panning starts none.
        EndPanning();
    } else if (button == mbMiddle && !htOptions.Contains(htNoWheelMouse)) {
        Pointer.Panning = true;
        Pointer.PanStartY = y;
        SetCursor(crMoveNS);
    }
    if (button != mbLeft)
        return;
    FLinks.Pressed = shift.Contains(ssShift) ? -1 : LinkAt(x, y);
    Pointer.LeftDown = true;
    Pointer.Selecting = true;
    bool atChar = false;
    int caretX = 0;
    const int p = CursorAtPoint(x, y + Document.ViewTop, atChar, caretX);
    Pointer.SelAnchor = p;
    if (p < 0)
        return;
    if (Document.SelStart != Document.SelEnd || shift.Contains(ssShift))
        Invalidate();
    if (shift.Contains(ssShift)) {
        Document.SelStart = std::min(Pointer.CaretPos, p);
        Document.SelEnd = std::max(Pointer.CaretPos, p);
    } else {
        Document.SelStart = Document.SelEnd = p;
        Pointer.CaretPos = p;
    }
}

void THTMLViewer::MouseMove(TShiftState shift, int x, int y) {
    Pointer.Last = {x, y};
    Pointer.LeftHeld = shift.Contains(ssLeft);
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
    if (Pointer.Panning) {
        if (std::abs(y - Pointer.PanStartY) > kPanDeadZone)
            StartAutoScroll();
        return;
    }
    bool atChar = false;
    int caretX = 0;
    const TCursor shape = !Pointer.LeftHeld && LinkAt(x, y) >= 0 ? crHandPoint
                          : CursorAtPoint(x, y + Document.ViewTop, atChar, caretX) >= 0 ? Cursor
                                                                                        : crArrow;
    if (shape != TControl::Cursor())
        SetCursor(shape);
    if (!Pointer.LeftHeld)
        return;
    if (y <= 0 || y >= Height())
        StartAutoScroll();
    if (!NoSelect)
        ExtendSelection(x, y);
}

void THTMLViewer::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    Pointer.Last = {x, y};
    Pointer.LeftHeld = shift.Contains(ssLeft);
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
    if (Pointer.Panning) {
        // A middle click that did not move leaves panning on until the next click.
        if (button != mbMiddle || y != Pointer.PanStartY)
            EndPanning();
        return;
    }
    if (button == mbLeft && !shift.Contains(ssShift)) {
        ExtendSelection(x, y);
        Pointer.Selecting = false;
        Pointer.LeftDown = false;
        NotifyAccessible(*this, aeSelectionChanged);
        // A click, not a drag that selected: released over the link it went down on.
        const int pressed = std::exchange(FLinks.Pressed, -1);
        if (pressed >= 0 && Document.SelStart == Document.SelEnd && LinkAt(x, y) == pressed) {
            FLinks.Focused = pressed;
            FollowLink(pressed);
        }
    } else if (button == mbRight) {
        ShowContextMenu({x, y});
    }
}

void THTMLViewer::ExtendSelection(int x, int y) {
    if (!Pointer.Selecting || Pointer.SelAnchor < 0)
        return;
    y = std::max(0, std::min(y, Height()));
    bool atChar = false;
    int caretX = 0;
    const int p = CursorAtPoint(x, y + Document.ViewTop, atChar, caretX);
    if (p < 0)
        return;
    if (!NoSelect) {
        const int start = std::min(Pointer.SelAnchor, p), end = std::max(Pointer.SelAnchor, p);
        if (start != Document.SelStart || end != Document.SelEnd) {
            Document.SelStart = start;
            Document.SelEnd = end;
            Invalidate();
        }
    }
    Pointer.CaretPos = p;
}

void THTMLViewer::DoubleClick(TMouseButton button, TShiftState shift, int x, int y) {
    if (Processing || button != mbLeft)
        return;
    if (OnMouseDouble)
        OnMouseDouble(this, button, shift, x, y);
    bool atChar = false;
    int caretX = 0;
    const int p = CursorAtPoint(x, y + Document.ViewTop, atChar, caretX);
    if (p < 0)
        return;
    Pointer.CaretPos = p;
    // The position is the nearer edge; the character under the pointer is the one before it
    // when the pointer lies left of that edge.
    const int under = caretX > x ? p - 1 : p;
    if (under < p || atChar) {
        char16_t ch = 0;
        TSection* section = nullptr;
        if (under >= 0 && Document.CharAt(under, ch, section) && section && IsWordChar(ch)) {
            const std::u16string& text = section->Text;
            const int n = std::min(static_cast<int>(text.size()), section->PosCount);
            // A full stop between letters or digits belongs to the word, so that a code such
            // as J45.9 is taken whole, and so does a mark that ends a code (A17.0†, G01*).
            auto inWord = [&](int i) {
                if (IsWordChar(text[i]))
                    return true;
                const bool after = i > 0 && IsWordChar(text[i - 1]);
                if (text[i] == u'.')
                    return after && i + 1 < n && IsWordChar(text[i + 1]);
                return (text[i] == u'\u2020' || text[i] == u'*') && after;
            };
            int first = under - section->FirstPos;
            int last = first + 1;
            while (first > 0 && inWord(first - 1))
                --first;
            while (last < n && inWord(last))
                ++last;
            Document.SelStart = section->FirstPos + first;
            Document.SelEnd = section->FirstPos + last;
            Pointer.CaretPos = Document.SelStart;
        }
    }
    Invalidate();
}

// ---- auto-scrolling --------------------------------------------------------------------------

void THTMLViewer::StartAutoScroll() {
    if (Pointer.AutoScrolling || Pointer.AutoScrollPosted)
        return;
    // Runs after the current notification, from the control's own queue.
    Pointer.AutoScrollPosted = true;
    PostMessage(kAutoScrollMessage);
}

void THTMLViewer::Message(unsigned id, std::uintptr_t, std::intptr_t) {
    if (id == kTextChangedMessage) {
        FTextChangePosted = false;
        NotifyAccessible(*this, aeTextChanged);
        return;
    }
    if (id != kAutoScrollMessage)
        return;
    Pointer.AutoScrollPosted = false;
    AutoScrollLoop();
}

bool THTMLViewer::AutoScrollWanted() const {
    const bool outside = Pointer.Last.Y <= 0 || Pointer.Last.Y >= FScroll.SurfaceHeight;
    return (Pointer.LeftHeld && Pointer.Selecting && outside) ||
           (Pointer.Panning && std::abs(Pointer.Last.Y - Pointer.PanStartY) > kPanDeadZone);
}

void THTMLViewer::AutoScrollLoop() {
    if (Pointer.AutoScrolling)
        return;
    Pointer.AutoScrolling = true;
    const std::shared_ptr<bool> alive = FAlive;
    std::uint32_t last = Clock() - kAutoScrollInterval;
    while (AutoScrollWanted()) {
        const std::uint32_t now = Clock();
        if (now - last >= kAutoScrollInterval) {
            last = now;
            int step;
            if (Pointer.LeftHeld && Pointer.Selecting) {
                const int y = Pointer.Last.Y;
                if (y < -15)
                    step = -8 * kVSmallChange;
                else if (y <= 0)
                    step = -kVSmallChange;
                else if (y > FScroll.SurfaceHeight + 15)
                    step = 8 * kVSmallChange;
                else
                    step = kVSmallChange;
            } else {
                const int d = Pointer.Last.Y - Pointer.PanStartY;
                step = std::abs(d) > 60 ? 32 : 8;
                if (d < 0)
                    step = -step;
                SetCursor(d < 0 ? crMoveN : crMoveS);
            }
            const int target = std::max(0, std::min(FScroll.Position + step, MaxPosition()));
            SetBarPosition(target);
            if (Pointer.LeftHeld && Pointer.Selecting)
                ExtendSelection(Pointer.Last.X, Pointer.Last.Y);
            Invalidate();
        }
        const std::uint32_t spent = Clock() - last;
        WaitForMessages(spent < kAutoScrollInterval ? kAutoScrollInterval - spent : 0);
        if (!*alive)
            return; // the control went while its messages were handled
    }
    Pointer.AutoScrolling = false;
    if (Pointer.Panning)
        SetCursor(crMoveNS);
}

} // namespace html
