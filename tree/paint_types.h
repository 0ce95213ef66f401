#pragma once
// Value types of the tree's painting: styles, colours, paint flags and the per-cell record.
#include "platform/flags.h"
#include "platform/types.h"
#include "tree/tree_types.h"

class TCanvas;
class TImageList;

enum class TVTLineStyle { lsCustomStyle, lsDotted, lsSolid };
using enum TVTLineStyle;
enum class TVTLineMode { lmNormal, lmBands };
using enum TVTLineMode;
enum class TVTButtonStyle { bsRectangle, bsTriangle };
using enum TVTButtonStyle;
enum class TVTButtonFillMode { fmTreeColor, fmWindowColor, fmShaded, fmTransparent };
using enum TVTButtonFillMode;
enum class TVTNodeAlignment { naFromBottom, naFromTop, naProportional };
using enum TVTNodeAlignment;
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
using enum TAlignment;
enum class TBiDiMode { bdLeftToRight, bdRightToLeft };
using enum TBiDiMode;
enum class TVTDrawSelectionMode { smDottedRectangle, smBlendedRectangle };
using enum TVTDrawSelectionMode;
enum class TFormBorderStyle { bsNone, bsSingle };
using enum TFormBorderStyle;

// What one indentation step of a row shows.
enum class TVTLineType {
    ltNone,
    ltBottomRight,
    ltTopDown,
    ltTopDownRight,
    ltRight,
    ltTopRight,
    ltLeft,
    ltLeftBottom
};
using enum TVTLineType;
using TLineImage = std::vector<TVTLineType>;

// Where a dragged object would land relative to the drop target node.
enum class TDropMode { dmNowhere, dmAbove, dmOnNode, dmBelow };
using enum TDropMode;

// The colour set of a tree.
struct TVTColors {
    TColor DisabledColor{clBtnShadow};
    TColor DropMarkColor{clHighlight};
    TColor DropTargetColor{clHighlight};
    TColor DropTargetBorderColor{clHighlight};
    TColor FocusedSelectionColor{clHighlight};
    TColor FocusedSelectionBorderColor{clHighlight};
    TColor UnfocusedSelectionColor{clBtnFace};
    TColor UnfocusedSelectionBorderColor{clBtnFace};
    TColor SelectionRectangleBlendColor{clHighlight};
    TColor SelectionRectangleBorderColor{clHighlight};
    TColor GridLineColor{clBtnFace};
    TColor TreeLineColor{clBtnShadow};
    TColor HotColor{clWindowText};
    TColor BorderColor{clBtnFace};
    TColor HeaderHotColor{clBtnShadow};
    friend bool operator==(const TVTColors&, const TVTColors&) = default;
};

// What a paint cycle is asked to draw.
enum class TVTInternalPaintOption {
    poBackground,
    poColumnColor,
    poDrawFocusRect,
    poDrawSelection,
    poDrawDropMark,
    poGridLines,
    poMainOnly,
    poSelectedOnly,
    poUnbuffered,
};
using enum TVTInternalPaintOption;
using TVTInternalPaintOptions = TFlags<TVTInternalPaintOption>;
inline constexpr TVTInternalPaintOptions AllPaintOptions{
    poBackground, poColumnColor, poDrawFocusRect, poDrawSelection, poDrawDropMark, poGridLines};

// Pixel format of the row bitmaps: the device's or 32 bits.
enum class TPixelFormat { pfDevice, pf32bit };
using enum TPixelFormat;

enum class TVTImageInfoIndex { iiNormal, iiState, iiCheck, iiOverlay };
using enum TVTImageInfoIndex;

struct TVTImageInfo {
    int Index{-1};
    int XPos{0};
    int YPos{0};
    bool Ghosted{false};
    TImageList* Images{nullptr};
};

// The record filled for each cell being painted.
struct TVTPaintInfo {
    TCanvas* Canvas{nullptr};
    TVTInternalPaintOptions PaintOptions;
    PVirtualNode Node{nullptr};
    TColumnIndex Column{NoColumn};
    TRect CellRect;    // the whole row, content coordinates, row-relative y
    TRect ContentRect; // what is left for the node's elements
    int NodeWidth{0};  // the node's text width
    TAlignment Alignment{taLeftJustify};
    TBiDiMode BidiMode{bdLeftToRight};
    TVTImageInfo ImageInfo[4];
    TLineImage LineImage;
    int IndentSteps{0};
    int VerticalAnchor{0}; // row-relative y of the lines and the button centre
    int RowTop{0};         // content y of the row
};

enum class TItemEraseAction { eaColor, eaDefault, eaNone };
using enum TItemEraseAction;
enum class TVTCellPaintMode { cpmPaint, cpmGetContentMargin };
using enum TVTCellPaintMode;
