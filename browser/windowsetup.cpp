#include "browser/windowsetup.h"

#include "platform/application.h"
#include "platform/bitmap.h"
#include "platform/dialogs.h"
#include "resources/pictures/pictures.h"

namespace mkb::browser {

namespace {

constexpr TColor SelectionBlue = RGBColor(0x72, 0xA1, 0xDB);

// An empty bitmap when the picture cannot be read, so that a damaged build still shows its
// tree. On high-density screens the picture drawn at twice the size.
TBitmap ResourcePicture(const char* name) {
    TBitmap picture;
    picture.LoadFromResource(name, ScreenPixelRatio());
    return picture;
}

// White text on it 5.3:1.
constexpr TColor ListSelectionBlue = RGBColor(0x2E, 0x6D, 0xB4);

} // namespace

TFontSpec PartsTreeFont() {
    TFontSpec f;
    f.Name = u"MS Sans Serif";
    f.Height = 11;
    f.CharSet = RUSSIAN_CHARSET;
    return f;
}

void SetUpPartsTree(TVirtualStringTree& tree, TImageList& images) {
    tree.SetDefaultNodeHeight(24);
    tree.SetIndent(24);
    tree.SetMargin(2);
    tree.SetTextMargin(0);
    tree.SetFont(PartsTreeFont());
    tree.SetLineStyle(lsSolid);
    tree.SetDrawSelectionMode(smBlendedRectangle);
    TVTColors colors = tree.Colors();
    colors.FocusedSelectionColor = colors.FocusedSelectionBorderColor = SelectionBlue;
    colors.UnfocusedSelectionColor = colors.UnfocusedSelectionBorderColor = SelectionBlue;
    colors.SelectionRectangleBlendColor = colors.SelectionRectangleBorderColor = SelectionBlue;
    tree.SetColors(colors);
    TStringTreeOptions& options = tree.TreeOptions();
    options.PaintOptions |=
        TVTPaintOptions{toShowBackground, toUseBlendedSelection, toStaticBackground};
    options.SelectionOptions |= TVTSelectionOptions{toFullRowSelect, toSimpleDrawSelection};
    for (int i = 0; i < MkbPictures::TreeImageCount; ++i)
        images.Add(ResourcePicture(MkbPictures::TreeImage(i)));
    tree.SetImages(&images);
    tree.SetBackground(ResourcePicture(MkbPictures::TreeBackground));
}

void SetUpFlatList(TVirtualStringTree& list, unsigned rowHeight, bool multiSelect) {
    list.SetNodeDataSize(0);
    list.SetDefaultNodeHeight(rowHeight);
    list.SetMargin(2);
    list.SetTextMargin(4);
    TStringTreeOptions& options = list.TreeOptions();
    options.PaintOptions = multiSelect ? TVTPaintOptions{toThemeAware}
                                       : TVTPaintOptions{toThemeAware, toHideFocusRect};
    options.SelectionOptions = multiSelect ? TVTSelectionOptions{toFullRowSelect, toMultiSelect}
                                           : TVTSelectionOptions{toFullRowSelect};
    options.MiscOptions = TVTMiscOptions{toFullRepaintOnResize};
    list.ScrollBarOptions().ScrollBars = ssVertical;
    TVTColors colors = list.Colors();
    colors.FocusedSelectionColor = colors.FocusedSelectionBorderColor = ListSelectionBlue;
    list.SetColors(colors);
    list.SetTextWidthMeasure([](const std::u16string&) { return 0; });
}

bool ChooseTreeFont(TVirtualStringTree& tree) {
    const TFontSpec& current = tree.Font();
    TFontDialogFont chosen;
    chosen.Name = current.Name;
    chosen.Height = current.Height;
    chosen.Bold = current.Weight >= FW_BOLD;
    chosen.Italic = current.Italic;
    chosen.Underline = current.Underline;
    chosen.StrikeOut = current.StrikeOut;
    chosen.Color = tree.FontColor();
    if (!ExecuteFontDialog(chosen))
        return false;
    TFontSpec font = current;
    font.Name = chosen.Name;
    font.Height = chosen.Height;
    font.Weight = chosen.Bold ? FW_BOLD : FW_NORMAL;
    font.Italic = chosen.Italic;
    font.Underline = chosen.Underline;
    font.StrikeOut = chosen.StrikeOut;
    tree.SetFont(font, chosen.Color);
    return true;
}

void ConnectPartsTree(TVirtualStringTree& tree, TBrowser& browser) {
    TBrowser* b = &browser;
    tree.OnResize = [b](TBaseVirtualTree* s) { b->vstPartsTreeResize(s); };
    tree.OnExpanding = [b](TBaseVirtualTree* s, PVirtualNode n, bool& allowed) {
        b->vstPartsTreeExpanding(s, n, allowed);
    };
    tree.OnGetText = [b](TBaseVirtualTree* s, PVirtualNode n, TColumnIndex c, TVSTTextType t,
                         std::u16string& text) { b->vstPartsTreeGetText(s, n, c, t, text); };
    tree.OnGetImageIndex = [b](TBaseVirtualTree* s, PVirtualNode n, TVTImageKind k, TColumnIndex c,
                               bool& ghosted, int& index) {
        b->vstPartsTreeGetImageIndex(s, n, k, c, ghosted, index);
    };
    tree.OnFocusChanged = [b](TBaseVirtualTree* s, PVirtualNode n, TColumnIndex c) {
        b->vstPartsTreeFocusChanged(s, n, c);
    };
    tree.OnGetPopupMenu = [b](TBaseVirtualTree* s, PVirtualNode n, TColumnIndex c, TPoint p,
                              bool& askParent, TPopupMenu& menu) {
        b->vstPartsTreeGetPopupMenu(s, n, c, p, askParent, menu);
    };
}

void ConnectDetailsViewer(html::THTMLViewer& viewer, TBrowser& browser) {
    viewer.OnHotSpotClick = [b = &browser](html::THTMLViewer*, const std::u16string& href) {
        b->FollowLink(href);
    };
}

void SetUpDetailsViewer(html::THTMLViewer& viewer) {
    viewer.Knobs.Align = html::alClient;
    viewer.SetBorderStyle(html::htNone);
    viewer.Knobs.HistoryMaxCount = 0;
    viewer.DefFontName = u"Times New Roman";
    viewer.DefPreFontName = u"Courier New";
    viewer.NoSelect = false;
    viewer.SetScrollBars(html::ssVertical);
    viewer.CharSet = RUSSIAN_CHARSET;
    viewer.Knobs.PrintMarginLeft = viewer.Knobs.PrintMarginRight = viewer.Knobs.PrintMarginTop =
        viewer.Knobs.PrintMarginBottom = 2.0;
    viewer.Knobs.PrintScale = 1.0;
}

} // namespace mkb::browser
