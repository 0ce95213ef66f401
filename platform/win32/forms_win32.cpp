// The window-level pieces on the Win32 API: own child windows for panels, labels, bevels and
// pictures, the system's edit box, button and status bar, a menu bar with accelerators.
//
// Every size a piece is given is logical (96 per inch); the windows take it times their form's
// density, and a form moved to a screen of another density places and sizes its pieces again.
#include "platform/backend.h"
#include "platform/forms.h"
#include "platform/resources.h"
#include "platform/win32/win32.h"
#include "text/utf.h"

#include <commctrl.h>
#include <oleacc.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <map>
#include <stdexcept>

using namespace mkb::text;

namespace {

enum class TKind {
    Panel,
    Label,
    Bevel,
    Image,
    Sunken,
    Edit,
    Memo,
    Combo,
    Button,
    Splitter,
    Status,
    Form,
    Control
};

constexpr const wchar_t* PieceClassName = L"MkbPiece";
constexpr const wchar_t* FormClassName = L"MkbForm";
constexpr const wchar_t* PieceProperty = L"MkbPiece";
// Posted to a form when the keyboard focus has left it for another window.
constexpr UINT FocusLeftMessage = WM_APP + 1;

} // namespace

struct TWidgetImpl {
    HWND Hwnd{nullptr};
    TKind Kind{TKind::Panel};
    bool Owns{true};
    TWidget* Piece{nullptr};
    TWidgetImpl* ParentImpl{nullptr};
    std::vector<TWidgetImpl*> Kids;
    TRect Logical;
    TFontSpec FontSpec;
    bool OwnFont{false}; // set on this piece, not taken from its parent
    HFONT Font{nullptr};
    // Labels.
    std::u16string Text;
    THorzAlign Align{haLeft};
    bool VCentre{true};
    bool Wrap{false};
    int MarginLeft{0}, MarginRight{0};
    bool Hand{false};
    bool Pressed{false};
    // Text areas: the text is being set by the program, which tells the change itself.
    bool Quiet{false};
    // Panels.
    bool BorderLine{false};
    // Pictures.
    const TBitmap* Picture{nullptr};
    // Splitters: the second pane's width and the bar's, logical.
    TPanel* First{nullptr};
    TPanel* Second{nullptr};
    int SecondWidth{320};
    int BarWidth{3};
    int MinWidth{0};
    bool Dragging{false};
    // Forms.
    TForm* FormPiece{nullptr};
    TFormStyle Style{fsMain};
    HWND StatusHwnd{nullptr};
    HACCEL Accelerators{nullptr};
    bool MaximizeOnShow{false};
    HWND LastFocus{nullptr}; // the piece that gets the focus back when the form is activated

    ~TWidgetImpl() {
        if (Accelerators != nullptr)
            DestroyAcceleratorTable(Accelerators);
        if (Owns && Hwnd != nullptr && IsWindow(Hwnd))
            DestroyWindow(Hwnd);
        if (Font != nullptr)
            DeleteObject(Font);
    }
};

namespace {

// ---- registry ----

std::map<HWND, TForm*>& Forms() {
    static std::map<HWND, TForm*> forms;
    return forms;
}

struct TMenuEntry {
    TMenuCommand* Command;
    HWND Form;
};
std::map<UINT, TMenuEntry>& MenuCommands() {
    static std::map<UINT, TMenuEntry> commands;
    return commands;
}
UINT gNextCommand = 1000;

TWidgetImpl* ImplOf(HWND hwnd) {
    return hwnd != nullptr ? static_cast<TWidgetImpl*>(GetPropW(hwnd, PieceProperty)) : nullptr;
}

TForm* FormOfWindow(HWND hwnd) {
    HWND root = hwnd != nullptr ? GetAncestor(hwnd, GA_ROOT) : nullptr;
    const auto it = Forms().find(root);
    return it != Forms().end() ? it->second : nullptr;
}

// Runs an event handler; what escapes it is shown, never thrown through the system's code.
template <typename F> void Guarded(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        ShowApplicationError(e.what());
    } catch (...) {
        ShowApplicationError("Unknown error");
    }
}

double RatioOf(const TWidgetImpl& impl) {
    HWND root = impl.Hwnd != nullptr ? GetAncestor(impl.Hwnd, GA_ROOT) : nullptr;
    return root != nullptr ? win32::WindowPixelRatio(root) : ScreenPixelRatio();
}

int Dev(int logical, double ratio) {
    return win32::ToDevice(logical, ratio);
}
int Log(int device, double ratio) {
    return win32::ToLogical(device, ratio);
}

TColor EffectiveColor(const TWidget* piece) {
    for (; piece != nullptr; piece = piece->Parent())
        if (piece->Color() != clNone)
            return piece->Color();
    return clBtnFace;
}

void ApplyFont(TWidgetImpl& impl) {
    if (impl.Font != nullptr)
        DeleteObject(impl.Font);
    const double ratio = RatioOf(impl);
    LOGFONTW lf{};
    lf.lfHeight = -Dev(std::max(1, std::abs(impl.FontSpec.Height)), ratio);
    lf.lfWeight = impl.FontSpec.Weight;
    lf.lfUnderline = impl.FontSpec.Underline;
    lf.lfItalic = impl.FontSpec.Italic;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    const std::wstring face = win32::Wide(impl.FontSpec.Name);
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    impl.Font = CreateFontIndirectW(&lf);
    if (impl.Hwnd != nullptr) {
        SendMessageW(impl.Hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(impl.Font), TRUE);
        InvalidateRect(impl.Hwnd, nullptr, TRUE);
    }
}

// Gives the pieces that took their font from this one the new font too.
void InheritFont(TWidgetImpl& impl) {
    for (TWidgetImpl* kid : impl.Kids)
        if (!kid->OwnFont) {
            kid->FontSpec = impl.FontSpec;
            ApplyFont(*kid);
            InheritFont(*kid);
        }
}

void PlaceWindow(TWidgetImpl& impl) {
    if (impl.Kind == TKind::Form || impl.Hwnd == nullptr)
        return;
    const double ratio = RatioOf(impl);
    const TRect& r = impl.Logical;
    // A drop-down list's window is as tall as its list when dropped: room for a dozen items.
    const int dropped = impl.Kind == TKind::Combo ? 12 * 18 : 0;
    SetWindowPos(impl.Hwnd, nullptr, Dev(r.Left, ratio), Dev(r.Top, ratio), Dev(r.Width(), ratio),
                 Dev(r.Height() + dropped, ratio), SWP_NOZORDER | SWP_NOACTIVATE);
}

// The form moved to a screen of another density: every piece is sized and drawn again.
void Rescale(TWidgetImpl& impl) {
    ApplyFont(impl);
    PlaceWindow(impl);
    for (TWidgetImpl* kid : impl.Kids)
        Rescale(*kid);
}

HWND ClientHwnd(TWidget* parent) {
    return parent != nullptr ? parent->Impl().Hwnd : win32::ParkingWindow();
}

std::unique_ptr<TWidgetImpl> MakeWindow(TKind kind, TWidget* parent, const wchar_t* className,
                                        const std::u16string& text, DWORD style,
                                        DWORD exStyle = 0) {
    EnsureApplication();
    auto impl = std::make_unique<TWidgetImpl>();
    impl->Kind = kind;
    impl->Hwnd = CreateWindowExW(exStyle, className, win32::Wide(text).c_str(),
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 0, 0,
                                 ClientHwnd(parent), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (impl->Hwnd != nullptr)
        SetPropW(impl->Hwnd, PieceProperty, impl.get());
    if (parent != nullptr) {
        impl->FontSpec = parent->Impl().FontSpec;
        ApplyFont(*impl);
    }
    return impl;
}

// ---- painting of the own pieces ----

void PaintPiece(TWidgetImpl& impl, HDC dc) {
    RECT rc;
    GetClientRect(impl.Hwnd, &rc);
    const double ratio = RatioOf(impl);
    const int px = std::max(1, static_cast<int>(std::lround(ratio)));
    TWidget* piece = impl.Piece;
    HBRUSH ground = CreateSolidBrush(win32::ToColorRef(EffectiveColor(piece)));
    FillRect(dc, &rc, ground);
    DeleteObject(ground);
    switch (impl.Kind) {
    case TKind::Label: {
        RECT text = rc;
        text.left += Dev(impl.MarginLeft, ratio);
        text.right -= Dev(impl.MarginRight, ratio);
        HGDIOBJ old = SelectObject(dc, impl.Font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, win32::ToColorRef(piece->TextColor()));
        UINT format = DT_NOPREFIX;
        format |= impl.Align == haLeft ? DT_LEFT : impl.Align == haCenter ? DT_CENTER : DT_RIGHT;
        const std::wstring wide = win32::Wide(impl.Text);
        if (impl.Wrap) {
            RECT need = text;
            DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &need,
                      format | DT_WORDBREAK | DT_CALCRECT);
            if (impl.VCentre)
                text.top += std::max(0L, ((text.bottom - text.top) - (need.bottom - need.top)) / 2);
            DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &text,
                      format | DT_WORDBREAK);
        } else {
            format |= DT_SINGLELINE | (impl.VCentre ? DT_VCENTER : DT_TOP);
            DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &text, format);
        }
        SelectObject(dc, old);
        break;
    }
    case TKind::Bevel: {
        RECT line{0, 0, rc.right, px};
        FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
        line = {0, px, rc.right, 2 * px};
        FillRect(dc, &line, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
        break;
    }
    case TKind::Image:
        if (impl.Picture != nullptr && !impl.Picture->Empty()) {
            const TBitmap& p = *impl.Picture;
            SetStretchBltMode(dc, HALFTONE);
            StretchBlt(dc, 0, 0, Dev(p.Width(), ratio), Dev(p.Height(), ratio), win32::BitmapDC(p),
                       0, 0, p.DeviceWidth(), p.DeviceHeight(), SRCCOPY);
        }
        break;
    case TKind::Sunken:
        DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT);
        break;
    case TKind::Panel:
        if (impl.BorderLine) {
            HBRUSH line = CreateSolidBrush(win32::ToColorRef(piece->TextColor()));
            for (int i = 0; i < px; ++i) {
                RECT frame{rc.left + i, rc.top + i, rc.right - i, rc.bottom - i};
                FrameRect(dc, &frame, line);
            }
            DeleteObject(line);
        }
        break;
    default:
        break;
    }
}

void LayoutSplitter(TWidgetImpl& impl) {
    if (impl.First == nullptr || impl.Second == nullptr)
        return;
    RECT rc;
    GetClientRect(impl.Hwnd, &rc);
    const double ratio = RatioOf(impl);
    const int total = Log(rc.right, ratio), height = Log(rc.bottom, ratio);
    const int firstMin = impl.First->Impl().MinWidth, secondMin = impl.Second->Impl().MinWidth;
    // The first pane takes what the window gains or loses, down to its minimum; then the second.
    int second = std::max(secondMin, impl.SecondWidth);
    int first = total - impl.BarWidth - second;
    if (first < firstMin) {
        first = firstMin;
        second = std::max(secondMin, total - impl.BarWidth - first);
    }
    impl.First->SetBounds(0, 0, std::max(0, first), height);
    impl.Second->SetBounds(first + impl.BarWidth, 0, std::max(0, second), height);
}

void Realigned(TWidgetImpl& impl) {
    if (impl.Kind == TKind::Splitter)
        LayoutSplitter(impl);
    else if (auto* panel = dynamic_cast<TPanel*>(impl.Piece))
        panel->Realign();
}

// ---- the window procedure of the own pieces and forms ----

LRESULT CommandFromChild(HWND child, WORD code) {
    TWidgetImpl* impl = ImplOf(child);
    if (impl == nullptr)
        return 0;
    if (impl->Kind == TKind::Button && code == BN_CLICKED) {
        auto* button = static_cast<TButton*>(impl->Piece);
        if (button->OnClick)
            Guarded([&] { button->OnClick(); });
    } else if (impl->Kind == TKind::Edit && code == EN_CHANGE) {
        auto* edit = static_cast<TEdit*>(impl->Piece);
        if (edit->OnChange)
            Guarded([&] { edit->OnChange(); });
    } else if (impl->Kind == TKind::Memo && code == EN_CHANGE) {
        // The hint goes, or comes back, whole: the box repaints only where its text changed.
        if (!impl->Text.empty())
            InvalidateRect(child, nullptr, TRUE);
        auto* memo = static_cast<TMemo*>(impl->Piece);
        if (!impl->Quiet && memo->OnChange)
            Guarded([&] { memo->OnChange(); });
    } else if (impl->Kind == TKind::Combo && code == CBN_SELCHANGE) {
        auto* box = static_cast<TComboBox*>(impl->Piece);
        if (box->OnChange)
            Guarded([&] { box->OnChange(); });
    }
    return 0;
}

LRESULT CALLBACK PieceProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    TWidgetImpl* impl = ImplOf(hwnd);
    if (impl == nullptr || impl->Piece == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        PaintPiece(*impl, dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_SIZE:
        if (impl->Kind == TKind::Form && impl->StatusHwnd != nullptr)
            SendMessageW(impl->StatusHwnd, WM_SIZE, 0, 0);
        Guarded([&] { Realigned(*impl); });
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_COMMAND:
        if (lParam != 0)
            return CommandFromChild(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        if (const auto it = MenuCommands().find(LOWORD(wParam)); it != MenuCommands().end())
            Guarded([&] { it->second.Command->Click(); });
        return 0;
    case WM_CTLCOLOREDIT: {
        TWidgetImpl* edit = ImplOf(reinterpret_cast<HWND>(lParam));
        HDC dc = reinterpret_cast<HDC>(wParam);
        if (edit != nullptr && edit->Piece != nullptr)
            SetTextColor(dc, win32::ToColorRef(edit->Piece->TextColor()));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    case WM_SETCURSOR:
        if (impl->Hand && LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        if (impl->Kind == TKind::Splitter && LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
        if (impl->Kind == TKind::Label || impl->Kind == TKind::Splitter) {
            impl->Pressed = impl->Dragging = true;
            SetCapture(hwnd);
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        if (impl->Kind == TKind::Splitter && impl->Dragging) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            const double ratio = RatioOf(*impl);
            const int x = Log(GET_X_LPARAM(lParam), ratio);
            impl->SecondWidth = Log(rc.right, ratio) - x - impl->BarWidth / 2 - impl->BarWidth;
            LayoutSplitter(*impl);
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (impl->Pressed) {
            impl->Pressed = impl->Dragging = false;
            ReleaseCapture();
            RECT rc;
            GetClientRect(hwnd, &rc);
            const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (impl->Kind == TKind::Label && PtInRect(&rc, p)) {
                auto* label = static_cast<TLabel*>(impl->Piece);
                if (label->OnClick)
                    Guarded([&] { label->OnClick(); });
            }
            return 0;
        }
        break;
    case WM_ACTIVATE:
    case WM_SETFOCUS:
        // A form's own window takes no keys: the piece that had the focus gets it back, or, in a
        // window that had none yet, the first piece Tab reaches.
        if (impl->Kind == TKind::Form &&
            (message == WM_SETFOCUS ||
             (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0 /* not minimised */))) {
            HWND target = impl->LastFocus;
            if (target == nullptr || !IsWindow(target) || !IsWindowVisible(target) ||
                !IsWindowEnabled(target))
                target = GetNextDlgTabItem(hwnd, nullptr, FALSE);
            if (target != nullptr && target != hwnd) {
                ::SetFocus(target);
                return 0;
            }
        }
        break;
    case WM_DPICHANGED:
        if (impl->Kind == TKind::Form) {
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            Rescale(*impl);
            SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        break;
    case WM_CLOSE:
        if (impl->Kind == TKind::Form) {
            TForm* form = impl->FormPiece;
            if (form->OnClose)
                Guarded([&] { form->OnClose(); });
            const bool active = GetActiveWindow() == hwnd;
            ShowWindow(hwnd, SW_HIDE);
            if (impl->Style == fsMain) {
                PostQuitMessage(0);
            } else if (impl->Style == fsWindow && active) {
                // The keys go back to the window this one stood beside, not to whichever window
                // the system picks.
                HWND owner = GetWindow(hwnd, GW_OWNER);
                if (owner != nullptr && IsWindowVisible(owner) && IsWindowEnabled(owner))
                    SetActiveWindow(owner);
            }
            return 0;
        }
        break;
    case FocusLeftMessage:
        if (impl->Kind == TKind::Form && impl->FormPiece->OnFocusChanged)
            Guarded([&] { impl->FormPiece->OnFocusChanged(); });
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// ---- the edit box: keys and focus reach its piece first ----

LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR data) {
    auto* impl = reinterpret_cast<TWidgetImpl*>(data);
    auto* edit = impl->Piece != nullptr ? static_cast<TEdit*>(impl->Piece) : nullptr;
    if (edit == nullptr)
        return DefSubclassProc(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_KEYDOWN: {
        bool used = false;
        if (edit->OnKeyDown)
            Guarded([&] {
                used =
                    edit->OnKeyDown({static_cast<TVirtualKey>(wParam), win32::KeyboardShift(), 0});
            });
        if (used)
            return 0;
        break;
    }
    case WM_CHAR: {
        char16_t ch = static_cast<char16_t>(wParam);
        if (edit->OnKeyPress)
            Guarded([&] { edit->OnKeyPress(ch); });
        // Enter and Esc would only beep in a one-line box.
        if (ch == 0 || ch == 13 || ch == 27)
            return 0;
        return DefSubclassProc(hwnd, message, ch, lParam);
    }
    case WM_SETFOCUS: {
        const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        if (edit->OnEnter)
            Guarded([&] { edit->OnEnter(); });
        return result;
    }
    case WM_KILLFOCUS: {
        const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        if (edit->OnExit)
            Guarded([&] { edit->OnExit(); });
        return result;
    }
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// ---- the text area: pastes told apart, Ctrl+A, the hint while empty ----

LRESULT CALLBACK MemoProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR data) {
    auto* impl = reinterpret_cast<TWidgetImpl*>(data);
    auto* memo = impl->Piece != nullptr ? static_cast<TMemo*>(impl->Piece) : nullptr;
    if (memo == nullptr)
        return DefSubclassProc(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_PASTE: {
        // Ctrl+V, Shift+Insert and the context menu all arrive here.
        const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        if (memo->OnPaste)
            Guarded([&] { memo->OnPaste(); });
        return result;
    }
    case WM_KEYDOWN:
        if (wParam == 'A' && win32::KeyboardShift() == TShiftState{ssCtrl}) {
            SendMessageW(hwnd, EM_SETSEL, 0, -1);
            return 0;
        }
        // Some edit boxes (Wine's) paste on Shift+Insert without a WM_PASTE.
        if (wParam == VK_INSERT && win32::KeyboardShift() == TShiftState{ssShift}) {
            SendMessageW(hwnd, WM_PASTE, 0, 0);
            return 0;
        }
        break;
    case WM_CHAR:
        switch (wParam) {
        case 1: // Ctrl+A would only beep
            return 0;
        case '\t': // Tab moves the focus on (the form's filter); Ctrl+I and Ctrl+Tab type none
            return 0;
        case 0x16: // Ctrl+V
            SendMessageW(hwnd, WM_PASTE, 0, 0);
            return 0;
        default:
            break;
        }
        break;
    case WM_PAINT: {
        // Multi-line edit boxes draw no hint of their own.
        const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        if (!impl->Text.empty() && GetWindowTextLengthW(hwnd) == 0) {
            // The caret blinks by inverting what is under it: drawn over, it would leave marks.
            HideCaret(hwnd);
            HDC dc = GetDC(hwnd);
            RECT rc;
            SendMessageW(hwnd, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rc));
            const HGDIOBJ old = SelectObject(dc, impl->Font);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
            const std::wstring hint = win32::Wide(impl->Text);
            DrawTextW(dc, hint.c_str(), static_cast<int>(hint.size()), &rc,
                      DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
            SelectObject(dc, old);
            ReleaseDC(hwnd, dc);
            ShowCaret(hwnd);
        }
        return result;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// ---- what every form's window sees before its pieces ----

// The button of the form whose caption marks this letter with "&".
TButton* MnemonicButton(TWidgetImpl& impl, wchar_t letter) {
    if (impl.Kind == TKind::Button && IsWindowVisible(impl.Hwnd) && IsWindowEnabled(impl.Hwnd)) {
        const std::u16string& caption = impl.Text;
        const auto amp = caption.find(u'&');
        if (amp != std::u16string::npos && amp + 1 < caption.size()) {
            wchar_t a = static_cast<wchar_t>(caption[amp + 1]), b = letter;
            CharUpperBuffW(&a, 1);
            CharUpperBuffW(&b, 1);
            if (a == b)
                return static_cast<TButton*>(impl.Piece);
        }
    }
    for (TWidgetImpl* kid : impl.Kids)
        if (TButton* found = MnemonicButton(*kid, letter))
            return found;
    return nullptr;
}

bool FormFilter(MSG& msg) {
    TForm* form = FormOfWindow(msg.hwnd);
    if (form == nullptr)
        return false;
    // While a drop-down list is open its keys are the list's (Esc closes the list, not the
    // window); Tab still moves on, which closes it.
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && msg.wParam != VK_TAB)
        if (const TWidgetImpl* impl = ImplOf(msg.hwnd);
            impl != nullptr && impl->Kind == TKind::Combo &&
            SendMessageW(msg.hwnd, CB_GETDROPPEDSTATE, 0, 0) != FALSE)
            return false;
    TWidgetImpl& formImpl = form->Impl();
    bool used = false;
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (form->OnKeyPreview)
            Guarded([&] {
                used = form->OnKeyPreview(
                    {static_cast<TVirtualKey>(msg.wParam), win32::KeyboardShift(), 0});
            });
        break;
    case WM_CHAR:
        if (form->OnKeyPreview)
            Guarded([&] {
                used = form->OnKeyPreview(
                    {0, win32::KeyboardShift(), static_cast<char16_t>(msg.wParam)});
            });
        break;
    case WM_SYSCHAR:
        if (TButton* button = MnemonicButton(formImpl, static_cast<wchar_t>(msg.wParam))) {
            button->Click();
            used = true;
        }
        break;
    case WM_XBUTTONUP:
        if (form->OnNavigateButton) {
            const bool forward = GET_XBUTTON_WPARAM(msg.wParam) == XBUTTON2;
            Guarded([&] { form->OnNavigateButton(forward); });
            used = true;
        }
        break;
    default:
        break;
    }
    if (used)
        return true;
    if (formImpl.Accelerators != nullptr &&
        TranslateAcceleratorW(formImpl.Hwnd, formImpl.Accelerators, &msg))
        return true;
    // The system's own controls move the focus on with Tab and press a button with Enter; the
    // system's controls (the tree, the viewer) handle these keys themselves.
    if (msg.message == WM_KEYDOWN && win32::ControlFromWindow(msg.hwnd) == nullptr) {
        TWidgetImpl* impl = ImplOf(msg.hwnd);
        const TShiftState shift = win32::KeyboardShift();
        if (msg.wParam == VK_TAB && !shift.ContainsAny({ssCtrl, ssAlt})) {
            HWND next = GetNextDlgTabItem(formImpl.Hwnd, msg.hwnd, shift.Contains(ssShift));
            if (next != nullptr)
                SetFocus(next);
            return true;
        }
        if (msg.wParam == VK_RETURN && impl != nullptr && impl->Kind == TKind::Button) {
            static_cast<TButton*>(impl->Piece)->Click();
            return true;
        }
    }
    return false;
}

win32::TMessageFilter& PreviousFilter() {
    static win32::TMessageFilter previous;
    return previous;
}

// Focus changes reach the form of the window that takes the focus, and the form it leaves.
LRESULT CALLBACK FocusHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (call->message == WM_SETFOCUS) {
            if (TForm* form = FormOfWindow(call->hwnd); form != nullptr) {
                if (call->hwnd != form->Impl().Hwnd)
                    form->Impl().LastFocus = call->hwnd;
                if (form->OnFocusChanged)
                    Guarded([&] { form->OnFocusChanged(); });
            }
        } else if (call->message == WM_KILLFOCUS) {
            // Told once the focus has moved: the form then sees where it went.
            TForm* form = FormOfWindow(call->hwnd);
            if (form != nullptr && FormOfWindow(reinterpret_cast<HWND>(call->wParam)) != form)
                PostMessageW(form->Impl().Hwnd, FocusLeftMessage, 0, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void RegisterClasses() {
    static const bool done = [] {
        EnsureApplication();
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW piece{};
        piece.cbSize = sizeof(piece);
        piece.style = CS_DBLCLKS;
        piece.lpfnWndProc = PieceProc;
        piece.hInstance = instance;
        piece.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        piece.lpszClassName = PieceClassName;
        RegisterClassExW(&piece);
        WNDCLASSEXW form = piece;
        form.lpszClassName = FormClassName;
        form.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
        RegisterClassExW(&form);
        PreviousFilter() = win32::SetMessageFilter([](MSG& msg) {
            return FormFilter(msg) || (PreviousFilter() && PreviousFilter()(msg));
        });
        SetWindowsHookExW(WH_CALLWNDPROC, FocusHook, nullptr, GetCurrentThreadId());
        return true;
    }();
    (void)done;
}

std::unique_ptr<TWidgetImpl> PieceImpl(TKind kind, TWidget* parent, DWORD style = 0,
                                       DWORD exStyle = 0) {
    RegisterClasses();
    return MakeWindow(kind, parent, PieceClassName, u"", style, exStyle);
}

std::wstring ShortCutText(const TShortCut& cut) {
    std::wstring text;
    if (cut.Shift.Contains(ssCtrl))
        text += L"Ctrl+";
    if (cut.Shift.Contains(ssShift))
        text += L"Shift+";
    if (cut.Shift.Contains(ssAlt))
        text += L"Alt+";
    if (cut.Key >= vk::F1 && cut.Key < vk::F1 + 24)
        return text + L"F" + std::to_wstring(cut.Key - vk::F1 + 1);
    switch (cut.Key) {
    case vk::Left:
        return text + L"Left";
    case vk::Right:
        return text + L"Right";
    case vk::Up:
        return text + L"Up";
    case vk::Down:
        return text + L"Down";
    default:
        return text + static_cast<wchar_t>(cut.Key);
    }
}

} // namespace

// ---- every piece ----

TWidget::~TWidget() {
    if (auto* panel = dynamic_cast<TPanel*>(FParent))
        std::erase(panel->Children, this);
    if (FParent != nullptr)
        std::erase(FParent->Impl().Kids, FImpl.get());
    if (FImpl->Hwnd != nullptr && IsWindow(FImpl->Hwnd) && FImpl->Owns)
        RemovePropW(FImpl->Hwnd, PieceProperty);
    FImpl->Piece = nullptr;
}

TWidget::TWidget(TWidget* parent, std::unique_ptr<TWidgetImpl> impl)
    : FParent(parent), FImpl(std::move(impl)) {
    FImpl->Piece = this;
    if (parent != nullptr) {
        FImpl->ParentImpl = &parent->Impl();
        parent->Impl().Kids.push_back(FImpl.get());
    }
    if (auto* panel = dynamic_cast<TPanel*>(parent))
        panel->Children.push_back(this);
}

void TWidget::SetBounds(int left, int top, int width, int height) {
    FImpl->Logical = {left, top, left + std::max(0, width), top + std::max(0, height)};
    PlaceWindow(*FImpl);
}

TRect TWidget::Bounds() const {
    if (FImpl->Kind == TKind::Form && FImpl->Hwnd != nullptr) {
        RECT rc;
        GetClientRect(FImpl->Hwnd, &rc);
        const double ratio = RatioOf(*FImpl);
        return {0, 0, Log(rc.right, ratio), Log(rc.bottom, ratio)};
    }
    return FImpl->Logical;
}

int TWidget::Width() const {
    return Bounds().Width();
}

int TWidget::Height() const {
    return Bounds().Height();
}

void TWidget::SetMinWidth(int width) {
    FImpl->MinWidth = width;
}

void TWidget::Show() {
    FHidden = false;
    if (HWND hwnd = FImpl->Hwnd; hwnd != nullptr && IsWindow(hwnd)) {
        if (FImpl->Kind == TKind::Form) {
            ShowWindow(hwnd, FImpl->MaximizeOnShow ? SW_SHOWMAXIMIZED : SW_SHOW);
            UpdateWindow(hwnd);
        } else {
            ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        }
    }
    if (auto* panel = dynamic_cast<TPanel*>(FParent))
        panel->Realign();
}

void TWidget::Hide() {
    FHidden = true;
    if (HWND hwnd = FImpl->Hwnd; hwnd != nullptr && IsWindow(hwnd))
        ShowWindow(hwnd, SW_HIDE);
    if (auto* panel = dynamic_cast<TPanel*>(FParent))
        panel->Realign();
}

bool TWidget::Visible() const {
    return FImpl->Hwnd != nullptr && IsWindowVisible(FImpl->Hwnd);
}

void TWidget::BringToFront() {
    if (FImpl->Hwnd != nullptr)
        SetWindowPos(FImpl->Hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool TWidget::Enabled() const {
    return FImpl->Hwnd != nullptr && IsWindowEnabled(FImpl->Hwnd);
}

void TWidget::SetEnabled(bool enabled) {
    if (FImpl->Hwnd != nullptr)
        EnableWindow(FImpl->Hwnd, enabled);
}

bool TWidget::Focused() const {
    return FImpl->Hwnd != nullptr && GetFocus() == FImpl->Hwnd;
}

bool TWidget::ContainsFocus() const {
    HWND focus = GetFocus();
    return FImpl->Hwnd != nullptr && focus != nullptr &&
           (focus == FImpl->Hwnd || IsChild(FImpl->Hwnd, focus));
}

void TWidget::SetFocus() {
    if (FImpl->Hwnd == nullptr)
        return;
    // A form not shown yet gives its window the focus once it is.
    if (TForm* form = FormOfWindow(FImpl->Hwnd);
        form != nullptr && form->Impl().Hwnd != FImpl->Hwnd) {
        form->Impl().LastFocus = FImpl->Hwnd;
        if (!IsWindowVisible(form->Impl().Hwnd))
            return;
    }
    ::SetFocus(FImpl->Hwnd);
}

void TWidget::SetFont(const TFontSpec& font) {
    FImpl->FontSpec = font;
    FImpl->OwnFont = true;
    ApplyFont(*FImpl);
    InheritFont(*FImpl);
}

void TWidget::SetColor(TColor color) {
    FColor = color;
    if (FImpl->Hwnd != nullptr)
        RedrawWindow(FImpl->Hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TWidget::SetTextColor(TColor color) {
    FTextColor = color;
    if (FImpl->Hwnd != nullptr)
        InvalidateRect(FImpl->Hwnd, nullptr, TRUE);
}

void TWidget::SetHandCursor() {
    FImpl->Hand = true;
}

void TWidget::SetAccessibleName(const std::u16string& name) {
    if (FImpl->Hwnd == nullptr)
        return;
    // The own pieces are named by their window text; the system's edit boxes, lists and buttons
    // have text of their own (an edit box's is its contents), so their name is an annotation that
    // the system's accessibility proxy answers with.
    if (FImpl->Kind != TKind::Edit && FImpl->Kind != TKind::Memo && FImpl->Kind != TKind::Combo &&
        FImpl->Kind != TKind::Button) {
        SetWindowTextW(FImpl->Hwnd, win32::Wide(name).c_str());
        return;
    }
    static const GUID accPropServices = {
        0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
    static const GUID accPropServicesInterface = {
        0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
    static const GUID accName = {
        0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(accPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                accPropServicesInterface, reinterpret_cast<void**>(&services))) ||
        services == nullptr)
        return; // a system without the service reads the control's own text
    const std::wstring wide = win32::Wide(name);
    services->SetHwndPropStr(FImpl->Hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, accName,
                             wide.c_str());
    services->Release();
}

TPoint TWidget::MapTo(const TWidget& ancestor, TPoint p) const {
    if (FImpl->Hwnd == nullptr)
        return p;
    const double ratio = RatioOf(*FImpl);
    POINT pt{Dev(p.X, ratio), Dev(p.Y, ratio)};
    MapWindowPoints(FImpl->Hwnd, ancestor.FImpl->Hwnd, &pt, 1);
    return {Log(pt.x, ratio), Log(pt.y, ratio)};
}

// ---- panels ----

TPanel::TPanel(TWidget* parent)
    : TPanel(parent, PieceImpl(TKind::Panel, parent, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT)) {}

TPanel::TPanel(TWidget* parent, std::unique_ptr<TWidgetImpl> impl)
    : TWidget(parent, std::move(impl)) {}

void TPanel::SetBorderLine(bool on) {
    Impl().BorderLine = on;
    BorderWidth = on ? 1 : 0;
    Realign();
    InvalidateRect(Impl().Hwnd, nullptr, TRUE);
}

TRect TPanel::ClientArea() const {
    const TWidgetImpl& impl = Impl();
    if (impl.Hwnd == nullptr)
        return {};
    RECT rc;
    GetClientRect(impl.Hwnd, &rc);
    if (impl.StatusHwnd != nullptr && IsWindowVisible(impl.StatusHwnd)) {
        RECT bar;
        GetWindowRect(impl.StatusHwnd, &bar);
        rc.bottom -= bar.bottom - bar.top;
    }
    const double ratio = RatioOf(impl);
    return {BorderWidth, BorderWidth, Log(rc.right, ratio) - BorderWidth,
            Log(std::max(0L, rc.bottom), ratio) - BorderWidth};
}

// ---- a control among the pieces ----

namespace {

std::unique_ptr<TWidgetImpl> ControlImpl(TWidget* parent, TControl& control) {
    auto impl = std::make_unique<TWidgetImpl>();
    impl->Kind = TKind::Control;
    impl->Owns = false;
    impl->Hwnd = win32::ControlWindow(control);
    if (impl->Hwnd != nullptr && parent != nullptr) {
        win32::AdoptControl(control, parent->Impl().Hwnd);
        ShowWindow(impl->Hwnd, SW_SHOWNOACTIVATE);
    }
    return impl;
}

} // namespace

TControlPiece::TControlPiece(TWidget* parent, TControl& control)
    : TWidget(parent, ControlImpl(parent, control)), FControl(control) {}

TControlPiece::~TControlPiece() {
    // The control's window goes with the panel's windows; a control that lives on answers
    // without one, as after any parent window has gone.
}

// ---- labels, bevels, pictures ----

TLabel::TLabel(TWidget* parent, const std::u16string& caption)
    : TWidget(parent, PieceImpl(TKind::Label, parent)) {
    SetCaption(caption);
}

void TLabel::SetCaption(const std::u16string& caption) {
    FCaption = caption;
    Impl().Text = caption;
    SetWindowTextW(Impl().Hwnd, win32::Wide(caption).c_str());
    InvalidateRect(Impl().Hwnd, nullptr, TRUE);
}

void TLabel::SetAlignment(THorzAlign align, bool verticalCentre) {
    Impl().Align = align;
    Impl().VCentre = verticalCentre;
    InvalidateRect(Impl().Hwnd, nullptr, TRUE);
}

void TLabel::SetWordWrap(bool wrap) {
    Impl().Wrap = wrap;
}

void TLabel::SetMargins(int left, int right) {
    Impl().MarginLeft = left;
    Impl().MarginRight = right;
}

namespace {

SIZE MeasureText(const TWidgetImpl& impl, const std::u16string& text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, impl.Font);
    SIZE size{};
    const std::wstring wide = win32::Wide(text);
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    size.cy = tm.tmHeight;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size;
}

} // namespace

int TLabel::TextWidth() const {
    const double ratio = RatioOf(Impl());
    return static_cast<int>(std::ceil(MeasureText(Impl(), FCaption).cx / ratio));
}

int TLabel::TextHeight() const {
    const double ratio = RatioOf(Impl());
    return static_cast<int>(std::ceil(MeasureText(Impl(), FCaption).cy / ratio));
}

TBevel::TBevel(TWidget* parent) : TWidget(parent, PieceImpl(TKind::Bevel, parent)) {}

TImage::TImage(TWidget* parent)
    : TWidget(parent, PieceImpl(TKind::Image, parent)), FPicture(std::make_unique<TBitmap>()) {
    Impl().Picture = FPicture.get();
}

TImage::~TImage() {
    Impl().Picture = nullptr;
}

void TImage::SetPicture(const TBitmap& picture) {
    *FPicture = picture;
    InvalidateRect(Impl().Hwnd, nullptr, TRUE);
}

TSunkenFrame::TSunkenFrame(TWidget* parent)
    : TPanel(parent, PieceImpl(TKind::Sunken, parent, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT)) {}

// ---- edit box and button ----

TEdit::TEdit(TWidget* parent)
    : TWidget(parent, MakeWindow(TKind::Edit, parent, WC_EDITW, u"", WS_TABSTOP | ES_AUTOHSCROLL,
                                 WS_EX_CLIENTEDGE)) {
    SetWindowSubclass(Impl().Hwnd, EditProc, 1, reinterpret_cast<DWORD_PTR>(&Impl()));
}

std::u16string TEdit::Text() const {
    HWND hwnd = Impl().Hwnd;
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(std::max(0, length)) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), length + 1);
    return win32::FromWide(text.data(), static_cast<std::size_t>(std::max(0, got)));
}

void TEdit::SetText(const std::u16string& text) {
    SetWindowTextW(Impl().Hwnd, win32::Wide(text).c_str());
}

void TEdit::SelectAll() {
    SendMessageW(Impl().Hwnd, EM_SETSEL, 0, -1);
}

void TEdit::TypeChar(char16_t ch) {
    SendMessageW(Impl().Hwnd, WM_CHAR, ch, 1);
}

void TEdit::SetTextHint(const std::u16string& hint) {
    const std::wstring wide = win32::Wide(hint);
    SendMessageW(Impl().Hwnd, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
}

void TEdit::SetHintColor(TColor) {
    // The system draws the hint in its own grey.
}

TButton::TButton(TWidget* parent, const std::u16string& caption)
    : TWidget(parent,
              MakeWindow(TKind::Button, parent, WC_BUTTONW, caption, WS_TABSTOP | BS_PUSHBUTTON)) {
    Impl().Text = caption;
}

void TButton::Click() {
    if (Enabled() && OnClick)
        Guarded([&] { OnClick(); });
}

// ---- text area and drop-down list ----

namespace {

// The edit box keeps lines apart by CR LF; the pieces speak LF.
std::wstring WithCrLf(const std::u16string& text) {
    std::wstring out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r') {
            out += L"\r\n";
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += L"\r\n";
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

} // namespace

TMemo::TMemo(TWidget* parent)
    : TWidget(parent, MakeWindow(TKind::Memo, parent, WC_EDITW, u"",
                                 WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                     ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | ES_NOHIDESEL,
                                 WS_EX_CLIENTEDGE)) {
    // The default limit is 32K characters; a register may be megabytes.
    SendMessageW(Impl().Hwnd, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    SetWindowSubclass(Impl().Hwnd, MemoProc, 1, reinterpret_cast<DWORD_PTR>(&Impl()));
}

std::u16string TMemo::Text() const {
    HWND hwnd = Impl().Hwnd;
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(std::max(0, length)) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), length + 1);
    std::u16string out;
    out.reserve(static_cast<std::size_t>(std::max(0, got)));
    for (int i = 0; i < got; ++i)
        if (!(text[static_cast<std::size_t>(i)] == L'\r' &&
              text[static_cast<std::size_t>(i) + 1] == L'\n'))
            out += static_cast<char16_t>(text[static_cast<std::size_t>(i)]);
    return out;
}

void TMemo::SetText(const std::u16string& text) {
    // A multi-line edit box tells no change for text set so: the change is told here, once.
    Impl().Quiet = true;
    SetWindowTextW(Impl().Hwnd, WithCrLf(text).c_str());
    Impl().Quiet = false;
    if (OnChange)
        Guarded([&] { OnChange(); });
}

void TMemo::Paste(const std::u16string& text) {
    const std::wstring wide = WithCrLf(text);
    SendMessageW(Impl().Hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
    if (OnPaste)
        Guarded([&] { OnPaste(); });
}

void TMemo::SelectAll() {
    SendMessageW(Impl().Hwnd, EM_SETSEL, 0, -1);
}

void TMemo::SetTextHint(const std::u16string& hint) {
    Impl().Text = hint;
    InvalidateRect(Impl().Hwnd, nullptr, TRUE);
}

TComboBox::TComboBox(TWidget* parent)
    : TWidget(parent, MakeWindow(TKind::Combo, parent, WC_COMBOBOXW, u"",
                                 WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST)) {}

void TComboBox::SetItems(const std::vector<std::u16string>& items) {
    HWND hwnd = Impl().Hwnd;
    const int chosen = ItemIndex();
    SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
    SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
    for (const auto& item : items) {
        const std::wstring wide = win32::Wide(item);
        SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    const int count = static_cast<int>(items.size());
    if (count > 0)
        SendMessageW(hwnd, CB_SETCURSEL, chosen >= 0 && chosen < count ? chosen : 0, 0);
    SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd, nullptr, TRUE);
}

int TComboBox::ItemCount() const {
    return static_cast<int>(SendMessageW(Impl().Hwnd, CB_GETCOUNT, 0, 0));
}

std::u16string TComboBox::Item(int index) const {
    HWND hwnd = Impl().Hwnd;
    const LRESULT length = SendMessageW(hwnd, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        SendMessageW(hwnd, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return got == CB_ERR ? std::u16string{}
                         : win32::FromWide(text.data(), static_cast<std::size_t>(got));
}

int TComboBox::ItemIndex() const {
    const LRESULT index = SendMessageW(Impl().Hwnd, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

void TComboBox::SetItemIndex(int index) {
    if (index < 0 || index >= ItemCount() || index == ItemIndex())
        return;
    // The system tells only the user's choices; a choice made here is told the same way.
    SendMessageW(Impl().Hwnd, CB_SETCURSEL, index, 0);
    if (OnChange)
        Guarded([&] { OnChange(); });
}

// ---- splitter ----

TSplitter::TSplitter(TWidget* parent)
    : TWidget(parent, PieceImpl(TKind::Splitter, parent, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT)) {
    FFirst = std::make_unique<TPanel>(this);
    FSecond = std::make_unique<TPanel>(this);
    Impl().First = FFirst.get();
    Impl().Second = FSecond.get();
}

TSplitter::~TSplitter() {
    Impl().First = Impl().Second = nullptr;
    FFirst.reset();
    FSecond.reset();
}

void TSplitter::SetBarWidth(int width) {
    Impl().BarWidth = std::max(1, width);
    LayoutSplitter(Impl());
}

void TSplitter::SetSizes(int, int second) {
    Impl().SecondWidth = second;
    LayoutSplitter(Impl());
}

// ---- menu ----

struct TMenuCommand::TImpl {
    HMENU Menu{nullptr};
    UINT Id{0};
};

TMenuCommand::TMenuCommand(std::u16string caption, std::vector<TShortCut> shortCuts)
    : FCaption(std::move(caption)), FShortCuts(std::move(shortCuts)),
      FImpl(std::make_unique<TImpl>()) {}

TMenuCommand::~TMenuCommand() {
    MenuCommands().erase(FImpl->Id);
}

void TMenuCommand::SetEnabled(bool enabled) {
    FEnabled = enabled;
    if (FImpl->Menu != nullptr)
        EnableMenuItem(FImpl->Menu, FImpl->Id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void TMenuCommand::Click() {
    if (FEnabled && OnClick)
        OnClick();
}

// ---- status bar ----

namespace {

struct TStatusTexts {
    std::u16string Simple, Message;
};
std::map<HWND, TStatusTexts>& StatusTexts() {
    static std::map<HWND, TStatusTexts> texts;
    return texts;
}

void ShowStatus(HWND bar) {
    const TStatusTexts& t = StatusTexts()[bar];
    const std::wstring text = win32::Wide(t.Message.empty() ? t.Simple : t.Message);
    SendMessageW(bar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

} // namespace

TStatusBar::TStatusBar(TWidget* parent)
    : TWidget(parent, MakeWindow(TKind::Status, parent, STATUSCLASSNAMEW, u"", SBARS_SIZEGRIP)) {}

void TStatusBar::SetSimpleText(const std::u16string& text) {
    StatusTexts()[Impl().Hwnd].Simple = text;
    ShowStatus(Impl().Hwnd);
}

std::u16string TStatusBar::SimpleText() const {
    return StatusTexts()[Impl().Hwnd].Simple;
}

void TStatusBar::ShowMessage(const std::u16string& text) {
    StatusTexts()[Impl().Hwnd].Message = text;
    ShowStatus(Impl().Hwnd);
}

void TStatusBar::ClearMessage() {
    ShowMessage({});
}

std::u16string TStatusBar::Message() const {
    return StatusTexts()[Impl().Hwnd].Message;
}

// ---- forms ----

namespace {

std::unique_ptr<TWidgetImpl> FormImpl(TFormStyle style, TForm* owner) {
    RegisterClasses();
    auto impl = std::make_unique<TWidgetImpl>();
    impl->Kind = TKind::Form;
    impl->Style = style;
    DWORD ws = WS_CLIPCHILDREN, ex = WS_EX_CONTROLPARENT;
    switch (style) {
    case fsMain:
    case fsWindow:
        ws |= WS_OVERLAPPEDWINDOW;
        break;
    case fsDialog:
        ws |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
        ex |= WS_EX_DLGMODALFRAME;
        break;
    case fsSplash:
        ws |= WS_POPUP | WS_BORDER;
        ex |= WS_EX_TOOLWINDOW;
        break;
    }
    impl->Hwnd = CreateWindowExW(ex, FormClassName, L"", ws, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480,
                                 owner != nullptr ? owner->Impl().Hwnd : nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (impl->Hwnd == nullptr)
        throw std::runtime_error("The window could not be created");
    SetPropW(impl->Hwnd, PieceProperty, impl.get());
    impl->FontSpec.Name = u"MS Sans Serif";
    impl->FontSpec.Height = 11;
    ApplyFont(*impl);
    return impl;
}

void RebuildAccelerators(TWidgetImpl& impl) {
    std::vector<ACCEL> table;
    for (const auto& [id, entry] : MenuCommands()) {
        if (entry.Form != impl.Hwnd)
            continue;
        for (const TShortCut& cut : entry.Command->ShortCuts()) {
            BYTE flags = FVIRTKEY;
            if (cut.Shift.Contains(ssCtrl))
                flags |= FCONTROL;
            if (cut.Shift.Contains(ssShift))
                flags |= FSHIFT;
            if (cut.Shift.Contains(ssAlt))
                flags |= FALT;
            table.push_back({flags, cut.Key, static_cast<WORD>(id)});
        }
    }
    if (impl.Accelerators != nullptr)
        DestroyAcceleratorTable(impl.Accelerators);
    impl.Accelerators = table.empty()
                            ? nullptr
                            : CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}

HMENU PopupAt(HWND form, int menu) {
    HMENU bar = GetMenu(form);
    return bar != nullptr && menu >= 0 ? GetSubMenu(bar, menu) : nullptr;
}

} // namespace

TForm::TForm(TFormStyle style, TForm* owner) : TPanel(nullptr, FormImpl(style, owner)) {
    Impl().FormPiece = this;
    Forms()[Impl().Hwnd] = this;
    if (style == fsMain || style == fsWindow) {
        FStatusBar = std::make_unique<TStatusBar>(this);
        Impl().StatusHwnd = FStatusBar->Impl().Hwnd;
    }
    if (style == fsMain)
        SetMenu(Impl().Hwnd, CreateMenu());
}

TForm::~TForm() {
    Forms().erase(Impl().Hwnd);
    FMenuItems.clear();
    if (FStatusBar)
        StatusTexts().erase(FStatusBar->Impl().Hwnd);
    FStatusBar.reset();
}

void TForm::SetCaption(const std::u16string& caption) {
    SetWindowTextW(Impl().Hwnd, win32::Wide(caption).c_str());
}

std::u16string TForm::Caption() const {
    wchar_t text[512] = {};
    const int got = GetWindowTextW(Impl().Hwnd, text, 511);
    return win32::FromWide(text, static_cast<std::size_t>(std::max(0, got)));
}

void TForm::SetClientSize(int width, int height) {
    HWND hwnd = Impl().Hwnd;
    const double ratio = RatioOf(Impl());
    RECT rc{0, 0, Dev(width, ratio), Dev(height, ratio)};
    if (Impl().StatusHwnd != nullptr) {
        RECT bar;
        GetWindowRect(Impl().StatusHwnd, &bar);
        rc.bottom += bar.bottom - bar.top;
    }
    AdjustWindowRectEx(&rc, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)),
                       GetMenu(hwnd) != nullptr,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    SetWindowPos(hwnd, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TForm::ClientWidth() const {
    return ClientArea().Width();
}

int TForm::ClientHeight() const {
    return ClientArea().Height();
}

void TForm::Maximize() {
    Impl().MaximizeOnShow = true;
    if (IsWindowVisible(Impl().Hwnd))
        ShowWindow(Impl().Hwnd, SW_MAXIMIZE);
}

void TForm::ShowNormal() {
    Impl().MaximizeOnShow = false;
    ShowWindow(Impl().Hwnd, SW_RESTORE);
}

bool TForm::Maximized() const {
    return IsZoomed(Impl().Hwnd) != FALSE;
}

void TForm::CenterOnScreen() {
    RECT work, window;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(Impl().Hwnd, &window);
    const int w = window.right - window.left, h = window.bottom - window.top;
    SetWindowPos(Impl().Hwnd, nullptr, work.left + (work.right - work.left - w) / 2,
                 work.top + (work.bottom - work.top - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::Activate() {
    HWND hwnd = Impl().Hwnd;
    if (IsIconic(hwnd))
        ShowWindow(hwnd, SW_RESTORE);
    else if (!IsWindowVisible(hwnd))
        Show();
    SetForegroundWindow(hwnd);
    // Activation gives the focus back to the piece that had it; a window that was active already
    // keeps the focus it has, unless none of its pieces has it.
    SetActiveWindow(hwnd);
    HWND focus = GetFocus();
    HWND last = Impl().LastFocus;
    if ((focus == hwnd || !IsChild(hwnd, focus)) && last != nullptr && IsWindow(last) &&
        IsWindowVisible(last) && IsWindowEnabled(last))
        ::SetFocus(last);
}

void TForm::RepaintNow() {
    HWND hwnd = Impl().Hwnd;
    if (!IsWindowVisible(hwnd))
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    RedrawWindow(hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TForm::Close() {
    SendMessageW(Impl().Hwnd, WM_CLOSE, 0, 0);
}

void TForm::ShowModal() {
    HWND hwnd = Impl().Hwnd;
    HWND owner = GetWindow(hwnd, GW_OWNER);
    // Modal to the whole program, as on the other backend: a window beside the owner waits too.
    std::vector<HWND> waiting;
    for (const auto& [window, form] : Forms())
        if (window != hwnd && (window == owner || IsWindowVisible(window)) &&
            IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            waiting.push_back(window);
        }
    Show();
    SetForegroundWindow(hwnd);
    MSG msg;
    while (IsWindowVisible(hwnd)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The program is ending: the loop that runs it sees the quit too.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1)
            break;
        win32::DispatchOne(msg);
    }
    ShowWindow(hwnd, SW_HIDE);
    for (HWND window : waiting)
        if (IsWindow(window))
            EnableWindow(window, TRUE);
    if (owner != nullptr)
        SetActiveWindow(owner);
}

int TForm::AddMenu(const std::u16string& caption) {
    HMENU bar = GetMenu(Impl().Hwnd);
    if (bar == nullptr)
        return -1;
    HMENU popup = CreatePopupMenu();
    AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup),
                win32::Wide(caption).c_str());
    DrawMenuBar(Impl().Hwnd);
    return GetMenuItemCount(bar) - 1;
}

TMenuCommand* TForm::AddMenuItem(int menu, const std::u16string& caption,
                                 std::vector<TShortCut> shortCuts) {
    HMENU popup = PopupAt(Impl().Hwnd, menu);
    if (popup == nullptr)
        return nullptr;
    std::unique_ptr<TMenuCommand> item(new TMenuCommand(caption, std::move(shortCuts)));
    std::wstring text = win32::Wide(caption);
    if (!item->ShortCuts().empty())
        text += L"\t" + ShortCutText(item->ShortCuts().front());
    const UINT id = gNextCommand++;
    AppendMenuW(popup, MF_STRING, id, text.c_str());
    item->Impl().Menu = popup;
    item->Impl().Id = id;
    TMenuCommand* raw = item.get();
    MenuCommands()[id] = {raw, Impl().Hwnd};
    FMenuItems.push_back(std::move(item));
    RebuildAccelerators(Impl());
    return raw;
}

void TForm::AddMenuSeparator(int menu) {
    if (HMENU popup = PopupAt(Impl().Hwnd, menu))
        AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
}

void TForm::SetTabOrder(const std::vector<TWidget*>&) {
    // Tab walks the windows in the order they were made, into panels and out again; the
    // window's pieces are made in their tab order's cycle.
}

// ---- timers ----

namespace {

std::map<UINT_PTR, TTimer::TImpl*>& Timers() {
    static std::map<UINT_PTR, TTimer::TImpl*> timers;
    return timers;
}

} // namespace

struct TTimer::TImpl {
    TTimer* Owner{nullptr};
    UINT_PTR Id{0};
    unsigned Interval{1000};
    bool Once{false};
};

namespace {

void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    const auto it = Timers().find(id);
    if (it == Timers().end())
        return;
    TTimer::TImpl* impl = it->second;
    if (impl->Once) {
        KillTimer(nullptr, id);
        Timers().erase(it);
        impl->Id = 0;
    }
    if (impl->Owner->OnTimer)
        Guarded([&] { impl->Owner->OnTimer(); });
}

} // namespace

TTimer::TTimer() : FImpl(std::make_unique<TImpl>()) {
    FImpl->Owner = this;
}

TTimer::~TTimer() {
    Stop();
}

void TTimer::SetInterval(unsigned milliseconds) {
    FImpl->Interval = milliseconds;
}

void TTimer::SetSingleShot(bool once) {
    FImpl->Once = once;
}

void TTimer::Start() {
    Stop();
    FImpl->Id = SetTimer(nullptr, 0, FImpl->Interval, TimerProc);
    if (FImpl->Id != 0)
        Timers()[FImpl->Id] = FImpl.get();
}

void TTimer::Stop() {
    if (FImpl->Id == 0)
        return;
    KillTimer(nullptr, FImpl->Id);
    Timers().erase(FImpl->Id);
    FImpl->Id = 0;
}

bool TTimer::Active() const {
    return FImpl->Id != 0;
}

// ---- the application ----

std::function<void(const std::string&)> ApplicationErrorHandler;

void StartApplication(int&, char**, const std::u16string& displayName, const char*,
                      const std::vector<const char*>&) {
    // Before the first window, so that Windows does not stretch them on dense screens.
    win32::EnablePerMonitorDpi();
    EnsureApplication();
    win32::SetApplicationTitle(displayName);
    // The window is Russian whatever the system's language: so are the system's own message
    // boxes and dialogs, where Windows has them in Russian.
    SetThreadUILanguage(MAKELANGID(LANG_RUSSIAN, SUBLANG_RUSSIAN_RUSSIA));
    RegisterClasses();
}

int RunApplication() {
    return win32::RunMessageLoop();
}

void ShowApplicationError(const std::string& message) {
    if (ApplicationErrorHandler) {
        ApplicationErrorHandler(message);
        return;
    }
    backend::ShowMessageBox(TMessageBoxKind::mbError, Utf8ToUtf16(message));
}

std::vector<unsigned char> ReadPictureResource(const char* name) {
    if (name == nullptr)
        return {};
    std::string_view key(name);
    if (key.starts_with(":/"))
        key.remove_prefix(2);
    const TEmbeddedResource* found = FindEmbeddedResource(key);
    if (found == nullptr)
        return {};
    return {found->Data, found->Data + found->Size};
}

std::vector<std::string> CommandLineArguments(int, char**) {
    // A program of the window subsystem has no console: one it was started from prints its text.
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide != nullptr && i < count; ++i)
        args.push_back(Utf16ToUtf8(win32::FromWide(wide[i])));
    if (wide != nullptr)
        LocalFree(wide);
    return args;
}
