#pragma once
// The tree's input state: the mouse and drag settings, wheel panning (its origin window, the
// pointer and the directions it scrolls), the edge zone of drags and the drop target. The tree
// keeps the handlers; this part keeps what they remember between events and the arithmetic of
// panning.
#include "platform/cursors.h"
#include "platform/types.h"
#include "tree/paint_types.h"
#include "tree/tree_types.h"
#include <cstdint>
#include <memory>

// Where a client point lies relative to the rows and the parts of a row.
enum class THitPosition {
    hpAbove,
    hpBelow,
    hpToLeft,
    hpToRight,
    hpNowhere,
    hpOnNode,
    hpOnButton,
    hpOnButtonGlyph,
    hpOnCheckBox,
    hpOnStateImage,
    hpOnImage,
    hpOnText,
    hpLeftOfText,
    hpRightOfText,
    hpUpperEdge,
    hpLowerEdge,
};
using enum THitPosition;
using THitPositions = TFlags<THitPosition>;

struct THitInfo {
    PVirtualNode HitNode{nullptr};
    TColumnIndex HitColumn{NoColumn};
    THitPositions HitPositions;
};

// Directions of timed scrolling (wheel panning, edge scrolling while dragging).
enum class TScrollDirection { sdLeft, sdUp, sdRight, sdDown };
using enum TScrollDirection;
using TScrollDirections = TFlags<TScrollDirection, std::uint8_t>;

enum class TDragState { dsDragEnter, dsDragLeave, dsDragMove };
using enum TDragState;
// Drop effects; a refused drop has none.
constexpr int DROPEFFECT_NONE = 0;
constexpr int DROPEFFECT_COPY = 1;
constexpr int DROPEFFECT_MOVE = 2;

class TTreeInputState {
public:
    unsigned AutoScrollDelay() const { return FAutoScrollDelay; }
    void SetAutoScrollDelay(unsigned ms) { FAutoScrollDelay = ms; }
    unsigned AutoScrollInterval() const { return FAutoScrollInterval; }
    void SetAutoScrollInterval(unsigned ms) { FAutoScrollInterval = ms; }
    unsigned AutoExpandDelay() const { return FAutoExpandDelay; }
    void SetAutoExpandDelay(unsigned ms) { FAutoExpandDelay = ms; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool value) { FWantTabs = value; }
    // Client position of the last mouse press; the panning origin while panning.
    TPoint LastClickPos() const { return FLastClickPos; }
    void SetLastClickPos(TPoint p) { FLastClickPos = p; }

    // ---- wheel panning ----
    TScrollDirections ScrollDirections() const { return FScrollDirections; }
    const TPanningWindow* PanningWindow() const { return FPanningWindow.get(); }
    // Shows the origin window centred at `screen`, remembering the cursor to restore.
    void StartPanning(TCursor kind, TPoint screen, TCursor cursorBefore);
    // Hides the origin window; the cursor to restore.
    TCursor StopPanning();
    // Takes the pointer's client position: the directions to scroll in and the cursor that
    // shows them, given which ways the content can scroll.
    TCursor MovePanPointer(TPoint p, bool horizontal, bool vertical);
    // The scroll of one panning tick: grows with the pointer's distance from the origin.
    struct TPanStep {
        std::int64_t DX{0}, DY{0};
    };
    TPanStep PanStep() const;
    // A direction that reached its end is dropped until the pointer moves again.
    void DropScrollDirections(TScrollDirections ended) { FScrollDirections -= ended; }

    // ---- drags from other programs ----
    void LeaveDragScrollZone() { FInDragScrollZone = false; }
    // Called while the pointer is in an edge zone: whether it has stayed there long enough
    // for the content to scroll.
    bool DragScrollDue(std::uint32_t now);
    PVirtualNode DropTargetNode() const { return FDropTargetNode; }
    TDropMode LastDropMode() const { return FLastDropMode; }
    void SetDropTarget(PVirtualNode node, TDropMode mode) {
        FDropTargetNode = node;
        FLastDropMode = node != nullptr ? mode : dmNowhere;
    }

private:
    unsigned FAutoScrollDelay{1000};
    unsigned FAutoScrollInterval{1};
    unsigned FAutoExpandDelay{1000};
    bool FWantTabs{false};
    TPoint FLastClickPos;
    TPoint FPanPointer; // the pointer's last position while panning
    TScrollDirections FScrollDirections;
    std::unique_ptr<TPanningWindow> FPanningWindow;
    TCursor FCursorBeforePanning{crDefault};
    bool FInDragScrollZone{false};
    std::uint32_t FDragScrollZoneSince{0};
    PVirtualNode FDropTargetNode{nullptr};
    TDropMode FLastDropMode{dmNowhere};
};
