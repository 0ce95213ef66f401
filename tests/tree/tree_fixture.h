#pragma once
#include "platform/application.h"
#include "tree/stringtree.h"
#include "tree_checker.h"
#include <memory>
#include <vector>

// The tree with its scroll bar entry open to tests.
class TTestTree : public TVirtualStringTree {
public:
    using TBaseVirtualTree::Scroll;
};

// A shown string tree with the main window's row height and a known client size.
class TreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        Tree = std::make_unique<TTestTree>();
        Tree->SetNodeDataSize(static_cast<int>(sizeof(void*)));
        Tree->SetDefaultNodeHeight(24);
        Tree->SetBounds(0, 0, 400, 300);
        Tree->Show();
    }

    // n top-level or child nodes.
    std::vector<PVirtualNode> Add(PVirtualNode parent, int n) {
        std::vector<PVirtualNode> out;
        for (int i = 0; i < n; ++i)
            out.push_back(Tree->AddChild(parent));
        return out;
    }

    std::uint32_t ContentHeight() const { return Tree->ContentHeight(); }

    std::unique_ptr<TTestTree> Tree;
};
