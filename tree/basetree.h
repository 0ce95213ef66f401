#pragma once
// TBaseVirtualTree: a tree of nodes that hold no text or picture of their own; whatever is
// shown for a node is asked of the owner through events when it is needed.
//
// Sources by concern: basetree.cpp (construction, control events, update counter,
// notifications), tree_structure.cpp (nodes, child lists, deletion, initialisation),
// tree_traversal.cpp (display order), tree_expansion.cpp (toggling, selection, focus),
// tree_scrolling.cpp (offsets, ranges, display rectangles, scroll bars), tree_paint.cpp (the
// paint cycle), tree_geometry.cpp (row geometry, images, lines), tree_input.cpp (hit testing,
// mouse, wheel panning, keyboard), tree_drop.cpp (drags from other programs),
// tree_accessible.cpp (the visible rows as screen readers see them). The tree owns
// three parts: its appearance (tree_appearance.h), its input state (tree_input_state.h) and its
// position cache with the worker hand-off (tree_position_cache.h, worker.h).
#include "platform/accessible.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/control.h"
#include "platform/errors.h"
#include "platform/font.h"
#include "platform/imagelist.h"
#include "platform/popupmenu.h"
#include "platform/thread.h"
#include "tree/paint_types.h"
#include "tree/tree_appearance.h"
#include "tree/tree_geometry.h"
#include "tree/tree_input_state.h"
#include "tree/tree_position_cache.h"
#include "tree/tree_types.h"
#include <algorithm>
#include <atomic>
#include <exception>
#include <functional>

class TBaseVirtualTree;

// A failure of a tree operation; HelpContext is the number of the help topic about it.
class EVirtualTreeError : public EMkbError {
public:
    EVirtualTreeError(const std::string& message, int helpContext)
        : EMkbError(message), HelpContext(helpContext) {}
    int HelpContext;
};

using TVTChangingEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node, bool& Allowed)>;
using TVTChangeEvent = std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node)>;
using TVTFocusChangingEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode OldNode, PVirtualNode NewNode,
                       TColumnIndex OldColumn, TColumnIndex NewColumn, bool& Allowed)>;
using TVTFocusChangeEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node, TColumnIndex Column)>;
using TVTStructureChangeEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node, TChangeReason Reason)>;
using TVTInitNodeEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode ParentNode, PVirtualNode Node,
                       TVirtualNodeInitStates& InitialStates)>;
using TVTInitChildrenEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node, std::uint32_t& ChildCount)>;
using TVTFreeNodeEvent = std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node)>;
using TVTGetNodeDataSizeEvent = std::function<void(TBaseVirtualTree* Sender, int& NodeDataSize)>;
using TVTScrollEvent = std::function<void(TBaseVirtualTree* Sender, int DeltaX, int DeltaY)>;
using TVTGetImageEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node, TVTImageKind Kind,
                       TColumnIndex Column, bool& Ghosted, int& ImageIndex)>;
using TNotifyEvent = std::function<void(TBaseVirtualTree* Sender)>;

// ---- input events ----
// (tree_input.cpp)

using TVTKeyActionEvent = std::function<void(TBaseVirtualTree* Sender, TVirtualKey& CharCode,
                                             TShiftState& Shift, bool& DoDefault)>;
using TVTScrollbarShowEvent =
    std::function<void(TBaseVirtualTree* Sender, TScrollBarKind Bar, bool Show)>;
using TMouseEvent = std::function<void(TBaseVirtualTree* Sender, TMouseButton Button,
                                       TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent =
    std::function<void(TBaseVirtualTree* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent = std::function<void(TBaseVirtualTree* Sender, TShiftState Shift,
                                            int WheelDelta, TPoint MousePos, bool& Handled)>;
using TKeyEvent =
    std::function<void(TBaseVirtualTree* Sender, TVirtualKey& Key, TShiftState Shift)>;
// Asked for the node's context menu at the client point P: the handler adds the items to
// PopupMenu; while it adds none and leaves AskParent set, the node's parent is asked next.
using TVTPopupEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node, TColumnIndex Column, TPoint P,
                       bool& AskParent, TPopupMenu& PopupMenu)>;
using TVTColumnClickEvent =
    std::function<void(TBaseVirtualTree* Sender, TColumnIndex Column, TShiftState Shift)>;
// Source is the dragged object when it comes from this program, none for other programs.
using TVTDragOverEvent =
    std::function<void(TBaseVirtualTree* Sender, void* Source, TShiftState Shift, TDragState State,
                       TPoint Pt, TDropMode Mode, int& Effect, bool& Accept)>;
// ---- painting events ----
using TVTPaintEvent = std::function<void(TBaseVirtualTree* Sender, TCanvas& TargetCanvas)>;
using TVTBeforeItemPaintEvent =
    std::function<void(TBaseVirtualTree* Sender, TCanvas& TargetCanvas, PVirtualNode Node,
                       const TRect& ItemRect, bool& CustomDraw)>;
using TVTAfterItemPaintEvent = std::function<void(TBaseVirtualTree* Sender, TCanvas& TargetCanvas,
                                                  PVirtualNode Node, const TRect& ItemRect)>;
using TVTBeforeItemEraseEvent =
    std::function<void(TBaseVirtualTree* Sender, TCanvas& TargetCanvas, PVirtualNode Node,
                       const TRect& ItemRect, TColor& ItemColor, TItemEraseAction& EraseAction)>;
using TVTAfterItemEraseEvent = TVTAfterItemPaintEvent;
using TVTBeforeCellPaintEvent = std::function<void(
    TBaseVirtualTree* Sender, TCanvas& TargetCanvas, PVirtualNode Node, TColumnIndex Column,
    TVTCellPaintMode CellPaintMode, const TRect& CellRect, TRect& ContentRect)>;
using TVTAfterCellPaintEvent =
    std::function<void(TBaseVirtualTree* Sender, TCanvas& TargetCanvas, PVirtualNode Node,
                       TColumnIndex Column, const TRect& CellRect)>;
using TVTBackgroundPaintEvent = std::function<void(TBaseVirtualTree* Sender, TCanvas& TargetCanvas,
                                                   const TRect& R, bool& Handled)>;
using TVTGetImageExEvent = std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node,
                                              TVTImageKind Kind, TColumnIndex Column, bool& Ghosted,
                                              int& ImageIndex, TImageList*& ImageList)>;

class TBaseVirtualTree : public TControl, private TAccessibleTree {
public:
    TBaseVirtualTree();
    ~TBaseVirtualTree() override;

    // The visible rows for screen readers (tree_accessible.cpp); none while the tree goes.
    TAccessibleDescription* AccessibleDescription() override;

    // ---- node model and structure ----
    PVirtualNode RootNode() const { return FRoot; }
    int NodeDataSize() const { return FNodeDataSize; }
    void SetNodeDataSize(int value);
    unsigned DefaultNodeHeight() const { return FDefaultNodeHeight; }
    void SetDefaultNodeHeight(unsigned value);
    unsigned RootNodeCount() const { return FRoot->ChildCount; }
    void SetRootNodeCount(unsigned value) { SetChildCount(nullptr, value); }
    unsigned ChangeDelay() const { return FChangeDelay; }
    void SetChangeDelay(unsigned milliseconds) { FChangeDelay = milliseconds; }
    TStringTreeOptions& TreeOptions() { return FOptions; }
    const TStringTreeOptions& TreeOptions() const { return FOptions; }

    PVirtualNode AddChild(PVirtualNode parent, void* userData = nullptr);
    void DeleteChildren(PVirtualNode node, bool resetHasChildren = false);
    void DeleteNode(PVirtualNode node, bool reindex = true);
    void SetChildCount(PVirtualNode node, std::uint32_t newCount);
    // All nodes deleted, focus, selection and range anchor dropped, offsets back at 0.
    void Clear();

    void* GetNodeData(PVirtualNode node) const;
    template <class T> T* GetNodeData(PVirtualNode node) const {
        return static_cast<T*>(GetNodeData(node));
    }
    std::uint32_t GetNodeLevel(PVirtualNode node) const;
    unsigned NodeHeight(PVirtualNode node) const;
    std::uint32_t VisibleCount() const { return FVisibleCount; }
    // Height of all rows together.
    std::uint32_t ContentHeight() const { return FRoot->SubtreeHeight - FRoot->NodeHeight; }

    bool Expanded(PVirtualNode node) const;
    void SetExpanded(PVirtualNode node, bool value);
    bool IsVisible(PVirtualNode node) const;
    void SetIsVisible(PVirtualNode node, bool value);
    bool Revealed(PVirtualNode node) const;
    void SetRevealed(PVirtualNode node, bool value);
    bool FullyVisible(PVirtualNode node) const { return Revealed(node); }

    void InitNode(PVirtualNode node);
    void InitChildren(PVirtualNode node);

    // Traversal in display order that never initialises a node.
    PVirtualNode GetFirstVisibleNoInit() const;
    PVirtualNode GetNextVisibleNoInit(PVirtualNode node) const;
    PVirtualNode GetPreviousVisibleNoInit(PVirtualNode node) const;
    PVirtualNode GetLastVisibleChildNoInit(PVirtualNode node) const;
    PVirtualNode GetLastVisibleNoInit(PVirtualNode node = nullptr) const;
    // Traversal that initialises the node, its children and the child returned.
    PVirtualNode GetFirstChild(PVirtualNode node);
    PVirtualNode GetLastChild(PVirtualNode node);
    std::uint32_t CountShownDescendants(PVirtualNode node) const;

    // ---- update counter, states, notifications ----
    void BeginUpdate();
    void EndUpdate();
    unsigned UpdateCount() const { return FUpdateCount; }
    TVirtualTreeStates TreeStates() const { return FStates; }
    void Change(PVirtualNode node);
    void StructureChange(PVirtualNode node, TChangeReason reason);

    // ---- expansion, selection, focus ----
    void ToggleExpanded(PVirtualNode node);
    // Expands (collapses) every node of the subtree, the whole tree for none, in one update.
    void FullExpand(PVirtualNode node = nullptr);
    void FullCollapse(PVirtualNode node = nullptr);

    bool Selected(PVirtualNode node) const;
    void SetSelected(PVirtualNode node, bool value);
    void AddToSelection(PVirtualNode node);
    void RemoveFromSelection(PVirtualNode node);
    void ClearSelection();
    std::uint32_t SelectedCount() const { return static_cast<std::uint32_t>(FSelection.size()); }
    const TNodeArray& GetSelection() const { return FSelection; }
    PVirtualNode RangeAnchor() const { return FRangeAnchor; }

    PVirtualNode FocusedNode() const { return FFocusedNode; }
    void SetFocusedNode(PVirtualNode node);
    TColumnIndex FocusedColumn() const { return FFocusedColumn; }
    void MoveFocus(PVirtualNode node, bool ask);

    // ---- scroll state ----
    int OffsetX() const { return FOffsetX; }
    int OffsetY() const { return FOffsetY; }
    void SetOffsetX(int value) { DoSetOffsetXY(value, FOffsetY); }
    void SetOffsetY(int value) { DoSetOffsetXY(FOffsetX, value); }
    // Clamps both offsets into range and applies them; whether anything changed.
    bool DoSetOffsetXY(int x, int y);
    int VertRange() const { return FRangeY; }
    int HorzRange() const { return FRangeX; }
    unsigned BottomSpace() const { return FBottomSpace; }
    void SetBottomSpace(unsigned value);
    TScrollBarOptions& ScrollBarOptions() { return FScrollBarOptions; }

    int Indent() const { return FAppearance.Indent(); }
    void SetIndent(int value);
    int Margin() const { return FAppearance.Margin(); }
    void SetMargin(int value);

    // The client rectangle of the node's row (text part only with textOnly); an empty
    // rectangle at (0, 0) for a node that is not fully visible.
    TRect GetDisplayRect(PVirtualNode node, TColumnIndex column = NoColumn, bool textOnly = false);
    // The node whose row contains y (client coordinates when relative, content otherwise) and
    // the content top of that row; none below the last row.
    PVirtualNode GetNodeAt(int y, bool relative, int* nodeTop = nullptr) const;
    bool ScrollIntoView(PVirtualNode node, bool center, bool scrollHorizontally = false);
    void UpdateScrollBars(bool doRepaint);
    void UpdateVerticalRange();
    void UpdateHorizontalRange();

    // Repainting of rows.
    void InvalidateNode(PVirtualNode node);
    void InvalidateToBottom(PVirtualNode node);

    // ---- input (tree_input.cpp, tree_drop.cpp) ----
    // The node and the parts of its row at a client point.
    THitInfo GetHitTestInfoAt(int x, int y);
    unsigned AutoScrollDelay() const { return FInput.AutoScrollDelay(); }
    void SetAutoScrollDelay(unsigned ms) { FInput.SetAutoScrollDelay(ms); }
    unsigned AutoScrollInterval() const { return FInput.AutoScrollInterval(); }
    void SetAutoScrollInterval(unsigned ms) { FInput.SetAutoScrollInterval(ms); }
    unsigned AutoExpandDelay() const { return FInput.AutoExpandDelay(); }
    void SetAutoExpandDelay(unsigned ms) { FInput.SetAutoExpandDelay(ms); }
    bool WantTabs() const { return FInput.WantTabs(); }
    void SetWantTabs(bool value) { FInput.SetWantTabs(value); }
    // Client position of the last mouse press.
    TPoint LastClickPos() const { return FInput.LastClickPos(); }
    TScrollDirections ScrollDirections() const { return FInput.ScrollDirections(); }
    // The window that marks the panning origin, none while not panning.
    const TPanningWindow* PanningWindow() const { return FInput.PanningWindow(); }
    // Asks OnGetPopupMenu for the node's menu at the client point and shows what it gives;
    // returns whether a menu was shown.
    bool DoPopupMenu(PVirtualNode node, TColumnIndex column, TPoint p);
    // Ctrl+C and Ctrl+Insert; the base tree has nothing to copy.
    virtual void CopyToClipboard() {}

    // ---- position cache ----
    // Meaningful only while tsUseCache is set.
    const TCache& PositionCache() const { return FCache.Entries(); }
    // Whether the worker has the tree queued or is building its cache now.
    bool CacheValidationPending() const { return FCache.ValidationPending(); }

    // ---- painting (tree_paint.cpp, tree_geometry.cpp) ----
    // Paints the content rectangle `window` (content coordinates) at `target` on the canvas.
    void RenderContent(TCanvas& canvas, const TRect& window, TPoint target,
                       TVTInternalPaintOptions options = AllPaintOptions,
                       TPixelFormat format = pf32bit);

    TColor Color() const { return FAppearance.Color(); }
    void SetColor(TColor value);
    // The tree's font and its colour (node text, button strokes).
    const TFontSpec& Font() const { return FAppearance.Font(); }
    TColor FontColor() const { return FAppearance.FontColor(); }
    void SetFont(const TFontSpec& font, TColor color = clWindowText);
    const std::shared_ptr<const TPlatformFont>& PlatformFont() const;
    TImageList* Images() const { return FAppearance.Images(); }
    void SetImages(TImageList* images);
    TImageList* StateImages() const { return FAppearance.StateImages(); }
    void SetStateImages(TImageList* images) { FAppearance.SetStateImages(images); }
    TVTColors& Colors() { return FAppearance.Colors(); }
    void SetColors(const TVTColors& colors);
    TVTLineStyle LineStyle() const { return FAppearance.LineStyle(); }
    void SetLineStyle(TVTLineStyle value);
    // lsCustomStyle paints this pattern.
    void SetCustomLinePattern(const TPattern8x8& pattern);
    const TPattern8x8& LinePattern() const { return FAppearance.LinePattern(); }
    TVTLineMode LineMode() const { return FAppearance.LineMode(); }
    void SetLineMode(TVTLineMode value) { FAppearance.SetLineMode(value); }
    TVTButtonStyle ButtonStyle() const { return FAppearance.ButtonStyle(); }
    void SetButtonStyle(TVTButtonStyle value) { FAppearance.SetButtonStyle(value); }
    TVTButtonFillMode ButtonFillMode() const { return FAppearance.ButtonFillMode(); }
    void SetButtonFillMode(TVTButtonFillMode value);
    TVTNodeAlignment NodeAlignment() const { return FAppearance.NodeAlignment(); }
    void SetNodeAlignment(TVTNodeAlignment value);
    TAlignment Alignment() const { return FAppearance.Alignment(); }
    void SetAlignment(TAlignment value);
    TBiDiMode BiDiMode() const { return FAppearance.BiDiMode(); }
    void SetBiDiMode(TBiDiMode value);
    TVTDrawSelectionMode DrawSelectionMode() const { return FAppearance.DrawSelectionMode(); }
    void SetDrawSelectionMode(TVTDrawSelectionMode value);
    int SelectionBlendFactor() const { return FAppearance.SelectionBlendFactor(); }
    void SetSelectionBlendFactor(int value); // 0..255
    int SelectionCurveRadius() const { return FAppearance.SelectionCurveRadius(); }
    void SetSelectionCurveRadius(int value);
    // The picture behind the rows; an empty bitmap means none.
    const TBitmap& Background() const { return FAppearance.Background(); }
    void SetBackground(const TBitmap& picture);
    int BackgroundOffsetX() const { return FAppearance.BackgroundOffsetX(); }
    int BackgroundOffsetY() const { return FAppearance.BackgroundOffsetY(); }
    void SetBackgroundOffsetX(int value);
    void SetBackgroundOffsetY(int value);
    TFormBorderStyle BorderStyle() const { return FAppearance.BorderStyle(); }
    void SetBorderStyle(TFormBorderStyle value) { FAppearance.SetBorderStyle(value); }
    // Off in tests that stand in a machine without blending.
    bool BlendingAvailable() const { return FAppearance.BlendingAvailable(); }
    void SetBlendingAvailable(bool value);

    // The node a drag from outside is over and where it would land.
    PVirtualNode DropTargetNode() const { return FInput.DropTargetNode(); }
    TDropMode LastDropMode() const { return FInput.LastDropMode(); }
    void SetDropTarget(PVirtualNode node, TDropMode mode);

    // Row geometry with the tree's current properties (no columns: x from the row's left).
    TRowGeometry RowGeometry() const;
    int NodeIndentSteps(PVirtualNode node) const;
    // The node's vertical anchor (from its row's top).
    int VerticalAnchor(PVirtualNode node) const;
    // The normal image index the owner gives for the node (ikSelected when selected), -1 for
    // none or when the tree has no images.
    int NodeImageIndex(PVirtualNode node);
    // The text area of the node's row: from where the text area begins, NodeTextWidth wide;
    // content x, row-relative y.
    TRect NodeTextArea(PVirtualNode node);
    // One line type per indentation step, leftmost first.
    TLineImage GetLineImage(PVirtualNode node) const;
    // The plus and minus buttons as painted (9 x 9, magenta where transparent).
    const TBitmap& PlusButton();
    const TBitmap& MinusButton();
    // The content width: the larger of the client width and the horizontal range.
    int ContentWidth() const;
    // Clears every node's cached measures (text widths).
    void ResetAllNodeCaches();

    TVTPaintEvent OnBeforePaint, OnAfterPaint;
    TVTBeforeItemPaintEvent OnBeforeItemPaint;
    TVTAfterItemPaintEvent OnAfterItemPaint;
    TVTBeforeItemEraseEvent OnBeforeItemErase;
    TVTAfterItemEraseEvent OnAfterItemErase;
    TVTBeforeCellPaintEvent OnBeforeCellPaint;
    TVTAfterCellPaintEvent OnAfterCellPaint;
    TVTBackgroundPaintEvent OnPaintBackground;
    TVTGetImageExEvent OnGetImageIndexEx;

    // ---- events ----
    TVTChangingEvent OnExpanding, OnCollapsing;
    TVTChangeEvent OnExpanded, OnCollapsed, OnChange;
    TVTFocusChangingEvent OnFocusChanging;
    TVTFocusChangeEvent OnFocusChanged;
    TVTStructureChangeEvent OnStructureChange;
    TVTInitNodeEvent OnInitNode;
    TVTInitChildrenEvent OnInitChildren;
    TVTFreeNodeEvent OnFreeNode;
    TVTGetNodeDataSizeEvent OnGetNodeDataSize;
    TVTGetImageEvent OnGetImageIndex;
    TVTScrollEvent OnScroll;
    TNotifyEvent OnResize;
    // ---- input events: the standard control events fire before the tree's own handling ----
    TVTKeyActionEvent OnKeyAction;
    TVTScrollbarShowEvent OnShowScrollbar;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnDblClick;
    TMouseWheelEvent OnMouseWheel;
    TKeyEvent OnKeyDown;
    TVTColumnClickEvent OnColumnClick, OnColumnDblClick;
    TVTPopupEvent OnGetPopupMenu;
    TVTDragOverEvent OnDragOver;

protected:
    // Derived classes request their internal node areas while being constructed; the result
    // is the area's offset from the node's start.
    unsigned AllocateInternalDataArea(unsigned size);
    static std::byte* NodeBytes(PVirtualNode node) { return reinterpret_cast<std::byte*>(node); }

    // Width of the node's content in the column (the text width in a string tree); the
    // horizontal range and the text-only display rectangle use it.
    virtual int GetNodeContentWidth(PVirtualNode node, TColumnIndex column) { return 0; }
    // Width taken by the normal image of a row, 0 while the tree has no images.
    virtual int GetImagesWidth() const { return Images() != nullptr ? Images()->Width() : 0; }
    // Called when a node is invalidated or re-initialised, so cached measures are dropped.
    virtual void ResetNodeCaches(PVirtualNode node) {}
    // ---- painting: hooks for derived classes ----
    // Paints the node's text (a string tree); ContentRect is the text area.
    virtual void DoPaintNode(TVTPaintInfo& paintInfo) {}
    // Whether the text of the node is drawn in the highlight text colour.
    bool TextHighlighted(PVirtualNode node) const;
    // The text colour of a highlighted node: the selection's text colour where it reads on the
    // selection as painted, otherwise the one given (the font's).
    TColor HighlightTextColor(PVirtualNode node, TColor otherwise) const;
    // Whether the node is drawn in the disabled look.
    bool NodeDisabledLook(PVirtualNode node) const;
    // The gap on each side of a node's text (a string tree has one).
    virtual int GetTextMargin() const { return 0; }
    // What a screen reader reads for the node's row (a string tree gives its text).
    virtual std::u16string AccessibleNodeName(PVirtualNode node) { return {}; }

    // TControl events.
    void Paint(TCanvas& canvas, const TRect& updateRect) override;
    void Resize() override;
    void FocusIn() override;
    void FocusOut() override;
    void Timer(unsigned id) override;
    void Scroll(TScrollBarKind bar, TScrollCode code, int pos) override;
    // ---- input (tree_input.cpp, tree_drop.cpp) ----
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void DoubleClick(TMouseButton button, TShiftState shift, int x, int y) override;
    bool MouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
    void KeyDown(TVirtualKey& key, TShiftState shift) override;
    bool DragEnter(TShiftState shift, TPoint p) override;
    bool DragOver(TShiftState shift, TPoint p) override;
    void DragLeave() override;
    bool DragDrop(TShiftState shift, TPoint p) override;
    // The millisecond clock of the drag auto-scroll delay.
    virtual std::uint32_t TickCount() const;

    void DoStateChange(TVirtualTreeStates enter, TVirtualTreeStates leave = {});

private:
    friend class TPositionCache;

    // ---- nodes and structure (tree_structure.cpp, tree_traversal.cpp) ----
    PVirtualNode ChildAtEnd(PVirtualNode node, bool last);
    // Keeps a node reference for the length of a scope and clears it when the node is freed,
    // for operations whose event handlers may delete the very node they work on.
    struct TNodeWatch {
        TNodeWatch(TBaseVirtualTree& tree, PVirtualNode node);
        ~TNodeWatch();
        TNodeWatch(const TNodeWatch&) = delete;
        TNodeWatch& operator=(const TNodeWatch&) = delete;
        TBaseVirtualTree& Tree;
        PVirtualNode Node;
    };
    PVirtualNode MakeNewNode();
    void FreeNodeMemory(PVirtualNode node);
    void InitRootNode();
    void EnsureNodeDataSize();
    void AdjustSubtreeCount(PVirtualNode node, std::int64_t value, bool relative);
    void AdjustSubtreeHeight(PVirtualNode node, std::int64_t value, bool relative);
    void InternalDisconnectNode(PVirtualNode node, bool keepFocus, bool reindex);
    void UpdateNoVisibleChildren(PVirtualNode node);
    // The recount at once, or, inside an update, when the outermost EndUpdate runs.
    void RecountNoVisibleChildren(PVirtualNode node);
    void RecountPendingNoVisibleChildren();
    void DropReferences(PVirtualNode node);
    // Runs a handler called while nodes are being freed: its failure is kept and raised once
    // the deletion has finished, so that the tree is never left half-unlinked.
    template <class F> void CallDuringDeletion(F&& f);
    void RaisePendingDeletionError();
    // The one walk over visible rows in display order (tree_internal.h).
    template <class Visit>
    PVirtualNode WalkVisibleRows(PVirtualNode node, std::int64_t& top, Visit&& visit) const;

    PVirtualNode FRoot{nullptr};
    unsigned FInternalDataSize{0};
    int FNodeDataSize{-1};
    bool FNodeDataSizeAsked{false};
    unsigned FDefaultNodeHeight{18};
    TStringTreeOptions FOptions;
    TVirtualTreeStates FStates;
    std::uint32_t FVisibleCount{0};
    std::vector<TNodeWatch*> FWatches;
    unsigned FDeletionDepth{0};
    std::exception_ptr FDeletionError;

    // ---- update counter and notifications (basetree.cpp) ----
    void FireChange();
    void FireStructureChange();

    unsigned FUpdateCount{0};
    unsigned FChangeDelay{0};
    // Parents whose nsNoVisibleChildren is recounted when the update ends.
    std::vector<PVirtualNode> FHiddenChildrenPending;
    PVirtualNode FLastChangedNode{nullptr};
    PVirtualNode FLastStructureChangeNode{nullptr};
    TChangeReason FLastStructureChangeReason{crIgnore};

    // ---- expansion, selection, focus (tree_expansion.cpp) ----
    bool InternalAddToSelection(PVirtualNode node, bool notify);
    bool InternalRemoveFromSelection(PVirtualNode node, bool notify);
    void ToggleNode(PVirtualNode node);
    void DoExpandSubtree(PVirtualNode node, bool expand);

    PVirtualNode FFocusedNode{nullptr};
    TColumnIndex FFocusedColumn{NoColumn};
    TNodeArray FSelection; // sorted by address
    PVirtualNode FRangeAnchor{nullptr};
    bool FSelectionLocked{false};

    // ---- scroll state (tree_scrolling.cpp) ----
    // content top of the node's row, or -1 when it is not fully visible
    int NodeTop(PVirtualNode node) const;
    void UpdateVerticalScrollBar(bool doRepaint);
    void UpdateHorizontalScrollBar(bool doRepaint);

    int FOffsetX{0}, FOffsetY{0};
    int FRangeX{0}, FRangeY{0};
    unsigned FBottomSpace{0};
    TScrollBarOptions FScrollBarOptions;

    // ---- appearance and painting (tree_appearance.h, tree_paint.cpp, tree_geometry.cpp) ----
    struct TPaintCycle;
    void PaintRow(const TPaintCycle& cycle, PVirtualNode node, int rowTop);
    void PaintBelowRows(const TPaintCycle& cycle, int top);
    void PaintRowBackground(TCanvas& canvas, PVirtualNode node, const TRect& rowRect,
                            const TRect& window, int clientTop, bool useBackground);
    void PaintStaticBackground(TCanvas& canvas, const TRect& r, TPoint clientPos);
    void PaintCell(TVTPaintInfo& info, const TRect& window, bool drawSelection, bool drawFocus);
    void PrepareCell(TVTPaintInfo& info, const TRect& window, bool drawSelection, bool drawFocus);
    void PaintTreeLines(TVTPaintInfo& info);
    void PaintNodeButton(TVTPaintInfo& info);
    void PaintNodeImage(TVTPaintInfo& info);
    void PaintDropMark(TCanvas& canvas, const TRect& rowRect);
    void WashRect(TBitmap& bitmap, const TRect& r, TColor color, int alpha);
    bool UseBlendedSelection() const;
    int AskImageIndex(PVirtualNode node, TVTImageKind kind, bool& ghosted, TImageList*& list);

    TTreeAppearance FAppearance;
    TBitmap FRowBitmap; // reused by every paint cycle

    // ---- input (tree_input_state.h, tree_input.cpp, tree_drop.cpp) ----
    void HandleLeftDown(TShiftState shift, int x, int y);
    void HandleMiddleDown(int x, int y);
    // The context menu of the focused node (Menu key, Shift+F10).
    void PopupAtFocusedNode();
    void HandleKey(TVirtualKey key, TShiftState shift, char16_t ch);
    void HandleNavigationKey(TVirtualKey key, TShiftState shift);
    // The row a page up or down from the node moves the focus to.
    PVirtualNode PageTarget(PVirtualNode from, bool down) const;
    void SelectFocusedAfterKey(PVirtualNode old, std::size_t selectedBefore, TShiftState shift);
    bool Panning() const { return FStates.ContainsAny({tsWheelPanning, tsWheelScrolling}); }
    void StartWheelPanning(TPoint p);
    void StopWheelPanning();
    void UpdatePanning(TPoint p);
    void DoTimerScroll();
    void DoAutoExpand();
    // The drop target with the auto-expand timer restarted for a new target.
    void ChangeDropTarget(PVirtualNode node, TDropMode mode);

    TTreeInputState FInput;

    // ---- position cache (tree_position_cache.h) ----
    void InvalidatePositionCache() {
        ForgetAccessibleRows();
        FCache.InvalidatePositionCache();
    }
    void RevalidatePositionCache() { FCache.RevalidatePositionCache(); }
    void StopCacheValidation() { FCache.StopCacheValidation(); }
    PVirtualNode CacheStartByPosition(int y, int& top) const {
        return FCache.StartByPosition(y, top);
    }
    PVirtualNode CacheStartByNode(PVirtualNode node, int& top) const {
        return FCache.StartByNode(node, top);
    }
    using TCacheWriteGuard = TPositionCache::TWriteGuard;

    TPositionCache FCache{*this};

    // ---- accessibility (tree_accessible.cpp) ----
    int RowCount() override;
    std::uint64_t RowGeneration() const override { return FRowGeneration; }
    std::u16string RowName(int row) override;
    int RowLevel(int row) override;
    TAccessibleRowStates RowStates(int row) override;
    int RowChildCount(int row) override;
    TRect RowRect(int row) override;
    int RowAt(TPoint p) override;
    int FocusedRow() override;
    bool DoRowAction(int row, TAccessibleRowAction action) override;
    PVirtualNode AccessibleRow(int row);
    int AccessibleRowOf(PVirtualNode node);
    void NotifyAccessibleRow(TAccessibleEvent event, PVirtualNode node);
    // Every change that can add, remove, move or free a row ends the current row numbering.
    void ForgetAccessibleRows() {
        ++FRowGeneration;
        FAccessibleRowsBuilt = false;
        FAccessibleRows.clear();
    }

    std::vector<PVirtualNode> FAccessibleRows; // display order, built when asked
    bool FAccessibleRowsBuilt{false};
    std::uint64_t FRowGeneration{1};
};

// Timer numbers the tree uses.
constexpr unsigned ChangeTimer = 1;
constexpr unsigned StructureChangeTimer = 2;
constexpr unsigned ScrollTimer = 3;
constexpr unsigned ExpandTimer = 4;
