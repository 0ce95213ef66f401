#pragma once
// The Win32 side of platform/, for platform/win32/ and the window code built on it (the forms of
// app/ on Windows): the windows behind controls, the message loop, screen density, fonts and
// bitmaps as GDI objects.
//
// The platform headers come first: they name some things as <windows.h> does (COLOR_WINDOW,
// ANSI_CHARSET, GetRValue) and must be read before its macros exist. Two Win32 functions share
// a name with the platform's own (GetSysColor, GetTickCount) and are declared under other names
// here, so both headers fit in one source; the native colour is win32::NativeSysColor.
#include "platform/accessible.h"
#include "platform/application.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/colors.h"
#include "platform/control.h"
#include "platform/cursors.h"
#include "platform/font.h"
#include "platform/timing.h"
#include "platform/types.h"

#include <functional>
#include <string>
#include <string_view>

#define GetSysColor Win32NativeGetSysColor
#define GetTickCount Win32NativeGetTickCount
#include <windows.h>
#undef GetSysColor
#undef GetTickCount
// Member names of the platform's classes that <windows.h> would turn into other names.
#undef TextOut
#undef PostMessage
#undef DrawText

namespace win32 {

// ---- strings and colours ----
// wchar_t is UTF-16 on Windows, so both directions copy.
inline std::wstring Wide(std::u16string_view s) {
    return std::wstring(reinterpret_cast<const wchar_t*>(s.data()), s.size());
}
inline std::u16string FromWide(const wchar_t* s, std::size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(s), length);
}
inline std::u16string FromWide(const wchar_t* s) {
    return s ? FromWide(s, wcslen(s)) : std::u16string();
}
// The system's own colour of index (COLOR_WINDOW, ...).
TColor NativeSysColor(int index);
// A system colour is resolved first.
inline COLORREF ToColorRef(TColor c) {
    const TColor rgb = ColorToRGB(c);
    return RGB(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

// ---- the application ----
// The window classes below are registered by EnsureApplication, on the user-interface thread.
constexpr const wchar_t* ControlClassName = L"MkbControl";
// A hidden top-level window of this thread, the owner of menus shown without a window.
HWND ParkingWindow();
// The class of the hidden window each control starts in (see AdoptControl).
constexpr const wchar_t* FrameClassName = L"MkbParking";
// A message-only window for posts from other threads.
HWND MessageWindow();
// Registers a window class of this module; false where the system refused it.
bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure, UINT style = 0,
                         HCURSOR cursor = nullptr);
// The title of message boxes (the program's display name); "МКБ-10" until set.
void SetApplicationTitle(std::u16string title);
const std::u16string& ApplicationTitle();

// The message loop. A filter sees every message before it is translated and dispatched and
// returns true for one it has handled itself (accelerators, dialog navigation); one at a time.
using TMessageFilter = std::function<bool(MSG& message)>;
TMessageFilter SetMessageFilter(TMessageFilter filter);
// Filters, translates and dispatches one message.
void DispatchOne(MSG& message);
// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();

// ---- controls ----
// The modifiers held now, as the keyboard reports them to this thread.
TShiftState KeyboardShift();
// The window of a control's host; nullptr once its window is gone.
HWND ControlWindow(const TControl& control);
// The control whose host window this is, nullptr for any other window.
TControl* ControlFromWindow(HWND window);
// Makes the control's window a child of parent (a form's window), at its current bounds and in
// the parent's screen density. Until then a control lives in a hidden window of its own, which
// Show and SetBounds treat as a top-level window (client at 0, 0; bounds on the screen).
void AdoptControl(TControl& control, HWND parent);

// The pointer shape of a control's cursor (shared, never destroyed).
HCURSOR CursorHandle(TCursor cursor);

// ---- screen density ----
// Makes the process aware of each monitor's density (once, before the first window), so that
// Windows does not stretch its windows; without it every window reports 96 dots per inch.
void EnablePerMonitorDpi();
// The window's dots per inch: its monitor's in a per-monitor aware process, else what Windows
// tells an unaware one (96: it stretches the window itself).
UINT WindowDpi(HWND window);
inline double RatioOfDpi(UINT dpi) {
    return dpi == 0 ? 1.0 : dpi / 96.0;
}
inline double WindowPixelRatio(HWND window) {
    return RatioOfDpi(WindowDpi(window));
}
// Logical pixels (96 per inch) to device pixels and back.
int ToDevice(int logical, double ratio);
int ToLogical(int device, double ratio);
// A system metric (SM_CXVSCROLL, ...) at the window's density.
int SystemMetric(int index, UINT dpi);

// ---- fonts and bitmaps ----
// The GDI font of a platform font, at 96 dots per inch; owned by the font.
HFONT FontHandle(const TPlatformFont& font);
// The bitmap's DIB section and a memory DC with it selected; owned by the bitmap (nullptr for
// an empty bitmap). Call GdiFlush before touching the pixels after drawing through the DC.
HBITMAP BitmapHandle(const TBitmap& bitmap);
HDC BitmapDC(const TBitmap& bitmap);

} // namespace win32
