#pragma once
// Small helpers shared by the tree's source files.
#include "tree/basetree.h"

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

// Restores a counter or flag on every way out of a scope.
template <class F> class TScopeExit {
public:
    explicit TScopeExit(F f) : Fn(std::move(f)) {}
    ~TScopeExit() { Fn(); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    F Fn;
};

} // namespace tree_detail

template <class F> void TBaseVirtualTree::CallDuringDeletion(F&& f) {
    if (DeletionDepth == 0) {
        f();
        return;
    }
    try {
        f();
    } catch (...) {
        if (!DeletionError)
            DeletionError = std::current_exception();
    }
}
