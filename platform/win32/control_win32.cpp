// The window behind TControl: a child window of the class win32::ControlClassName that turns
// window messages into the control's virtual methods, and the control's scroll bars as the
// window's own.
#include "platform/win32/com.h"
#include "platform/win32/control_host.h"

#include <ole2.h>

#include <algorithm>
#include <cmath>

// ---- helpers -----------------------------------------------------------------------------------

TShiftState win32::KeyboardShift() {
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0)
        s |= ssShift;
    if (GetKeyState(VK_MENU) < 0)
        s |= ssAlt;
    if (GetKeyState(VK_CONTROL) < 0)
        s |= ssCtrl;
    return s;
}

namespace {

// The modifiers and buttons of a mouse message (its wParam).
TShiftState MouseShift(WPARAM keys) {
    TShiftState s;
    if (keys & MK_SHIFT)
        s |= ssShift;
    if (keys & MK_CONTROL)
        s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0)
        s |= ssAlt;
    if (keys & MK_LBUTTON)
        s |= ssLeft;
    if (keys & MK_RBUTTON)
        s |= ssRight;
    if (keys & MK_MBUTTON)
        s |= ssMiddle;
    return s;
}

TShiftState ButtonsNow() {
    TShiftState s;
    if (GetKeyState(VK_LBUTTON) < 0)
        s |= ssLeft;
    if (GetKeyState(VK_RBUTTON) < 0)
        s |= ssRight;
    if (GetKeyState(VK_MBUTTON) < 0)
        s |= ssMiddle;
    return s;
}

TPoint PointOf(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// The character of a key with Ctrl ignored ('+' for the plus key on the keypad and on the main
// block alike), 0 for none.
char16_t KeyCharOf(WPARAM key, LPARAM lParam) {
    BYTE state[256];
    if (!GetKeyboardState(state))
        return 0;
    state[VK_CONTROL] = state[VK_LCONTROL] = state[VK_RCONTROL] = 0;
    // Alt Gr is Ctrl+Alt: leave Alt alone only when Ctrl was part of Alt Gr.
    wchar_t buffer[4]{};
    const UINT scan = (lParam >> 16) & 0xFF;
    // Flag 4: the keyboard's dead-key state is left as it was.
    const int n = ToUnicode(static_cast<UINT>(key), scan, state, buffer, 4, 4);
    if (n != 1 || buffer[0] < 32 || buffer[0] == 127)
        return 0;
    return static_cast<char16_t>(buffer[0]);
}

std::shared_ptr<THostWindow> StateOf(HWND hwnd) {
    auto* state = reinterpret_cast<THostWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return state != nullptr ? state->shared_from_this() : nullptr;
}

THostWindow* HostOf(const TControl& control) {
    return control.Host() != nullptr ? &control.Host()->WindowState() : nullptr;
}

int BarOf(TScrollBarKind kind) {
    return kind == sbHorizontal ? SB_HORZ : SB_VERT;
}

} // namespace

// ---- the window procedure ----------------------------------------------------------------------

namespace win32 {
LRESULT CALLBACK ControlWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
}

LRESULT CALLBACK win32::ControlWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* state = static_cast<THostWindow*>(created->lpCreateParams);
        state->Hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    const std::shared_ptr<THostWindow> state = StateOf(hwnd);
    if (!state)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        state->Destroyed();
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return state->Handle(message, wParam, lParam);
}

void THostWindow::Destroyed() {
    ReleaseAccessible(*this);
    SetDropTarget(*this, false);
    Hwnd = nullptr;
    Timers.clear();
    // Destroyed with its parent while the control lives on: the control answers neutrally
    // from now on (no host).
    if (Owner != nullptr && Host != nullptr) {
        TControlHost* host = Host;
        (void)Owner->FHostWidget.release();
        Host = nullptr;
        Owner = nullptr;
        delete host;
    }
    Self.reset();
}

bool THostWindow::Drag(int what, TShiftState shift, TPoint p) {
    if (Owner == nullptr)
        return false;
    switch (what) {
    case 0:
        return Owner->DragEnter(shift, p);
    case 1:
        return Owner->DragOver(shift, p);
    case 2:
        return Owner->DragDrop(shift, p);
    default:
        Owner->DragLeave();
        return false;
    }
}

void THostWindow::UpdateRatio() {
    Ratio = Hwnd != nullptr ? win32::WindowPixelRatio(Hwnd) : 1.0;
}

LRESULT THostWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == ControlPostedMessage()) {
        TPosted posted;
        {
            std::lock_guard<std::mutex> lock(PostedGuard);
            if (Posted.empty())
                return 0;
            posted = Posted.front();
            Posted.pop_front();
        }
        if (Owner != nullptr)
            Owner->Message(posted.Id, posted.A, posted.B);
        return 0;
    }
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the control paints every pixel itself
    case WM_PAINT:
        Paint();
        return 0;
    case WM_SIZE:
        if (Owner != nullptr)
            Owner->Resize();
        return 0;
    case WM_NCCALCSIZE:
        if (Owner != nullptr && (Owner->Border() == bkSingle || Owner->Border() == bkBlank)) {
            // The one-pixel line goes outside the scroll bars, which the default places.
            RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                             : reinterpret_cast<RECT*>(lParam);
            InflateRect(r, -1, -1);
            if (r->right < r->left)
                r->right = r->left;
            if (r->bottom < r->top)
                r->bottom = r->top;
        }
        break;
    case WM_NCPAINT: {
        const LRESULT result = DefWindowProcW(Hwnd, message, wParam, lParam);
        DrawOwnBorder();
        return result;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE:
        MouseButton(message, wParam, lParam);
        return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        return Wheel(message, wParam, lParam);
    case WM_CONTEXTMENU:
        // A control offers its own menus, on the button's release and on the menu keys.
        if (Owner != nullptr)
            return 0;
        break;
    case WM_SETCURSOR:
        if (Owner != nullptr && LOWORD(lParam) == HTCLIENT &&
            reinterpret_cast<HWND>(wParam) == Hwnd) {
            ::SetCursor(win32::CursorHandle(Owner->Cursor()));
            return TRUE;
        }
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (Key(message, wParam, lParam))
            return 0;
        break;
    case WM_CHAR:
        if (Owner != nullptr && wParam >= 32 && wParam != 127 && wParam <= 0xFFFF) {
            char16_t ch = static_cast<char16_t>(wParam);
            Owner->KeyPress(ch);
        }
        return 0;
    case WM_SETFOCUS:
        if (Owner != nullptr)
            Owner->FocusIn();
        return 0;
    case WM_KILLFOCUS:
        if (Owner != nullptr)
            Owner->FocusOut();
        return 0;
    case WM_TIMER:
        if (Owner != nullptr && Timers.count(static_cast<unsigned>(wParam)) != 0) {
            Owner->Timer(static_cast<unsigned>(wParam));
            return 0;
        }
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (lParam == 0 && Owner != nullptr) {
            ScrollMessage(message == WM_HSCROLL ? sbHorizontal : sbVertical, wParam);
            return 0;
        }
        break;
    case WM_GETOBJECT:
        if (Owner != nullptr) {
            if (const LRESULT r = AnswerGetObject(*this, wParam, lParam))
                return r;
        }
        break;
    case 0x02E3: // WM_DPICHANGED_AFTERPARENT: the window is on a monitor of another density
    case WM_DPICHANGED:
        UpdateRatio();
        InvalidateRect(Hwnd, nullptr, FALSE);
        if (Owner != nullptr)
            Owner->Resize();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(Hwnd, message, wParam, lParam);
}

void THostWindow::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Hwnd, &ps);
    if (dc == nullptr)
        return;
    RECT client;
    GetClientRect(Hwnd, &client);
    const TRect device{std::max<int>(ps.rcPaint.left, 0), std::max<int>(ps.rcPaint.top, 0),
                       std::min<int>(ps.rcPaint.right, client.right),
                       std::min<int>(ps.rcPaint.bottom, client.bottom)};
    if (Owner == nullptr || device.IsEmpty()) {
        if (!device.IsEmpty())
            FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_WINDOW));
        EndPaint(Hwnd, &ps);
        return;
    }
    // The logical pixels the device rectangle touches.
    const TRect update{static_cast<int>(std::floor(device.Left / Ratio)),
                       static_cast<int>(std::floor(device.Top / Ratio)),
                       static_cast<int>(std::ceil(device.Right / Ratio)),
                       static_cast<int>(std::ceil(device.Bottom / Ratio))};
    const int width = ToLogical(client.right) + 1, height = ToLogical(client.bottom) + 1;
    Buffer.SetPixelRatio(Ratio);
    if (Buffer.Width() < width || Buffer.Height() < height)
        Buffer.SetSize(std::max(width, Buffer.Width()), std::max(height, Buffer.Height()));
    {
        TCanvas::TDevice surface{Buffer};
        TCanvas canvas(surface, update);
        std::shared_ptr<THostWindow> keep = shared_from_this();
        Owner->Paint(canvas, update);
    }
    if (Hwnd != nullptr) {
        GdiFlush();
        const TRect from = Buffer.DeviceRect(update);
        const TRect to{std::max(from.Left, device.Left), std::max(from.Top, device.Top),
                       std::min(from.Right, device.Right), std::min(from.Bottom, device.Bottom)};
        if (!to.IsEmpty())
            BitBlt(dc, to.Left, to.Top, to.Width(), to.Height(), win32::BitmapDC(Buffer), to.Left,
                   to.Top, SRCCOPY);
        EndPaint(Hwnd, &ps);
    }
}

void THostWindow::DrawOwnBorder() {
    if (Owner == nullptr || (Owner->Border() != bkSingle && Owner->Border() != bkBlank))
        return;
    HDC dc = GetWindowDC(Hwnd);
    if (dc == nullptr)
        return;
    RECT r;
    GetWindowRect(Hwnd, &r);
    OffsetRect(&r, -r.left, -r.top);
    // A blank border is a line in the background colour, so the client area keeps its place
    // when the line comes and goes.
    HBRUSH brush = GetSysColorBrush(Owner->Border() == bkBlank ? COLOR_BTNFACE : COLOR_WINDOWFRAME);
    FrameRect(dc, &r, brush);
    ReleaseDC(Hwnd, dc);
}

void THostWindow::MouseButton(UINT message, WPARAM wParam, LPARAM lParam) {
    if (Owner == nullptr)
        return;
    const TPoint device = PointOf(lParam);
    const int x = static_cast<int>(std::floor(device.X / Ratio));
    const int y = static_cast<int>(std::floor(device.Y / Ratio));
    const TShiftState shift = MouseShift(wParam);
    TMouseButton button = mbLeft;
    if (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP || message == WM_RBUTTONDBLCLK)
        button = mbRight;
    else if (message == WM_MBUTTONDOWN || message == WM_MBUTTONUP || message == WM_MBUTTONDBLCLK)
        button = mbMiddle;
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        // A click gives the control the keyboard focus, as on every desktop.
        if (GetFocus() != Hwnd && IsWindowEnabled(Hwnd))
            SetFocus(Hwnd);
        if (Owner != nullptr)
            Owner->MouseDown(button, shift, x, y);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        Owner->MouseUp(button, shift, x, y);
        break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        Owner->DoubleClick(button, shift | ssDouble, x, y);
        break;
    default:
        Owner->MouseMove(shift, x, y);
        break;
    }
}

LRESULT THostWindow::Wheel(UINT message, WPARAM wParam, LPARAM lParam) {
    // The turn belongs to the control under the pointer, as the other platforms route it, not
    // to the one with the keyboard focus.
    const TPoint screen = PointOf(lParam);
    HWND under = WindowFromPoint({screen.X, screen.Y});
    if (under != Hwnd && win32::ControlFromWindow(under) != nullptr)
        return SendMessageW(under, message, wParam, lParam);
    if (Owner == nullptr)
        return DefWindowProcW(Hwnd, message, wParam, lParam);
    POINT p{screen.X, screen.Y};
    ::ScreenToClient(Hwnd, &p);
    const TPoint client{static_cast<int>(std::floor(p.x / Ratio)),
                        static_cast<int>(std::floor(p.y / Ratio))};
    // A tilt to the right comes as a positive turn; the other platforms count it as one away
    // from the user only when tilted to the left.
    const int turn = static_cast<short>(HIWORD(wParam));
    const int delta = message == WM_MOUSEHWHEEL ? -turn : turn;
    if (Owner->MouseWheel(MouseShift(LOWORD(wParam)), delta, client))
        return 0;
    // An unused turn goes to the parent window.
    return DefWindowProcW(Hwnd, message, wParam, lParam);
}

void THostWindow::MoveFocus(bool backward) {
    HWND root = GetAncestor(Hwnd, GA_ROOT);
    HWND next = root != nullptr ? GetNextDlgTabItem(root, Hwnd, backward) : nullptr;
    if (next != nullptr && next != Hwnd)
        SetFocus(next);
}

bool THostWindow::Key(UINT message, WPARAM wParam, LPARAM lParam) {
    if (Owner == nullptr)
        return false;
    const TShiftState shift = win32::KeyboardShift();
    if (wParam == VK_TAB && !shift.ContainsAny({ssCtrl, ssAlt})) {
        // The control may use Tab to move within itself before the focus moves on.
        const bool backward = shift.Contains(ssShift);
        if (!Owner->TabKey(backward) && Owner != nullptr)
            MoveFocus(backward);
        return true;
    }
    std::shared_ptr<THostWindow> keep = shared_from_this();
    TVirtualKey key = static_cast<TVirtualKey>(wParam);
    TControl* owner = Owner;
    owner->FKeyChar = KeyCharOf(wParam, lParam);
    owner->KeyDown(key, shift);
    if (Owner == nullptr)
        return true;
    owner->FKeyChar = 0;
    // Alt combinations the control left alone go on to the window's menu.
    return message == WM_KEYDOWN || key == 0;
}

void THostWindow::ScrollMessage(TScrollBarKind kind, WPARAM wParam) {
    const int code = LOWORD(wParam);
    if (code < SB_LINEUP || code > SB_ENDSCROLL)
        return;
    SCROLLINFO si{};
    si.cbSize = sizeof(SCROLLINFO);
    si.fMask = SIF_ALL;
    GetScrollInfo(Hwnd, BarOf(kind), &si);
    // The 32-bit position: the message's own has 16 bits only.
    const int pos = (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) ? si.nTrackPos : si.nPos;
    Owner->Scroll(kind, static_cast<TScrollCode>(code), pos);
}

// ---- host
// ----------------------------------------------------------------------------------------

UINT ControlPostedMessage() {
    static const UINT message = RegisterWindowMessageW(L"MkbControlPosted");
    return message;
}

TControlHost::TControlHost(TControl& owner) : State(std::make_shared<THostWindow>()) {
    State->Owner = &owner;
    State->Host = this;
    State->Self = State;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    State->Frame =
        CreateWindowExW(WS_EX_TOOLWINDOW, win32::FrameClassName, L"", WS_POPUP | WS_CLIPCHILDREN, 0,
                        0, 0, 0, nullptr, nullptr, instance, nullptr);
    HWND hwnd = State->Frame != nullptr
                    ? CreateWindowExW(WS_EX_CLIENTEDGE, win32::ControlClassName, L"",
                                      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 0,
                                      0, State->Frame, nullptr, instance, State.get())
                    : nullptr;
    if (hwnd == nullptr) {
        if (State->Frame != nullptr)
            DestroyWindow(State->Frame);
        State->Frame = nullptr;
        State->Self.reset();
        State->Owner = nullptr;
        return;
    }
    State->UpdateRatio();
}

TControlHost::~TControlHost() {
    State->Owner = nullptr;
    State->Host = nullptr;
    if (State->Hwnd != nullptr)
        DestroyWindow(State->Hwnd);
    if (State->Frame != nullptr)
        DestroyWindow(State->Frame);
    State->Frame = nullptr;
}

void win32::AdoptControl(TControl& control, HWND parent) {
    THostWindow* w = HostOf(control);
    if (w == nullptr || w->Hwnd == nullptr || parent == nullptr)
        return;
    RECT r{};
    GetWindowRect(w->Hwnd, &r);
    SetParent(w->Hwnd, parent);
    if (w->Frame != nullptr)
        ShowWindow(w->Frame, SW_HIDE);
    w->UpdateRatio();
    SetWindowPos(w->Hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE | SWP_FRAMECHANGED);
}

HWND win32::ControlWindow(const TControl& control) {
    const THostWindow* w = HostOf(control);
    return w != nullptr ? w->Hwnd : nullptr;
}

TControl* win32::ControlFromWindow(HWND window) {
    if (window == nullptr)
        return nullptr;
    wchar_t name[32];
    if (GetClassNameW(window, name, 32) == 0 || wcscmp(name, ControlClassName) != 0)
        return nullptr;
    auto* state = reinterpret_cast<THostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return state != nullptr ? state->Owner : nullptr;
}

// ---- scroll bars -----------------------------------------------------------------------------

void TScrollBar::SetScrollInfo(const TScrollInfo& info, bool visible, bool enabled) {
    Info = info;
    THostWindow* w = HostOf(Owner);
    if (w == nullptr || w->Hwnd == nullptr)
        return;
    const int bar = BarOf(Kind);
    SCROLLINFO si{};
    si.cbSize = sizeof(SCROLLINFO);
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMin = info.Min;
    si.nMax = std::max(info.Max, info.Min);
    si.nPage = static_cast<UINT>(std::max(info.Page, 0));
    si.nPos = info.Pos;
    ::SetScrollInfo(w->Hwnd, bar, &si, visible);
    SCROLLINFO now{};
    now.cbSize = sizeof(SCROLLINFO);
    now.fMask = SIF_POS;
    if (::GetScrollInfo(w->Hwnd, bar, &now))
        Info.Pos = now.nPos;
    const int index = static_cast<int>(Kind);
    w->BarEnabled[index] = enabled;
    // Last: showing or hiding resizes the client area, and the control may react to that by
    // setting new values, which must not be overwritten here.
    if (w->BarVisible[index] != visible) {
        w->BarVisible[index] = visible;
        ShowScrollBar(w->Hwnd, bar, visible);
    }
    if (visible && w->Hwnd != nullptr)
        EnableScrollBar(w->Hwnd, bar, enabled ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
}

TScrollInfo TScrollBar::GetScrollInfo() const {
    TScrollInfo r = Info;
    if (THostWindow* w = HostOf(Owner); w != nullptr && w->Hwnd != nullptr) {
        SCROLLINFO si{};
        si.cbSize = sizeof(SCROLLINFO);
        si.fMask = SIF_POS;
        if (::GetScrollInfo(w->Hwnd, BarOf(Kind), &si))
            r.Pos = si.nPos;
    }
    return r;
}

bool TScrollBar::Visible() const {
    const THostWindow* w = HostOf(Owner);
    return w != nullptr && w->Hwnd != nullptr && w->BarVisible[static_cast<int>(Kind)];
}

bool TScrollBar::Enabled() const {
    const THostWindow* w = HostOf(Owner);
    return w != nullptr && w->Hwnd != nullptr && w->BarEnabled[static_cast<int>(Kind)];
}

// ---- control ---------------------------------------------------------------------------------

TControl::TControl() {
    EnsureApplication();
    FHostWidget = std::make_unique<TControlHost>(*this);
    if (FHostWidget->Window() == nullptr)
        FHostWidget.reset();
    FHorzBar = std::make_unique<TScrollBar>(*this, sbHorizontal);
    FVertBar = std::make_unique<TScrollBar>(*this, sbVertical);
}

TControl::~TControl() {
    FHostWidget.reset();
}

namespace {
HWND WindowOf(const TControl& control) {
    return win32::ControlWindow(control);
}
} // namespace

void TControl::SetBounds(int left, int top, int width, int height) {
    THostWindow* w = HostOf(*this);
    if (w == nullptr || w->Hwnd == nullptr)
        return;
    const int x = w->ToDevice(left), y = w->ToDevice(top);
    const int cx = w->ToDevice(std::max(width, 0)), cy = w->ToDevice(std::max(height, 0));
    if (w->Parked()) {
        // A window of its own: the bounds place it on the screen.
        SetWindowPos(w->Frame, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
        MoveWindow(w->Hwnd, 0, 0, cx, cy, TRUE);
        return;
    }
    MoveWindow(w->Hwnd, x, y, cx, cy, TRUE);
}

int TControl::ClientWidth() const {
    const THostWindow* w = HostOf(*this);
    RECT r;
    if (w == nullptr || w->Hwnd == nullptr || !GetClientRect(w->Hwnd, &r))
        return 0;
    return w->ToLogical(r.right);
}

int TControl::ClientHeight() const {
    const THostWindow* w = HostOf(*this);
    RECT r;
    if (w == nullptr || w->Hwnd == nullptr || !GetClientRect(w->Hwnd, &r))
        return 0;
    return w->ToLogical(r.bottom);
}

int TControl::Width() const {
    const THostWindow* w = HostOf(*this);
    RECT r;
    if (w == nullptr || w->Hwnd == nullptr || !GetWindowRect(w->Hwnd, &r))
        return 0;
    return w->ToLogical(r.right - r.left);
}

int TControl::Height() const {
    const THostWindow* w = HostOf(*this);
    RECT r;
    if (w == nullptr || w->Hwnd == nullptr || !GetWindowRect(w->Hwnd, &r))
        return 0;
    return w->ToLogical(r.bottom - r.top);
}

void TControl::SetBorder(TBorderKind kind) {
    HWND hwnd = WindowOf(*this);
    if (hwnd == nullptr || kind == FBorderKind || kind == bkPlatform)
        return;
    FBorderKind = kind;
    // The platform's sunken edge goes; a line or a blank comes from WM_NCCALCSIZE/WM_NCPAINT.
    const LONG_PTR ex =
        GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE);
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, ex);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TControl::ScrollContents(int dx, int dy) {
    if (THostWindow* w = HostOf(*this); w != nullptr && w->Hwnd != nullptr)
        ScrollWindowEx(w->Hwnd, w->ToDevice(dx), w->ToDevice(dy), nullptr, nullptr, nullptr,
                       nullptr, SW_INVALIDATE);
}

void TControl::PostMessage(unsigned id, std::uintptr_t a, std::intptr_t b) {
    THostWindow* w = HostOf(*this);
    if (w == nullptr || w->Hwnd == nullptr)
        return;
    {
        std::lock_guard<std::mutex> lock(w->PostedGuard);
        w->Posted.push_back({id, a, b});
    }
    // One wake per message: each takes the oldest waiting one, so the order is kept.
    PostMessageW(w->Hwnd, ControlPostedMessage(), 0, 0);
}

void TControl::Show() {
    THostWindow* w = HostOf(*this);
    if (w == nullptr || w->Hwnd == nullptr)
        return;
    ShowWindow(w->Hwnd, SW_SHOWNA);
    if (w->Parked())
        ShowWindow(w->Frame, SW_SHOWNA);
}

void TControl::Hide() {
    THostWindow* w = HostOf(*this);
    if (w == nullptr || w->Hwnd == nullptr)
        return;
    ShowWindow(w->Hwnd, SW_HIDE);
    if (w->Parked())
        ShowWindow(w->Frame, SW_HIDE);
}

bool TControl::Showing() const {
    HWND hwnd = WindowOf(*this);
    return hwnd != nullptr && IsWindowVisible(hwnd);
}

bool TControl::Enabled() const {
    HWND hwnd = WindowOf(*this);
    return hwnd != nullptr && IsWindowEnabled(hwnd);
}

void TControl::SetEnabled(bool value) {
    if (HWND hwnd = WindowOf(*this))
        EnableWindow(hwnd, value);
}

bool TControl::Focused() const {
    HWND hwnd = WindowOf(*this);
    return hwnd != nullptr && GetFocus() == hwnd;
}

bool TControl::CanFocus() const {
    return Showing() && Enabled();
}

void TControl::SetFocus() {
    if (HWND hwnd = WindowOf(*this))
        ::SetFocus(hwnd);
}

void TControl::Invalidate() {
    if (HWND hwnd = WindowOf(*this))
        ::InvalidateRect(hwnd, nullptr, FALSE);
}

void TControl::InvalidateRect(const TRect& r) {
    THostWindow* w = HostOf(*this);
    if (w == nullptr || w->Hwnd == nullptr || r.IsEmpty())
        return;
    const RECT d{static_cast<LONG>(std::floor(r.Left * w->Ratio)),
                 static_cast<LONG>(std::floor(r.Top * w->Ratio)),
                 static_cast<LONG>(std::ceil(r.Right * w->Ratio)),
                 static_cast<LONG>(std::ceil(r.Bottom * w->Ratio))};
    ::InvalidateRect(w->Hwnd, &d, FALSE);
}

void TControl::Repaint() {
    if (HWND hwnd = WindowOf(*this))
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TControl::SetTimer(unsigned id, unsigned milliseconds) {
    THostWindow* w = HostOf(*this);
    if (w == nullptr || w->Hwnd == nullptr)
        return;
    if (::SetTimer(w->Hwnd, id, std::max(milliseconds, 1u), nullptr) != 0)
        w->Timers.insert(id);
}

void TControl::KillTimer(unsigned id) {
    THostWindow* w = HostOf(*this);
    if (w == nullptr || w->Hwnd == nullptr || w->Timers.erase(id) == 0)
        return;
    ::KillTimer(w->Hwnd, id);
}

bool TControl::TimerActive(unsigned id) const {
    const THostWindow* w = HostOf(*this);
    return w != nullptr && w->Hwnd != nullptr && w->Timers.count(id) != 0;
}

// ---- pointer and drag-and-drop -------------------------------------------------------------

void TControl::SetCursor(TCursor cursor) {
    FCursor = cursor;
    HWND hwnd = WindowOf(*this);
    if (hwnd == nullptr)
        return;
    // Shown at once while the pointer is over the control.
    POINT p;
    if (GetCursorPos(&p) && (GetCapture() == hwnd || WindowFromPoint(p) == hwnd))
        ::SetCursor(win32::CursorHandle(cursor));
}

void TControl::SetCapture() {
    HWND hwnd = WindowOf(*this);
    if (hwnd != nullptr && IsWindowVisible(hwnd))
        ::SetCapture(hwnd);
}

void TControl::ReleaseCapture() {
    if (MouseCaptured())
        ::ReleaseCapture();
}

bool TControl::MouseCaptured() const {
    HWND hwnd = WindowOf(*this);
    return hwnd != nullptr && GetCapture() == hwnd;
}

// Screen coordinates are the system's own (device pixels), as CursorPos and the menus take them.
TPoint TControl::ClientToScreen(TPoint p) const {
    const THostWindow* w = HostOf(*this);
    if (w == nullptr || w->Hwnd == nullptr)
        return p;
    POINT q{w->ToDevice(p.X), w->ToDevice(p.Y)};
    ::ClientToScreen(w->Hwnd, &q);
    return {q.x, q.y};
}

TPoint TControl::ScreenToClient(TPoint p) const {
    const THostWindow* w = HostOf(*this);
    if (w == nullptr || w->Hwnd == nullptr)
        return p;
    POINT q{p.X, p.Y};
    ::ScreenToClient(w->Hwnd, &q);
    return {static_cast<int>(std::floor(q.x / w->Ratio)),
            static_cast<int>(std::floor(q.y / w->Ratio))};
}

void TControl::RegisterDropTarget(bool on) {
    if (THostWindow* w = HostOf(*this); w != nullptr && w->Hwnd != nullptr)
        SetDropTarget(*w, on);
}

bool TControl::IsDropTarget() const {
    const THostWindow* w = HostOf(*this);
    return w != nullptr && w->Hwnd != nullptr && w->DropTarget;
}

// ---- drop target
// ---------------------------------------------------------------------------------

// What other programs drag over a control, reported to its Drag* methods. OLE asks on the
// window's thread; the object holds the window's state, not the control.
struct TDropTarget final : win32::TComObject<IDropTarget> {
    explicit TDropTarget(std::shared_ptr<THostWindow> window) : Window(std::move(window)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        return AnswerQuery(IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget),
                           object);
    }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD keys, POINTL at,
                                        DWORD* effect) override {
        return Answer(0, keys, at, effect);
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override {
        return Answer(1, keys, at, effect);
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        Window->Drag(-1, {}, {});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD keys, POINTL at, DWORD* effect) override {
        return Answer(2, keys, at, effect);
    }

private:
    HRESULT Answer(int what, DWORD keys, POINTL at, DWORD* effect) {
        TControl* owner = Window->Owner;
        if (effect == nullptr)
            return E_INVALIDARG;
        if (owner == nullptr || Window->Hwnd == nullptr) {
            *effect = DROPEFFECT_NONE;
            return S_OK;
        }
        const TPoint p = owner->ScreenToClient({at.x, at.y});
        const TShiftState shift = MouseShift(keys) | ButtonsNow();
        const bool accepted = Window->Drag(what, shift, p);
        *effect = accepted ? (*effect & (DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK))
                           : DROPEFFECT_NONE;
        return S_OK;
    }
    std::shared_ptr<THostWindow> Window;
};

void SetDropTarget(THostWindow& window, bool on) {
    if (on == window.DropTarget)
        return;
    if (on) {
        auto* target = new TDropTarget(window.shared_from_this());
        if (window.Hwnd != nullptr && SUCCEEDED(RegisterDragDrop(window.Hwnd, target))) {
            window.Drop = target;
            window.DropTarget = true;
            return;
        }
        target->Release();
        return;
    }
    if (window.Hwnd != nullptr)
        RevokeDragDrop(window.Hwnd);
    if (window.Drop != nullptr)
        window.Drop->Release();
    window.Drop = nullptr;
    window.DropTarget = false;
}
