// The system's message boxes, font dialog and file dialogs.
#include "platform/backend.h"
#include "platform/win32/win32.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

HWND DialogOwner() {
    HWND active = GetActiveWindow();
    return active != nullptr ? active : nullptr;
}

int SystemDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc != nullptr)
        ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

// The window is Russian whatever the system's language: a message box's buttons are renamed as
// it is activated, before it is drawn.
LRESULT CALLBACK RussianButtons(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        SetDlgItemTextW(box, IDOK, L"ОК");
        SetDlgItemTextW(box, IDCANCEL, L"Отмена");
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

int RussianMessageBox(HWND owner, const std::wstring& body, const std::wstring& title, UINT type) {
    HHOOK hook = SetWindowsHookExW(WH_CBT, RussianButtons, nullptr, GetCurrentThreadId());
    const int answer = MessageBoxW(owner, body.c_str(), title.c_str(), type);
    if (hook != nullptr)
        UnhookWindowsHookEx(hook);
    return answer;
}

} // namespace

TModalResult backend::ShowMessageBox(TMessageBoxKind kind, const std::u16string& text) {
    const std::wstring body = win32::Wide(text);
    const std::wstring title = win32::Wide(win32::ApplicationTitle());
    if (kind == TMessageBoxKind::mbError) {
        RussianMessageBox(DialogOwner(), body, title, MB_OK | MB_ICONERROR);
        return TModalResult::mrOK;
    }
    // OK is the default button; Esc answers Cancel.
    const int answer = RussianMessageBox(DialogOwner(), body, title,
                                         MB_OKCANCEL | MB_ICONINFORMATION | MB_DEFBUTTON1);
    return answer == IDOK ? TModalResult::mrOK : TModalResult::mrCancel;
}

bool backend::ShowFontDialog(TFontDialogFont& font) {
    // The dialog counts in the screen DC's units; the font's height is in logical pixels.
    const int dpi = SystemDpi();
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(font.Height > 0 ? font.Height : 11, dpi, 96);
    lf.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font.Italic;
    lf.lfUnderline = font.Underline;
    lf.lfStrikeOut = font.StrikeOut;
    // The faces that write Russian come first in the script list.
    lf.lfCharSet = RUSSIAN_CHARSET;
    // The dialog lists installed faces only: a named face missing here is seeded as its stand-in.
    std::u16string face = ResolveFace(font.Name);
    if (face.empty())
        face = font.Name;
    const std::size_t n = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
    std::copy_n(face.data(), n, reinterpret_cast<char16_t*>(lf.lfFaceName));
    CHOOSEFONTW cf{};
    cf.lStructSize = sizeof(cf);
    cf.hwndOwner = DialogOwner();
    cf.lpLogFont = &lf;
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS | CF_FORCEFONTEXIST;
    cf.rgbColors = win32::ToColorRef(font.Color);
    if (!ChooseFontW(&cf))
        return false;
    font.Name = win32::FromWide(lf.lfFaceName);
    font.Height = std::max(1, MulDiv(std::abs(lf.lfHeight), 96, dpi));
    font.Bold = lf.lfWeight >= FW_SEMIBOLD;
    font.Italic = lf.lfItalic != 0;
    font.Underline = lf.lfUnderline != 0;
    font.StrikeOut = lf.lfStrikeOut != 0;
    return true;
}

std::u16string backend::ShowFileDialog(bool save, const std::u16string& title,
                                       const std::vector<TFileFilter>& filters,
                                       const std::u16string& fileName) {
    // "Name (patterns)", NUL, "patterns", NUL, ..., and one NUL more.
    std::wstring filter;
    for (const TFileFilter& f : filters) {
        filter += win32::Wide(f.Name + u" (" + f.Patterns + u")");
        filter += L'\0';
        filter += win32::Wide(f.Patterns);
        filter += L'\0';
    }
    filter += L'\0';
    std::wstring extension;
    if (!filters.empty()) {
        const std::u16string& first = filters.front().Patterns;
        if (first.starts_with(u"*.")) {
            const std::u16string ext = first.substr(2, first.find(u';') - 2);
            if (ext.find_first_of(u"*?") == std::u16string::npos)
                extension = win32::Wide(ext);
        }
    }
    // Room for the longest paths the system allows.
    std::wstring path(32768, L'\0');
    const std::wstring seed = win32::Wide(fileName);
    std::copy_n(seed.begin(), std::min(seed.size(), path.size() - 1), path.begin());
    const std::wstring caption = win32::Wide(title);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    HWND owner = DialogOwner();
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = static_cast<DWORD>(path.size());
    ofn.lpstrTitle = caption.c_str();
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER |
                (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    // The window that asked gets the keys back, not whichever window the system picks.
    if (owner != nullptr && IsWindow(owner)) {
        // The dialog's closing may hand the activation to another window of the program a moment
        // later (an X window manager under Wine does): let that pass, then take it back.
        // The messages go through the forms' filter, and a quit is left for the program's loop.
        const std::uint32_t until = GetTickCount() + 100;
        MSG msg;
        while (GetTickCount() < until) {
            if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                Sleep(5);
                continue;
            }
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            win32::DispatchOne(msg);
        }
        SetForegroundWindow(owner);
        SetActiveWindow(owner);
    }
    if (!chosen)
        return {};
    return win32::FromWide(path.c_str(), wcslen(path.c_str()));
}
