// Screen readers on Win32 (Active Accessibility): a control that describes itself answers
// WM_GETOBJECT with an IAccessible that reads the description on every question. A tree's rows
// and a text's links are its simple children, numbered from 1 in display (reading) order.
#include "platform/win32/com.h"
#include "platform/win32/control_host.h"

#include <ole2.h>
#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <string>

namespace {

std::atomic<bool> gAsked{false}; // some client has asked for an object

// Child numbers are 1-based; CHILDID_SELF (0) is the control itself.
bool ChildOf(const VARIANT& v, long& child) {
    if (v.vt != VT_I4)
        return false;
    child = v.lVal;
    return true;
}

BSTR MakeBstr(const std::u16string& s) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(s.data()),
                             static_cast<UINT>(s.size()));
}

HRESULT Answer(BSTR* out, const std::u16string& s) {
    if (s.empty()) {
        *out = nullptr;
        return S_FALSE;
    }
    *out = MakeBstr(s);
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

class TControlAccessible final : public win32::TComObject<IAccessible> {
public:
    explicit TControlAccessible(const std::shared_ptr<THostWindow>& window) : Window(window) {}
    void Disconnect() { Window.reset(); }

    // ---- IUnknown ----
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        return AnswerQuery(IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
                               IsEqualIID(riid, IID_IAccessible),
                           object);
    }

    // ---- IDispatch: clients call the methods directly ----
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // ---- IAccessible ----
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (parent == nullptr)
            return E_POINTER;
        *parent = nullptr;
        HWND hwnd = Hwnd();
        if (hwnd == nullptr)
            return CO_E_OBJNOTCONNECTED;
        return AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                          reinterpret_cast<void**>(parent));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        if (Hwnd() == nullptr)
            return CO_E_OBJNOTCONNECTED;
        if (TAccessibleTree* tree = Tree())
            *count = tree->RowCount();
        else if (TAccessibleText* text = Text())
            *count = text->ReadingLinkCount();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
        if (child == nullptr)
            return E_POINTER;
        *child = nullptr;
        return Hwnd() == nullptr ? CO_E_OBJNOTCONNECTED : S_FALSE; // rows and links are simple
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT v, BSTR* name) override {
        long child = 0;
        if (const HRESULT hr = Start(v, name, child); hr != S_OK)
            return hr;
        if (child == CHILDID_SELF) {
            // The window's text, as a form may have set it for the control.
            wchar_t title[256]{};
            const int n = GetWindowTextW(Hwnd(), title, 256);
            return Answer(name, win32::FromWide(title, static_cast<std::size_t>(std::max(n, 0))));
        }
        if (TAccessibleTree* tree = Tree())
            return Answer(name, tree->RowName(child - 1));
        if (TAccessibleText* text = Text())
            return Answer(name, text->ReadingLinkName(child - 1));
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT v, BSTR* value) override {
        long child = 0;
        if (const HRESULT hr = Start(v, value, child); hr != S_OK)
            return hr;
        if (TAccessibleTree* tree = Tree()) {
            // A tree item's value is its level, 1 for the top (as the system's tree views say).
            if (child == CHILDID_SELF)
                return S_FALSE;
            return Answer(value, Utf16Number(tree->RowLevel(child - 1)));
        }
        if (TAccessibleText* text = Text())
            return child == CHILDID_SELF ? Answer(value, text->ReadingText()) : S_FALSE;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT v, BSTR* description) override {
        long child = 0;
        const HRESULT hr = Start(v, description, child);
        return hr == S_OK ? S_FALSE : hr;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT v, VARIANT* role) override {
        long child = 0;
        if (const HRESULT hr = Start(v, role, child); hr != S_OK)
            return hr;
        role->vt = VT_I4;
        if (Tree() != nullptr)
            role->lVal = child == CHILDID_SELF ? ROLE_SYSTEM_OUTLINE : ROLE_SYSTEM_OUTLINEITEM;
        else if (Text() != nullptr)
            role->lVal = child == CHILDID_SELF ? ROLE_SYSTEM_DOCUMENT : ROLE_SYSTEM_LINK;
        else
            role->lVal = ROLE_SYSTEM_CLIENT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT v, VARIANT* state) override {
        long child = 0;
        if (const HRESULT hr = Start(v, state, child); hr != S_OK)
            return hr;
        HWND hwnd = Hwnd();
        const bool focused = GetFocus() == hwnd;
        long s = 0;
        if (child == CHILDID_SELF) {
            s = STATE_SYSTEM_FOCUSABLE;
            if (focused)
                s |= STATE_SYSTEM_FOCUSED;
            if (!IsWindowVisible(hwnd))
                s |= STATE_SYSTEM_INVISIBLE;
            if (!IsWindowEnabled(hwnd))
                s |= STATE_SYSTEM_UNAVAILABLE;
            if (Text() != nullptr)
                s |= STATE_SYSTEM_READONLY;
        } else if (TAccessibleTree* tree = Tree()) {
            const TAccessibleRowStates rs = tree->RowStates(child - 1);
            s = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
            if (rs.Contains(arsExpanded))
                s |= STATE_SYSTEM_EXPANDED;
            else if (rs.Contains(arsExpandable))
                s |= STATE_SYSTEM_COLLAPSED;
            if (rs.Contains(arsSelected))
                s |= STATE_SYSTEM_SELECTED;
            if (rs.Contains(arsFocused) && focused)
                s |= STATE_SYSTEM_FOCUSED;
            if (tree->RowRect(child - 1).IsEmpty())
                s |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
        } else if (TAccessibleText* text = Text()) {
            s = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED | STATE_SYSTEM_READONLY;
            if (focused && text->ReadingFocusedLink() == child - 1)
                s |= STATE_SYSTEM_FOCUSED;
            if (text->ReadingLinkRect(child - 1).IsEmpty())
                s |= STATE_SYSTEM_OFFSCREEN;
        }
        state->vt = VT_I4;
        state->lVal = s;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
        if (help == nullptr)
            return E_POINTER;
        *help = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (file != nullptr)
            *file = nullptr;
        if (topic != nullptr)
            *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override {
        if (shortcut == nullptr)
            return E_POINTER;
        *shortcut = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (focus == nullptr)
            return E_POINTER;
        VariantInit(focus);
        HWND hwnd = Hwnd();
        if (hwnd == nullptr)
            return CO_E_OBJNOTCONNECTED;
        if (GetFocus() != hwnd)
            return S_FALSE;
        int focused = -1;
        if (TAccessibleTree* tree = Tree())
            focused = tree->FocusedRow();
        else if (TAccessibleText* text = Text())
            focused = text->ReadingFocusedLink();
        focus->vt = VT_I4;
        focus->lVal = focused >= 0 ? focused + 1 : CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (selection == nullptr)
            return E_POINTER;
        VariantInit(selection);
        if (Hwnd() == nullptr)
            return CO_E_OBJNOTCONNECTED;
        // The tree selects one row at a time: the first selected row is the selection.
        if (TAccessibleTree* tree = Tree())
            for (int row = 0, n = tree->RowCount(); row < n; ++row)
                if (tree->RowStates(row).Contains(arsSelected)) {
                    selection->vt = VT_I4;
                    selection->lVal = row + 1;
                    return S_OK;
                }
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT v, BSTR* action) override {
        long child = 0;
        if (const HRESULT hr = Start(v, action, child); hr != S_OK)
            return hr;
        if (child == CHILDID_SELF)
            return S_FALSE;
        if (TAccessibleTree* tree = Tree()) {
            const TAccessibleRowStates rs = tree->RowStates(child - 1);
            if (rs.Contains(arsExpanded))
                return Answer(action, u"Свернуть");
            if (rs.Contains(arsExpandable))
                return Answer(action, u"Развернуть");
            return Answer(action, u"Выбрать");
        }
        return Text() != nullptr ? Answer(action, u"Перейти") : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT v) override {
        long child = 0;
        if (!Valid(v, child))
            return Invalid();
        if ((flags & SELFLAG_TAKEFOCUS) != 0 && child == CHILDID_SELF) {
            SetFocus(Hwnd());
            return S_OK;
        }
        TAccessibleTree* tree = Tree();
        if (tree == nullptr || child == CHILDID_SELF)
            return E_NOTIMPL;
        if ((flags & (SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION)) == 0)
            return E_INVALIDARG;
        return tree->DoRowAction(child - 1, araSelect) ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT v) override {
        long child = 0;
        if (left == nullptr || top == nullptr || width == nullptr || height == nullptr)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        if (!Valid(v, child))
            return Invalid();
        HWND hwnd = Hwnd();
        if (child == CHILDID_SELF) {
            RECT r;
            GetClientRect(hwnd, &r);
            MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
            *left = r.left;
            *top = r.top;
            *width = r.right - r.left;
            *height = r.bottom - r.top;
            return S_OK;
        }
        TRect r;
        if (TAccessibleTree* tree = Tree())
            r = tree->RowRect(child - 1);
        else if (TAccessibleText* text = Text())
            r = text->ReadingLinkRect(child - 1);
        if (r.IsEmpty())
            return S_FALSE;
        TControl* owner = Owner();
        const TPoint a = owner->ClientToScreen({r.Left, r.Top});
        const TPoint b = owner->ClientToScreen({r.Right, r.Bottom});
        *left = a.X;
        *top = a.Y;
        *width = b.X - a.X;
        *height = b.Y - a.Y;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        long child = 0;
        if (const HRESULT hr = Start(start, end, child); hr != S_OK)
            return hr;
        long count = 0;
        get_accChildCount(&count);
        long to = 0;
        switch (direction) {
        case NAVDIR_FIRSTCHILD:
            to = child == CHILDID_SELF && count > 0 ? 1 : 0;
            break;
        case NAVDIR_LASTCHILD:
            to = child == CHILDID_SELF && count > 0 ? count : 0;
            break;
        case NAVDIR_NEXT:
        case NAVDIR_DOWN:
            to = child != CHILDID_SELF && child < count ? child + 1 : 0;
            break;
        case NAVDIR_PREVIOUS:
        case NAVDIR_UP:
            to = child > 1 ? child - 1 : 0;
            break;
        default:
            return E_NOTIMPL;
        }
        if (to == 0)
            return S_FALSE;
        end->vt = VT_I4;
        end->lVal = to;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
        if (hit == nullptr)
            return E_POINTER;
        VariantInit(hit);
        HWND hwnd = Hwnd();
        if (hwnd == nullptr)
            return CO_E_OBJNOTCONNECTED;
        POINT p{x, y};
        ScreenToClient(hwnd, &p);
        RECT client;
        GetClientRect(hwnd, &client);
        if (!PtInRect(&client, p))
            return S_FALSE;
        const TPoint at = Owner()->ScreenToClient({x, y});
        int found = -1;
        if (TAccessibleTree* tree = Tree()) {
            found = tree->RowAt(at);
        } else if (TAccessibleText* text = Text()) {
            for (int link = 0, n = text->ReadingLinkCount(); link < n && found < 0; ++link)
                if (text->ReadingLinkRect(link).Contains(at))
                    found = link;
        }
        hit->vt = VT_I4;
        hit->lVal = found >= 0 ? found + 1 : CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT v) override {
        long child = 0;
        if (!Valid(v, child))
            return Invalid();
        if (child == CHILDID_SELF)
            return DISP_E_MEMBERNOTFOUND;
        if (TAccessibleTree* tree = Tree()) {
            const TAccessibleRowStates rs = tree->RowStates(child - 1);
            const TAccessibleRowAction action = rs.Contains(arsExpanded)     ? araCollapse
                                                : rs.Contains(arsExpandable) ? araExpand
                                                                             : araSelect;
            return tree->DoRowAction(child - 1, action) ? S_OK : S_FALSE;
        }
        if (TAccessibleText* text = Text())
            return text->ReadingFollowLink(child - 1) ? S_OK : S_FALSE;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    HWND Hwnd() const { return Window ? Window->Hwnd : nullptr; }
    TControl* Owner() const { return Window ? Window->Owner : nullptr; }
    TAccessibleDescription* Description() const {
        TControl* owner = Owner();
        return owner != nullptr ? owner->AccessibleDescription() : nullptr;
    }
    TAccessibleTree* Tree() const { return dynamic_cast<TAccessibleTree*>(Description()); }
    TAccessibleText* Text() const { return dynamic_cast<TAccessibleText*>(Description()); }
    // Connected, and the child one of the current rows or links (or the control itself).
    bool Valid(const VARIANT& v, long& child) {
        if (Owner() == nullptr || Hwnd() == nullptr || !ChildOf(v, child) || child < 0)
            return false;
        if (child == CHILDID_SELF)
            return true;
        long count = 0;
        get_accChildCount(&count);
        return child <= count;
    }
    HRESULT Invalid() const { return Owner() == nullptr ? CO_E_OBJNOTCONNECTED : E_INVALIDARG; }
    // The start of a call that answers about the child v names: the answer cleared and the child
    // read; S_OK to go on, else what the call returns.
    HRESULT Start(const VARIANT& v, BSTR* answer, long& child) {
        if (answer == nullptr)
            return E_POINTER;
        *answer = nullptr;
        return Valid(v, child) ? S_OK : Invalid();
    }
    HRESULT Start(const VARIANT& v, VARIANT* answer, long& child) {
        if (answer == nullptr)
            return E_POINTER;
        VariantInit(answer);
        return Valid(v, child) ? S_OK : Invalid();
    }
    static std::u16string Utf16Number(int n) {
        const std::string s = std::to_string(n);
        return std::u16string(s.begin(), s.end());
    }

    std::shared_ptr<THostWindow> Window;
};

} // namespace

IAccessible* AccessibleObject(THostWindow& window) {
    if (window.Owner == nullptr || window.Hwnd == nullptr ||
        window.Owner->AccessibleDescription() == nullptr)
        return nullptr;
    gAsked = true;
    if (window.Accessible == nullptr)
        window.Accessible = new TControlAccessible(window.shared_from_this());
    window.Accessible->AddRef();
    return window.Accessible;
}

LRESULT AnswerGetObject(THostWindow& window, WPARAM wParam, LPARAM lParam) {
    if (static_cast<long>(lParam) != OBJID_CLIENT)
        return 0;
    IAccessible* object = AccessibleObject(window);
    if (object == nullptr)
        return 0;
    const LRESULT result = LresultFromObject(IID_IAccessible, wParam, object);
    object->Release();
    // A failure (a negative result) lets the system answer with its default object.
    return result < 0 ? 0 : result;
}

void ReleaseAccessible(THostWindow& window) {
    if (window.Accessible == nullptr)
        return;
    auto* object = static_cast<TControlAccessible*>(window.Accessible);
    window.Accessible = nullptr;
    // Readers still holding the object get "not connected" from now on.
    object->Disconnect();
    object->Release();
}

bool AccessibilityActive() {
    BOOL reader = FALSE;
    return gAsked || (SystemParametersInfoW(SPI_GETSCREENREADER, 0, &reader, 0) && reader);
}

void NotifyAccessible(TControl& control, TAccessibleEvent event, int row) {
    HWND hwnd = win32::ControlWindow(control);
    if (hwnd == nullptr)
        return;
    const LONG child = row >= 0 ? row + 1 : CHILDID_SELF;
    const bool text = dynamic_cast<TAccessibleText*>(control.AccessibleDescription()) != nullptr;
    switch (event) {
    case aeFocus:
        NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd, OBJID_CLIENT, child);
        break;
    case aeStateChanged:
        NotifyWinEvent(EVENT_OBJECT_STATECHANGE, hwnd, OBJID_CLIENT, child);
        break;
    case aeRowsChanged:
        NotifyWinEvent(EVENT_OBJECT_REORDER, hwnd, OBJID_CLIENT, CHILDID_SELF);
        break;
    case aeTextChanged:
        NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF);
        NotifyWinEvent(EVENT_OBJECT_REORDER, hwnd, OBJID_CLIENT, CHILDID_SELF);
        break;
    case aeSelectionChanged:
        if (text)
            NotifyWinEvent(0x8014 /* EVENT_OBJECT_TEXTSELECTIONCHANGED */, hwnd, OBJID_CLIENT,
                           CHILDID_SELF);
        else
            NotifyWinEvent(EVENT_OBJECT_SELECTION, hwnd, OBJID_CLIENT, child);
        break;
    }
}
