#pragma once
// The node record of the virtual tree. Each node is one zero-filled allocation: this record,
// then the internal areas of the tree classes, then the user data area.
#include "platform/flags.h"
#include <cstdint>

enum class TVirtualNodeState {
    nsInitialized,
    nsChecking,
    nsClipboardMarked,
    nsDisabled,
    nsDeleting,
    nsExpanded,
    nsHasChildren,
    nsVisible,
    nsSelected,
    nsFreeEventNeeded,
    nsNoVisibleChildren,
    nsClearing,
    nsMultiline,
    nsMeasured,
    nsToggling,
};
using enum TVirtualNodeState;
using TVirtualNodeStates = TFlags<TVirtualNodeState, std::uint16_t>;

enum class TCheckState : std::uint8_t { csUncheckedNormal };
enum class TCheckType : std::uint8_t { ctNone };

struct TVirtualNode {
    std::uint32_t Index;
    std::uint32_t ChildCount;
    std::uint16_t NodeHeight;
    TVirtualNodeStates States;
    std::uint8_t LineAlign;
    TCheckState CheckState;
    TCheckType CheckType;
    std::uint32_t SubtreeCount;
    std::uint32_t SubtreeHeight;
    TVirtualNode* Parent;
    TVirtualNode* PrevSibling;
    TVirtualNode* NextSibling;
    TVirtualNode* FirstChild;
    TVirtualNode* LastChild;
};

using PVirtualNode = TVirtualNode*;
