#pragma once
// The HTML viewer control: holds one document, lays it out to its own width, paints the
// visible part through an off-screen bitmap, scrolls vertically and selects text with the
// mouse. Links are followed through OnHotSpotClick; history, images, forms, frames and printing
// are not offered.
#include "html/layout/document.h"
#include "html/viewercanvas.h"
#include "platform/accessible.h"
#include "platform/control.h"
#include "platform/flags.h"
#include "platform/font.h"
#include "text/scopeexit.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "html/viewer_parts.h"

namespace html {

enum class THTMLBorderStyle { htFocused, htNone, htSingle };
using enum THTMLBorderStyle;

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
using enum TScrollStyle;

enum class ThtOption {
    htOverLinksActive,
    htNoLinkUnderline,
    htPrintTableBackground,
    htPrintBackground,
    htPrintMonochromeBlack,
    htShowDummyCaret,
    htShowVScroll,  // reserve and always show the vertical bar
    htNoWheelMouse, // ignore the wheel; no middle-button panning
    htNoLinkHilite
};
using enum ThtOption;
using ThtmlViewerOptions = TFlags<ThtOption, std::uint16_t>;

class THTMLViewer : public TControl, private TAccessibleText {
public:
    THTMLViewer();
    ~THTMLViewer() override;

    // The page as read-only text for screen readers.
    TAccessibleDescription* AccessibleDescription() override { return this; }

    // ---- published properties; the text defaults take effect with the next load ----
    std::u16string DefFontName{u"Times New Roman"};
    std::u16string DefPreFontName{u"Courier New"};
    double DefFontSize{12};
    TColor DefFontColor{SystemColor(COLOR_BTNTEXT)};
    TColor DefHotSpotColor{0xFF0000};
    TColor DefOverLinkColor{0xFF0000};
    TColor DefVisitedLinkColor{0x800080};
    int CharSet{DEFAULT_CHARSET};
    int MarginWidth{10};
    int MarginHeight{5};
    bool NoSelect{false};
    ThtmlViewerOptions htOptions{htPrintTableBackground, htPrintMonochromeBlack};
    TCursor Cursor{crIBeam};
    TViewerUnreadKnobs Knobs;

    THTMLBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(THTMLBorderStyle style);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle style);
    TColor DefBackground() const { return FDefBackground; }
    void SetDefBackground(TColor color);

    // ---- events; the system assigns none of these ----
    std::function<void(THTMLViewer* Sender, bool ProcessingOn)> OnProcessing;
    std::function<void(THTMLViewer*Sender)> OnParseBegin, OnParseEnd;
    std::function<void(THTMLViewer* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos,
                       bool& Handled)>
        OnMouseWheel;
    std::function<void(THTMLViewer* Sender, TVirtualKey& Key, TShiftState Shift)> OnKeyDown;
    std::function<void(THTMLViewer*Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>
        OnMouseDown, OnMouseUp, OnMouseDouble;
    std::function<void(THTMLViewer* Sender, TShiftState Shift, int X, int Y)> OnMouseMove;

    // Following a link: a click on it or Enter on the one Tab reached. Href as the page has it.
    std::function<void(THTMLViewer* Sender, const std::u16string& Href)> OnHotSpotClick;

    // ---- links ----
    using TLink = TViewerLink;
    // The page's links in reading order, made anew by every load.
    const std::vector<TLink>& Links() const { return FLinks.List; }
    // The link under a surface point, -1 for none (where the last paint put the text).
    int LinkAt(int x, int y);
    // The link Tab has reached, -1 for none; framed while the viewer has the keyboard focus.
    int FocusedLink() const { return FLinks.Focused; }
    void FocusLink(int link);
    // Raises OnHotSpotClick for the link; false for no such link.
    bool FollowLink(int link);
    std::u16string LinkText(int link) const;

    // ---- loading ----
    void ClearDocument();
    // The text goes through UTF-8 with a byte-order mark, so what is parsed begins with U+FEFF.
    void LoadHtmlText(const std::u16string& text, const std::u16string& reference = u"");
    // The lines, each followed by CR LF.
    void LoadHtmlLines(const std::vector<std::u16string>& lines,
                       const std::u16string& reference = u"");
    void LoadSource(const std::u16string& source, const std::u16string& reference,
                    bool asPlainText);

    // ---- layout and scrolling ----
    // Lays the document out to the width the scroll bar rule gives and arranges the bars.
    void DoLayout();
    void ArrangeScrollBars();
    // Lays out again and scrolls so that the text at the top of the view stays there.
    void ReLayoutKeepingView();
    void ScrollTo(int position);
    int Position() const { return FScroll.Position; }
    int HScrollPosition() const { return FScroll.HPosition; }
    // The largest position that shows a full surface: DocHeight - surface height, at least 0.
    int MaxPosition() const;

    // ---- text ----
    // The plain text of the document positions [from, to) in reading order: the lines of the
    // page in order, each table cell on lines of its own, entities decoded, no markup; lines
    // are separated by a line feed. Positions are those of the last layout.
    std::u16string TextRange(int from, int to) const;
    std::u16string SelectedText() const;
    // Selects the whole page.
    void SelectAll();
    // Puts the selected text on the clipboard; nothing with an empty selection.
    void CopyToClipboard();
    // The selection from its anchor (else the caret) to the position; the caret goes there.
    void SelectTo(int position);

    // ---- state ----
    TSectionList Document;
    std::u16string Source;
    bool Processing{false};
    bool Creating{true};
    int DocHeight{0};
    int DocWidth{0};
    TViewerPointer Pointer;
    std::u16string CurrentFile;
    int CodePage{0}; // of the page last read, as the document builder reports it
    int ScrollBarWidth() const { return FScroll.BarWidth; }
    int SmallChange() const { return viewer_steps::kVSmallChange; }
    int LargeChange() const { return FScroll.LargeChange; }

    // The drawing surface: where the viewer paints, beside the vertical bar.
    int SurfaceWidth() const { return FScroll.SurfaceWidth; }
    int SurfaceHeight() const { return FScroll.SurfaceHeight; }
    bool VScrollBarShown() const { return FScroll.VBarShown; }
    // Border of the control's frame: 0 without border, else 1 on each side.
    int BorderWidth() const;

    // Pacing of the auto-scroll loop: a millisecond clock and a wait that handles the messages
    // that arrive meanwhile. The platform's unless replaced.
    std::function<std::uint32_t()> Clock;
    std::function<void(unsigned milliseconds)> WaitForMessages;

    static bool IsWordChar(char16_t c);

protected:
    void Paint(TCanvas& canvas, const TRect& updateRect) override;
    void Resize() override;
    void FocusIn() override;
    void FocusOut() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void DoubleClick(TMouseButton button, TShiftState shift, int x, int y) override;
    bool MouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
    void KeyDown(TVirtualKey& key, TShiftState shift) override;
    bool TabKey(bool backward) override;
    void Scroll(TScrollBarKind bar, TScrollCode code, int pos) override;
    void Message(unsigned id, std::uintptr_t a, std::intptr_t b) override;

private:
    void AnnounceTextChange();

    void SetProcessing(bool on);
    // Marks the viewer as processing for the length of a scope.
    // Marks the viewer as processing until the scope is left, by an exception too.
    auto ProcessingScope() {
        SetProcessing(true);
        return mkb::text::TScopeExit([this] { SetProcessing(false); });
    }
    // Reads Source into the document.
    void ParseSource();
    void SetDocumentDefaults();
    void LayoutAt(int width);
    void ClientSize(int& cw, int& ch) const;
    // Moves the view to a clamped target and repaints: by shifting the surface contents when
    // shift is set, else the whole surface.
    void MoveTo(int target, bool shift);
    void SetBarPosition(int position);
    void UpdateBorder();
    void EndPanning();
    void ExtendSelection(int x, int y);
    void StartAutoScroll();
    void AutoScrollLoop();
    bool AutoScrollWanted() const;
    int CursorAtPoint(int x, int y, bool& atChar, int& caretX);
    // Ctrl+C, Ctrl+Insert, Ctrl+A and the menu keys; returns whether the key was one of them.
    bool TextKey(TVirtualKey key, TShiftState shift);
    // "Копировать" and "Выделить всё" at the surface point.
    void ShowContextMenu(TPoint p);
    // Shift with the navigation keys; whether the key was one of them.
    bool SelectionKey(TVirtualKey key, TShiftState shift);
    // The first (last) document position shown in the view.
    int ViewEdgePosition(bool bottom);
    std::u16string ReadingText() override;
    void ReadingSelection(int& start, int& end) override;
    int ReadingLinkCount() override;
    std::uint64_t ReadingLinkGeneration() const override { return FLinks.Generation; }
    std::u16string ReadingLinkName(int link) override;
    TRect ReadingLinkRect(int link) override;
    int ReadingFocusedLink() override;
    bool ReadingFollowLink(int link) override;
    void CollectLinks();
    // Surface coordinates, one box per line.
    std::vector<TRect> LinkRects(int link);
    void PaintLinkFrame(TCanvas& canvas);

    THTMLBorderStyle FBorderStyle{htFocused};
    TScrollStyle FScrollBars{ssBoth};
    TColor FDefBackground{clBtnFace};
    TViewerCanvas FCanvas;
    TViewerScroll FScroll;
    bool FPainting{false};
    bool FTextChangePosted{false};
    TViewerLinks FLinks;
    std::shared_ptr<bool> FAlive{std::make_shared<bool>(true)};
};

} // namespace html
