#pragma once
// What the system's own controls tell assistive technology (screen readers) about themselves.
// A control hands one of these descriptions to its host (TControl::AccessibleDescription); the
// platform turns it into the toolkit's accessibility objects and raises the toolkit's events
// when the control calls NotifyAccessible.
#include "platform/flags.h"
#include "platform/types.h"
#include <cstdint>
#include <string>

class TControl;

class TAccessibleDescription {
public:
    virtual ~TAccessibleDescription() = default;
};

enum class TAccessibleRowState { arsExpandable, arsExpanded, arsSelected, arsFocused };
using enum TAccessibleRowState;
using TAccessibleRowStates = TFlags<TAccessibleRowState, std::uint8_t>;

enum class TAccessibleRowAction { araExpand, araCollapse, araSelect };
using enum TAccessibleRowAction;

// A tree as a list of its visible rows in display order. Row numbers are only good for one
// RowGeneration: the control changes the generation whenever rows come, go or move, so a
// reader holding an older row number knows that its row may be gone.
class TAccessibleTree : public TAccessibleDescription {
public:
    virtual int RowCount() = 0;
    virtual std::uint64_t RowGeneration() const = 0;
    // Row numbers out of range answer neutrally: an empty name, level 0, no states.
    virtual std::u16string RowName(int row) = 0;
    // 1 for the top level.
    virtual int RowLevel(int row) = 0;
    virtual TAccessibleRowStates RowStates(int row) = 0;
    virtual int RowChildCount(int row) = 0;
    // The row's rectangle in client coordinates, empty while it is scrolled out of view.
    virtual TRect RowRect(int row) = 0;
    // The row under a client point, -1 for none.
    virtual int RowAt(TPoint p) = 0;
    // The focused row, -1 for none.
    virtual int FocusedRow() = 0;
    // Whether the action applied.
    virtual bool DoRowAction(int row, TAccessibleRowAction action) = 0;
};

// Read-only text: the whole content in reading order, offsets in UTF-16 units.
class TAccessibleText : public TAccessibleDescription {
public:
    virtual std::u16string ReadingText() = 0;
    // The selected part as [start, end) of ReadingText; start == end when nothing is selected.
    virtual void ReadingSelection(int& start, int& end) = 0;
    // The links in the text, in reading order: a reader hears each as a link with its text
    // and can follow it. Link numbers are good for one ReadingLinkGeneration.
    virtual int ReadingLinkCount() { return 0; }
    virtual std::uint64_t ReadingLinkGeneration() const { return 0; }
    virtual std::u16string ReadingLinkName(int link) { return {}; }
    // Client coordinates; empty while the link is scrolled out of view.
    virtual TRect ReadingLinkRect(int link) { return {}; }
    // The link the keyboard has reached, -1 for none.
    virtual int ReadingFocusedLink() { return -1; }
    virtual bool ReadingFollowLink(int link) { return false; }
};

enum class TAccessibleEvent {
    aeFocus,        // the focused row (row), or a text's link, became the one a reader follows
    aeStateChanged, // the row's expanded or selected state changed
    aeRowsChanged,  // rows came or went
    aeTextChanged,  // the whole text was replaced
    aeSelectionChanged,
};
using enum TAccessibleEvent;

// Whether assistive technology listens; events and their preparation can be skipped otherwise.
bool AccessibilityActive();

// Raises the toolkit's event for the control; costs next to nothing while no assistive
// technology listens.
void NotifyAccessible(TControl& control, TAccessibleEvent event, int row = -1);
