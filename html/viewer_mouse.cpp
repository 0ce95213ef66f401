// The viewer's mouse: selection with an anchor, Shift and double-click words, the auto-scroll
// loop while dragging outside the surface, and middle-button panning.
#include "html/layout/section.h"
#include "html/viewer.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace html {

int THTMLViewer::CursorAtPoint(int x, int y, bool& atChar, int& caretX) {
    int lineHeight = 0, lineTop = 0;
    atChar = false;
    caretX = x;
    return Document.CursorAt(FCanvas, x, y, atChar, lineHeight, lineTop, caretX);
}

void THTMLViewer::EndPanning() {
    Panning = false;
    SetCursor(Cursor);
}

void THTMLViewer::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    FPointer = {x, y};
    FLeftHeld = shift.Contains(ssLeft);
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
    SetFocus();
    if (Panning) {
        // The click that ends panning starts none.
        EndPanning();
    } else if (button == mbMiddle && !htOptions.Contains(htNoWheelMouse)) {
        Panning = true;
        PanStartY = y;
        SetCursor(crMoveNS);
    }
    if (button != mbLeft)
        return;
    FPressedLink = shift.Contains(ssShift) ? -1 : LinkAt(x, y);
    LeftDown = true;
    Selecting = true;
    bool atChar = false;
    int caretX = 0;
    const int p = CursorAtPoint(x, y + Document.ViewTop, atChar, caretX);
    SelAnchor = p;
    if (p < 0)
        return;
    if (Document.SelStart != Document.SelEnd || shift.Contains(ssShift))
        Invalidate();
    if (shift.Contains(ssShift)) {
        Document.SelStart = std::min(CaretPos, p);
        Document.SelEnd = std::max(CaretPos, p);
    } else {
        Document.SelStart = Document.SelEnd = p;
        CaretPos = p;
    }
}

void THTMLViewer::MouseMove(TShiftState shift, int x, int y) {
    FPointer = {x, y};
    FLeftHeld = shift.Contains(ssLeft);
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
    if (Panning) {
        if (std::abs(y - PanStartY) > kPanDeadZone)
            StartAutoScroll();
        return;
    }
    bool atChar = false;
    int caretX = 0;
    const TCursor shape = !FLeftHeld && LinkAt(x, y) >= 0 ? crHandPoint
                          : CursorAtPoint(x, y + Document.ViewTop, atChar, caretX) >= 0 ? Cursor
                                                                                        : crArrow;
    if (shape != TControl::Cursor())
        SetCursor(shape);
    if (!FLeftHeld)
        return;
    if (y <= 0 || y >= Height())
        StartAutoScroll();
    if (!NoSelect)
        ExtendSelection(x, y);
}

void THTMLViewer::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    FPointer = {x, y};
    FLeftHeld = shift.Contains(ssLeft);
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
    if (Panning) {
        // A middle click that did not move leaves panning on until the next click.
        if (button != mbMiddle || y != PanStartY)
            EndPanning();
        return;
    }
    if (button == mbLeft && !shift.Contains(ssShift)) {
        ExtendSelection(x, y);
        Selecting = false;
        LeftDown = false;
        NotifyAccessible(*this, aeSelectionChanged);
        // A click, not a drag that selected: released over the link it went down on.
        const int pressed = std::exchange(FPressedLink, -1);
        if (pressed >= 0 && Document.SelStart == Document.SelEnd && LinkAt(x, y) == pressed) {
            FFocusedLink = pressed;
            FollowLink(pressed);
        }
    } else if (button == mbRight) {
        ShowContextMenu({x, y});
    }
}

void THTMLViewer::ExtendSelection(int x, int y) {
    if (!Selecting || SelAnchor < 0)
        return;
    y = std::max(0, std::min(y, Height()));
    bool atChar = false;
    int caretX = 0;
    const int p = CursorAtPoint(x, y + Document.ViewTop, atChar, caretX);
    if (p < 0)
        return;
    if (!NoSelect) {
        const int start = std::min(SelAnchor, p), end = std::max(SelAnchor, p);
        if (start != Document.SelStart || end != Document.SelEnd) {
            Document.SelStart = start;
            Document.SelEnd = end;
            Invalidate();
        }
    }
    CaretPos = p;
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
    CaretPos = p;
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
            CaretPos = Document.SelStart;
        }
    }
    Invalidate();
}

// ---- auto-scrolling --------------------------------------------------------------------------

void THTMLViewer::StartAutoScroll() {
    if (AutoScrolling || FAutoScrollPosted)
        return;
    // Runs after the current notification, from the control's own queue.
    FAutoScrollPosted = true;
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
    FAutoScrollPosted = false;
    AutoScrollLoop();
}

bool THTMLViewer::AutoScrollWanted() const {
    const bool outside = FPointer.Y <= 0 || FPointer.Y >= FSurfaceHeight;
    return (FLeftHeld && Selecting && outside) ||
           (Panning && std::abs(FPointer.Y - PanStartY) > kPanDeadZone);
}

void THTMLViewer::AutoScrollLoop() {
    if (AutoScrolling)
        return;
    AutoScrolling = true;
    const std::shared_ptr<bool> alive = FAlive;
    std::uint32_t last = Clock() - kAutoScrollInterval;
    while (AutoScrollWanted()) {
        const std::uint32_t now = Clock();
        if (now - last >= kAutoScrollInterval) {
            last = now;
            int step;
            if (FLeftHeld && Selecting) {
                const int y = FPointer.Y;
                if (y < -15)
                    step = -8 * kVSmallChange;
                else if (y <= 0)
                    step = -kVSmallChange;
                else if (y > FSurfaceHeight + 15)
                    step = 8 * kVSmallChange;
                else
                    step = kVSmallChange;
            } else {
                const int d = FPointer.Y - PanStartY;
                step = std::abs(d) > 60 ? 32 : 8;
                if (d < 0)
                    step = -step;
                SetCursor(d < 0 ? crMoveN : crMoveS);
            }
            const int target = std::max(0, std::min(FPosition + step, MaxPosition()));
            SetBarPosition(target);
            if (FLeftHeld && Selecting)
                ExtendSelection(FPointer.X, FPointer.Y);
            Invalidate();
        }
        const std::uint32_t spent = Clock() - last;
        WaitForMessages(spent < kAutoScrollInterval ? kAutoScrollInterval - spent : 0);
        if (!*alive)
            return; // the control went while its messages were handled
    }
    AutoScrolling = false;
    if (Panning)
        SetCursor(crMoveNS);
}

} // namespace html
