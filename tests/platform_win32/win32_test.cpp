// The Win32 backend in a real window: a control's events, its scroll bars and its end with its
// parent; GDI text on DIBs; code pages, the clipboard and decoding through the system; the
// accessibility object a screen reader gets.
#include "platform/accessible.h"
#include "platform/clipboard.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/forms.h"
#include "platform/jpeg.h"
#include "platform/popupmenu.h"
#include "platform/thread.h"
#include "platform/unicode.h"
#include "platform/win32/control_host.h"

#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class TRecorder : public TControl {
public:
    std::vector<std::string> Events;
    TRect LastUpdate;
    char16_t LastKeyChar{0};

protected:
    void Paint(TCanvas& canvas, const TRect& update) override {
        LastUpdate = update;
        canvas.FillRect(ClientRect(), RGBColor(0, 128, 255));
        Events.push_back("paint");
    }
    void KeyDown(TVirtualKey& key, TShiftState shift) override {
        LastKeyChar = KeyChar();
        Events.push_back("key " + std::to_string(key) + (shift.Contains(ssShift) ? " shift" : ""));
    }
    void KeyPress(char16_t& ch) override { Events.push_back("char " + std::to_string(ch)); }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
        Events.push_back("down " + std::to_string(static_cast<int>(b)) + " " + std::to_string(x) +
                         "," + std::to_string(y) + (s.Contains(ssLeft) ? " left" : ""));
    }
    void Timer(unsigned id) override { Events.push_back("timer " + std::to_string(id)); }
    void Message(unsigned id, std::uintptr_t a, std::intptr_t b) override {
        Events.push_back("message " + std::to_string(id) + " " + std::to_string(a) + " " +
                         std::to_string(b));
    }
};

// A visible top-level window to hold controls: hidden windows are never painted.
class Win32Test : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        // Not activated: Wine waits for a window manager to hand the activation back otherwise.
        Form = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"STATIC", L"", WS_POPUP, 10,
                               10, 300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(Form, SW_SHOWNOACTIVATE);
        ASSERT_NE(Form, nullptr) << "windows need a display: under Wine, an X server (xvfb-run)";
    }
    void TearDown() override {
        if (IsWindow(Form))
            DestroyWindow(Form);
    }
    void Adopt(TControl& control, int width, int height) {
        win32::AdoptControl(control, Form);
        control.SetBounds(0, 0, width, height);
        control.SetBorder(bkNone);
    }
    HWND Form{nullptr};
};

bool Has(const std::vector<std::string>& events, const std::string& e) {
    return std::find(events.begin(), events.end(), e) != events.end();
}

TEST_F(Win32Test, ControlReceivesPaintKeysMouseTimersAndMessagesInOrder) {
    TRecorder c;
    Adopt(c, 120, 80);
    HWND hwnd = win32::ControlWindow(c);
    EXPECT_EQ(c.ClientWidth(), 120);
    EXPECT_TRUE(c.Showing());

    c.Repaint();
    ASSERT_TRUE(Has(c.Events, "paint"));
    EXPECT_EQ(c.LastUpdate, (TRect{0, 0, 120, 80}));
    // What the control painted reached the window through the buffer.
    HDC dc = GetDC(hwnd);
    EXPECT_EQ(GetPixel(dc, 60, 40), RGB(0, 128, 255));
    ReleaseDC(hwnd, dc);

    c.Events.clear();
    SendMessageW(hwnd, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(hwnd, WM_CHAR, 0x0436, 0); // 'ж'
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
    EXPECT_EQ(c.Events, (std::vector<std::string>{"key 40", "char 1078", "down 0 5,6 left"}));
    SendMessageW(hwnd, WM_KEYDOWN, VK_ADD, MapVirtualKeyW(VK_ADD, MAPVK_VK_TO_VSC) << 16);
    EXPECT_EQ(c.LastKeyChar, u'+');

    c.Events.clear();
    c.PostMessage(7, 1, -2);
    c.PostMessage(8, 3, 4);
    EXPECT_TRUE(c.Events.empty()) << "posted, not sent";
    c.SetTimer(5, 10);
    EXPECT_TRUE(c.TimerActive(5));
    for (int i = 0; i < 100 && !Has(c.Events, "timer 5"); ++i)
        WaitAndProcessMessages(20);
    c.KillTimer(5);
    EXPECT_FALSE(c.TimerActive(5));
    ASSERT_GE(c.Events.size(), 3u);
    EXPECT_EQ(c.Events[0], "message 7 1 -2");
    EXPECT_EQ(c.Events[1], "message 8 3 4");
    EXPECT_TRUE(Has(c.Events, "timer 5"));
}

TEST_F(Win32Test, ScrollBarsClampAndTakeTheirRoomAndAParentTakesTheWindowAlong) {
    auto c = std::make_unique<TRecorder>();
    // Without a parent a control is a window of its own, hidden until shown.
    EXPECT_FALSE(c->Showing());
    c->SetBounds(20, 30, 50, 40);
    c->Show();
    EXPECT_TRUE(c->Showing());
    EXPECT_EQ(c->ClientToScreen({0, 0}), (TPoint{22, 32})) << "inside the platform's frame";
    Adopt(*c, 200, 100);
    c->VertScrollBar().SetScrollInfo({0, 99, 10, 95}, true);
    EXPECT_TRUE(c->VertScrollBar().Visible());
    EXPECT_EQ(c->VertScrollBar().Position(), 90) << "the last page starts at Max - Page + 1";
    EXPECT_EQ(c->ClientWidth(), 200 - VerticalScrollBarWidth());
    c->VertScrollBar().SetScrollInfo({0, 99, 10, 0}, false);
    EXPECT_EQ(c->ClientWidth(), 200);

    // A message still queued when the window goes is dropped; the control answers neutrally.
    c->PostMessage(9);
    DestroyWindow(Form);
    EXPECT_EQ(c->Host(), nullptr);
    EXPECT_EQ(c->ClientWidth(), 0);
    c->PostMessage(10);
    c->Invalidate();
    ProcessMessages();
    EXPECT_TRUE(c->Events.empty());
    c.reset();
}

TEST(Win32Canvas, GdiTextKeepsBitmapsOpaqueAndAlphaBitmapsTransparentAroundIt) {
    EnsureApplication();
    auto font = std::make_shared<TPlatformFont>(TFontSpec{u"Arial", -16});
    // The default character set is the Russian desktop's, whatever the system's locale: pages
    // without a declared charset are decoded as windows-1251 through it.
    EXPECT_EQ(font->Metrics().CharSet, RUSSIAN_CHARSET);
    for (TBitmapFormat format : {bfOpaque, bfAlpha}) {
        TBitmap b(60, 24, format);
        b.Fill(clWhite, format == bfAlpha ? 0 : 255);
        TCanvas& c = b.Canvas();
        c.SetFont(font);
        c.SetBkMode(bmTransparent);
        c.SetTextColor(clBlack);
        c.TextOut(2, 18, u"Жук");
        int dark = 0, wrongAlpha = 0;
        for (int y = 0; y < b.DeviceHeight(); ++y)
            for (int x = 0; x < b.DeviceWidth(); ++x) {
                const TPixel p = b.PixelAt(x, y);
                const bool ink = GetRValue(ColorFromPixel(p)) < 128;
                dark += ink;
                const int expected = format == bfOpaque || ink ? 255 : 0;
                wrongAlpha += ink ? AlphaOfPixel(p) != 255 : AlphaOfPixel(p) != expected;
            }
        EXPECT_GT(dark, 20) << "text was drawn";
        EXPECT_EQ(wrongAlpha, 0);
        EXPECT_EQ(c.TextWidth(u"Жук"), font->TextWidth(u"Жук"));
        std::vector<int> extents;
        EXPECT_EQ(font->FitCount(u"Жук", font->TextWidth(u"Жу"), &extents), 2);
        EXPECT_EQ(extents.back(), font->TextWidth(u"Жук"));
    }
}

TEST(Win32Pointer, PanningShapesAreCursorsAndAWindowShownWhereAsked) {
    EnsureApplication();
    HCURSOR all = win32::CursorHandle(crMoveAll);
    EXPECT_NE(all, nullptr);
    EXPECT_NE(all, win32::CursorHandle(crMoveNS));
    EXPECT_EQ(all, win32::CursorHandle(crMoveAll)) << "made once";
    TPanningWindow window(crMoveEW);
    EXPECT_FALSE(window.Visible());
    window.ShowAt({40, 50});
    EXPECT_TRUE(window.Visible());
    EXPECT_EQ(window.ScreenPos(), (TPoint{40, 50}));
}

// What the answering timer does to the modal window it finds: the keys it posts or the command.
std::vector<WPARAM> gKeys;
WPARAM gCommand = 0;
std::u16string gCaption;

void CALLBACK Answer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    HWND dialog = FindWindowW(L"#32770", nullptr);
    if (menu == nullptr && dialog == nullptr)
        return; // not open yet
    KillTimer(nullptr, id);
    if (dialog != nullptr) {
        wchar_t caption[64]{};
        GetWindowTextW(dialog, caption, 64);
        gCaption = win32::FromWide(caption);
        PostMessageW(dialog, WM_COMMAND, gCommand, 0);
        return;
    }
    for (WPARAM key : gKeys)
        PostMessageW(menu, WM_KEYDOWN, key, 0);
}

TEST(Win32Modal, MenusAndDialogsAnswerThroughTheSystemsOwnWindows) {
    EnsureApplication();
    TPopupMenu menu;
    int clicked = -1;
    menu.Add(u"Копировать", [&] { clicked = 0; });
    menu.Add(u"Свернуть всё", [&] { clicked = 1; });
    menu.Add(
        u"Недоступно", [&] { clicked = 2; }, false);
    gKeys = {VK_DOWN, VK_DOWN, VK_RETURN};
    SetTimer(nullptr, 0, 20, Answer);
    EXPECT_EQ(menu.Popup({100, 100}), 1);
    EXPECT_EQ(clicked, 1);

    gCommand = IDCANCEL;
    SetTimer(nullptr, 0, 20, Answer);
    EXPECT_EQ(MessageBoxInformation(u"Текст"), TModalResult::mrCancel);
    EXPECT_EQ(gCaption, u"МКБ-10");
    gCommand = IDOK;
    SetTimer(nullptr, 0, 20, Answer);
    EXPECT_EQ(MessageBoxInformation(u"Текст"), TModalResult::mrOK);

    TFontDialogFont font{u"Arial", 13, true};
    const TFontDialogFont seed = font;
    SetTimer(nullptr, 0, 20, Answer);
    ASSERT_TRUE(ExecuteFontDialog(font));
    EXPECT_EQ(font.Height, seed.Height) << "pixels to points and back";
    EXPECT_TRUE(font.Bold);
    gCommand = IDCANCEL;
    SetTimer(nullptr, 0, 20, Answer);
    font.Name = u"Courier New";
    EXPECT_FALSE(ExecuteFontDialog(font));
    EXPECT_EQ(font.Name, u"Courier New");
}

TEST(Win32Text, CodePagesClipboardAndUpperCaseGoThroughTheSystem) {
    EnsureApplication();
    const std::u16string text = u"Код МКБ-10: ёлка, Ёж";
    EXPECT_EQ(DecodeCodePage(EncodeCodePage(text, 1251), 1251), text);
    // 866 has no table of its own: the system converts it.
    const std::string oem = EncodeCodePage(text, 866);
    EXPECT_EQ(oem.size(), text.size());
    EXPECT_EQ(static_cast<unsigned char>(oem[0]), 0x8A); // 'К'
    EXPECT_EQ(DecodeCodePage(oem, 1), text);
    EXPECT_EQ(EncodeCodePage(u"a\u4E00b", 866), "a?b");
    EXPECT_EQ(DecodeCodePage("abc", 12345), u"") << "an unknown page gives nothing, as with iconv";
    EXPECT_EQ(UnicodeUpperCase(u"ёлка abc"), u"ЁЛКА ABC");

    SetClipboardText(text);
    EXPECT_EQ(ClipboardText(), text);
    SetClipboardText(u"");
    EXPECT_EQ(ClipboardText(), u"");
}

// A 2 x 2 bottom-up 24-bit BMP: blue, green / red, white from the top.
std::vector<unsigned char> SmallBmp() {
    std::vector<unsigned char> b;
    auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    b = {'B', 'M'};
    put(70, 4), put(0, 4), put(54, 4);             // file size, reserved, pixel offset
    put(40, 4), put(2, 4), put(2, 4), put(1, 2);   // header size, width, height, planes
    put(24, 2), put(0, 4), put(16, 4), put(0, 16); // bits, no compression, pixel bytes
    const unsigned char rows[] = {0,   0, 255, 255, 255, 255, 0, 0,  // red, white (bottom row)
                                  255, 0, 0,   0,   255, 0,   0, 0}; // blue, green
    b.insert(b.end(), std::begin(rows), std::end(rows));
    return b;
}

TEST(Win32Pictures, DecodesThroughTheImagingComponentAndRefusesGarbage) {
    EnsureApplication();
    const std::vector<unsigned char> bmp = SmallBmp();
    TBitmap b;
    ASSERT_TRUE(b.LoadFromData(bmp.data(), bmp.size()));
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.ColorAt(0, 0), RGBColor(0, 0, 255));
    EXPECT_EQ(b.ColorAt(1, 0), RGBColor(0, 255, 0));
    EXPECT_EQ(b.ColorAt(0, 1), RGBColor(255, 0, 0));
    EXPECT_EQ(b.Format(), bfOpaque);

    const unsigned char garbage[] = "not a picture at all";
    EXPECT_FALSE(b.LoadFromData(garbage, sizeof garbage));
    EXPECT_EQ(b.Width(), 2) << "a failed load leaves the bitmap as it was";
    EXPECT_FALSE(b.LoadFromResource(":/pictures/none.png"));
    EXPECT_THROW(DecodeJpeg(garbage, sizeof garbage), EJpegError);
    const unsigned char truncated[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F'};
    EXPECT_THROW(DecodeJpeg(truncated, sizeof truncated), EJpegError);
}

class TTreeDescription final : public TAccessibleTree {
public:
    int RowCount() override { return 2; }
    std::uint64_t RowGeneration() const override { return 1; }
    std::u16string RowName(int row) override { return row == 1 ? u"A00 Холера" : u"I"; }
    int RowLevel(int row) override { return row + 1; }
    TAccessibleRowStates RowStates(int row) override {
        return row == 0 ? TAccessibleRowStates{arsExpandable, arsExpanded}
                        : TAccessibleRowStates{arsSelected};
    }
    int RowChildCount(int row) override { return row == 0 ? 1 : 0; }
    TRect RowRect(int row) override { return {0, row * 20, 100, row * 20 + 20}; }
    int RowAt(TPoint p) override { return p.Y / 20 < 2 ? p.Y / 20 : -1; }
    int FocusedRow() override { return 1; }
    bool DoRowAction(int row, TAccessibleRowAction action) override {
        Actions.push_back(row * 10 + static_cast<int>(action));
        return true;
    }
    std::vector<int> Actions;
};

class TAccessibleControl : public TControl {
public:
    TTreeDescription Description;
    TAccessibleDescription* AccessibleDescription() override { return &Description; }
};

TEST_F(Win32Test, ScreenReadersGetTheRowsAsOutlineItemsWithNameLevelAndStates) {
    TAccessibleControl c;
    Adopt(c, 100, 60);
    // The object WM_GETOBJECT marshals (Wine lacks the proxy that marshals it in-process).
    IAccessible* acc = AccessibleObject(c.Host()->WindowState());
    ASSERT_NE(acc, nullptr);
    EXPECT_TRUE(AccessibilityActive());
    long count = 0;
    EXPECT_EQ(acc->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 2);
    VARIANT row{};
    row.vt = VT_I4;
    row.lVal = 2;
    BSTR name = nullptr, value = nullptr;
    ASSERT_EQ(acc->get_accName(row, &name), S_OK);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(name)), u"A00 Холера");
    ASSERT_EQ(acc->get_accValue(row, &value), S_OK);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(value)), u"2");
    SysFreeString(name);
    SysFreeString(value);
    VARIANT role{}, state{};
    acc->get_accRole(row, &role);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_OUTLINEITEM);
    acc->get_accState(row, &state);
    EXPECT_TRUE(state.lVal & STATE_SYSTEM_SELECTED);
    row.lVal = 1;
    acc->get_accState(row, &state);
    EXPECT_TRUE(state.lVal & STATE_SYSTEM_EXPANDED);
    EXPECT_EQ(acc->accDoDefaultAction(row), S_OK);
    EXPECT_EQ(c.Description.Actions, std::vector<int>{static_cast<int>(araCollapse)});
    row.lVal = 3;
    EXPECT_EQ(acc->get_accName(row, &name), E_INVALIDARG) << "no such row";
    const TPoint screen = c.ClientToScreen({5, 25});
    VARIANT hit{};
    EXPECT_EQ(acc->accHitTest(screen.X, screen.Y, &hit), S_OK);
    EXPECT_EQ(hit.lVal, 2);
    acc->Release();
}

class TTextDescription final : public TAccessibleText {
public:
    std::u16string ReadingText() override { return u"Холера. См. A00"; }
    void ReadingSelection(int& start, int& end) override { start = end = 0; }
    int ReadingLinkCount() override { return 1; }
    std::u16string ReadingLinkName(int link) override { return link == 0 ? u"A00" : u""; }
    bool ReadingFollowLink(int link) override { return Followed = link == 0; }
    bool Followed{false};
};

class TTextControl : public TControl {
public:
    TTextDescription Description;
    TAccessibleDescription* AccessibleDescription() override { return &Description; }
};

std::vector<std::pair<DWORD, LONG>> gEvents;

void CALLBACK RecordEvent(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT)
        gEvents.emplace_back(event, child);
}

TEST_F(Win32Test, TextIsADocumentWithLinksAndEventsNameTheRowOrLink) {
    TTextControl c;
    Adopt(c, 100, 60);
    IAccessible* acc = AccessibleObject(c.Host()->WindowState());
    ASSERT_NE(acc, nullptr);
    VARIANT self{}, link{}, role{};
    self.vt = link.vt = VT_I4;
    link.lVal = 1;
    acc->get_accRole(self, &role);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_DOCUMENT);
    BSTR value = nullptr;
    ASSERT_EQ(acc->get_accValue(self, &value), S_OK);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(value)), u"Холера. См. A00");
    SysFreeString(value);
    acc->get_accRole(link, &role);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_LINK);
    EXPECT_EQ(acc->accDoDefaultAction(link), S_OK);
    EXPECT_TRUE(c.Description.Followed);

    // Raised events reach a hook of this process once messages are handled.
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, RecordEvent,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    gEvents.clear();
    NotifyAccessible(c, aeFocus, 0);
    NotifyAccessible(c, aeTextChanged);
    ProcessMessages();
    UnhookWinEvent(hook);
    EXPECT_NE(
        std::find(gEvents.begin(), gEvents.end(), std::pair<DWORD, LONG>{EVENT_OBJECT_FOCUS, 1}),
        gEvents.end());
    EXPECT_NE(std::find(gEvents.begin(), gEvents.end(),
                        std::pair<DWORD, LONG>{EVENT_OBJECT_VALUECHANGE, CHILDID_SELF}),
              gEvents.end());

    // Once the window has gone, a reader holding the object is told so.
    acc->AddRef();
    DestroyWindow(Form);
    EXPECT_EQ(acc->get_accValue(self, &value), CO_E_OBJNOTCONNECTED);
    acc->Release();
    acc->Release();
}

TEST(Win32Thread, AWorkersMessageIsHandledOnTheWindowThreadWhileItsLoopRuns) {
    EnsureApplication();
    std::vector<std::uintptr_t> handled;
    DWORD handlerThread = 0;
    TSyncMailbox mailbox([&](unsigned, std::uintptr_t a, std::intptr_t) {
        handled.push_back(a);
        handlerThread = GetCurrentThreadId();
    });
    TThread worker([&] {
        mailbox.Send(1, 10, 0);
        mailbox.Send(1, 20, 0);
    });
    for (int i = 0; i < 200 && handled.size() < 2; ++i)
        WaitAndProcessMessages(10);
    worker.WaitFor();
    EXPECT_EQ(handled, (std::vector<std::uintptr_t>{10, 20}));
    EXPECT_EQ(handlerThread, GetCurrentThreadId());
}

void Type(std::vector<BYTE> keys) {
    for (BYTE key : keys)
        keybd_event(key, 0, 0, 0);
    for (auto key = keys.rbegin(); key != keys.rend(); ++key)
        keybd_event(*key, 0, KEYEVENTF_KEYUP, 0);
    WaitAndProcessMessages(50);
}

TEST(Win32Forms, TheTextAreaAndAnOpenListKeepTheKeysTheSystemsControlsWouldMisuse) {
    TForm form(fsWindow);
    auto* memo = form.Make<TMemo>();
    auto* box = form.Make<TComboBox>();
    box->SetItems({u"Все"});
    std::string told;
    memo->OnChange = [&] { told += "change "; };
    memo->OnPaste = [&] { told += "paste "; };
    form.OnKeyPreview = [](const TKeyStroke& key) { return key.Key == VK_ESCAPE; };
    form.Show(); // its first piece takes the focus
    memo->SetText(u"J10");
    SetClipboardText(u"\tK29\r\n");
    Type({VK_SHIFT, VK_INSERT});
    Type({VK_CONTROL, 'I'}); // would type a tab
    EXPECT_EQ(memo->Text(), u"\tK29\nJ10");
    EXPECT_EQ(told, "change change paste ");
    box->SetFocus();
    SendMessageW(GetFocus(), CB_SHOWDROPDOWN, TRUE, 0);
    Type({VK_ESCAPE});
    EXPECT_FALSE(SendMessageW(GetFocus(), CB_GETDROPPEDSTATE, 0, 0)) << "the open list's Esc";
}

} // namespace
