// The page's links: found after each load, hit by the pointer, reached with Tab (the one
// reached framed), followed by a click or Enter, and told to screen readers.
#include "html/layout/section.h"
#include "html/viewer.h"
#include "platform/canvas.h"

#include <algorithm>

namespace html {

using namespace viewer_steps;

void THTMLViewer::CollectLinks() {
    FLinks.List.clear();
    FLinks.Focused = -1;
    FLinks.Pressed = -1;
    ++FLinks.Generation;
    for (const TFontObj* run : Document.LinkRuns) {
        TSection* section = run->Section;
        if (!section)
            continue;
        const auto& runs = section->FontRuns;
        const auto at =
            std::find_if(runs.begin(), runs.end(), [run](const auto& r) { return r.get() == run; });
        if (at == runs.end())
            continue;
        const int text = static_cast<int>(section->Text.size());
        const int start = std::clamp(run->StartPos, 0, text);
        const int end = std::clamp(std::next(at) != runs.end() ? (*std::next(at))->StartPos : text,
                                   start, text);
        if (end <= start)
            continue;
        // An element inside a link starts a run of its own: still the same link.
        if (!FLinks.List.empty() && FLinks.List.back().Section == section &&
            FLinks.List.back().Last == section->FirstPos + start &&
            FLinks.List.back().Href == run->Link) {
            FLinks.List.back().Last = section->FirstPos + end;
            continue;
        }
        FLinks.List.push_back(
            {section->FirstPos + start, section->FirstPos + end, run->Link, section});
    }
    std::sort(FLinks.List.begin(), FLinks.List.end(),
              [](const TLink& a, const TLink& b) { return a.First < b.First; });
}

std::vector<TRect> THTMLViewer::LinkRects(int link) {
    std::vector<TRect> rects;
    // While a load runs the list still names the sections of the page that went.
    if (Processing || link < 0 || link >= static_cast<int>(FLinks.List.size()))
        return rects;
    const TLink& l = FLinks.List[static_cast<std::size_t>(link)];
    rects = l.Section->TextRects(FCanvas, l.First, l.Last);
    for (TRect& r : rects) {
        r.Top -= Document.ViewTop;
        r.Bottom -= Document.ViewTop;
    }
    return rects;
}

int THTMLViewer::LinkAt(int x, int y) {
    if (Processing)
        return -1;
    for (int i = 0; i < static_cast<int>(FLinks.List.size()); ++i)
        for (const TRect& r : LinkRects(i))
            if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom)
                return i;
    return -1;
}

void THTMLViewer::FocusLink(int link) {
    if (link < -1 || link >= static_cast<int>(FLinks.List.size()) || Processing)
        return;
    FLinks.Focused = link;
    if (link >= 0) {
        // Into view: its first line at the top when above, its last at the bottom when below.
        const std::vector<TRect> rects = LinkRects(link);
        if (!rects.empty()) {
            if (rects.front().Top < 0)
                MoveTo(FScroll.Position + rects.front().Top, false);
            else if (rects.back().Bottom > FScroll.SurfaceHeight)
                MoveTo(FScroll.Position + rects.back().Bottom - FScroll.SurfaceHeight, false);
        }
    }
    Invalidate();
    if (link >= 0)
        NotifyAccessible(*this, aeFocus, link);
}

bool THTMLViewer::FollowLink(int link) {
    if (link < 0 || link >= static_cast<int>(FLinks.List.size()) || Processing)
        return false;
    // The handler usually loads another page, which ends this link list.
    const std::u16string href = FLinks.List[static_cast<std::size_t>(link)].Href;
    if (OnHotSpotClick)
        OnHotSpotClick(this, href);
    return true;
}

bool THTMLViewer::TabKey(bool backward) {
    // Tab walks the links and then lets the focus go on, so the pane never keeps it.
    const int count = static_cast<int>(FLinks.List.size());
    if (count == 0 || Processing)
        return false;
    int next;
    if (FLinks.Focused < 0)
        next = backward ? count - 1 : 0;
    else
        next = FLinks.Focused + (backward ? -1 : 1);
    if (next < 0 || next >= count) {
        FocusLink(-1);
        return false;
    }
    FocusLink(next);
    return true;
}

void THTMLViewer::PaintLinkFrame(TCanvas& canvas) {
    if (FLinks.Focused < 0 || !Focused())
        return;
    // Two pixels in the link's own colour: a frame a dotted one-pixel line would hide in.
    for (TRect r : LinkRects(FLinks.Focused))
        for (int inset = 1; inset <= 2; ++inset)
            canvas.FrameRect(
                {r.Left - inset, r.Top - inset + 1, r.Right + inset, r.Bottom + inset - 1},
                DefHotSpotColor);
}

std::u16string THTMLViewer::LinkText(int link) const {
    if (link < 0 || link >= static_cast<int>(FLinks.List.size()))
        return {};
    const TLink& l = FLinks.List[static_cast<std::size_t>(link)];
    return TextRange(l.First, l.Last);
}

// ---- the links as screen readers see them ----

int THTMLViewer::ReadingLinkCount() {
    return Processing ? 0 : static_cast<int>(FLinks.List.size());
}

std::u16string THTMLViewer::ReadingLinkName(int link) {
    return LinkText(link);
}

TRect THTMLViewer::ReadingLinkRect(int link) {
    const std::vector<TRect> rects = LinkRects(link);
    if (rects.empty())
        return {};
    TRect all = rects.front();
    for (const TRect& r : rects) {
        all.Left = std::min(all.Left, r.Left);
        all.Right = std::max(all.Right, r.Right);
        all.Bottom = std::max(all.Bottom, r.Bottom);
    }
    if (all.Bottom <= 0 || all.Top >= FScroll.SurfaceHeight)
        return {};
    return all;
}

int THTMLViewer::ReadingFocusedLink() {
    return FLinks.Focused;
}

bool THTMLViewer::ReadingFollowLink(int link) {
    return FollowLink(link);
}

} // namespace html
