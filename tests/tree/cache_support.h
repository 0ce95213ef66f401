#pragma once
// Waiting for the position cache and the plain walks its lookups are checked against.
#include "platform/application.h"
#include "tree/basetree.h"
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

// Lets the worker's messages through until it is done with the tree; false on a time-out.
inline bool WaitForCache(TBaseVirtualTree& tree) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (tree.CacheValidationPending()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        ProcessMessages();
        std::this_thread::yield();
    }
    ProcessMessages();
    return true;
}

inline std::vector<PVirtualNode> VisibleNodes(const TBaseVirtualTree& tree) {
    std::vector<PVirtualNode> out;
    for (PVirtualNode n = tree.GetFirstVisibleNoInit(); n != nullptr;
         n = tree.GetNextVisibleNoInit(n))
        out.push_back(n);
    return out;
}

// The row containing the content position y, walking from the first visible node.
inline PVirtualNode PlainNodeAt(const TBaseVirtualTree& tree, std::int64_t y, std::int64_t* top) {
    std::int64_t t = 0;
    for (PVirtualNode n = tree.GetFirstVisibleNoInit(); n != nullptr;
         n = tree.GetNextVisibleNoInit(n)) {
        if (y < t + n->NodeHeight) {
            *top = t;
            return n;
        }
        t += n->NodeHeight;
    }
    *top = 0;
    return nullptr;
}

inline std::int64_t PlainTop(const TBaseVirtualTree& tree, PVirtualNode node) {
    std::int64_t t = 0;
    for (PVirtualNode n = tree.GetFirstVisibleNoInit(); n != nullptr;
         n = tree.GetNextVisibleNoInit(n)) {
        if (n == node)
            return t;
        t += n->NodeHeight;
    }
    return -1;
}
