#include "html/viewer.h"

#include "html/builder.h"
#include "html/layout/section.h"
#include "platform/application.h"
#include "platform/timing.h"
#include "text/utf.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

using namespace mkb::text;

namespace html {

using namespace viewer_steps;

// ---- construction and properties -------------------------------------------------------------

THTMLViewer::THTMLViewer() : Document(this, this) {
    Creating = true;
    Clock = [] { return GetTickCount(); };
    WaitForMessages = [](unsigned ms) { WaitAndProcessMessages(ms); };
    FScroll.BarWidth = VerticalScrollBarWidth();
    SetDocumentDefaults();
    UpdateBorder();
    SetCursor(Cursor);
    VertScrollBar().SetScrollInfo({}, false);
    HorzScrollBar().SetScrollInfo({}, false);
    SetBounds(0, 0, 150, 150);
    int cw = 0, ch = 0;
    ClientSize(cw, ch);
    FScroll.SurfaceWidth = cw;
    FScroll.SurfaceHeight = ch;
    FScroll.LargeChange = std::max(0, ch - kVSmallChange);
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
    FScroll.LastWidth = FScroll.LastHeight =
        -1; // the client size changed though the control's did not
    Resize();
}

void THTMLViewer::SetScrollBars(TScrollStyle style) {
    if (style == FScrollBars)
        return;
    FScrollBars = style;
    FScroll.LastWidth = FScroll.LastHeight = -1;
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
    FScroll.VBarShown = false;
    FScroll.VBarEnabled = true;
    FScroll.SurfaceWidth = cw;
    FScroll.SurfaceHeight = ch;
    VertScrollBar().SetScrollInfo({0, 0, FScroll.SurfaceHeight + 1, 0}, false);
    FScroll.Position = VertScrollBar().Position();
    HorzScrollBar().SetScrollInfo({}, false);
    Pointer.CaretPos = 0;
    Pointer.SelAnchor = -1;
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
    Pointer.CaretPos = 0;
    Pointer.SelAnchor = -1;

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
        FScroll.HPosition = 0;
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
    const int s = FScroll.BarWidth;
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
    const int s = FScroll.BarWidth;
    const bool showV = htOptions.Contains(htShowVScroll);
    const bool vertical = FScrollBars == ssVertical || FScrollBars == ssBoth;
    const bool noBars = !showV && ch >= DocHeight && cw >= DocWidth;
    const bool vNeeded = !noBars && vertical && DocHeight >= ch;
    FScroll.VBarShown = vNeeded || (vertical && showV);
    // The horizontal bar is not offered: content wider than the pane is reached with the keys.
    FScroll.SurfaceWidth = cw - (FScroll.VBarShown ? s : 0);
    FScroll.SurfaceHeight = ch;
    FScroll.LargeChange = FScroll.SurfaceHeight - kVSmallChange;
    FScroll.VBarEnabled = !showV || vNeeded;
    VertScrollBar().SetScrollInfo({0, DocHeight, FScroll.SurfaceHeight + 1, FScroll.Position},
                                  FScroll.VBarShown, FScroll.VBarEnabled);
    FScroll.HMax = std::max(0, std::max(DocWidth, FScroll.SurfaceWidth));
    HorzScrollBar().SetScrollInfo({}, false);
}

int THTMLViewer::MaxPosition() const {
    return std::max(0, DocHeight - FScroll.SurfaceHeight);
}

void THTMLViewer::SetBarPosition(int position) {
    FScroll.Position = position;
    TScrollInfo info = VertScrollBar().GetScrollInfo();
    info.Pos = position;
    VertScrollBar().SetScrollInfo(info, FScroll.VBarShown, FScroll.VBarEnabled);
    Document.ViewTop = position;
}

void THTMLViewer::ScrollTo(int position) {
    position = std::max(0, std::min(position, DocHeight - FScroll.SurfaceHeight));
    SetBarPosition(position);
    Invalidate();
}

void THTMLViewer::MoveTo(int target, bool shift) {
    target = std::max(0, std::min(target, MaxPosition()));
    const int old = FScroll.Position;
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
        if (s->LayoutTop <= FScroll.Position)
            anchor = s;
    const int offset = anchor ? FScroll.Position - anchor->LayoutTop : 0;
    Document.ProgressBase = 0;
    DoLayout();
    ScrollTo(anchor ? anchor->LayoutTop + offset : FScroll.Position);
}

void THTMLViewer::Resize() {
    if (Creating)
        return;
    // Showing or hiding the bar resizes the client area only; the control itself is unchanged.
    if (Width() == FScroll.LastWidth && Height() == FScroll.LastHeight)
        return;
    FScroll.LastWidth = Width();
    FScroll.LastHeight = Height();
    if (Processing) {
        ArrangeScrollBars();
        return;
    }
    ReLayoutKeepingView();
    if (DocHeight < FScroll.SurfaceHeight)
        ScrollTo(0);
    else
        ScrollTo(FScroll.Position);
    FScroll.HPosition =
        std::max(0, std::min(FScroll.HPosition, FScroll.HMax - FScroll.SurfaceWidth));
}

// ---- scrolling by the bar, the keys and the wheel ----------------------------------------------

void THTMLViewer::Scroll(TScrollBarKind bar, TScrollCode code, int pos) {
    if (bar != sbVertical)
        return;
    int target = FScroll.Position;
    switch (code) {
    case scLineUp:
        target -= kVSmallChange;
        break;
    case scLineDown:
        target += kVSmallChange;
        break;
    case scPageUp:
        target -= FScroll.LargeChange;
        break;
    case scPageDown:
        target += FScroll.LargeChange;
        break;
    case scTop:
        target = 0;
        break;
    case scBottom:
        target = DocHeight - FScroll.SurfaceHeight;
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
    if (Pointer.Panning) {
        EndPanning();
        return;
    }
    if (TextKey(key, shift) || SelectionKey(key, shift)) {
        key = 0;
        return;
    }
    if (shift.ContainsAny({ssShift, ssAlt, ssCtrl}))
        return;
    if (key == vk::Return && FollowLink(FLinks.Focused)) {
        key = 0;
        return;
    }
    int target = FScroll.Position;
    switch (key) {
    case vk::Prior:
        target -= FScroll.LargeChange;
        break;
    case vk::Next:
        target += FScroll.LargeChange;
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
        const int h =
            std::max(0, std::min(FScroll.HPosition + step, FScroll.HMax - FScroll.SurfaceWidth));
        if (h != FScroll.HPosition) {
            FScroll.HPosition = h;
            Invalidate();
        }
        key = 0;
        return;
    }
    default:
        return;
    }
    target = std::max(0, std::min(target, MaxPosition()));
    MoveTo(target, std::abs(target - FScroll.Position) == kVSmallChange);
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
    const int target = std::max(0, std::min(FScroll.Position + step, MaxPosition()));
    if (target != FScroll.Position)
        ScrollTo(target);
    return true;
}

// ---- focus -----------------------------------------------------------------------------------

void THTMLViewer::FocusIn() {
    UpdateBorder();
}

void THTMLViewer::FocusOut() {
    // The next visit starts from the page's first link again.
    if (FLinks.Focused >= 0) {
        FLinks.Focused = -1;
        Invalidate();
    }
    UpdateBorder();
}

} // namespace html
