// Input: hit testing, the mouse buttons, wheel panning, the wheel, the keyboard, keyboard focus
// and objects dragged over the control from other programs.
#include "platform/application.h"
#include "platform/timing.h"
#include "tree/basetree.h"
#include "tree/tree_internal.h"
#include <cmath>
#include <cstdlib>
#include <limits>

using namespace mkb::text;

using namespace tree_detail;

namespace {
constexpr unsigned PanInterval = 20;

// Wheel amounts round to the nearest pixel, halves to even.
int RoundWheel(double v) {
    const double r = std::nearbyint(v);
    if (!(r >= std::numeric_limits<int>::min() && r <= std::numeric_limits<int>::max()))
        return r < 0 ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    return static_cast<int>(r);
}

// The character of the keypad's operator keys, for handlers that replaced the key code.
char16_t KeypadChar(TVirtualKey key) {
    switch (key) {
    case vk::Multiply:
        return u'*';
    case vk::Add:
        return u'+';
    case vk::Subtract:
        return u'-';
    case vk::Divide:
        return u'/';
    default:
        return 0;
    }
}
} // namespace

std::uint32_t TBaseVirtualTree::TickCount() const {
    return GetTickCount();
}

// ---- hit testing -----------------------------------------------------------------------------

THitInfo TBaseVirtualTree::GetHitTestInfoAt(int x, int y) {
    THitInfo hit;
    if (x < 0)
        hit.HitPositions |= hpToLeft;
    else if (x > ContentWidth())
        hit.HitPositions |= hpToRight;
    if (y < 0)
        hit.HitPositions |= hpAbove;
    else if (y > std::max(ClientHeight(), FRangeY))
        hit.HitPositions |= hpBelow;
    if (!hit.HitPositions.Empty())
        return hit;

    const std::int64_t cx = static_cast<std::int64_t>(x) - FOffsetX;
    const int cy = ClampToInt(static_cast<std::int64_t>(y) - FOffsetY);
    PVirtualNode node = GetNodeAt(cy, false);
    if (node != nullptr && !node->States.Contains(nsInitialized)) {
        TNodeWatch watch(*this, node);
        InitNode(node);
        node = watch.Node;
    }
    if (node == nullptr) {
        hit.HitPositions = hpNowhere;
        return hit;
    }
    hit.HitNode = node;
    hit.HitPositions = hpOnNode;

    // Row geometry as painted, in content x.
    const TRowGeometry g = RowGeometry();
    const int steps = g.IndentSteps(GetNodeLevel(node));
    const std::int64_t indentEnd = static_cast<std::int64_t>(g.StepLeft(steps));
    if (cx < indentEnd) {
        if (g.ShowButtons && node->States.Contains(nsHasChildren) &&
            cx >= indentEnd - FAppearance.Indent()) {
            hit.HitPositions |= hpOnButton;
            if (cx >= indentEnd - TRowGeometry::ButtonWidth)
                hit.HitPositions |= hpOnButtonGlyph;
        }
        return hit;
    }
    if (cx < g.ImageLeft(steps))
        return hit; // the margin
    const bool hasImage = NodeImageIndex(node) >= 0;
    const std::int64_t textLeft = g.ContentLeft(steps, hasImage);
    if (hasImage && cx < textLeft) {
        hit.HitPositions |= hpOnImage;
        return hit;
    }
    const int textWidth = GetNodeContentWidth(node, NoColumn);
    // A text that does not fit reaches the end of the content.
    if (ContentWidth() - textLeft < textWidth || cx < textLeft + textWidth)
        hit.HitPositions |= hpOnText;
    else
        hit.HitPositions |= hpRightOfText;
    return hit;
}

// ---- mouse buttons ---------------------------------------------------------------------------

void TBaseVirtualTree::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    switch (button) {
    case mbLeft:
        FStates.Include(tsLeftButtonDown);
        if (OnMouseDown)
            OnMouseDown(this, button, shift, x, y);
        HandleLeftDown(shift, x, y);
        break;
    case mbMiddle:
        FStates.Include(tsMiddleButtonDown);
        if (OnMouseDown)
            OnMouseDown(this, button, shift, x, y);
        HandleMiddleDown(x, y);
        break;
    case mbRight:
        // Panning that goes on after the middle button was released ends with any press.
        if (Panning())
            StopWheelPanning();
        FStates.Include(tsRightButtonDown);
        if (OnMouseDown)
            OnMouseDown(this, button, shift, x, y);
        // Without right-click selection the press changes neither focus nor selection.
        break;
    }
}

void TBaseVirtualTree::HandleLeftDown(TShiftState shift, int x, int y) {
    THitInfo hit = GetHitTestInfoAt(x, y);
    if (Panning()) {
        StopWheelPanning();
        return;
    }
    if (!Focused() && CanFocus()) {
        SetFocus();
        hit = GetHitTestInfoAt(x, y);
    }
    const bool alt = shift.Contains(ssAlt);
    const bool shiftEmpty = !shift.ContainsAny({ssShift, ssCtrl});
    PVirtualNode node = hit.HitNode;
    const bool onButton = hit.HitPositions.Contains(hpOnButton);
    const bool cellHit =
        node != nullptr && !alt && !onButton && !hit.HitPositions.Contains(hpOnCheckBox);
    const bool nodeSelected = cellHit && Selected(node);

    if (onButton && node->States.Contains(nsHasChildren)) {
        ToggleExpanded(node);
        return;
    }

    TNodeWatch watch(*this, node);
    if (node != nullptr) {
        if (nodeSelected || alt) {
            // Only this node keeps its selection, quietly unless others lose theirs.
            const std::size_t before = FSelection.size();
            const TNodeArray others = FSelection;
            for (PVirtualNode n : others)
                if (n != node) {
                    InternalRemoveFromSelection(n, false);
                    InvalidateNode(n);
                }
            if (before > 1) {
                Invalidate();
                Change(nullptr);
            }
        } else {
            ClearSelection();
        }
    }
    FInput.SetLastClickPos({x, y});
    if (!cellHit || watch.Node == nullptr)
        return;

    bool allowed = true;
    PVirtualNode old = FFocusedNode;
    if (OnFocusChanging)
        OnFocusChanging(this, old, node, FFocusedColumn, FFocusedColumn, allowed);
    if (!allowed || watch.Node == nullptr)
        return;
    if (node != FFocusedNode)
        MoveFocus(node, false);
    if (watch.Node == nullptr)
        return;
    if (shiftEmpty)
        FRangeAnchor = node;
    if (!nodeSelected)
        AddToSelection(node);
    if (FFocusedNode != old) {
        ScrollIntoView(FFocusedNode, FOptions.SelectionOptions.Contains(toCenterScrollIntoView),
                       false);
        if (OnFocusChanged)
            OnFocusChanged(this, FFocusedNode, FFocusedColumn);
    }
}

void TBaseVirtualTree::DoubleClick(TMouseButton button, TShiftState shift, int x, int y) {
    if (button != mbLeft) {
        // A quick second press of another button is a press like any other.
        MouseDown(button, shift, x, y);
        return;
    }
    FStates.Include(tsLeftDblClick);
    TScopeExit leave([this] { FStates.Exclude(tsLeftDblClick); });
    if (OnDblClick)
        OnDblClick(this, button, shift, x, y);
    const THitInfo hit = GetHitTestInfoAt(x, y);
    if (OnColumnDblClick)
        OnColumnDblClick(this, hit.HitColumn, shift);
    if (hit.HitNode == nullptr)
        return;
    const THitPositions pos = hit.HitPositions;
    const bool toggle =
        pos.Contains(hpOnButton) ||
        (FOptions.MiscOptions.Contains(toToggleOnDblClick) &&
         (pos.ContainsAny({hpOnButton, hpOnImage, hpOnText}) ||
          (FOptions.SelectionOptions.Contains(toFullRowSelect) && pos.Contains(hpOnNode))));
    if (toggle)
        ToggleExpanded(hit.HitNode);
}

void TBaseVirtualTree::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
    switch (button) {
    case mbLeft:
        // A left release while panning goes on (started during the press) leaves it running.
        if (!Panning()) {
            ReleaseCapture();
            KillTimer(ScrollTimer);
        }
        if (OnColumnClick)
            OnColumnClick(this, NoColumn, shift);
        FStates.Exclude(tsLeftButtonDown);
        break;
    case mbMiddle:
        FStates.Exclude(tsMiddleButtonDown);
        if (FStates.Contains(tsWheelScrolling))
            // Released where it was pressed: scrolling goes on until the next press.
            FStates.Exclude(tsWheelPanning);
        else if (Panning())
            StopWheelPanning();
        break;
    case mbRight: {
        FStates.Exclude(tsRightButtonDown);
        const THitInfo hit = GetHitTestInfoAt(x, y);
        if (hit.HitNode != nullptr && hit.HitPositions.Contains(hpOnNode))
            DoPopupMenu(hit.HitNode, NoColumn, {x, y});
        break;
    }
    }
}

bool TBaseVirtualTree::DoPopupMenu(PVirtualNode node, TColumnIndex column, TPoint p) {
    if (!OnGetPopupMenu || node == nullptr || node == FRoot)
        return false;
    TPopupMenu menu;
    bool askParent = true;
    for (PVirtualNode run = node; run != nullptr && run != FRoot; run = run->Parent) {
        OnGetPopupMenu(this, run, column, p, askParent, menu);
        if (!menu.Empty() || !askParent)
            break;
    }
    if (menu.Empty())
        return false;
    menu.Popup(ClientToScreen(p));
    return true;
}

void TBaseVirtualTree::PopupAtFocusedNode() {
    PVirtualNode node = FFocusedNode;
    if (node == nullptr)
        return;
    // At the centre of the node's text, kept inside the control when the row is off screen.
    const TRect r = GetDisplayRect(node, NoColumn, true);
    TPoint p{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    p.X = std::clamp(p.X, 0, std::max(ClientWidth() - 1, 0));
    p.Y = std::clamp(p.Y, 0, std::max(ClientHeight() - 1, 0));
    DoPopupMenu(node, NoColumn, p);
}

// ---- wheel panning ---------------------------------------------------------------------------

void TBaseVirtualTree::HandleMiddleDown(int x, int y) {
    const bool canScroll = ClientWidth() < FRangeX || ClientHeight() < FRangeY;
    if (!Panning() && FOptions.MiscOptions.Contains(toWheelPanning) && canScroll) {
        FInput.SetLastClickPos({x, y});
        StartWheelPanning({x, y});
    } else if (Panning()) {
        StopWheelPanning();
    }
}

void TBaseVirtualTree::StartWheelPanning(TPoint p) {
    KillTimer(ScrollTimer);
    DoStateChange({tsWheelPanning, tsWheelScrolling});
    const bool horizontal = ClientWidth() < FRangeX;
    const bool vertical = ClientHeight() < FRangeY;
    const TCursor kind = horizontal && vertical ? crMoveAll : horizontal ? crMoveEW : crMoveNS;
    FInput.StartPanning(kind, ClientToScreen(p), Cursor());
    UpdatePanning(p);
    SetCapture();
    SetTimer(ScrollTimer, PanInterval);
}

void TBaseVirtualTree::StopWheelPanning() {
    KillTimer(ScrollTimer);
    ReleaseCapture();
    DoStateChange({}, {tsWheelPanning, tsWheelScrolling});
    SetCursor(FInput.StopPanning());
}

void TBaseVirtualTree::UpdatePanning(TPoint p) {
    SetCursor(FInput.MovePanPointer(p, ClientWidth() < FRangeX, ClientHeight() < FRangeY));
}

void TBaseVirtualTree::DoTimerScroll() {
    if (!Panning()) {
        KillTimer(ScrollTimer);
        return;
    }
    const TTreeInputState::TPanStep step = FInput.PanStep();
    if (step.DX != 0 || step.DY != 0) {
        DoSetOffsetXY(ClampToInt(FOffsetX + step.DX), ClampToInt(FOffsetY + step.DY));
        Repaint();
    }
    TScrollDirections ended;
    if (FOffsetY == 0)
        ended |= sdUp;
    if (static_cast<std::int64_t>(ClientHeight()) - FOffsetY >= FRangeY)
        ended |= sdDown;
    if (FOffsetX == 0)
        ended |= sdLeft;
    if (static_cast<std::int64_t>(ClientWidth()) - FOffsetX >= FRangeX)
        ended |= sdRight;
    FInput.DropScrollDirections(ended);
}

void TBaseVirtualTree::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
    if (!Panning())
        return;
    if (FStates.ContainsAll({tsWheelPanning, tsWheelScrolling})) {
        const int threshold = DragThreshold();
        if (std::abs(x - FInput.LastClickPos().X) >= threshold ||
            std::abs(y - FInput.LastClickPos().Y) >= threshold)
            // The user pans with the button held; releasing it ends panning.
            FStates.Exclude(tsWheelScrolling);
    }
    UpdatePanning({x, y});
}

// ---- wheel -----------------------------------------------------------------------------------

bool TBaseVirtualTree::MouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
    if (Panning())
        StopWheelPanning();
    if (OnMouseWheel) {
        bool handled = false;
        OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
        if (handled)
            return true;
    }
    const double factor = wheelDelta / 120.0;
    const bool ctrl = shift.Contains(ssCtrl);
    const int lines = WheelScrollLines();
    // A negative line count is the desktop's "one page per notch".
    const bool byPage = ctrl || lines < 0;
    if (ClientHeight() >= FRangeY || shift.Contains(ssShift)) {
        const double amount =
            byPage ? factor * ClientWidth() : factor * lines * FAppearance.Indent();
        DoSetOffsetXY(ClampToInt(static_cast<std::int64_t>(FOffsetX) + RoundWheel(amount)),
                      FOffsetY);
    } else {
        const double amount = byPage ? factor * ClientHeight()
                                     : factor * lines * static_cast<int>(FDefaultNodeHeight);
        DoSetOffsetXY(FOffsetX,
                      ClampToInt(static_cast<std::int64_t>(FOffsetY) + RoundWheel(amount)));
    }
    return true;
}

// ---- keyboard --------------------------------------------------------------------------------

void TBaseVirtualTree::KeyDown(TVirtualKey& key, TShiftState shift) {
    if (OnKeyDown) {
        OnKeyDown(this, key, shift);
        if (key == 0)
            return;
    }
    TVirtualKey code = key;
    TShiftState actionShift = shift;
    bool doDefault = true;
    if (OnKeyAction)
        OnKeyAction(this, code, actionShift, doDefault);
    if (!doDefault || code == 0)
        return;
    char16_t ch = code == key ? KeyChar() : 0;
    if (ch == 0)
        ch = KeypadChar(code);
    HandleKey(code, actionShift, ch);
}

void TBaseVirtualTree::HandleKey(TVirtualKey key, TShiftState shift, char16_t ch) {
    const bool ctrlOnly = shift.Contains(ssCtrl) && !shift.ContainsAny({ssShift, ssAlt});
    if (ctrlOnly && (key == 'C' || key == vk::Insert)) {
        CopyToClipboard();
        return;
    }
    if (key == vk::Apps ||
        (key == vk::F(10) && shift.Contains(ssShift) && !shift.ContainsAny({ssCtrl, ssAlt}))) {
        PopupAtFocusedNode();
        return;
    }
    switch (key) {
    case vk::Back:
    case vk::Prior:
    case vk::Next:
    case vk::Home:
    case vk::End:
    case vk::Left:
    case vk::Right:
    case vk::Up:
    case vk::Down:
        HandleNavigationKey(key, shift);
        return;
    case vk::Tab:
    case vk::Escape:
        // No columns, no editing, no draw selection.
        return;
    default:
        break;
    }
    if (key == vk::F(1) || key == vk::F(2))
        return; // no help context handler, no editing
    const bool ctrl = shift.Contains(ssCtrl);
    const bool withShift = shift.Contains(ssShift);
    PVirtualNode focused = FFocusedNode;
    switch (ch) {
    case u'*':
        if (focused != nullptr)
            FullExpand(focused);
        break;
    case u'/':
        if (focused != nullptr)
            FullCollapse(focused);
        break;
    case u'+':
        if (ctrl) {
            if (withShift)
                FullExpand(nullptr);
            // Ctrl alone fits header columns, and there are none.
        } else if (focused != nullptr && !IsExpandedNode(focused)) {
            ToggleExpanded(focused);
        }
        break;
    case u'-':
        if (ctrl) {
            if (withShift)
                FullCollapse(nullptr);
        } else if (focused != nullptr && IsExpandedNode(focused)) {
            ToggleExpanded(focused);
        }
        break;
    default:
        // Printable keys would start an incremental search, which is off.
        break;
    }
}

void TBaseVirtualTree::HandleNavigationKey(TVirtualKey key, TShiftState shift) {
    const bool ctrl = shift.Contains(ssCtrl);
    const bool withShift = shift.Contains(ssShift);
    PVirtualNode old = FFocusedNode;
    const std::size_t selectedBefore = FSelection.size();
    auto focus = [this](PVirtualNode n) {
        if (n != nullptr)
            SetFocusedNode(n);
    };
    auto scrollY = [this](std::int64_t delta) {
        DoSetOffsetXY(FOffsetX, ClampToInt(FOffsetY + delta));
    };
    auto scrollX = [this](std::int64_t delta) {
        DoSetOffsetXY(ClampToInt(FOffsetX + delta), FOffsetY);
    };
    const int clientHeight = ClientHeight();
    PVirtualNode f = FFocusedNode;

    switch (key) {
    case vk::Back:
        if (f != nullptr && f->Parent != nullptr && f->Parent != FRoot)
            focus(f->Parent);
        break;
    case vk::Prior:
        if (ctrl) {
            scrollY(clientHeight);
        } else if (f == nullptr) {
            focus(GetFirstVisibleNoInit());
        } else {
            focus(PageTarget(f, false));
        }
        break;
    case vk::Next:
        if (ctrl) {
            scrollY(-static_cast<std::int64_t>(clientHeight));
        } else if (f == nullptr) {
            focus(GetLastVisibleNoInit());
        } else {
            focus(PageTarget(f, true));
        }
        break;
    case vk::Home:
        if (ctrl) {
            ScrollIntoView(GetFirstVisibleNoInit(), false, true);
            DoSetOffsetXY(0, FOffsetY);
        } else {
            focus(GetFirstVisibleNoInit());
        }
        break;
    case vk::End:
        if (ctrl) {
            ScrollIntoView(GetLastVisibleNoInit(), false, true);
            DoSetOffsetXY(std::numeric_limits<int>::min(), FOffsetY);
        } else {
            focus(GetLastVisibleNoInit());
        }
        break;
    case vk::Left:
        if (ctrl)
            scrollX(FAppearance.Indent());
        else if (f == nullptr)
            focus(GetFirstVisibleNoInit());
        else if (IsExpandedNode(f) && f->States.Contains(nsHasChildren) && !withShift)
            ToggleExpanded(f);
        else if (f->Parent != nullptr && f->Parent != FRoot)
            focus(f->Parent);
        break;
    case vk::Right:
        if (ctrl) {
            scrollX(-static_cast<std::int64_t>(FAppearance.Indent()));
        } else if (f == nullptr) {
            focus(GetFirstVisibleNoInit());
        } else if (!IsExpandedNode(f) && f->States.Contains(nsHasChildren) && !withShift) {
            ToggleExpanded(f);
        } else {
            PVirtualNode c = f->FirstChild;
            while (c != nullptr && !IsVisibleNode(c))
                c = c->NextSibling;
            focus(c);
        }
        break;
    case vk::Up:
        if (ctrl) {
            scrollY(FDefaultNodeHeight);
        } else if (f == nullptr) {
            focus(GetLastVisibleNoInit());
        } else if (PVirtualNode prev = GetPreviousVisibleNoInit(f)) {
            focus(prev);
        } else {
            InvalidateNode(f);
        }
        break;
    case vk::Down:
        if (ctrl) {
            scrollY(-static_cast<std::int64_t>(FDefaultNodeHeight));
        } else if (f == nullptr) {
            focus(GetFirstVisibleNoInit());
        } else if (PVirtualNode next = GetNextVisibleNoInit(f)) {
            focus(next);
        } else {
            InvalidateNode(f);
        }
        break;
    default:
        return;
    }

    SelectFocusedAfterKey(old, selectedBefore, shift);
}

PVirtualNode TBaseVirtualTree::PageTarget(PVirtualNode from, bool down) const {
    const int clientHeight = ClientHeight();
    PVirtualNode n = from;
    if (down) {
        // The last row that starts within a page below the focused one.
        std::int64_t top = 0;
        WalkVisibleRows(from, top, [&](PVirtualNode row, std::int64_t rowTop) {
            if (row != from && rowTop >= clientHeight)
                return false;
            n = row;
            return true;
        });
        return n;
    }
    // Upwards: the first row of the page that ends with the focused one.
    std::int64_t sum = 0;
    for (;;) {
        PVirtualNode prev = GetPreviousVisibleNoInit(n);
        if (prev == nullptr || sum + n->NodeHeight >= clientHeight)
            break;
        n = prev;
        sum += n->NodeHeight;
    }
    return n;
}

void TBaseVirtualTree::SelectFocusedAfterKey(PVirtualNode old, std::size_t selectedBefore,
                                             TShiftState shift) {
    // The selection follows the focus.
    const bool moved = FFocusedNode != old;
    bool cleared = false;
    if (moved || FSelection.size() != 1) {
        ClearSelection();
        cleared = true;
    }
    if (!shift.ContainsAny({ssShift, ssCtrl, ssAlt}))
        FRangeAnchor = FFocusedNode;
    if ((moved || cleared) && FFocusedNode != nullptr)
        AddToSelection(FFocusedNode);
    if (selectedBefore > 1)
        Invalidate();
}

// ---- keyboard focus --------------------------------------------------------------------------

void TBaseVirtualTree::FocusIn() {
    // Selection colours, the focus frame and text colours depend on the focus.
    Invalidate();
    NotifyAccessibleRow(aeFocus, FFocusedNode);
}

void TBaseVirtualTree::FocusOut() {
    if (Panning())
        StopWheelPanning();
    KillTimer(ExpandTimer);
    KillTimer(ScrollTimer);
    FStates.Exclude({tsLeftButtonDown, tsMiddleButtonDown, tsRightButtonDown, tsEditPending,
                     tsIncrementalSearching, tsScrollPending, tsScrolling});
    Invalidate();
}
