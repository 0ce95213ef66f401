#pragma once
// The search results list as the window shows it: a framed panel with the count header and the
// list control, dropped over the tree just below the search bar. What it shows and does is
// TSearchResultsList's; this places it and hands it the search box's keys.
#include "browser/search_list.h"
#include "platform/forms.h"

class TSearchResultsPopup : public TPanel, private mkb::browser::TSearchResultsView {
public:
    // The panel takes the search box's left edge and width, its top is the bottom of the search
    // bar. The list must outlive the panel's use: the window drops the list's view before it
    // destroys the list.
    TSearchResultsPopup(TWidget* parent, mkb::browser::TSearchResultsList& list, TEdit& searchBox,
                        TPanel& searchBar);

    // A key pressed in the search box; true when the list took it.
    bool SearchBoxKey(const TKeyStroke& key);
    // Whether the list has the keyboard focus.
    bool HoldsFocus() const;
    // Hides the panel and stops following the window, before the list goes.
    void Detach();

    TLabel* lbSearchResultsHeader{nullptr};

private:
    void ShowResults(int rows) override;
    void HideResults() override;
    void SetResultsHeader(const std::u16string& text) override;
    void FocusResults() override;
    void FocusSearchBox() override;
    void Place();

    mkb::browser::TSearchResultsList* List;
    TEdit& SearchBox;
    TPanel& SearchBar;
    TControlPiece* ListPiece{nullptr};
    int Rows{0};
};
