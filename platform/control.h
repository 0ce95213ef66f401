#pragma once
// The base of the system's own controls (the tree, the HTML viewer). A control is a window
// with its own pair of scroll bars; the platform's events reach it as the virtual methods
// below, named after the events. The toolkit stays behind TControlHost.
#include "platform/cursors.h"
#include "platform/keys.h"
#include "platform/scrollbar.h"
#include "platform/types.h"
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TAccessibleDescription;
class TCanvas;
class TControlHost;

enum class TBorderKind { bkPlatform, bkNone, bkBlank, bkSingle };
using enum TBorderKind;

class TControl {
public:
    TControl();
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    // Geometry. The client area is the part inside the border and beside the scroll bars.
    void SetBounds(int left, int top, int width, int height);
    int ClientWidth() const;
    int ClientHeight() const;
    TRect ClientRect() const { return {0, 0, ClientWidth(), ClientHeight()}; }
    // The whole control: border, client area and scroll bars.
    int Width() const;
    int Height() const;

    // A one-pixel border inside the control's bounds: a line, or blank space of the same
    // width, or none; until set, the platform's own frame.
    void SetBorder(TBorderKind kind);
    TBorderKind Border() const { return FBorderKind; }

    void Show();
    void Hide();
    bool Showing() const;

    // A disabled control takes no input and paints in its disabled look.
    bool Enabled() const;
    void SetEnabled(bool value);

    // Keyboard focus.
    bool Focused() const;
    bool CanFocus() const;
    void SetFocus();

    // Repainting: invalidation is collected and painted later; Repaint paints what is
    // invalid now.
    void Invalidate();
    void InvalidateRect(const TRect& r);
    void Repaint();
    // Moves the painted client area by dx, dy pixels and repaints only the strip uncovered.
    void ScrollContents(int dx, int dy);

    // Queues a message to this control; Message(id, a, b) receives it once the messages
    // waiting before it have been handled. Messages still queued when the control goes are
    // dropped.
    void PostMessage(unsigned id, std::uintptr_t a = 0, std::intptr_t b = 0);

    // Numbered timers: SetTimer (re)starts timer id with the interval, Timer(id) fires every
    // interval until KillTimer.
    void SetTimer(unsigned id, unsigned milliseconds);
    void KillTimer(unsigned id);
    bool TimerActive(unsigned id) const;

    TScrollBar& HorzScrollBar();
    TScrollBar& VertScrollBar();

    // ---- pointer and drag-and-drop ----
    // The shape shown while the pointer is over the client area.
    void SetCursor(TCursor cursor);
    TCursor Cursor() const { return FCursor; }
    // While captured, every mouse event goes to this control, wherever the pointer is.
    void SetCapture();
    void ReleaseCapture();
    bool MouseCaptured() const;
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;
    // Whether objects dragged from other programs are reported to the Drag* methods.
    void RegisterDropTarget(bool on);
    bool IsDropTarget() const;

    // The toolkit side; none once a parent window has destroyed it, after which the control
    // answers neutrally (zero sizes, no painting, no timers).
    TControlHost* Host() const { return FHostWidget.get(); }

    // The tooltip for a point of the client area; none while empty or unset.
    std::function<std::u16string(TPoint p)> OnHint;

    // What the control tells screen readers (platform/accessible.h); none for a plain window.
    virtual TAccessibleDescription* AccessibleDescription() { return nullptr; }

protected:
    // Paint the part updateRect of the client area (client coordinates).
    virtual void Paint(TCanvas& canvas, const TRect& updateRect) {}
    virtual void Resize() {}
    virtual void FocusIn() {}
    virtual void FocusOut() {}
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y) {}
    virtual void MouseMove(TShiftState shift, int x, int y) {}
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y) {}
    virtual void DoubleClick(TMouseButton button, TShiftState shift, int x, int y) {}
    // Returns whether the wheel turn was used; delta is 120 per notch, positive away from the
    // user. An unused turn goes to the parent window.
    virtual bool MouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) { return false; }
    // key may be set to 0 to mark the key as handled.
    virtual void KeyDown(TVirtualKey& key, TShiftState shift) {}
    // Tab (Shift+Tab when backward) before it moves the keyboard focus to the next control;
    // true when the control used it to move within itself, and the focus stays.
    virtual bool TabKey(bool backward) { return false; }
    // The character a key produced, after KeyDown.
    virtual void KeyPress(char16_t& ch) {}
    // Inside KeyDown: the character the key translates to with Ctrl ignored ('+' for the plus
    // key on the keypad and on the main block alike), 0 when it gives none.
    char16_t KeyChar() const { return FKeyChar; }
    virtual void Timer(unsigned id) {}
    virtual void Scroll(TScrollBarKind bar, TScrollCode code, int pos) {}
    virtual void Message(unsigned id, std::uintptr_t a, std::intptr_t b) {}
    // Something dragged from another program (only while IsDropTarget). Enter, Over and Drop
    // return whether a drop at that point would be taken; a refused drop changes nothing.
    virtual bool DragEnter(TShiftState shift, TPoint p) { return false; }
    virtual bool DragOver(TShiftState shift, TPoint p) { return false; }
    virtual void DragLeave() {}
    virtual bool DragDrop(TShiftState shift, TPoint p) { return false; }

private:
    friend class TControlHost;
    friend class TScrollBar;
    std::unique_ptr<TControlHost> FHostWidget;
    std::unique_ptr<TScrollBar> FHorzBar;
    std::unique_ptr<TScrollBar> FVertBar;
    TBorderKind FBorderKind{bkPlatform};
    TCursor FCursor{crDefault};
    char16_t FKeyChar{0};
};
