#pragma once
// The document: the top-level list of elements and the state shared by all of them.
#include "html/layout/sectionbase.h"
#include "html/style/stylelist.h"
#include "html/text/units.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace html {

class TFontObj;

class TSectionList : public TCell {
public:
    TSectionList(void* viewer = nullptr, void* paintPanel = nullptr);
    ~TSectionList() override;

    void* Viewer;
    void* PaintPanel;
    TColor Background{clWindow};
    int ViewTop{0};
    int SelStart{0};
    int SelEnd{0};
    int SectionCount{0};
    int LayoutCycle{0};
    int ProgressBase{75};
    int TableNestLevel{0};
    int TrialLayoutDepth{0}; // above 0 while table cells are laid out only to learn heights
    bool ManyLinks{false};
    bool OverLinksActive{false};
    bool LinkUnderline{true};
    std::u16string PreFontName{u"Courier New"};
    std::u16string Title;
    std::map<std::u16string, const void*> IdList;
    std::vector<TFontObj*> LinkRuns;
    std::vector<TSection*> SearchList;
    TStyleList Styles;
    TFontSizeTables FontSizes;
    double DefFontSize{12};
    int MarginWidth{10};
    int MarginHeight{5};
    // Shown when an element fails to lay out; the element is then dropped.
    std::function<void(const std::u16string& Message)> OnProcessingError;

    void Clear();
    void SetDefaults(std::u16string_view fontName, std::u16string_view preFontName, int marginWidth,
                     int marginHeight, int charSet, bool linkUnderline, bool overLinksActive,
                     TColor background, TColor overLinkColor, TColor visitedLinkColor,
                     TColor hotSpotColor, TColor fontColor, double fontSize);

    // Returns the document height; maxWidth receives the widest content.
    int Layout(THtmlCanvas& canvas, int y, int& pos, int& maxWidth, int width, int availHeight);
    // Paints what meets clip (client coordinates; document Y minus ViewTop).
    void Paint(THtmlCanvas& canvas, const TRect& clip, int x) { DoPaint(canvas, clip, x); }
    // The plain text of the positions [from, to) in reading order: sections and table cells on
    // lines of their own, separated by line feeds; no markup, nothing of what finishing added.
    std::u16string TextRange(int from, int to) const;
    std::u16string SelectedText() const { return TextRange(SelStart, SelEnd); }
};

} // namespace html
