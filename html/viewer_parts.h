#pragma once
// The viewer's state in parts, as the tree keeps its appearance, position cache and input state:
// what scrolling keeps, what the caret, the selection and the pointer keep, and the knobs the
// viewer's interface names that nothing in it reads.
#include "platform/types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace html {

class TSection;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
using enum TAlign;

// Where the document shows in the pane, and the bars that move it.
struct TViewerScroll {
    int Position{0};      // the document's row at the pane's top
    int HPosition{0};     // the document's column at the pane's left edge
    int HMax{0};          // the widest column the horizontal position may take
    int LargeChange{0};   // a page: the pane's height
    int SurfaceWidth{0};  // the client area beside the vertical bar
    int SurfaceHeight{0}; // and above the horizontal one
    bool VBarShown{false};
    bool VBarEnabled{true};
    int BarWidth{0};   // the vertical bar's width while it shows
    int LastWidth{-1}; // the client size the document was last laid out for
    int LastHeight{-1};
};

// The keyboard's caret and selection anchor, and what the pointer is doing.
struct TViewerPointer {
    int CaretPos{0};
    int SelAnchor{-1};     // -1: no selection
    bool LeftDown{false};  // the left button went down in the pane and is held
    bool Selecting{false}; // that press has moved: it selects
    bool AutoScrolling{false};
    bool AutoScrollPosted{false};
    bool Panning{false}; // the middle button pans the page
    int PanStartY{0};
    TPoint Last;          // the last position reported, surface coordinates
    bool LeftHeld{false}; // the left button as the last mouse event reported it
};

// A link of the page: document positions [First, Last) and the address as the page has it.
struct TViewerLink {
    int First{0};
    int Last{0};
    std::u16string Href;
    TSection* Section{nullptr};
};

// The page's links in reading order, made anew by every load, and which of them Tab reached or
// the left button went down on.
struct TViewerLinks {
    std::vector<TViewerLink> List;
    int Focused{-1};
    int Pressed{-1};
    std::uint64_t Generation{0}; // changes with every new list, for screen readers' link objects
};

// The viewer's fixed steps and paces.
namespace viewer_steps {
inline constexpr int kVSmallChange = 16;
inline constexpr int kHSmallChange = 15;
inline constexpr int kMaxDocWidth = 6000;
inline constexpr unsigned kAutoScrollMessage = 1;
// Screen readers hear of a new page once the loading is done: a clear and the load that follows
// it are one change to them.
inline constexpr unsigned kTextChangedMessage = 2;
inline constexpr unsigned kAutoScrollInterval = 100;
inline constexpr int kPanDeadZone = 20;
} // namespace viewer_steps

// Knobs of the viewer's interface that nothing in it reads: set and kept, for those who set them.
struct TViewerUnreadKnobs {
    TAlign Align{alNone};
    int HistoryMaxCount{0};
    int VisitedMaxCount{50};
    int ImageCacheCount{5};
    double PrintMarginLeft{2.0}, PrintMarginRight{2.0}, PrintMarginTop{2.0}, PrintMarginBottom{2.0},
        PrintScale{1.0};
};

} // namespace html
