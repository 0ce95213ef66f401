#pragma once
// The results of the code check without the window around them: a text checked in slices, its
// findings shown in this project's tree control as a list with columns, filtered by verdict,
// counted, copied and saved. The window places the list and its column captions and drives
// the run from its timer.
#include "browser/codecheck.h"
#include "tree/stringtree.h"

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mkb::browser {

// A column of the list: its caption and where it lies across a row of a given width.
struct TCheckColumn {
    std::u16string_view Caption;
    int Left{0};
    int Right{0};
};

class TCodeCheckList {
public:
    static constexpr int RowHeight = 20;
    // A slice of the run: about a millisecond of checking, so typing stays smooth.
    static constexpr std::size_t SliceUnits = 64 * 1024;
    // The filter's first two items; one item per verdict follows, in verdict order.
    static constexpr int FilterAll = 0;
    static constexpr int FilterProblems = 1;

    TCodeCheckList(std::span<const TMKBRec> store, const TRecordIndex& index,
                   const TCodeDates& dates);
    TCodeCheckList(const TCodeCheckList&) = delete;
    TCodeCheckList& operator=(const TCodeCheckList&) = delete;

    TVirtualStringTree& List() { return FList; }

    // Starts checking the text from its beginning; a run under way is dropped. A text the check
    // refuses leaves an empty report and the reason in Refused().
    void Start(std::u16string text);
    // Checks one slice more; false once the whole text is checked and the list shows it.
    bool Step(std::size_t units = SliceUnits);
    // The whole text at once.
    void CheckAll(std::u16string text);
    bool Running() const { return FRun != nullptr; }
    // How much of the text the run has read, 0 to 100.
    int Percent() const;
    const std::u16string& Refused() const { return FRefused; }

    // The last finished report.
    const TCheckReport& Report() const { return FReport; }
    // «Всего 1 000: можно использовать 912, нужен 4-й знак 51, …».
    std::u16string CountsText() const;
    // The filter's captions with their counts.
    std::vector<std::u16string> FilterItems() const;
    void SetFilter(int item);
    int Filter() const { return FFilter; }

    // The findings the list shows, as indexes into the report, in text order.
    const std::vector<std::size_t>& Rows() const { return FRows; }
    const TCodeFinding* RowFinding(unsigned row) const;
    // The finding of the list's focused row; nullptr when none.
    const TCodeFinding* FocusedFinding() const;

    // Tab-separated text with a header line: the selected rows (the focused one when none is
    // selected), or every row the filter shows.
    std::u16string SelectedTsv() const;
    std::u16string AllTsv() const;
    // The rows the filter shows as a CSV file.
    std::string Csv() const;

    // The columns across a row of that width; the title takes what the others leave.
    static std::vector<TCheckColumn> Columns(int width);

    // Enter or a double click on a row.
    std::function<void(const TCodeFinding& finding)> OnOpen;
    // A finished run or another filter changed what the list shows.
    std::function<void()> OnChanged;

private:
    class TList : public TVirtualStringTree {
    public:
        explicit TList(TCodeCheckList& owner) : Owner(owner) {}
        // Ctrl+C copies the selected rows as a table, not the focused row's text.
        void CopyToClipboard() override;

    private:
        TCodeCheckList& Owner;
    };

    void Fill();
    std::vector<std::size_t> SelectedFindings() const;
    void DrawRow(TCanvas& canvas, PVirtualNode node, const TRect& rect);
    std::u16string RowText(unsigned row) const;
    void OpenFocused();
    bool ExtendSelection(TVirtualKey key, TShiftState shift);
    // Selects the rows from the tree's range anchor to row to, which gets the focus.
    void SelectRows(unsigned to);

    std::span<const TMKBRec> Store;
    TCodeChecker Checker;
    TList FList{*this};
    std::u16string FText; // the text of the run under way
    std::unique_ptr<TCodeChecker::TRun> FRun;
    std::u16string FRefused;
    TCheckReport FReport;
    int FFilter{FilterAll};
    std::vector<std::size_t> FRows;
    PVirtualNode FAnchor{nullptr}; // where the range being extended began
};

} // namespace mkb::browser
