#include "html/layout/document.h"

#include <algorithm>

namespace html {

void ReportProcessingError(TSectionList& document, const std::u16string& message) {
    if (document.OnProcessingError)
        document.OnProcessingError(message);
}

TSectionList::TSectionList(void* viewer, void* paintPanel)
    : TCell(this), Viewer(viewer), PaintPanel(paintPanel) {}

TSectionList::~TSectionList() {
    Items.clear();
}

void TSectionList::Clear() {
    Items.clear();
    IdList.clear();
    LinkRuns.clear();
    SearchList.clear();
    SelStart = SelEnd = 0;
    SectionCount = 0;
    TableNestLevel = 0;
    Title.clear();
}

void TSectionList::SetDefaults(std::u16string_view fontName, std::u16string_view preFontName,
                               int marginWidth, int marginHeight, int charSet, bool linkUnderline,
                               bool overLinksActive, TColor background, TColor overLinkColor,
                               TColor visitedLinkColor, TColor hotSpotColor, TColor fontColor,
                               double fontSize) {
    Styles.Clear();
    Styles.InitializeStyles(fontName, preFontName, fontSize, fontColor, hotSpotColor,
                            visitedLinkColor, overLinkColor, linkUnderline, charSet, marginHeight,
                            marginWidth);
    FontSizes.SetFontSizes(fontSize);
    DefFontSize = fontSize;
    PreFontName = preFontName;
    MarginWidth = marginWidth;
    MarginHeight = marginHeight;
    LinkUnderline = linkUnderline;
    OverLinksActive = overLinksActive;
    Background = background;
}

int TSectionList::Layout(THtmlCanvas& canvas, int y, int& pos, int& maxWidth, int width,
                         int availHeight) {
    ++LayoutCycle;
    IndentManager& im = OwnIndents;
    im.Reset();
    im.Init(0, width);
    im.Width = width;
    im.Owner = this;
    im.PushLeft(0, y);
    im.PushRight(width, y);
    const int height = DoLayout(canvas, 0, pos, maxWidth, im, width, availHeight, y);
    im.Reset();
    if (SearchList.empty())
        CollectSections(SearchList);
    return std::max(height, im.FloatBottom() - y);
}

std::u16string TSectionList::TextRange(int from, int to) const {
    std::u16string out;
    if (from < to)
        CopyText(from, to, out);
    return out;
}

} // namespace html
