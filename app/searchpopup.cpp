#include "app/searchpopup.h"

using namespace mkb::browser;

namespace {

constexpr int HeaderHeight = 20;

} // namespace

TSearchResultsPopup::TSearchResultsPopup(TWidget* parent, TSearchResultsList& list,
                                         TEdit& searchBox, TPanel& searchBar)
    : TPanel(parent), List(&list), SearchBox(searchBox), SearchBar(searchBar) {
    SetBorderLine(true);
    lbSearchResultsHeader = Make<TLabel>();
    lbSearchResultsHeader->SetBounds(0, 0, 0, HeaderHeight);
    lbSearchResultsHeader->SetAlign(alTop);
    lbSearchResultsHeader->SetMargins(6, 6);
    lbSearchResultsHeader->SetColor(RGBColor(0xE8, 0xEE, 0xF6));
    lbSearchResultsHeader->SetTextColor(RGBColor(0x33, 0x44, 0x55));
    ListPiece = Make<TControlPiece>(list.vstSearchResults());
    ListPiece->SetAlign(alClient);
    list.vstSearchResults().SetBorder(bkNone);
    list.View = this;
    // The whole title of a row the list drew shortened.
    list.vstSearchResults().OnHint = [this](TPoint p) -> std::u16string {
        if (List == nullptr)
            return {};
        PVirtualNode node = List->vstSearchResults().GetNodeAt(p.Y, true);
        return node != nullptr ? List->RowHint(node->Index) : u"";
    };
    Hide();
    // The panel follows the window and the search box.
    SearchBar.OnResize = [this, previous = SearchBar.OnResize] {
        if (previous)
            previous();
        if (Visible())
            Place();
    };
}

bool TSearchResultsPopup::HoldsFocus() const {
    return ListPiece->Focused();
}

void TSearchResultsPopup::Detach() {
    if (List != nullptr)
        List->vstSearchResults().OnHint = nullptr;
    List = nullptr;
    Hide();
}

bool TSearchResultsPopup::SearchBoxKey(const TKeyStroke& stroke) {
    if (List == nullptr || (stroke.Key != vk::Down && stroke.Key != vk::Escape))
        return false;
    return List->SearchBoxKeyDown(stroke.Key, stroke.Shift);
}

void TSearchResultsPopup::Place() {
    if (List == nullptr || Parent() == nullptr)
        return;
    const TPoint left = SearchBox.MapTo(*Parent(), {0, 0});
    const TPoint below = SearchBar.MapTo(*Parent(), {0, SearchBar.Height()});
    const int height =
        2 + HeaderHeight + Rows * static_cast<int>(List->vstSearchResults().DefaultNodeHeight());
    SetBounds(left.X, below.Y, SearchBox.Width(), height);
}

void TSearchResultsPopup::ShowResults(int rows) {
    Rows = rows;
    Place();
    Show();
    BringToFront();
}

void TSearchResultsPopup::HideResults() {
    // The list must not take the focus away with it.
    if (HoldsFocus())
        SearchBox.SetFocus();
    Hide();
}

void TSearchResultsPopup::SetResultsHeader(const std::u16string& text) {
    lbSearchResultsHeader->SetCaption(text);
}

void TSearchResultsPopup::FocusResults() {
    ListPiece->SetFocus();
}

void TSearchResultsPopup::FocusSearchBox() {
    SearchBox.SetFocus();
}
