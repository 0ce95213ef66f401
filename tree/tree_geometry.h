#pragma once
// Where the elements of a row lie: shared by painting and hit-testing. x values are content
// coordinates measured from the row's left edge (0 while the tree has no columns), y values
// are measured from the row's top.
#include "platform/types.h"
#include "tree/paint_types.h"
#include <cmath>

struct TRowGeometry {
    static constexpr int ButtonWidth = 9;
    static constexpr int ButtonHeight = 9;

    int Indent{18};
    int Margin{4};
    int TextMargin{4};
    int ImageWidth{0}; // 0: the tree has no images
    int ImageHeight{0};
    bool ShowRoot{true};
    bool ShowButtons{true};
    TVTNodeAlignment NodeAlignment{naProportional};

    // Indentation steps of a node at level (top level 0).
    int IndentSteps(unsigned level) const { return static_cast<int>(level) + (ShowRoot ? 1 : 0); }
    // Left edge of indentation step i.
    int StepLeft(int i) const { return i * Indent; }

    // Half of (Indent - button width), rounded half to even, for the first step, plus Indent
    // for each further step: 8 + 24 * (steps - 1) for Indent 24.
    int ButtonLeft(int steps) const {
        const int d = Indent - ButtonWidth;
        int half = d >= 0 ? d / 2 : -((-d + 1) / 2); // floor(d / 2)
        if ((d & 1) != 0 && (half & 1) != 0)
            ++half; // d / 2 ends in .5: take the even neighbour
        return half + Indent * (steps - 1);
    }

    // Where lines meet and the button's centre sits, from the row's top.
    int VerticalAnchor(int nodeHeight, int lineAlign) const {
        auto proportional = [&](int room) {
            return static_cast<int>(std::lround(room * lineAlign / 100.0));
        };
        switch (NodeAlignment) {
        case naFromTop:
            return lineAlign;
        case naFromBottom:
            return nodeHeight - lineAlign;
        case naProportional:
            break;
        }
        if (ImageHeight > 0)
            return proportional(nodeHeight - ImageHeight) + ImageHeight / 2;
        if (ShowButtons)
            return proportional(nodeHeight - ButtonHeight) + ButtonHeight / 2;
        return proportional(nodeHeight);
    }

    // The button's rectangle in the row.
    TRect ButtonRect(int steps, int nodeHeight, int lineAlign) const {
        const int left = ButtonLeft(steps);
        const int top = VerticalAnchor(nodeHeight, lineAlign) - ButtonHeight / 2;
        return {left, top, left + ButtonWidth, top + ButtonHeight};
    }

    // The normal image: 2 + 24 * (level + 1) with Margin 2 and Indent 24.
    int ImageLeft(int steps) const { return Margin + Indent * steps; }
    int ImageTop(int nodeHeight, int lineAlign) const {
        return VerticalAnchor(nodeHeight, lineAlign) - ImageHeight / 2;
    }
    // Left edge of the text area; a node without an image leaves no gap for one.
    int ContentLeft(int steps, bool hasImage) const {
        return ImageLeft(steps) + (hasImage && ImageWidth > 0 ? ImageWidth + 2 : 0);
    }
    // Where the text itself starts (the text area less the text margin).
    int TextLeft(int steps, bool hasImage) const {
        return ContentLeft(steps, hasImage) + TextMargin;
    }
};
