#pragma once
// Small helpers shared by the tree's source files.
#include "text/scopeexit.h"
#include "tree/basetree.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tree_detail {

inline bool HasState(PVirtualNode n, TVirtualNodeState s) {
    return n->States.Contains(s);
}
inline bool IsExpandedNode(PVirtualNode n) {
    return n->States.Contains(nsExpanded);
}
inline bool IsVisibleNode(PVirtualNode n) {
    return n->States.Contains(nsVisible);
}

// Pixel sums are made in 64 bits and held to int at the end.
inline int ClampToInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

} // namespace tree_detail

// Visits the visible rows from `node`, whose row starts at content `top`, in display order:
// visit(node, top) returns false to stop at that row. The next row is looked up only once the
// visitor is done, so it may initialise (and so expand) the node it was given. Returns the row
// the walk stopped at with `top` at its top, or none with `top` below the last row visited.
template <class Visit>
PVirtualNode TBaseVirtualTree::WalkVisibleRows(PVirtualNode node, std::int64_t& top,
                                               Visit&& visit) const {
    for (; node != nullptr; node = GetNextVisibleNoInit(node)) {
        if (!visit(node, top))
            return node;
        top += node->NodeHeight;
    }
    return nullptr;
}

template <class F> void TBaseVirtualTree::CallDuringDeletion(F&& f) {
    if (FDeletionDepth == 0) {
        f();
        return;
    }
    try {
        f();
    } catch (...) {
        if (!FDeletionError)
            FDeletionError = std::current_exception();
    }
}
