#include "html/viewer.h"

#include "html/builder.h"
#include "html/layout/section.h"
#include "platform/application.h"
#include "platform/timing.h"
#include "text/utf.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace html {

// ---- construction and properties -------------------------------------------------------------

THTMLViewer::THTMLViewer() : Document(this, this) {
    Creating = true;
    Clock = [] { return GetTickCount(); };
    WaitForMessages = [](unsigned ms) { WaitAndProcessMessages(ms); };
    ScrollBarWidth = VerticalScrollBarWidth();
    SetDocumentDefaults();
    UpdateBorder();
    SetCursor(Cursor);
    VertScrollBar().SetScrollInfo({}, false);
    HorzScrollBar().SetScrollInfo({}, false);
    SetBounds(0, 0, 150, 150);
    int cw = 0, ch = 0;
    ClientSize(cw, ch);
    FSurfaceWidth = cw;
    FSurfaceHeight = ch;
    FLargeChange = std::max(0, ch - kVSmallChange);
    Creating = false;
}

THTMLViewer::~THTMLViewer() {
    // A running auto-scroll loop checks this before touching the control again.
    *FAlive = false;
}

void THTMLViewer::SetBorderStyle(THTMLBorderStyle style) {
    if (style == FBorderStyle)
        return;
    FBorderStyle = style;
    UpdateBorder();
    FLastWidth = FLastHeight = -1; // the client size changed though the control's did not
    Resize();
}

void THTMLViewer::SetScrollBars(TScrollStyle style) {
    if (style == FScrollBars)
        return;
    FScrollBars = style;
    FLastWidth = FLastHeight = -1;
    Resize();
}

void THTMLViewer::SetDefBackground(TColor color) {
    if (Processing)
        return;
    FDefBackground = color;
    Document.Background = color;
    Invalidate();
}

int THTMLViewer::BorderWidth() const {
    return FBorderStyle == htNone ? 0 : 2;
}

void THTMLViewer::UpdateBorder() {
    switch (FBorderStyle) {
    case htNone:
        SetBorder(bkNone);
        break;
    case htSingle:
        SetBorder(bkSingle);
        break;
    case htFocused:
        SetBorder(Focused() ? bkSingle : bkBlank);
        break;
    }
}

bool THTMLViewer::IsWordChar(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
           c >= 0x0410;
}

void THTMLViewer::SetProcessing(bool on) {
    Processing = on;
    if (OnProcessing)
        OnProcessing(this, on);
}

void THTMLViewer::SetDocumentDefaults() {
    Document.SetDefaults(DefFontName, DefPreFontName, MarginWidth, MarginHeight, CharSet,
                         !htOptions.Contains(htNoLinkUnderline),
                         htOptions.Contains(htOverLinksActive), FDefBackground, DefOverLinkColor,
                         DefVisitedLinkColor, DefHotSpotColor, DefFontColor, DefFontSize);
}

// ---- loading ---------------------------------------------------------------------------------

void THTMLViewer::ClearDocument() {
    if (Processing)
        return;
    Document.Clear();
    SetDocumentDefaults();
    int cw = 0, ch = 0;
    ClientSize(cw, ch);
    FVBarShown = false;
    FVBarEnabled = true;
    FSurfaceWidth = cw;
    FSurfaceHeight = ch;
    VertScrollBar().SetScrollInfo({0, 0, FSurfaceHeight + 1, 0}, false);
    FPosition = VertScrollBar().Position();
    HorzScrollBar().SetScrollInfo({}, false);
    CaretPos = 0;
    SelAnchor = -1;
    CollectLinks();
    Invalidate();
    AnnounceTextChange();
}

void THTMLViewer::AnnounceTextChange() {
    if (FTextChangePosted)
        return;
    FTextChangePosted = true;
    PostMessage(kTextChangedMessage);
}

void THTMLViewer::LoadHtmlText(const std::u16string& text, const std::u16string& reference) {
    const std::string bytes = "\xEF\xBB\xBF" + Utf16ToUtf8(text);
    LoadSource(Utf8ToUtf16(bytes), reference, false);
}

void THTMLViewer::LoadHtmlLines(const std::vector<std::u16string>& lines,
                                const std::u16string& reference) {
    std::size_t size = 0;
    for (const auto& line : lines)
        size += line.size() + 2;
    std::u16string text;
    text.reserve(size);
    for (const auto& line : lines) {
        text += line;
        text += u"\r\n";
    }
    LoadSource(text, reference, false);
}

void THTMLViewer::LoadSource(const std::u16string& source, const std::u16string& reference,
                             bool asPlainText) {
    if (Processing)
        return;
    auto processing = ProcessingScope();

    const std::size_t hash = reference.find(u'#');
    const std::u16string filePart = reference.substr(0, hash);
    const std::u16string previousFile = CurrentFile;
    // The system hands no file references; the file part is kept as given.
    CurrentFile = filePart;

    Document.ProgressBase = 75;
    Document.Clear();
    SetDocumentDefaults();
    CaretPos = 0;
    SelAnchor = -1;

    Source = source;
    if (OnParseBegin)
        OnParseBegin(this);
    // Plain-text loading is not offered: the text is always read as HTML.
    (void)asPlainText;
    ParseSource();
    if (OnParseEnd)
        OnParseEnd(this);

    DoLayout();
    CollectLinks();
    // No anchor can be shown (the document registers none that is asked for), so a load of a
    // new or unnamed file starts at the top.
    if (CurrentFile.empty() || CurrentFile != previousFile) {
        ScrollTo(0);
        FHPosition = 0;
    }
    Invalidate();
    AnnounceTextChange();
}

void THTMLViewer::ParseSource() {
    CodePage = ParseDocument(Source, Document);
}

// ---- layout and scroll bars ------------------------------------------------------------------

void THTMLViewer::ClientSize(int& cw, int& ch) const {
    const int b = BorderWidth();
    cw = Width() - b;
    ch = Height() - b;
}

void THTMLViewer::LayoutAt(int width) {
    int cw = 0, ch = 0;
    ClientSize(cw, ch);
    DocWidth = 0;
    int pos = 0;
    DocHeight = Document.Layout(FCanvas, 0, pos, DocWidth, width, ch);
}

void THTMLViewer::DoLayout() {
    int cw = 0, ch = 0;
    ClientSize(cw, ch);
    const int s = ScrollBarWidth;
    if (FScrollBars == ssNone || FScrollBars == ssHorizontal) {
        LayoutAt(cw);
    } else if (htOptions.Contains(htShowVScroll) || Source.size() > 9999) {
        // Long pages are taller than the pane anyway: lay out once, beside the bar.
        LayoutAt(cw - s);
    } else {
        LayoutAt(cw);
        if (DocHeight > ch) {
            LayoutAt(cw - s);
            // Fits only at the narrower width: back to the full width; the bar still shows.
            if (DocHeight <= ch)
                LayoutAt(cw);
        }
    }
    ArrangeScrollBars();
}

void THTMLViewer::ArrangeScrollBars() {
    DocWidth = std::min(DocWidth, kMaxDocWidth);
    int cw = 0, ch = 0;
    ClientSize(cw, ch);
    const int s = ScrollBarWidth;
    const bool showV = htOptions.Contains(htShowVScroll);
    const bool vertical = FScrollBars == ssVertical || FScrollBars == ssBoth;
    const bool noBars = !showV && ch >= DocHeight && cw >= DocWidth;
    const bool vNeeded = !noBars && vertical && DocHeight >= ch;
    FVBarShown = vNeeded || (vertical && showV);
    // The horizontal bar is not offered: content wider than the pane is reached with the keys.
    FSurfaceWidth = cw - (FVBarShown ? s : 0);
    FSurfaceHeight = ch;
    FLargeChange = FSurfaceHeight - kVSmallChange;
    FVBarEnabled = !showV || vNeeded;
    VertScrollBar().SetScrollInfo({0, DocHeight, FSurfaceHeight + 1, FPosition}, FVBarShown,
                                  FVBarEnabled);
    FHMax = std::max(0, std::max(DocWidth, FSurfaceWidth));
    HorzScrollBar().SetScrollInfo({}, false);
}

int THTMLViewer::MaxPosition() const {
    return std::max(0, DocHeight - FSurfaceHeight);
}

void THTMLViewer::SetBarPosition(int position) {
    FPosition = position;
    TScrollInfo info = VertScrollBar().GetScrollInfo();
    info.Pos = position;
    VertScrollBar().SetScrollInfo(info, FVBarShown, FVBarEnabled);
    Document.ViewTop = position;
}

void THTMLViewer::ScrollTo(int position) {
    position = std::max(0, std::min(position, DocHeight - FSurfaceHeight));
    SetBarPosition(position);
    Invalidate();
}

void THTMLViewer::MoveTo(int target, bool shift) {
    target = std::max(0, std::min(target, MaxPosition()));
    const int old = FPosition;
    if (target == old)
        return;
    SetBarPosition(target);
    if (shift)
        ScrollContents(0, old - target);
    else
        Invalidate();
}

void THTMLViewer::ReLayoutKeepingView() {
    if (Processing)
        return;
    auto processing = ProcessingScope();
    const TSection* anchor = nullptr;
    for (const TSection* s : Document.SearchList)
        if (s->LayoutTop <= FPosition)
            anchor = s;
    const int offset = anchor ? FPosition - anchor->LayoutTop : 0;
    Document.ProgressBase = 0;
    DoLayout();
    ScrollTo(anchor ? anchor->LayoutTop + offset : FPosition);
}

void THTMLViewer::Resize() {
    if (Creating)
        return;
    // Showing or hiding the bar resizes the client area only; the control itself is unchanged.
    if (Width() == FLastWidth && Height() == FLastHeight)
        return;
    FLastWidth = Width();
    FLastHeight = Height();
    if (Processing) {
        ArrangeScrollBars();
        return;
    }
    ReLayoutKeepingView();
    if (DocHeight < FSurfaceHeight)
        ScrollTo(0);
    else
        ScrollTo(FPosition);
    FHPosition = std::max(0, std::min(FHPosition, FHMax - FSurfaceWidth));
}

// ---- scrolling by the bar, the keys and the wheel ----------------------------------------------

void THTMLViewer::Scroll(TScrollBarKind bar, TScrollCode code, int pos) {
    if (bar != sbVertical)
        return;
    int target = FPosition;
    switch (code) {
    case scLineUp:
        target -= kVSmallChange;
        break;
    case scLineDown:
        target += kVSmallChange;
        break;
    case scPageUp:
        target -= FLargeChange;
        break;
    case scPageDown:
        target += FLargeChange;
        break;
    case scTop:
        target = 0;
        break;
    case scBottom:
        target = DocHeight - FSurfaceHeight;
        break;
    case scTrack:
    case scPosition: // the thumb's final place, or a wheel turn over the bar
        target = pos;
        break;
    default:
        break;
    }
    MoveTo(target, true);
}

void THTMLViewer::KeyDown(TVirtualKey& key, TShiftState shift) {
    if (OnKeyDown) {
        OnKeyDown(this, key, shift);
        if (key == 0)
            return;
    }
    if (Panning) {
        EndPanning();
        return;
    }
    if (TextKey(key, shift) || SelectionKey(key, shift)) {
        key = 0;
        return;
    }
    if (shift.ContainsAny({ssShift, ssAlt, ssCtrl}))
        return;
    if (key == vk::Return && FollowLink(FFocusedLink)) {
        key = 0;
        return;
    }
    int target = FPosition;
    switch (key) {
    case vk::Prior:
        target -= FLargeChange;
        break;
    case vk::Next:
        target += FLargeChange;
        break;
    case vk::End:
        target = DocHeight;
        break;
    case vk::Home:
        target = 0;
        break;
    case vk::Up:
        target -= kVSmallChange;
        break;
    case vk::Down:
        target += kVSmallChange;
        break;
    case vk::Left:
    case vk::Right: {
        const int step = key == vk::Left ? -kHSmallChange : kHSmallChange;
        const int h = std::max(0, std::min(FHPosition + step, FHMax - FSurfaceWidth));
        if (h != FHPosition) {
            FHPosition = h;
            Invalidate();
        }
        key = 0;
        return;
    }
    default:
        return;
    }
    target = std::max(0, std::min(target, MaxPosition()));
    MoveTo(target, std::abs(target - FPosition) == kVSmallChange);
    key = 0;
}

bool THTMLViewer::MouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
    if (htOptions.Contains(htNoWheelMouse))
        return false;
    if (OnMouseWheel) {
        bool handled = false;
        OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
        if (handled)
            return true;
    }
    const int lines = WheelScrollLines();
    int step;
    if (lines > 0)
        step = wheelDelta > 0 ? -kVSmallChange * lines : kVSmallChange * lines;
    else
        step = -(wheelDelta / 2);
    const int target = std::max(0, std::min(FPosition + step, MaxPosition()));
    if (target != FPosition)
        ScrollTo(target);
    return true;
}

// ---- focus -----------------------------------------------------------------------------------

void THTMLViewer::FocusIn() {
    UpdateBorder();
}

void THTMLViewer::FocusOut() {
    // The next visit starts from the page's first link again.
    if (FFocusedLink >= 0) {
        FFocusedLink = -1;
        Invalidate();
    }
    UpdateBorder();
}

} // namespace html
