// The position cache's side of the tree: the state changes that mark it out of date and the
// places where lookups by position or by node start their walk. While no cache is built
// (tsUseCache never set) every walk starts at the first visible node.
#include "tree/basetree.h"

void TBaseVirtualTree::InvalidatePositionCache() {
    DoStateChange({tsValidationNeeded}, {tsUseCache});
}

void TBaseVirtualTree::StopCacheValidation() {
    // No build can be running: there is no worker yet.
}

void TBaseVirtualTree::RevalidatePositionCache() {
    StopCacheValidation();
}

PVirtualNode TBaseVirtualTree::CacheStartByPosition(int y, int& top) const {
    top = 0;
    return GetFirstVisibleNoInit();
}

PVirtualNode TBaseVirtualTree::CacheStartByNode(PVirtualNode node, int& top) const {
    top = 0;
    return GetFirstVisibleNoInit();
}
