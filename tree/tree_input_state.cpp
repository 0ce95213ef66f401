// The arithmetic of wheel panning and the timing of the drag edge zone.
#include "tree/tree_input_state.h"
#include <cstdlib>

namespace {
// Pointer offsets from the panning origin within this distance scroll nothing.
constexpr int PanDeadZone = 8;
} // namespace

void TTreeInputState::StartPanning(TCursor kind, TPoint screen, TCursor cursorBefore) {
    FPanningWindow = std::make_unique<TPanningWindow>(kind);
    FPanningWindow->ShowAt(
        {screen.X - TPanningWindow::Size / 2, screen.Y - TPanningWindow::Size / 2});
    FCursorBeforePanning = cursorBefore;
    FScrollDirections = {};
}

TCursor TTreeInputState::StopPanning() {
    FPanningWindow.reset();
    FScrollDirections = {};
    return FCursorBeforePanning;
}

TCursor TTreeInputState::MovePanPointer(TPoint p, bool horizontal, bool vertical) {
    FPanPointer = p;
    const int dx = p.X - FLastClickPos.X;
    const int dy = p.Y - FLastClickPos.Y;
    FScrollDirections = {};
    if (dx > PanDeadZone)
        FScrollDirections |= sdRight;
    else if (dx < -PanDeadZone)
        FScrollDirections |= sdLeft;
    if (dy > PanDeadZone)
        FScrollDirections |= sdDown;
    else if (dy < -PanDeadZone)
        FScrollDirections |= sdUp;

    if (std::abs(dx) < PanDeadZone && std::abs(dy) < PanDeadZone)
        return !horizontal ? crMoveNS : vertical ? crMoveAll : crMoveEW;
    if (horizontal && vertical) {
        if (dx >= -PanDeadZone && dx <= PanDeadZone)
            return dy < 0 ? crMoveN : crMoveS;
        if (dx < -PanDeadZone)
            return dy < -PanDeadZone ? crMoveNW : dy <= PanDeadZone ? crMoveW : crMoveSW;
        return dy < -PanDeadZone ? crMoveNE : dy <= PanDeadZone ? crMoveE : crMoveSE;
    }
    if (horizontal)
        return dx < 0 ? crMoveW : crMoveE;
    return dy < 0 ? crMoveN : crMoveS;
}

TTreeInputState::TPanStep TTreeInputState::PanStep() const {
    const std::int64_t towardsX = static_cast<std::int64_t>(FLastClickPos.X) - FPanPointer.X;
    const std::int64_t towardsY = static_cast<std::int64_t>(FLastClickPos.Y) - FPanPointer.Y;
    TPanStep step;
    if (FScrollDirections.Contains(sdUp))
        step.DY = towardsY - PanDeadZone;
    else if (FScrollDirections.Contains(sdDown))
        step.DY = towardsY + PanDeadZone;
    if (FScrollDirections.Contains(sdLeft))
        step.DX = towardsX - PanDeadZone;
    else if (FScrollDirections.Contains(sdRight))
        step.DX = towardsX + PanDeadZone;
    return step;
}

bool TTreeInputState::DragScrollDue(std::uint32_t now) {
    if (!FInDragScrollZone) {
        FInDragScrollZone = true;
        FDragScrollZoneSince = now;
    }
    return now - FDragScrollZoneSince >= FAutoScrollDelay;
}
