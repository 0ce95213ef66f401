// Painting of the tree in the main window's configuration, pixel by pixel: lines, buttons,
// images, text, the selection wash, the focus frame, the fixed picture and the drop mark.
#include "platform/application.h"
#include "platform/colors.h"
#include "tree/stringtree.h"
#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <memory>

namespace {

constexpr TColor White = RGBColor(255, 255, 255);
constexpr TColor LineColor = RGBColor(10, 20, 30);
constexpr TColor TextColor = RGBColor(0, 0, 0);
constexpr TColor Selection = 14393714; // red 114, green 161, blue 219
constexpr int RowHeight = 24;

class TPaintTree : public TVirtualStringTree {
public:
    using TBaseVirtualTree::Paint;
    using TBaseVirtualTree::TextHighlighted;
};

// Per-channel (old + c) >> 1, the wash at alpha 128.
TColor Washed(TColor old, TColor c) {
    return RGBColor((GetRValue(old) + GetRValue(c)) >> 1, (GetGValue(old) + GetGValue(c)) >> 1,
                    (GetBValue(old) + GetBValue(c)) >> 1);
}

TBitmap SolidBitmap(int w, int h, TColor c) {
    TBitmap b(w, h);
    b.Fill(c);
    return b;
}

class PaintTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        Tree = std::make_unique<TPaintTree>();
        Tree->SetNodeDataSize(4);
        Tree->SetDefaultNodeHeight(RowHeight);
        Tree->SetIndent(24);
        Tree->SetMargin(2);
        Tree->SetTextMargin(0);
        Tree->SetLineStyle(lsSolid);
        Tree->SetColor(White);
        Tree->SetFont(Tree->Font(), TextColor);
        TVTColors colors = Tree->Colors();
        colors.TreeLineColor = LineColor;
        colors.FocusedSelectionColor = colors.FocusedSelectionBorderColor = Selection;
        colors.UnfocusedSelectionColor = colors.UnfocusedSelectionBorderColor = Selection;
        Tree->SetColors(colors);
        Tree->SetDrawSelectionMode(smBlendedRectangle);
        auto& o = Tree->TreeOptions();
        o.PaintOptions.Include({toShowBackground, toUseBlendedSelection, toStaticBackground});
        o.SelectionOptions.Include({toFullRowSelect, toSimpleDrawSelection});
        for (int i = 0; i < 4; ++i)
            Images.Add(SolidBitmap(24, 24, ImageColor(i)));
        Tree->SetImages(&Images);
        Tree->OnGetText = [this](TBaseVirtualTree*, PVirtualNode n, TColumnIndex, TVSTTextType,
                                 std::u16string& text) {
            auto it = Texts.find(n);
            if (it != Texts.end())
                text = it->second;
        };
        Tree->OnGetImageIndex = [this](TBaseVirtualTree*, PVirtualNode n, TVTImageKind kind,
                                       TColumnIndex, bool&, int& index) {
            auto it = ImageOf.find(n);
            if (kind != ikOverlay && it != ImageOf.end())
                index = it->second;
        };
        Tree->SetBounds(0, 0, 300, 200);
        Tree->Show();
        ProcessMessages();
    }

    static TColor ImageColor(int i) { return RGBColor(200, 40 * i, 90); }

    PVirtualNode Add(PVirtualNode parent, std::u16string text = u"", int image = -1) {
        PVirtualNode n = Tree->AddChild(parent);
        if (!text.empty())
            Texts[n] = std::move(text);
        if (image >= 0)
            ImageOf[n] = image;
        return n;
    }

    // The whole client area as the window would show it.
    TBitmap Render() {
        TBitmap out(Tree->ClientWidth(), Tree->ClientHeight());
        Tree->Paint(out.Canvas(), Tree->ClientRect());
        return out;
    }

    // Whether any pixel of the rectangle differs from c.
    static bool AnyOtherThan(const TBitmap& b, const TRect& r, TColor c) {
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (b.ColorAt(x, y) != c)
                    return true;
        return false;
    }

    std::unique_ptr<TPaintTree> Tree;
    TImageList Images{24, 24};
    std::map<PVirtualNode, std::u16string> Texts;
    std::map<PVirtualNode, int> ImageOf;
};

TEST(RowGeometryTest, PositionsOfButtonImageAndText) {
    TRowGeometry g;
    g.Indent = 24;
    g.Margin = 2;
    g.TextMargin = 0;
    g.ImageWidth = g.ImageHeight = 24;
    for (int level = 0; level < 4; ++level) {
        const int steps = g.IndentSteps(level);
        EXPECT_EQ(steps, level + 1);
        EXPECT_EQ(g.ButtonLeft(steps), 8 + 24 * level);
        EXPECT_EQ(g.ImageLeft(steps), 2 + 24 * (level + 1));
        EXPECT_EQ(g.ContentLeft(steps, true), 52 + 24 * level);
        EXPECT_EQ(g.ContentLeft(steps, false), 2 + 24 * (level + 1)); // no gap without image
    }
    EXPECT_EQ(g.VerticalAnchor(24, 50), 12);
    EXPECT_EQ(g.ButtonRect(1, 24, 50), (TRect{8, 8, 17, 17}));
    EXPECT_EQ(g.ImageTop(24, 50), 0);
    // Without images the button height decides: (24 - 9) * 50 / 100 = 7.5 rounds up, + 4.
    g.ImageWidth = g.ImageHeight = 0;
    EXPECT_EQ(g.VerticalAnchor(24, 50), 12);
    EXPECT_EQ(g.VerticalAnchor(18, 50), 9);
    g.ShowButtons = false;
    EXPECT_EQ(g.VerticalAnchor(25, 50), 13); // 12.5 away from zero
    g.NodeAlignment = naFromTop;
    EXPECT_EQ(g.VerticalAnchor(24, 7), 7);
    g.NodeAlignment = naFromBottom;
    EXPECT_EQ(g.VerticalAnchor(24, 7), 17);
    // (Indent - 9) / 2 rounds half to even: 4.5 -> 4 for the default indent, 7.5 -> 8.
    g.Indent = 18;
    EXPECT_EQ(g.ButtonLeft(1), 4);
    g.Indent = 20;
    EXPECT_EQ(g.ButtonLeft(1), 6); // 5.5 -> 6
    g.Indent = 8;
    EXPECT_EQ(g.ButtonLeft(1), 0); // -0.5 -> 0
}

TEST_F(PaintTest, LoneTopLevelNodeDrawsOnlyTheConnector) {
    Add(nullptr, u"A");
    const TBitmap out = Render();
    for (int x = 0; x < 26; ++x)
        for (int y = 0; y < RowHeight; ++y) {
            const bool line = y == 12 && x >= 12 && x <= 24;
            ASSERT_EQ(out.ColorAt(x, y), line ? LineColor : White) << x << "," << y;
        }
}

TEST_F(PaintTest, VerticalLinesOfFirstMiddleAndLastTopLevelRows) {
    Add(nullptr);
    Add(nullptr);
    Add(nullptr);
    EXPECT_EQ(Tree->GetLineImage(Tree->RootNode()->FirstChild), (TLineImage{ltBottomRight}));
    const TBitmap out = Render();
    for (int y = 0; y < 3 * RowHeight; ++y) {
        const int row = y / RowHeight, dy = y % RowHeight;
        const bool on = row == 0 ? dy >= 12 : row == 1 ? true : dy <= 12;
        ASSERT_EQ(out.ColorAt(12, y), on ? LineColor : White) << y;
        ASSERT_EQ(out.ColorAt(11, y), White);
        ASSERT_EQ(out.ColorAt(13, y), dy == 12 ? LineColor : White);
    }
    // Below the last row: the tree's colour only.
    EXPECT_FALSE(AnyOtherThan(out, {0, 3 * RowHeight, out.Width(), out.Height()}, White));
}

TEST_F(PaintTest, LineImageOfADeepNode) {
    PVirtualNode a = Add(nullptr);
    PVirtualNode b = Add(nullptr); // last top-level node
    PVirtualNode b1 = Add(b);
    Add(b); // b1 is not the last level-1 node
    PVirtualNode c1 = Add(b1);
    PVirtualNode c2 = Add(b1);
    Tree->SetExpanded(b, true);
    Tree->SetExpanded(b1, true);
    EXPECT_EQ(Tree->GetLineImage(c1), (TLineImage{ltNone, ltTopDown, ltTopDownRight}));
    EXPECT_EQ(Tree->GetLineImage(c2), (TLineImage{ltNone, ltTopDown, ltTopRight}));
    EXPECT_EQ(Tree->GetLineImage(a), (TLineImage{ltBottomRight}));
    const TBitmap out = Render();
    const int top = 4 * RowHeight; // a, b, b1, c1, c2
    for (int dy = 0; dy < RowHeight; ++dy) {
        EXPECT_EQ(out.ColorAt(12, top + dy), White);                        // ltNone
        EXPECT_EQ(out.ColorAt(36, top + dy), LineColor);                    // ltTopDown
        EXPECT_EQ(out.ColorAt(60, top + dy), dy <= 12 ? LineColor : White); // ltTopRight
    }
    for (int x = 60; x <= 72; ++x)
        EXPECT_EQ(out.ColorAt(x, top + 12), LineColor);
}

TEST_F(PaintTest, ButtonsPlusWhileCollapsedMinusWhileExpanded) {
    PVirtualNode leaf = Add(nullptr);
    PVirtualNode parent = Add(nullptr);
    Add(parent);
    TBitmap out = Render();
    // The leaf has no button: the line runs through its centre.
    EXPECT_EQ(out.ColorAt(9, 12), White);
    EXPECT_EQ(out.ColorAt(12, 20), LineColor);
    const int t = RowHeight;
    auto checkButton = [&](const TBitmap& b, bool plus) {
        for (int y = 8; y <= 16; ++y)
            for (int x = 8; x <= 16; ++x) {
                const bool edge = x == 8 || x == 16 || y == 8 || y == 16;
                const bool stroke =
                    (y == 12 && x >= 10 && x <= 14) || (plus && x == 12 && y >= 10 && y <= 14);
                ASSERT_EQ(b.ColorAt(x, t + y), edge     ? LineColor
                                               : stroke ? TextColor
                                                        : White)
                    << x << "," << y;
            }
    };
    checkButton(out, true);
    Tree->SetExpanded(parent, true);
    out = Render();
    checkButton(out, false);
    (void)leaf;
}

TEST_F(PaintTest, ImagesAndTextAtTheirColumns) {
    Tree->SetFont({u"", -13, FW_NORMAL, false, false, false, DEFAULT_CHARSET}, TextColor);
    const std::u16string text = u"MMMM";
    const int w = Tree->PlatformFont()->TextWidth(text);
    const int h = Tree->PlatformFont()->Metrics().Height;
    PVirtualNode a = Add(nullptr, text, 1);
    PVirtualNode a1 = Add(a, text, 2);
    Add(a, text); // no image: no gap either
    Tree->SetExpanded(a, true);
    EXPECT_EQ(Tree->NodeImageIndex(a1), 2);
    EXPECT_EQ(Tree->NodeTextArea(a1), (TRect{76, 0, 76 + w, RowHeight}));
    const TBitmap out = Render();
    for (int level = 0; level < 2; ++level) {
        const int top = level * RowHeight;
        const int x = 2 + 24 * (level + 1);
        EXPECT_EQ(out.ColorAt(x, top), ImageColor(level + 1));
        EXPECT_EQ(out.ColorAt(x + 23, top + 23), ImageColor(level + 1));
        EXPECT_NE(out.ColorAt(x - 1, top + 5), ImageColor(level + 1));
        EXPECT_EQ(out.ColorAt(x + 24, top + 5), White); // the 2-pixel gap
        const int textLeft = 52 + 24 * level;
        const int textTop = top + (RowHeight - h) / 2;
        EXPECT_FALSE(AnyOtherThan(out, {x + 24, top, textLeft, top + RowHeight}, White));
        EXPECT_TRUE(AnyOtherThan(out, {textLeft, textTop, textLeft + w, textTop + h}, White));
        EXPECT_FALSE(AnyOtherThan(out, {textLeft, top, out.Width(), textTop}, White));
        EXPECT_FALSE(
            AnyOtherThan(out, {textLeft + w + 1, top, out.Width(), top + RowHeight}, White));
    }
    // The imageless node's text starts where the image would have been.
    const int top = 2 * RowHeight, textLeft = 2 + 24 * 2;
    EXPECT_EQ(out.ColorAt(textLeft - 1, top + 5), White); // right of the connector's end
    EXPECT_TRUE(AnyOtherThan(out, {textLeft, top, textLeft + w, top + RowHeight}, White));
    EXPECT_FALSE(AnyOtherThan(out, {textLeft + w + 1, top, out.Width(), top + RowHeight}, White));
}

TEST_F(PaintTest, UnchangedTextShowsDefaultText) {
    Tree->OnGetText = nullptr;
    PVirtualNode n = Add(nullptr);
    EXPECT_EQ(Tree->Text(n), u"Node");
    EXPECT_EQ(Tree->NodeTextWidth(n), Tree->PlatformFont()->TextWidth(u"Node"));
    const TBitmap out = Render();
    EXPECT_TRUE(AnyOtherThan(out, {26, 0, 26 + Tree->NodeTextWidth(n), RowHeight}, White));
    // An empty text draws nothing and measures 2 * TextMargin.
    Tree->SetTextMargin(3);
    Tree->OnGetText = [](TBaseVirtualTree*, PVirtualNode, TColumnIndex, TVSTTextType,
                         std::u16string& t) { t.clear(); };
    Tree->InvalidateNode(n);
    EXPECT_EQ(Tree->NodeTextWidth(n), 6);
    const TBitmap empty = Render();
    EXPECT_FALSE(AnyOtherThan(empty, {26, 0, empty.Width(), RowHeight}, White));
}

TEST_F(PaintTest, SelectedRowWithoutFocusIsWashedOverColourAndPicture) {
    // The focus goes to another window.
    TVirtualStringTree other;
    other.Show();
    other.SetFocus();
    ProcessMessages();
    if (Tree->Focused())
        GTEST_SKIP() << "the platform does not move the keyboard focus";
    PVirtualNode a = Add(nullptr, u"x");
    Add(nullptr);
    const TColor pictureColor = RGBColor(30, 60, 90);
    Tree->SetBackground(SolidBitmap(40, 30, pictureColor));
    Tree->SetBackgroundOffsetX(200);
    Tree->SetBackgroundOffsetY(10);
    Tree->SetSelected(a, true);
    Tree->SetFocusedNode(a);
    const TBitmap out = Render();
    const TColor overWhite = Washed(White, Selection);
    const TColor overPicture = Washed(pictureColor, Selection);
    EXPECT_EQ(overWhite, RGBColor(184, 208, 237));
    for (int x = 100; x < out.Width(); ++x)
        for (int y = 0; y < RowHeight; ++y) {
            const bool picture = x >= 200 && x < 240 && y >= 10;
            ASSERT_EQ(out.ColorAt(x, y), picture ? overPicture : overWhite) << x << "," << y;
        }
    // No focus frame: the top edge of the row is plain wash; lines are not washed.
    EXPECT_EQ(out.ColorAt(0, 0), overWhite);
    EXPECT_EQ(out.ColorAt(12, 20), LineColor);
    // The unselected row below shows the picture unwashed.
    EXPECT_EQ(out.ColorAt(210, RowHeight + 2), pictureColor);
    EXPECT_EQ(out.ColorAt(100, RowHeight + 2), White);
}

TEST_F(PaintTest, WithoutBlendingSelectedRowsAreFramedRectangles) {
    TVTColors colors = Tree->Colors();
    colors.FocusedSelectionBorderColor = colors.UnfocusedSelectionBorderColor = LineColor;
    Tree->SetColors(colors);
    Tree->SetBlendingAvailable(false);
    PVirtualNode a = Add(nullptr, u"x");
    Tree->SetSelected(a, true);
    const TBitmap out = Render();
    const int right = Tree->ContentWidth() - 1;
    EXPECT_EQ(out.ColorAt(150, 0), LineColor);
    EXPECT_EQ(out.ColorAt(150, RowHeight - 1), LineColor);
    EXPECT_EQ(out.ColorAt(right, 10), LineColor);
    EXPECT_EQ(out.ColorAt(150, 5), Selection); // filled, not washed
    EXPECT_EQ(out.ColorAt(150, RowHeight), White);
    // The geometry the tree reports carries its own margins.
    Tree->SetTextMargin(4);
    const TRowGeometry g = Tree->RowGeometry();
    EXPECT_EQ(g.TextLeft(1, true), 56);
    EXPECT_EQ(g.ImageLeft(Tree->NodeIndentSteps(a)), 26);
    EXPECT_EQ(Tree->VerticalAnchor(a), 12);
}

TEST_F(PaintTest, FocusedControlShowsFrameAndHighlightText) {
    Tree->SetFocus();
    ProcessMessages();
    if (!Tree->Focused())
        GTEST_SKIP() << "the platform gives no keyboard focus to the control";
    PVirtualNode a = Add(nullptr, u"xx");
    PVirtualNode b = Add(nullptr, u"yy");
    Tree->SetSelected(a, true);
    Tree->SetFocusedNode(a);
    TBitmap out = Render();
    const TColor overWhite = Washed(White, Selection);
    const TColor inverted = RGBColor(255 - GetRValue(overWhite), 255 - GetGValue(overWhite),
                                     255 - GetBValue(overWhite));
    // The frame runs around the whole row, every other pixel inverted.
    const int right = Tree->ContentWidth() - 1;
    for (int x = 100; x < right; ++x)
        ASSERT_EQ(out.ColorAt(x, 0), x % 2 == 0 ? inverted : overWhite) << x;
    EXPECT_EQ(out.ColorAt(right, 1), (right + 1) % 2 == 0 ? inverted : overWhite);
    EXPECT_EQ(out.ColorAt(150, 12), overWhite);
    EXPECT_TRUE(Tree->TextHighlighted(a));
    // Focused but not selected: the frame hugs the text area only.
    Tree->SetSelected(a, false);
    Tree->SetFocusedNode(b);
    out = Render();
    const TRect area = Tree->NodeTextArea(b);
    const int top = RowHeight;
    EXPECT_EQ(out.ColorAt(area.Left, top), RGBColor(0, 0, 0)); // white inverted
    EXPECT_EQ(out.ColorAt(area.Left + 1, top), White);
    EXPECT_EQ(out.ColorAt(area.Right, top), White); // just outside the frame
    EXPECT_FALSE(AnyOtherThan(out, {100, top, out.Width(), top + RowHeight}, White));
}

TEST_F(PaintTest, DottedLinesLineUpWithContentCoordinatesWhateverTheUpdateRect) {
    Tree->SetLineStyle(lsDotted);
    for (int i = 0; i < 20; ++i)
        Add(nullptr);
    // Client rows from top to bottom; the first row's line starts at its anchor.
    auto expectDots = [&](const TBitmap& b, int top, int bottom, int offsetY) {
        for (int y = top; y < bottom; ++y) {
            const int contentY = y - offsetY;
            if (contentY < 12)
                continue;
            const bool line = (12 + contentY) % 2 == 0;
            ASSERT_EQ(b.ColorAt(12, y), line ? LineColor : White) << contentY;
            // The connectors, at x 12 to 24 of their rows, follow the same checkerboard.
            const bool dot = contentY % 24 == 12 && (15 + contentY) % 2 == 0;
            ASSERT_EQ(b.ColorAt(15, y), dot ? LineColor : White) << contentY;
        }
    };
    expectDots(Render(), 0, Tree->ClientHeight(), 0);
    // An update rectangle with odd left and top edges: only it is painted, dots in step.
    TBitmap part(Tree->ClientWidth(), Tree->ClientHeight());
    Tree->Paint(part.Canvas(), {3, 7, 23, 38});
    expectDots(part, 7, 38, 0);
    EXPECT_EQ(part.ColorAt(12, 6), RGBColor(0, 0, 0));
    EXPECT_EQ(part.ColorAt(12, 38), RGBColor(0, 0, 0));
    EXPECT_EQ(part.ColorAt(2, 20), RGBColor(0, 0, 0));
    // Scrolled by an odd amount: the dots stay with the content.
    ASSERT_TRUE(Tree->DoSetOffsetXY(0, -13));
    expectDots(Render(), 0, Tree->ClientHeight(), -13);
}

TEST_F(PaintTest, PictureStaysAtItsClientPositionWhenRowsScroll) {
    for (int i = 0; i < 30; ++i)
        Add(nullptr);
    const TColor pictureColor = RGBColor(1, 2, 3);
    TBitmap picture = SolidBitmap(20, 20, pictureColor);
    picture.SetPixel(0, 0, PixelFromColor(RGBColor(9, 9, 9)));
    Tree->SetBackground(picture);
    Tree->SetBackgroundOffsetX(Tree->ClientWidth() - 20 - 24);
    Tree->SetBackgroundOffsetY(Tree->ClientHeight() - 20 - 24);
    const int px = Tree->BackgroundOffsetX(), py = Tree->BackgroundOffsetY();
    for (int offset : {0, -5, -100}) {
        Tree->DoSetOffsetXY(0, offset);
        const TBitmap out = Render();
        EXPECT_EQ(out.ColorAt(px, py), RGBColor(9, 9, 9));
        EXPECT_EQ(out.ColorAt(px + 19, py + 19), pictureColor);
        EXPECT_EQ(out.ColorAt(px - 1, py), White);
        EXPECT_EQ(out.ColorAt(px + 20, py + 19), White);
        EXPECT_EQ(out.ColorAt(px, py + 20), White);
    }
    // Moving the picture.
    Tree->SetBackgroundOffsetX(0);
    Tree->SetBackgroundOffsetY(0);
    Tree->DoSetOffsetXY(0, 0);
    EXPECT_EQ(Render().ColorAt(0, 0), RGBColor(9, 9, 9));
}

TEST_F(PaintTest, PictureInTheSpaceBelowTheLastRow) {
    Add(nullptr);
    Tree->SetBackground(SolidBitmap(10, 100, RGBColor(5, 5, 5)));
    Tree->SetBackgroundOffsetX(150);
    Tree->SetBackgroundOffsetY(0);
    const TBitmap out = Render();
    EXPECT_EQ(out.ColorAt(150, 5), RGBColor(5, 5, 5));  // behind the row
    EXPECT_EQ(out.ColorAt(159, 80), RGBColor(5, 5, 5)); // below the last row
    EXPECT_EQ(out.ColorAt(159, 100), White);
    EXPECT_EQ(out.ColorAt(160, 80), White);
}

TEST_F(PaintTest, TextWidthCacheIsClearedByFontAndInvalidation) {
    int asked = 0;
    std::u16string text = u"abc";
    Tree->OnGetText = [&](TBaseVirtualTree*, PVirtualNode, TColumnIndex, TVSTTextType,
                          std::u16string& t) {
        ++asked;
        t = text;
    };
    PVirtualNode a = Add(nullptr);
    PVirtualNode b = Add(nullptr);
    PVirtualNode hidden = Add(b); // collapsed: cleared all the same
    const int w = Tree->NodeTextWidth(a);
    EXPECT_EQ(w, Tree->PlatformFont()->TextWidth(u"abc"));
    const int before = asked;
    EXPECT_EQ(Tree->NodeTextWidth(a), w); // cached
    EXPECT_EQ(asked, before);
    Tree->NodeTextWidth(hidden);
    text = u"abcabcabc";
    Tree->InvalidateNode(a);
    const int wide = Tree->NodeTextWidth(a);
    EXPECT_GT(wide, w);
    EXPECT_EQ(Tree->NodeTextWidth(b), w); // b was not invalidated
    Tree->SetFont({u"", -30, FW_BOLD, false, false, false, DEFAULT_CHARSET}, TextColor);
    const int big = Tree->PlatformFont()->TextWidth(u"abcabcabc");
    EXPECT_EQ(Tree->NodeTextWidth(b), big);
    EXPECT_EQ(Tree->NodeTextWidth(hidden), big);
    // OnMeasureTextWidth may replace the measure.
    Tree->OnMeasureTextWidth = [](TBaseVirtualTree*, PVirtualNode, TColumnIndex,
                                  const std::u16string&, int& extent) { extent = 7; };
    Tree->ResetAllNodeCaches();
    EXPECT_EQ(Tree->NodeTextWidth(a), 7);
}

TEST_F(PaintTest, EmptyTreesAndEmptyWindows) {
    TBitmap out = Render();
    EXPECT_FALSE(AnyOtherThan(out, Tree->ClientRect(), White));
    Tree->SetBackground(SolidBitmap(5, 5, RGBColor(7, 7, 7)));
    out = Render();
    EXPECT_EQ(out.ColorAt(4, 4), RGBColor(7, 7, 7));
    Add(nullptr);
    TBitmap none(1, 1);
    none.Fill(RGBColor(1, 1, 1));
    Tree->Paint(none.Canvas(), {});
    Tree->RenderContent(none.Canvas(), {5, 5, 5, 40}, {0, 0});
    EXPECT_EQ(none.ColorAt(0, 0), RGBColor(1, 1, 1));
    Tree->SetBounds(0, 0, 0, 0);
    ProcessMessages();
    Tree->Paint(none.Canvas(), Tree->ClientRect());
    EXPECT_EQ(none.ColorAt(0, 0), RGBColor(1, 1, 1));
}

TEST_F(PaintTest, NestedPaintDoesNothingAndDropMarkIsDrawn) {
    PVirtualNode a = Add(nullptr);
    Add(nullptr);
    int after = 0;
    TBitmap scratch(10, 10);
    Tree->OnBeforePaint = [&](TBaseVirtualTree*, TCanvas&) {
        Tree->Paint(scratch.Canvas(), {0, 0, 10, 10});
    };
    Tree->OnAfterPaint = [&](TBaseVirtualTree*, TCanvas&) { ++after; };
    TVTColors colors = Tree->Colors();
    colors.DropMarkColor = RGBColor(0, 200, 0);
    Tree->SetColors(colors);
    Tree->SetDropTarget(a, dmBelow);
    const TBitmap out = Render();
    EXPECT_EQ(after, 1);
    EXPECT_EQ(out.ColorAt(100, RowHeight - 2), RGBColor(0, 200, 0));
    EXPECT_EQ(out.ColorAt(100, RowHeight - 10), White);
    Tree->SetDropTarget(a, dmAbove);
    const TBitmap above = Render();
    EXPECT_EQ(above.ColorAt(100, 0), RGBColor(0, 200, 0));
    EXPECT_EQ(above.ColorAt(100, RowHeight - 2), White);
    // Freeing the target drops it.
    Tree->DeleteNode(a);
    EXPECT_EQ(Tree->DropTargetNode(), nullptr);
}

} // namespace

TEST_F(PaintTest, TextWiderThanTheClientIsWholeAndReachableByScrolling) {
    Tree->SetFont({u"", -13, FW_NORMAL, false, false, false, DEFAULT_CHARSET}, TextColor);
    // Alternating wide letters and spaces: a shortened text would end in dots and a gap.
    std::u16string text;
    for (int i = 0; i < 60; ++i)
        text += u"M ";
    text += u"MMMM";
    const int w = Tree->PlatformFont()->TextWidth(text);
    // The text is set after the node was added and measured: measure it again.
    Tree->InvalidateNode(Add(nullptr, text, 0));
    Tree->UpdateScrollBars(true);
    ASSERT_GT(52 + w, Tree->ClientWidth());
    // The range counts the margin once: it ends where the text does.
    EXPECT_EQ(Tree->HorzRange(), 52 + w);
    // Scrolled to the right end, the last letters fill the end of the row.
    Tree->SetOffsetX(std::numeric_limits<int>::min());
    EXPECT_EQ(Tree->OffsetX(), Tree->ClientWidth() - Tree->HorzRange());
    const TBitmap out = Render();
    const int textEnd = 52 + w + Tree->OffsetX();
    const int fourM = Tree->PlatformFont()->TextWidth(u"MMMM");
    EXPECT_EQ(textEnd, Tree->ClientWidth());
    // Every M of the closing four leaves ink in its own quarter.
    for (int i = 0; i < 4; ++i) {
        const int l = textEnd - fourM + i * fourM / 4;
        EXPECT_TRUE(AnyOtherThan(out, {l, 0, l + fourM / 4, RowHeight}, White)) << "letter " << i;
    }
}

TEST_F(PaintTest, AtRatioTwoRowsAreDrawnWithTwiceThePixels) {
    Add(nullptr, u"A15.0 Туберкулез легких", 0);
    Add(nullptr, u"A15.0 Туберкулез легких", 0);
    const TBitmap one = Render();
    TBitmap two;
    two.SetPixelRatio(2);
    two.SetSize(Tree->ClientWidth(), Tree->ClientHeight());
    Tree->Paint(two.Canvas(), Tree->ClientRect());
    ASSERT_EQ(two.DeviceWidth(), 2 * one.Width());
    ASSERT_EQ(two.DeviceHeight(), 2 * one.Height());

    // The first row of text ink in each of the two rows, in device pixels.
    const int textLeft = 2 * 60, textRight = 2 * 200;
    auto firstInk = [&](int from, int to) {
        for (int y = from; y < to; ++y)
            for (int x = textLeft; x < textRight; ++x)
                if (two.ColorAt(x, y) == TextColor)
                    return y;
        return -1;
    };
    const int ink0 = firstInk(0, 48), ink1 = firstInk(48, 96);
    ASSERT_GE(ink0, 0);
    EXPECT_EQ(ink1 - ink0, 48);

    // The text is rasterised at the finer grid, not a copy of the 1x rows with doubled pixels:
    // a doubled copy has every aligned 2 x 2 block of one colour.
    int fineBlocks = 0;
    for (int y = 0; y < 96; y += 2)
        for (int x = textLeft; x < textRight; x += 2) {
            const TColor c = two.ColorAt(x, y);
            if (two.ColorAt(x + 1, y) != c || two.ColorAt(x, y + 1) != c ||
                two.ColorAt(x + 1, y + 1) != c)
                ++fineBlocks;
        }
    EXPECT_GT(fineBlocks, 50);
}
