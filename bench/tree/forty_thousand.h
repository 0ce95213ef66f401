#pragma once
// The benchmarks' tree: 200 top-level rows of 199 children each, all expanded, 40,000 visible
// rows; returns once the worker has built the position cache.
#include "platform/application.h"
#include "tree/basetree.h"

inline void FillFortyThousandRows(TBaseVirtualTree& tree) {
    constexpr int Parents = 200;
    constexpr int ChildrenEach = 199;
    tree.BeginUpdate();
    for (int p = 0; p < Parents; ++p) {
        PVirtualNode parent = tree.AddChild(nullptr);
        for (int c = 0; c < ChildrenEach; ++c)
            tree.AddChild(parent);
    }
    tree.EndUpdate();
    tree.FullExpand();
    while (tree.CacheValidationPending())
        ProcessMessages();
    ProcessMessages();
}
