#pragma once
// A control's own scroll bar (one at the bottom, one at the right edge), with the platform's
// model: a 32-bit range Min..Max, a page, and a position that can go from Min to
// Max - Page + 1.
#include <memory>

enum class TScrollBarKind { sbHorizontal, sbVertical };
using enum TScrollBarKind;

// What the user did with a scroll bar.
enum class TScrollCode {
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scPosition, // thumb released at Pos
    scTrack,    // thumb dragged to Pos
    scTop,
    scBottom,
    scEndScroll
};
using enum TScrollCode;

struct TScrollInfo {
    int Min{0};
    int Max{0};
    int Page{0};
    int Pos{0};
    friend bool operator==(const TScrollInfo&, const TScrollInfo&) = default;
};

class TControl;

class TScrollBar {
public:
    TScrollBar(TControl& owner, TScrollBarKind kind) : Owner(owner), Kind(kind) {}

    // Sets range, page and position (the position is clamped to what the range allows), then
    // shows or hides the bar; a shown bar can be disabled (visible but inert).
    void SetScrollInfo(const TScrollInfo& info, bool visible, bool enabled = true);
    // The values in force, the position as clamped by the bar.
    TScrollInfo GetScrollInfo() const;
    int Position() const { return GetScrollInfo().Pos; }
    bool Visible() const;
    bool Enabled() const;
    TScrollBarKind BarKind() const { return Kind; }

private:
    TControl& Owner;
    TScrollBarKind Kind;
    TScrollInfo Info;
};
