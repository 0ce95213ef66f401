#pragma once
// The list of search results that drops down below the search bar while the user types: every
// matching record, best first, in this project's tree control used as a flat list whose rows are
// answered by index. The window places the control and hands it the search box's keys; what
// the list shows and does is decided here.
#include "browser/browser.h"
#include "browser/search_rank.h"
#include "data/codedates.h"
#include "tree/stringtree.h"

#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <string_view>

namespace mkb::browser {

// The window's side of the list.
class TSearchResultsView {
public:
    virtual ~TSearchResultsView() = default;
    // Shows the list with room for that many rows under its header, or resizes it.
    virtual void ShowResults(int rows) = 0;
    // Hides the list; when it had the keyboard focus, the search box gets it back.
    virtual void HideResults() = 0;
    virtual void SetResultsHeader(const std::u16string& text) = 0;
    virtual void FocusResults() = 0;
    virtual void FocusSearchBox() = 0;
};

class TSearchResultsList {
public:
    static constexpr int MaxVisibleRows = 15;
    static constexpr int RowHeight = 20;

    // Opens records through the browser and reads the search box through its SearchBar.
    TSearchResultsList(std::span<const TMKBRec> store, TBrowser& browser);
    ~TSearchResultsList();
    TSearchResultsList(const TSearchResultsList&) = delete;
    TSearchResultsList& operator=(const TSearchResultsList&) = delete;

    TVirtualStringTree& vstSearchResults() { return List; }
    TSearchResultsView* View{nullptr};

    // The search box's text changed while the box has the focus: the list follows it, and
    // closes below two characters.
    void SearchTextChanged(std::u16string_view text);
    // A key pressed in the search box: Down enters the list (opening it first when closed),
    // Esc closes it. True when the list took the key.
    bool SearchBoxKeyDown(TVirtualKey key, TShiftState shift);
    // F3, or Shift+F3 backwards: the result of the search box's query after the one opened
    // last, in the list's order, wrapping; also while the list is closed.
    void OpenNextResult(bool backwards);
    // Opens the record of a row as a search opens the found one; the list closes.
    void OpenRow(unsigned row);
    // Enter or the button: the first row of the search box's query, as Down, Enter opens it;
    // the no-match message only when the list is empty.
    void OpenFirstResult();
    void Close();
    bool Showing() const { return FShowing; }

    const TSearchResults& Results() const { return FResults; }
    // The index forgets the words of earlier queries (for measuring cold ones).
    void ForgetWords() {
        if (Index)
            Index->ForgetWords();
    }
    std::u16string HeaderText() const;
    // The one row an empty list shows.
    static constexpr std::u16string_view NothingFound = u"Ничего не найдено";
    static constexpr std::u16string_view NothingFoundHint =
        u" — введите часть слова или код, например J45";
    // The record of a row, -1 outside the list and for the withdrawn code's row.
    int RowRecord(unsigned row) const;
    // A withdrawn code typed exactly («I84», «к35.0») has a last row of its own, drawn grey
    // and opening nothing: the code, its title and the date it was withdrawn. nullptr when the
    // query is no withdrawn code.
    const TWithdrawnCode* WithdrawnRow() const { return FWithdrawn; }
    static std::u16string WithdrawnText(const TWithdrawnCode& code);
    // The term of the query that brought the row's record, as typed; empty when its words did.
    std::u16string RowTerm(unsigned row) const;
    // The whole title of a row drawn shortened, for its tooltip; empty for a row drawn whole.
    std::u16string RowHint(unsigned row) const;

private:
    void ListKeyDown(TVirtualKey& key, TShiftState shift);
    void ListGetText(PVirtualNode node, std::u16string& text) const;
    void ListDrawText(TCanvas& canvas, PVirtualNode node, const std::u16string& text,
                      const TRect& rect, bool& defaultDraw);
    void DrawNothingFound(TCanvas& canvas, const TRect& rect) const;
    void ListMouseUp(TMouseButton button, int y);
    // The results of the trimmed query, computed again only when the query changed.
    const TSearchResults& ResultsFor(std::u16string_view text);
    void Fill();
    std::u16string SearchBoxText() const;

    std::span<const TMKBRec> Store;
    TBrowser& Browser;
    TVirtualStringTree List;
    // Made at the first query, so that start-up does not pay for it.
    std::unique_ptr<TSearchIndex> Index;
    TSearchResults FResults;
    std::u16string FResultsQuery; // the trimmed text FResults were made for
    bool FHaveResults{false};
    const TWithdrawnCode* FWithdrawn{nullptr}; // for FResultsQuery
    bool FShowing{false};
    int FLastOpened{-1};
    int FOpenedKey{0};
    std::set<unsigned> FCutRows;               // rows last drawn with an ellipsis
    std::map<std::u16string, int> RangeWidths; // ranges and terms, in RangeWidthsFont
    std::shared_ptr<const TPlatformFont> RangeWidthsFont;
};

} // namespace mkb::browser
