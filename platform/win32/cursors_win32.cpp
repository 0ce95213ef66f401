// Pointer shapes: the system's own, and the panning shapes drawn here, as cursors and as the
// small window that marks where panning started.
#include "platform/shared_parts.h"
#include "platform/win32/win32.h"

#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr int Size = TPanningWindow::Size;
constexpr std::uint32_t Key = 0xFF00FF; // magenta, the transparent key

struct TVec {
    double X, Y;
};

double Cross(TVec o, TVec a, TVec b) {
    return (a.X - o.X) * (b.Y - o.Y) - (a.Y - o.Y) * (b.X - o.X);
}

bool InTriangle(TVec p, TVec a, TVec b, TVec c) {
    const double d1 = Cross(a, b, p), d2 = Cross(b, c, p), d3 = Cross(c, a, p);
    const bool negative = d1 < 0 || d2 < 0 || d3<0, positive = d1> 0 || d2 > 0 || d3 > 0;
    return !(negative && positive);
}

// The panning picture: a ring around the centre and an arrow for every direction, on the
// magenta key colour; 0x00RRGGBB pixels, rows top to bottom.
std::array<std::uint32_t, Size * Size> PanningPicture(TCursor kind) {
    std::array<std::uint32_t, Size * Size> picture;
    picture.fill(Key);
    const TVec c{15.5, 15.5};
    std::vector<std::array<TVec, 3>> arrows;
    for (int angle : PanningArrowAngles(kind)) {
        const double a = angle * 3.14159265358979 / 180.0;
        const TVec dir{std::cos(a), -std::sin(a)};
        const TVec side{-dir.Y, dir.X};
        const TVec tip{c.X + dir.X * 14, c.Y + dir.Y * 14};
        const TVec base{c.X + dir.X * 7, c.Y + dir.Y * 7};
        arrows.push_back({tip, TVec{base.X + side.X * 5, base.Y + side.Y * 5},
                          TVec{base.X - side.X * 5, base.Y - side.Y * 5}});
    }
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const TVec p{x + 0.5, y + 0.5};
            const double d = std::hypot(p.X - c.X, p.Y - c.Y);
            std::uint32_t& out = picture[static_cast<std::size_t>(y * Size + x)];
            if (d <= 3.0)
                out = 0xFFFFFF;
            else if (d <= 4.2)
                out = 0x000000;
            for (const auto& t : arrows)
                if (InTriangle(p, t[0], t[1], t[2]))
                    out = 0x000000;
        }
    return picture;
}

HCURSOR MakePanningCursor(TCursor kind) {
    const auto picture = PanningPicture(kind);
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof(header);
    header.bV5Width = Size;
    header.bV5Height = -Size;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC dc = GetDC(nullptr);
    HBITMAP color = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                     &bits, nullptr, 0);
    ReleaseDC(nullptr, dc);
    if (color == nullptr)
        return LoadCursorW(nullptr, IDC_SIZEALL);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    // The mask: one bit a pixel, set where the picture is transparent; rows of 32 bits.
    std::array<BYTE, Size * Size / 8> mask{};
    for (int i = 0; i < Size * Size; ++i) {
        const bool transparent = picture[static_cast<std::size_t>(i)] == Key;
        pixels[i] = transparent ? 0 : (0xFF000000u | picture[static_cast<std::size_t>(i)]);
        if (transparent)
            mask[static_cast<std::size_t>(i / 8)] |= static_cast<BYTE>(0x80 >> (i % 8));
    }
    HBITMAP monochrome = CreateBitmap(Size, Size, 1, 1, mask.data());
    ICONINFO info{FALSE, Size / 2, Size / 2, monochrome, color};
    HCURSOR cursor = CreateIconIndirect(&info);
    DeleteObject(monochrome);
    DeleteObject(color);
    return cursor != nullptr ? cursor : LoadCursorW(nullptr, IDC_SIZEALL);
}

constexpr const wchar_t* PanningClassName = L"MkbPanning";

LRESULT CALLBACK PanningWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        const auto kind = static_cast<TCursor>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        const auto picture = PanningPicture(kind);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = Size;
        info.bmiHeader.biHeight = -Size;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(dc, 0, 0, Size, Size, 0, 0, 0, Size, picture.data(), &info,
                          DIB_RGB_COLORS);
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (message == WM_NCHITTEST)
        return HTTRANSPARENT;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

HCURSOR win32::CursorHandle(TCursor cursor) {
    switch (cursor) {
    case crDefault:
    case crArrow:
        return LoadCursorW(nullptr, IDC_ARROW);
    case crIBeam:
        return LoadCursorW(nullptr, IDC_IBEAM);
    case crHandPoint:
        return LoadCursorW(nullptr, IDC_HAND);
    default:
        break;
    }
    static std::array<HCURSOR, 16> made{};
    const auto index = static_cast<std::size_t>(cursor);
    if (index >= made.size())
        return LoadCursorW(nullptr, IDC_ARROW);
    if (made[index] == nullptr)
        made[index] = MakePanningCursor(cursor);
    return made[index];
}

TPoint CursorPos() {
    POINT p{};
    GetCursorPos(&p);
    return {p.x, p.y};
}

struct TPanningWindow::TWindow {
    HWND Hwnd{nullptr};
};

TPanningWindow::TPanningWindow(TCursor kind) : FKind(kind), Window(std::make_unique<TWindow>()) {
    EnsureApplication();
    static const bool registered = win32::RegisterWindowClass(PanningClassName, PanningWindowProc);
    (void)registered;
    // Shaped to the picture's opaque pixels, never activated, and transparent for the pointer.
    Window->Hwnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE |
                                       WS_EX_TOPMOST | WS_EX_TRANSPARENT,
                                   PanningClassName, L"", WS_POPUP, 0, 0, Size, Size, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
    if (Window->Hwnd != nullptr) {
        SetWindowLongPtrW(Window->Hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(kind));
        SetLayeredWindowAttributes(Window->Hwnd, RGB(255, 0, 255), 0, LWA_COLORKEY);
    }
}

TPanningWindow::~TPanningWindow() {
    if (Window->Hwnd != nullptr)
        DestroyWindow(Window->Hwnd);
}

void TPanningWindow::ShowAt(TPoint screenTopLeft) {
    if (Window->Hwnd != nullptr)
        SetWindowPos(Window->Hwnd, HWND_TOPMOST, screenTopLeft.X, screenTopLeft.Y, Size, Size,
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

bool TPanningWindow::Visible() const {
    return Window->Hwnd != nullptr && IsWindowVisible(Window->Hwnd);
}

TPoint TPanningWindow::ScreenPos() const {
    RECT r{};
    if (Window->Hwnd != nullptr)
        GetWindowRect(Window->Hwnd, &r);
    return {r.left, r.top};
}
