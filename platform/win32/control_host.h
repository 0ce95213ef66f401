#pragma once
// For platform/win32/ only: the window behind a TControl.
//
// TControl owns a TControlHost; the host shares the window's state (THostWindow) with the
// window procedure, which holds it for the length of every message, so a control destroyed
// inside one of its own handlers leaves a window state that lives until the handler returns.
#include "platform/win32/bitmap_win32.h"

#include <deque>
#include <memory>
#include <mutex>
#include <set>

struct IAccessible;
struct TDropTarget;

class TControlHost {
public:
    struct TWindow;
    explicit TControlHost(TControl& owner);
    ~TControlHost();
    TControlHost(const TControlHost&) = delete;
    TControlHost& operator=(const TControlHost&) = delete;

    HWND Window() const;
    TWindow& WindowState() const { return *State; }

private:
    std::shared_ptr<TWindow> State;
};

// A nested class of the control's friend, so that it may call the control's event methods.
struct TControlHost::TWindow : std::enable_shared_from_this<TControlHost::TWindow> {
    HWND Hwnd{nullptr};
    // The control's own hidden top-level window, its parent until a form adopts it: shown, it
    // makes the control a window of its own, as a control without a parent is elsewhere.
    HWND Frame{nullptr};
    TControl* Owner{nullptr};
    TControlHost* Host{nullptr}; // the control's object, while both live
    double Ratio{1};             // device pixels per logical pixel of the window's monitor
    TBitmap Buffer;              // what a paint draws into before it reaches the screen
    std::set<unsigned> Timers;
    struct TPosted {
        unsigned Id;
        std::uintptr_t A;
        std::intptr_t B;
    };
    std::mutex PostedGuard;
    std::deque<TPosted> Posted;
    bool BarVisible[2]{false, false}; // by TScrollBarKind
    bool BarEnabled[2]{true, true};
    bool DropTarget{false};
    TDropTarget* Drop{nullptr};
    IAccessible* Accessible{nullptr}; // the object screen readers hold, made on first request
    std::shared_ptr<TWindow> Self;    // the window's own hold, dropped when it is destroyed

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool Parked() const { return Hwnd != nullptr && Frame != nullptr && GetParent(Hwnd) == Frame; }
    int ToDevice(int logical) const { return win32::ToDevice(logical, Ratio); }
    int ToLogical(int device) const { return win32::ToLogical(device, Ratio); }
    void UpdateRatio();
    // WM_NCDESTROY: the window is gone; the control, if it lives on, loses its host.
    void Destroyed();
    // The drag-and-drop calls of the control (0 enter, 1 over, 2 drop; -1 leave).
    bool Drag(int what, TShiftState shift, TPoint p);

private:
    void Paint();
    void MouseButton(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Wheel(UINT message, WPARAM wParam, LPARAM lParam);
    bool Key(UINT message, WPARAM wParam, LPARAM lParam);
    void ScrollMessage(TScrollBarKind kind, WPARAM wParam);
    void MoveFocus(bool backward);
    void DrawOwnBorder();
};

using THostWindow = TControlHost::TWindow;

inline HWND TControlHost::Window() const {
    return State->Hwnd;
}

// The message that carries a control's posted message (its id, a and b wait in the host's
// queue, in order).
UINT ControlPostedMessage();

// Answers WM_GETOBJECT for a control that describes itself (accessible_win32.cpp).
LRESULT AnswerGetObject(THostWindow& window, WPARAM wParam, LPARAM lParam);
// The object WM_GETOBJECT hands out, with a reference for the caller; nullptr for a control that
// does not describe itself. For in-process use (tests), without marshalling.
IAccessible* AccessibleObject(THostWindow& window);
// Cuts the accessibility object off its window, which is going.
void ReleaseAccessible(THostWindow& window);
// Drag and drop from other programs (control_win32.cpp).
void SetDropTarget(THostWindow& window, bool on);
