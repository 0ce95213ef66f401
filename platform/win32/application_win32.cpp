// The application on Win32: window classes, the message loop, the desktop's settings, screen
// density, and the hidden windows that parent controls and receive posts from other threads.
#include "platform/thread.h"
#include "platform/win32/win32.h"

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <unordered_map>

namespace win32 {
LRESULT CALLBACK ControlWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
}

namespace {

constexpr const wchar_t* MessageClassName = L"MkbMessages";

std::atomic<HWND> gMessageWindow{nullptr};
HWND gParkingWindow = nullptr;

// ---- posts from other threads (TSyncMailbox) ----

UINT MailboxMessage() {
    static const UINT message = RegisterWindowMessageW(L"MkbMailboxWake");
    return message;
}

// The mailboxes alive, by serial: a wake still queued for one that has gone finds nothing.
std::mutex gMailboxGuard;
std::unordered_map<std::uint64_t, TSyncMailbox*> gMailboxes;
std::uint64_t gNextMailbox = 1;

LRESULT CALLBACK MessageWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == MailboxMessage()) {
        TSyncMailbox* mailbox = nullptr;
        {
            std::lock_guard<std::mutex> lock(gMailboxGuard);
            const auto it = gMailboxes.find(static_cast<std::uint64_t>(wParam));
            if (it != gMailboxes.end())
                mailbox = it->second;
        }
        // Mailboxes are made and destroyed on this thread, so it cannot go while it runs.
        if (mailbox != nullptr)
            mailbox->Dispatch();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The window a control starts in closes only with its control.
LRESULT CALLBACK FrameWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE)
        return 0;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

win32::TMessageFilter& Filter() {
    static win32::TMessageFilter filter;
    return filter;
}

template <class F> F LoadFunction(const wchar_t* module, const char* name) {
    HMODULE handle = GetModuleHandleW(module);
    if (handle == nullptr)
        handle = LoadLibraryW(module);
    return handle != nullptr
               ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(handle, name)))
               : nullptr;
}

UINT SystemDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc != nullptr)
        ReleaseDC(nullptr, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

} // namespace

struct TSyncMailbox::TBridge {
    std::uint64_t Serial;
};

TSyncMailbox::TSyncMailbox(THandler handler) : Handler(std::move(handler)) {
    std::lock_guard<std::mutex> lock(gMailboxGuard);
    Bridge = std::make_unique<TBridge>(TBridge{gNextMailbox++});
    gMailboxes[Bridge->Serial] = this;
}

TSyncMailbox::~TSyncMailbox() {
    std::lock_guard<std::mutex> lock(gMailboxGuard);
    gMailboxes.erase(Bridge->Serial);
}

void TSyncMailbox::Wake() {
    // Without a message window (no application) the message is handled by an explicit Dispatch.
    if (HWND window = gMessageWindow.load())
        PostMessageW(window, MailboxMessage(), static_cast<WPARAM>(Bridge->Serial), 0);
}

// ---- application -------------------------------------------------------------------------------

bool win32::RegisterWindowClass(const wchar_t* name, WNDPROC procedure, UINT style,
                                HCURSOR cursor) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = cursor;
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

void EnsureApplication() {
    static const bool done = [] {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        INITCOMMONCONTROLSEX icc{};
        icc.dwSize = sizeof(icc);
        icc.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
        InitCommonControlsEx(&icc);
        // Drag and drop and the accessibility objects need OLE on this thread.
        OleInitialize(nullptr);

        win32::RegisterWindowClass(win32::ControlClassName, win32::ControlWindowProc, CS_DBLCLKS,
                                   LoadCursorW(nullptr, IDC_ARROW));
        win32::RegisterWindowClass(win32::FrameClassName, FrameWindowProc);
        win32::RegisterWindowClass(MessageClassName, MessageWindowProc);

        gParkingWindow = CreateWindowExW(WS_EX_TOOLWINDOW, win32::FrameClassName, L"", WS_POPUP, 0,
                                         0, 0, 0, nullptr, nullptr, instance, nullptr);
        gMessageWindow = CreateWindowExW(0, MessageClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                         nullptr, instance, nullptr);
        return true;
    }();
    (void)done;
}

HWND win32::ParkingWindow() {
    EnsureApplication();
    return gParkingWindow;
}

HWND win32::MessageWindow() {
    EnsureApplication();
    return gMessageWindow.load();
}

namespace {
std::u16string& Title() {
    static std::u16string title = u"МКБ-10";
    return title;
}
} // namespace

void win32::SetApplicationTitle(std::u16string title) {
    Title() = std::move(title);
}

const std::u16string& win32::ApplicationTitle() {
    return Title();
}

// ---- message loop ------------------------------------------------------------------------------

win32::TMessageFilter win32::SetMessageFilter(TMessageFilter filter) {
    TMessageFilter previous = std::move(Filter());
    Filter() = std::move(filter);
    return previous;
}

void win32::DispatchOne(MSG& message) {
    if (const TMessageFilter& filter = Filter(); filter && filter(message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int win32::RunMessageLoop() {
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(message.wParam);
        if (got == -1)
            return -1;
        DispatchOne(message);
    }
}

void ProcessMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Left for the loop that runs the program.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        win32::DispatchOne(message);
    }
}

void WaitAndProcessMessages(unsigned milliseconds) {
    MSG message;
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE))
        MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    ProcessMessages();
}

// ---- settings
// ------------------------------------------------------------------------------------

int WheelScrollLines() {
    UINT lines = 3;
    if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0))
        return 3;
    return lines == WHEEL_PAGESCROLL ? -1 : static_cast<int>(lines);
}

int DragThreshold() {
    const int d = GetSystemMetrics(SM_CXDRAG);
    return d > 0 ? d : 4;
}

int HorizontalScrollBarHeight() {
    return win32::SystemMetric(SM_CYHSCROLL, 96);
}

int VerticalScrollBarWidth() {
    return win32::SystemMetric(SM_CXVSCROLL, 96);
}

namespace {
BOOL CALLBACK HighestMonitorDpi(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    using TGetDpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto getDpi = LoadFunction<TGetDpiForMonitor>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (getDpi != nullptr && SUCCEEDED(getDpi(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y))) {
        UINT& highest = *reinterpret_cast<UINT*>(data);
        highest = std::max(highest, x);
    }
    return TRUE;
}
} // namespace

double ScreenPixelRatio() {
    UINT highest = 0;
    EnumDisplayMonitors(nullptr, nullptr, HighestMonitorDpi, reinterpret_cast<LPARAM>(&highest));
    return win32::RatioOfDpi(highest != 0 ? highest : SystemDpi());
}

TRect ScreenWorkArea() {
    RECT area{0, 0, 1024, 768};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const double ratio = win32::RatioOfDpi(SystemDpi());
    return {win32::ToLogical(area.left, ratio), win32::ToLogical(area.top, ratio),
            win32::ToLogical(area.right, ratio), win32::ToLogical(area.bottom, ratio)};
}

// ---- screen density
// ------------------------------------------------------------------------------

void win32::EnablePerMonitorDpi() {
    using TSetContext = BOOL(WINAPI*)(HANDLE);
    if (auto set = LoadFunction<TSetContext>(L"user32.dll", "SetProcessDpiAwarenessContext")) {
        // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
        if (set(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4))))
            return;
    }
    using TSetAware = BOOL(WINAPI*)();
    if (auto aware = LoadFunction<TSetAware>(L"user32.dll", "SetProcessDPIAware"))
        aware();
}

UINT win32::WindowDpi(HWND window) {
    using TGetDpi = UINT(WINAPI*)(HWND);
    static const auto getDpi = LoadFunction<TGetDpi>(L"user32.dll", "GetDpiForWindow");
    if (getDpi != nullptr && window != nullptr) {
        const UINT dpi = getDpi(window);
        if (dpi != 0)
            return dpi;
    }
    return SystemDpi();
}

int win32::ToDevice(int logical, double ratio) {
    return ratio == 1 ? logical : static_cast<int>(std::lround(logical * ratio));
}

int win32::ToLogical(int device, double ratio) {
    return ratio == 1 ? device : static_cast<int>(std::floor(device / ratio + 1e-9));
}

int win32::SystemMetric(int index, UINT dpi) {
    using TForDpi = int(WINAPI*)(int, UINT);
    static const auto forDpi = LoadFunction<TForDpi>(L"user32.dll", "GetSystemMetricsForDpi");
    if (forDpi != nullptr)
        return forDpi(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

// The system's GetSysColor under a name of its own: colors.h has the platform's.
extern "C" DWORD WINAPI Win32ImportedSysColor(int index) __asm__("GetSysColor");

TColor win32::NativeSysColor(int index) {
    const DWORD c = Win32ImportedSysColor(index);
    return RGBColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
