// Painting a full client area of 30 rows (row bitmap, lines, buttons, images, text), and one
// wheel notch of scrolling (offset change and repaint) on a tree of 40,000 expanded rows; the
// argument is the surface's device pixel ratio (1, or 2 for a high-density screen).
#include "forty_thousand.h"
#include "platform/application.h"
#include "tree/stringtree.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

constexpr int RowHeight = 24;

class TBenchTree : public TVirtualStringTree {
public:
    using TBaseVirtualTree::Paint;
};

struct TFixture {
    std::unique_ptr<TBenchTree> Tree;
    std::unique_ptr<TImageList> Images;
    std::unique_ptr<TBitmap> Target;
};

TFixture Make(int ratio) {
    EnsureApplication();
    TFixture f;
    f.Tree = std::make_unique<TBenchTree>();
    f.Images = std::make_unique<TImageList>(24, 24);
    for (int i = 0; i < 4; ++i) {
        TBitmap pic;
        pic.SetPixelRatio(ratio); // the pictures drawn for the screen, as the window loads them
        pic.SetSize(24, 24);
        pic.Fill(RGBColor(40 * i, 120, 200));
        f.Images->AddMasked(pic, RGBColor(255, 0, 255));
    }
    TBenchTree& tree = *f.Tree;
    tree.SetNodeDataSize(4);
    tree.SetDefaultNodeHeight(RowHeight);
    tree.SetIndent(24);
    tree.SetMargin(2);
    tree.SetTextMargin(0);
    tree.SetLineStyle(lsSolid);
    tree.SetImages(f.Images.get());
    tree.SetDrawSelectionMode(smBlendedRectangle);
    tree.TreeOptions().PaintOptions.Include(
        {toShowBackground, toUseBlendedSelection, toStaticBackground});
    tree.TreeOptions().SelectionOptions.Include({toFullRowSelect, toSimpleDrawSelection});
    TBitmap picture;
    picture.SetPixelRatio(ratio);
    picture.SetSize(161, 169);
    picture.Fill(RGBColor(220, 230, 240));
    tree.SetBackground(picture);
    tree.OnGetText = [](TBaseVirtualTree* s, PVirtualNode n, TColumnIndex, TVSTTextType,
                        std::u16string& text) {
        text = u"A00.0 Холера, вызванная холерным вибрионом 01, биовар cholerae " +
               std::u16string(1, static_cast<char16_t>(u'0' + n->Index % 10));
    };
    tree.OnGetImageIndex = [](TBaseVirtualTree* s, PVirtualNode n, TVTImageKind, TColumnIndex,
                              bool&, int& index) { index = static_cast<int>(n->Index % 4); };
    tree.SetBounds(0, 0, 700, 30 * RowHeight + 4);
    tree.Show();
    FillFortyThousandRows(tree);
    tree.SetBackgroundOffsetX(tree.ClientWidth() - 161 - 24);
    tree.SetBackgroundOffsetY(tree.ClientHeight() - 169 - 24);
    PVirtualNode selected = tree.GetFirstVisibleNoInit();
    for (int i = 0; i < 5; ++i)
        selected = tree.GetNextVisibleNoInit(selected);
    tree.SetSelected(selected, true);
    f.Target = std::make_unique<TBitmap>();
    f.Target->SetPixelRatio(ratio);
    f.Target->SetSize(tree.ClientWidth(), tree.ClientHeight());
    return f;
}

void BM_PaintClientArea(benchmark::State& state) {
    TFixture f = Make(static_cast<int>(state.range(0)));
    TBenchTree& tree = *f.Tree;
    tree.Paint(f.Target->Canvas(), tree.ClientRect()); // measures every row once
    for (auto _ : state) {
        tree.Paint(f.Target->Canvas(), tree.ClientRect());
        f.Target->ScanLine(0); // the drawing is finished
    }
    state.counters["rows"] = tree.ClientHeight() / RowHeight;
    state.counters["visible"] = tree.VisibleCount();
}

void BM_WheelNotchScroll(benchmark::State& state) {
    TFixture f = Make(static_cast<int>(state.range(0)));
    TBenchTree& tree = *f.Tree;
    const int notch = WheelScrollLines() * RowHeight;
    tree.DoSetOffsetXY(0, -(static_cast<int>(tree.ContentHeight()) / 2));
    int direction = -1;
    for (auto _ : state) {
        if (!tree.DoSetOffsetXY(0, tree.OffsetY() + direction * notch)) {
            direction = -direction;
            tree.DoSetOffsetXY(0, tree.OffsetY() + direction * notch);
        }
        tree.Paint(f.Target->Canvas(), tree.ClientRect());
        f.Target->ScanLine(0);
    }
    state.counters["visible"] = tree.VisibleCount();
    state.counters["cache"] = tree.TreeStates().Contains(tsUseCache) ? 1 : 0;
}

} // namespace

BENCHMARK(BM_PaintClientArea)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WheelNotchScroll)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
