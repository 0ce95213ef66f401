#pragma once
// The main window: search bar on top, the classification tree on the left, the details pane on
// the right, a status bar and the menu. Its logic lives in TBrowser; this class builds the
// widgets and connects their events to it.
#include "browser/browser.h"
#include "browser/detailsview.h"
#include "browser/search_list.h"
#include "html/viewer.h"
#include "platform/imagelist.h"
#include "tree/stringtree.h"

#include <QLineEdit>
#include <QMainWindow>

#include <memory>

class QAction;
class QFrame;
class QLabel;
class QPushButton;
class QSplitter;
class QTimer;
class QWidget;
class TSearchResultsPopup;

// The search box: reports entering, leaving and key presses as the window's handlers expect.
class TSearchEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void()> OnEnter, OnExit;
    std::function<void(char16_t&)> OnKeyPress;
    // Sees every key first; true when it used the key.
    std::function<bool(QKeyEvent*)> OnKeyDown;

protected:
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};

class TfrmMainForm : public QMainWindow, private TSearchBarView {
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
    html::THTMLViewer& _HTMLViewer() { return *FViewer; }
    TBrowser& Browser() { return *FBrowser; }
    TSearchResultsList& SearchResults() { return *FSearchResults; }
    TSearchEdit* edFastSearch{nullptr};
    QPushButton* btnSearch{nullptr};
    QWidget* panSearch{nullptr};
    QWidget* panParts{nullptr};
    QWidget* panRightPanel{nullptr};
    QLabel* panPartsHeading{nullptr};
    QLabel* panDetailsHeading{nullptr};
    QFrame* panDetails{nullptr};
    QSplitter* Splitter1{nullptr};
    TSearchResultsPopup* panSearchResults{nullptr};
    QLabel* lbStatus{nullptr}; // the record count and the edition, while nothing else is said
    QAction* miFind{nullptr};
    QAction* miFindNext{nullptr};
    QAction* miFindPrevious{nullptr};
    QAction* miBack{nullptr};
    QAction* miForward{nullptr};
    // A page reached by moving through the tree enters the history once it has stayed shown
    // this long.
    static constexpr int HistoryDwellMs = 1000;
    QAction* miChangeFont{nullptr};
    QAction* miExit{nullptr};
    QAction* miAbout{nullptr};

    // The command line's code: its record opened as a search opens it, or, for a code the
    // classification lacks, a message in the status bar.
    void OpenCode(const std::u16string& code);

    // Ctrl+F and F6: the search box takes the keyboard focus with its text selected.
    void FocusSearchBox();

    // Shows the About window; set by the start-up code once that window exists.
    std::function<void()> ShowAbout;

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::u16string Text() const override;
    void SetText(const std::u16string& text) override;
    void SetTextColor(TColor color) override;
    void SetSearchEnabled(bool enabled) override;

    void BuildWidgets();
    void BuildMenu();
    void LayoutSearchBar();
    void ConnectSearchResults(QWidget* client);
    // A letter or digit typed in the tree, which has no search of its own, starts one in the
    // search box; true when the key went there.
    bool TreeKeyToSearchBox(QKeyEvent* key);

    std::unique_ptr<TImageList> FTreeImages{std::make_unique<TImageList>(24, 24)};
    std::unique_ptr<TVirtualStringTree> FTree;
    std::unique_ptr<html::THTMLViewer> FViewer;
    std::unique_ptr<THtmlDetailsView> FDetails;
    std::unique_ptr<TBrowser> FBrowser;
    std::unique_ptr<TSearchResultsList> FSearchResults;
    QTimer* FHistoryDwell{nullptr};
};
