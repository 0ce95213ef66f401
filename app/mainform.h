#pragma once
// The main window: search bar on top, the classification tree on the left, the details pane on
// the right, a status bar and the menu. Its logic lives in TBrowser; this class builds the
// window's pieces and connects their events to it.
#include "browser/browser.h"
#include "browser/detailsview.h"
#include "browser/search_list.h"
#include "html/viewer.h"
#include "platform/forms.h"
#include "platform/imagelist.h"
#include "tree/stringtree.h"

#include <memory>

class TSearchResultsPopup;
class TfrmCodeCheck;

class TfrmMainForm : public TForm, private mkb::browser::TSearchBarView {
public:
    TfrmMainForm();
    ~TfrmMainForm() override;

    // The creation handler: loads the classification and fills the window. A step that raises
    // ends it; the caller shows the error and the window opens all the same.
    void FormCreate();

    void miChangeFontClick();
    void miExitClick();
    void miAboutClick();

    // Components, open to the application's tests.
    TVirtualStringTree& vstPartsTree() { return *FTree; }
    html::THTMLViewer& HTMLViewer() { return *FViewer; }
    mkb::browser::TBrowser& Browser() { return *FBrowser; }
    mkb::browser::TSearchResultsList& SearchResults() { return *FSearchResults; }
    TEdit* edFastSearch{nullptr};
    TButton* btnSearch{nullptr};
    TPanel* panSearch{nullptr};
    TPanel* panParts{nullptr};
    TPanel* panRightPanel{nullptr};
    TLabel* panPartsHeading{nullptr};
    TLabel* panDetailsHeading{nullptr};
    TPanel* panDetails{nullptr};
    TSplitter* Splitter1{nullptr};
    TSearchResultsPopup* panSearchResults{nullptr};
    TMenuCommand* miFind{nullptr};
    TMenuCommand* miFindNext{nullptr};
    TMenuCommand* miFindPrevious{nullptr};
    TMenuCommand* miBack{nullptr};
    TMenuCommand* miForward{nullptr};
    // A page reached by moving through the tree enters the history once it has stayed shown
    // this long.
    static constexpr int HistoryDwellMs = 1000;
    TMenuCommand* miCheckCodes{nullptr};
    TMenuCommand* miChangeFont{nullptr};
    TMenuCommand* miExit{nullptr};
    TMenuCommand* miAbout{nullptr};

    // The command line's code: its record opened as a search opens it, or, for a code the
    // classification lacks, a message in the status bar.
    void OpenCode(const std::u16string& code);

    // Ctrl+K: the code check window, made at its first use, shown or brought forward.
    TfrmCodeCheck& OpenCodeCheck();

    // Ctrl+F and F6: the search box takes the keyboard focus with its text selected.
    void FocusSearchBox();

    // Shows the About window; set by the start-up code once that window exists.
    std::function<void()> ShowAbout;

private:
    std::u16string Text() const override;
    void SetText(const std::u16string& text) override;
    void SetTextColor(TColor color) override;
    void SetSearchEnabled(bool enabled) override;

    void BuildWidgets();
    void BuildMenu();
    void LayoutSearchBar();
    void ConnectSearchResults(TPanel* client);
    // A letter or digit typed in the tree, which has no search of its own, starts one in the
    // search box; true when the key went there.
    bool TreeKeyToSearchBox(const TKeyStroke& key);
    void FocusChanged();

    std::unique_ptr<TImageList> FTreeImages{std::make_unique<TImageList>(24, 24)};
    std::unique_ptr<TVirtualStringTree> FTree;
    std::unique_ptr<html::THTMLViewer> FViewer;
    std::unique_ptr<mkb::browser::THtmlDetailsView> FDetails;
    std::unique_ptr<mkb::browser::TBrowser> FBrowser;
    std::unique_ptr<mkb::browser::TSearchResultsList> FSearchResults;
    TTimer FHistoryDwell;
    TControlPiece* FTreePiece{nullptr};
    TControlPiece* FViewerPiece{nullptr};
    std::unique_ptr<TfrmCodeCheck> FCodeCheck;
};
