#pragma once
// Value types of the tree control: tree states, init states, reasons, option sets.
#include "platform/flags.h"
#include "tree/node.h"
#include <cstdint>
#include <vector>

using TColumnIndex = std::int32_t;
constexpr TColumnIndex NoColumn = -1;

using TNodeArray = std::vector<PVirtualNode>;

enum class TVirtualNodeInitState {
    ivsDisabled,
    ivsExpanded,
    ivsHasChildren,
    ivsMultiline,
    ivsSelected
};
using enum TVirtualNodeInitState;
using TVirtualNodeInitStates = TFlags<TVirtualNodeInitState, std::uint8_t>;

enum class TChangeReason {
    crIgnore,
    crAccumulated,
    crChildAdded,
    crChildDeleted,
    crNodeAdded,
    crNodeCopied,
    crNodeMoved
};
using enum TChangeReason;

enum class TVSTTextType { ttNormal, ttStatic };
using enum TVSTTextType;

enum class TVTImageKind { ikNormal, ikSelected, ikState, ikOverlay };
using enum TVTImageKind;

// Transient states of a tree.
enum class TVirtualTreeState {
    tsChangePending,
    tsCollapsing,
    tsDestroying,
    tsEditing,
    tsEditPending,
    tsExpanding,
    tsIncrementalSearching,
    tsLeftButtonDown,
    tsLeftDblClick,
    tsMiddleButtonDown,
    tsPainting,
    tsRightButtonDown,
    tsScrolling,
    tsScrollPending,
    tsSizing,
    tsStopValidation,
    tsStructureChangePending,
    tsSynchMode,
    tsThumbTracking,
    tsToggling,
    tsUpdateHiddenChildrenNeeded,
    tsUseCache,
    tsValidating,
    tsValidationNeeded,
    tsWheelPanning,
    tsWheelScrolling,
    tsWindowCreating,
};
using enum TVirtualTreeState;
using TVirtualTreeStates = TFlags<TVirtualTreeState, std::uint32_t>;

enum class TVTPaintOption {
    toHideFocusRect,
    toHideSelection,
    toHotTrack,
    toPopupMode,
    toShowBackground,
    toShowButtons,
    toShowDropmark,
    toShowHorzGridLines,
    toShowRoot,
    toShowTreeLines,
    toShowVertGridLines,
    toThemeAware,
    toUseBlendedImages,
    toGhostedIfUnfocused,
    toFullVertGridLines,
    toAlwaysHideSelection,
    toUseBlendedSelection,
    toStaticBackground,
    toChildrenAbove,
    toFixedIndent,
    toUseExplorerTheme,
};
using enum TVTPaintOption;
using TVTPaintOptions = TFlags<TVTPaintOption>;

enum class TVTSelectionOption {
    toDisableDrawSelection,
    toExtendedFocus,
    toFullRowSelect,
    toLevelSelectConstraint,
    toMiddleClickSelect,
    toMultiSelect,
    toRightClickSelect,
    toSiblingSelectConstraint,
    toCenterScrollIntoView,
    toSimpleDrawSelection,
};
using enum TVTSelectionOption;
using TVTSelectionOptions = TFlags<TVTSelectionOption>;

enum class TVTAutoOption {
    toAutoDropExpand,
    toAutoExpand,
    toAutoScroll,
    toAutoScrollOnExpand,
    toAutoSort,
    toAutoSpanColumns,
    toAutoTristateTracking,
    toAutoHideButtons,
    toAutoDeleteMovedNodes,
    toDisableAutoscrollOnFocus,
    toAutoChangeScale,
    toAutoFreeOnCollapse,
    toDisableAutoscrollOnEdit,
};
using enum TVTAutoOption;
using TVTAutoOptions = TFlags<TVTAutoOption>;

enum class TVTMiscOption {
    toAcceptOLEDrop,
    toCheckSupport,
    toEditable,
    toFullRepaintOnResize,
    toGridExtensions,
    toInitOnSave,
    toReportMode,
    toToggleOnDblClick,
    toWheelPanning,
    toReadOnly,
    toVariableNodeHeight,
    toFullRowDrag,
    toNodeHeightResize,
    toNodeHeightDblClickResize,
    toEditOnClick,
    toEditOnDblClick,
};
using enum TVTMiscOption;
using TVTMiscOptions = TFlags<TVTMiscOption>;

enum class TVTAnimationOption { toAnimatedToggle };
using enum TVTAnimationOption;
using TVTAnimationOptions = TFlags<TVTAnimationOption>;

enum class TVTStringOption { toSaveCaptions, toShowStaticText, toAutoAcceptEditChange };
using enum TVTStringOption;
using TVTStringOptions = TFlags<TVTStringOption>;

struct TStringTreeOptions {
    TVTPaintOptions PaintOptions{toShowButtons,   toShowDropmark, toShowRoot,
                                 toShowTreeLines, toThemeAware,   toUseBlendedImages};
    TVTSelectionOptions SelectionOptions{};
    TVTAutoOptions AutoOptions{toAutoDropExpand, toAutoScrollOnExpand, toAutoTristateTracking,
                               toAutoDeleteMovedNodes};
    TVTMiscOptions MiscOptions{toAcceptOLEDrop,    toFullRepaintOnResize, toInitOnSave,
                               toToggleOnDblClick, toWheelPanning,        toEditOnClick};
    TVTAnimationOptions AnimationOptions{};
    TVTStringOptions StringOptions{toSaveCaptions, toAutoAcceptEditChange};
};

enum class TScrollBarsSetting { ssNone, ssHorizontal, ssVertical, ssBoth };
using enum TScrollBarsSetting;
enum class TScrollBarStyle { sbmRegular };
using enum TScrollBarStyle;

struct TScrollBarOptions {
    TScrollBarsSetting ScrollBars{ssBoth};
    bool AlwaysVisible{false};
    int VerticalIncrement{20};
    int HorizontalIncrement{20};
    TScrollBarStyle ScrollBarStyle{sbmRegular};
};
