#pragma once
// The main window's logic: the classification tree filled lazily from the record store, the
// search bar, and the details page of the focused or found record. The window itself (app/)
// creates the controls and hands them in; everything here can run without a window.
#include "browser/history.h"
#include "browser/references.h"
#include "data/mkbrecs.h"
#include "data/recindex.h"
#include "platform/types.h"
#include "tree/stringtree.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace mkb::browser {

// The pane that shows the details page.
class TDetailsView {
public:
    virtual ~TDetailsView() = default;
    virtual void ClearDocument() = 0;
    virtual void LoadHtmlText(const std::u16string& text) = 0;
    virtual void LoadHtmlLines(const std::vector<std::u16string>& lines) = 0;
};

// The search box and its button.
class TSearchBarView {
public:
    virtual ~TSearchBarView() = default;
    virtual std::u16string Text() const = 0;
    virtual void SetText(const std::u16string& text) = 0;
    virtual void SetTextColor(TColor color) = 0;
    virtual void SetSearchEnabled(bool enabled) = 0;
};

// The hint the search box starts with.
inline constexpr std::u16string_view SearchPlaceholder =
    u"Введите код диагноза, наименование или его часть и нажмите кнопку \"Поиск\"...";

// The two lines of the message shown when nothing matches, joined with CR LF.
inline constexpr std::u16string_view NoMatchMessage =
    u"Не найдено записей МКБ-10, соответствующих Вашему запросу.\r\n"
    u"Пожалуйста, попробуйте ввести другой текст для поиска.";

class TBrowser {
public:
    TBrowser(std::span<TMKBRec> store, TVirtualStringTree& tree);

    // Set by the window; a view left empty is skipped.
    TDetailsView* Details{nullptr};
    TSearchBarView* SearchBar{nullptr};
    // Shows an information message with OK and Cancel (OK the default).
    std::function<void(const std::u16string& text)> ShowInformation;
    // "A record was opened" (in the tree, its page shown), for everyone interested: the search
    // list and the history each keep their own listener. Returns the key that unsubscribes.
    int SubscribeRecordOpened(std::function<void(int index)> listener);
    void UnsubscribeRecordOpened(int key);
    // Enter and the button ask this when set (the ranked list on screen), so that they open
    // what the user sees rather than the first match in store order.
    std::function<void()> OnSearch;

    // The index of the store, made once after loading; the window makes it then, anyone
    // asking earlier makes it at the first question.
    void IndexRecords();
    const TRecordIndex& Records() const;
    // The titles' references to other records, made with the index.
    const TReferenceTable& References() const;

    // The record whose page the details pane shows; -1 for the start page or an empty pane.
    int ShownRecord() const { return FShownRecord; }
    // Told the record each time the focus change shows a record's page.
    std::function<void(int index)> OnRecordShown;

    // History. A record opened by a search, the list or a link enters at once; one shown by
    // moving through the tree enters when the window says its page stayed shown for a moment
    // (NoteShownRecord). Going back or forward opens the record as a search does.
    void NoteShownRecord();
    bool CanGoBack() const { return FHistory.CanGoBack(); }
    bool CanGoForward() const { return FHistory.CanGoForward(); }
    void GoBack();
    void GoForward();
    const TRecordHistory& History() const { return FHistory; }
    // Told whenever going back or forward may have become possible or impossible.
    std::function<void()> OnHistoryChanged;

    // Tree population.
    void AddChildNodes(int parentId, PVirtualNode parentNode);
    int CountChildren(int id) const;
    void vstPartsTreeExpanding(TBaseVirtualTree* Sender, PVirtualNode Node, bool& Allowed);
    void vstPartsTreeGetText(TBaseVirtualTree* Sender, PVirtualNode Node, TColumnIndex Column,
                             TVSTTextType TextType, std::u16string& CellText);
    void vstPartsTreeGetImageIndex(TBaseVirtualTree* Sender, PVirtualNode Node, TVTImageKind Kind,
                                   TColumnIndex Column, bool& Ghosted, int& ImageIndex);
    // Keeps the background picture 24 pixels from the tree's right and bottom edges.
    void vstPartsTreeResize(TBaseVirtualTree* Sender);
    // The record's menu: "Копировать код" and "Копировать код и наименование".
    void vstPartsTreeGetPopupMenu(TBaseVirtualTree* Sender, PVirtualNode Node, TColumnIndex Column,
                                  TPoint P, bool& AskParent, TPopupMenu& PopupMenu);

    // Search and navigation.
    void edFastSearchEnter();
    void edFastSearchExit();
    void edFastSearchChange();
    void edFastSearchKeyPress(char16_t& Key);
    void btnSearchClick();
    void SearchAndShow(std::u16string_view query);
    // Opens the tree down to the record and shows it, as a search shows the found one.
    void OpenRecord(int index);
    int FindRecord(std::u16string_view query) const;
    void BuildRecordPath(int index, std::vector<int>& path) const;
    void OpenRecordPath(const std::vector<int>& path);
    // A link of the details page: opens its record as a search does, the record becoming the
    // tree's focused node. False for an address that names no record.
    bool FollowLink(std::u16string_view href);
    PVirtualNode FindChildByIndex(PVirtualNode node, int index) const;

    // Details page.
    std::vector<int> BuildAncestorIndexes(PVirtualNode node) const;
    std::vector<std::u16string> BuildDetailsPage(int index, PVirtualNode node) const;
    void vstPartsTreeFocusChanged(TBaseVirtualTree* Sender, PVirtualNode Node, TColumnIndex Column);
    void ShowStartPage();

    // The record index a node carries, or -1 for a node without a data area.
    int RecordIndex(PVirtualNode node) const;

private:
    std::u16string TrimmedQuery() const;
    // Opens a record the history moved to, without writing the move into the history.
    void OpenFromHistory(int index);
    void Search(std::u16string_view query);

    std::span<TMKBRec> Store;
    TVirtualStringTree& Tree;
    mutable TRecordIndex FRecords;
    mutable TReferenceTable FReferences;
    int FShownRecord{-1};
    TRecordHistory FHistory;
    bool FMovingInHistory{false};
    std::vector<std::pair<int, std::function<void(int)>>> FRecordOpened;
    int FNextListenerKey{1};
};

} // namespace mkb::browser
