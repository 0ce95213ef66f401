#include "browser/browser.h"

#include "browser/detailspage.h"
#include "browser/records.h"
#include "platform/clipboard.h"
#include "text/scopeexit.h"

#include <cstring>

namespace mkb::browser {

using namespace mkb::text;

TBrowser::TBrowser(std::span<TMKBRec> store, TVirtualStringTree& tree) : Store(store), Tree(tree) {}

int TBrowser::RecordIndex(PVirtualNode node) const {
    const void* data = node ? Tree.GetNodeData(node) : nullptr;
    if (!data)
        return -1;
    std::int32_t index;
    std::memcpy(&index, data, sizeof index);
    // A damaged or foreign data area must not index outside the store.
    if (index < 0 || static_cast<std::size_t>(index) >= Store.size())
        return -1;
    return index;
}

void TBrowser::IndexRecords() {
    FRecords.Build(Store);
    FReferences.Build(FRecords);
}

const TRecordIndex& TBrowser::Records() const {
    if (!FRecords.Built()) {
        FRecords.Build(Store);
        FReferences.Build(FRecords);
    }
    return FRecords;
}

const TReferenceTable& TBrowser::References() const {
    Records();
    return FReferences;
}

int TBrowser::SubscribeRecordOpened(std::function<void(int index)> listener) {
    FRecordOpened.emplace_back(FNextListenerKey, std::move(listener));
    return FNextListenerKey++;
}

void TBrowser::UnsubscribeRecordOpened(int key) {
    std::erase_if(FRecordOpened, [key](const auto& entry) { return entry.first == key; });
}

// ---- tree population ----

void TBrowser::AddChildNodes(int parentId, PVirtualNode parentNode) {
    for (int i : Records().Children(parentId)) {
        TMKBRec& rec = Store[static_cast<std::size_t>(i)];
        PVirtualNode node = Tree.AddChild(parentNode);
        if (rec.child_count == -1)
            rec.child_count = CountChildren(rec.id);
        std::int32_t index = i;
        std::memcpy(Tree.GetNodeData(node), &index, sizeof index);
        // A placeholder child gives the node its button; expanding replaces it.
        if (rec.child_count > 0)
            Tree.AddChild(node);
    }
}

int TBrowser::CountChildren(int id) const {
    return static_cast<int>(Records().Children(id).size());
}

void TBrowser::vstPartsTreeExpanding(TBaseVirtualTree*, PVirtualNode Node, bool& Allowed) {
    int index = RecordIndex(Node);
    if (index < 0)
        return;
    Tree.DeleteChildren(Node, false);
    AddChildNodes(Store[static_cast<std::size_t>(index)].id, Node);
    Allowed = true;
}

void TBrowser::vstPartsTreeGetText(TBaseVirtualTree*, PVirtualNode Node, TColumnIndex, TVSTTextType,
                                   std::u16string& CellText) {
    int index = RecordIndex(Node);
    if (index >= 0)
        CellText = RecordText(Store[static_cast<std::size_t>(index)]);
}

void TBrowser::vstPartsTreeResize(TBaseVirtualTree* Sender) {
    if (!Sender)
        return;
    constexpr int EdgeGap = 24;
    const TBitmap& picture = Sender->Background();
    Sender->SetBackgroundOffsetX(Sender->ClientWidth() - picture.Width() - EdgeGap);
    Sender->SetBackgroundOffsetY(Sender->ClientHeight() - picture.Height() - EdgeGap);
}

void TBrowser::vstPartsTreeGetPopupMenu(TBaseVirtualTree*, PVirtualNode Node, TColumnIndex, TPoint,
                                        bool& AskParent, TPopupMenu& PopupMenu) {
    // A node is one record; its parent's menu would copy something else.
    AskParent = false;
    const int index = RecordIndex(Node);
    if (index < 0)
        return;
    // The texts are taken now, so the actions hold no node.
    const TMKBRec& rec = Store[static_cast<std::size_t>(index)];
    PopupMenu.Add(u"Копировать код", [code = RecordCodeText(rec)] { SetClipboardText(code); });
    PopupMenu.Add(u"Копировать код и наименование",
                  [text = RecordText(rec)] { SetClipboardText(text); });
}

void TBrowser::vstPartsTreeGetImageIndex(TBaseVirtualTree* Sender, PVirtualNode Node, TVTImageKind,
                                         TColumnIndex, bool&, int& ImageIndex) {
    if (!Node)
        return;
    if (Tree.GetNodeLevel(Node) <= 1)
        ImageIndex = Sender->Expanded(Node) ? 1 : 0;
    else
        ImageIndex = Node->ChildCount > 0 ? 2 : 3;
}

// ---- search and navigation ----

std::u16string TBrowser::TrimmedQuery() const {
    return SearchBar ? std::u16string(TrimText(SearchBar->Text())) : std::u16string();
}

void TBrowser::edFastSearchEnter() {
    if (!SearchBar)
        return;
    if (SearchBar->Text() == SearchPlaceholder)
        SearchBar->SetText(u"");
    SearchBar->SetTextColor(clWindowText);
}

void TBrowser::edFastSearchExit() {
    if (SearchBar)
        SearchBar->SetTextColor(clInactiveCaptionText);
}

void TBrowser::edFastSearchChange() {
    if (SearchBar)
        SearchBar->SetSearchEnabled(TrimmedQuery().size() > 1);
}

void TBrowser::edFastSearchKeyPress(char16_t& Key) {
    if (Key != 13)
        return;
    std::u16string query = TrimmedQuery();
    if (query.size() > 1)
        Search(query);
}

void TBrowser::btnSearchClick() {
    Search(TrimmedQuery());
}

void TBrowser::Search(std::u16string_view query) {
    if (OnSearch)
        OnSearch();
    else
        SearchAndShow(query);
}

void TBrowser::SearchAndShow(std::u16string_view query) {
    int index = FindRecord(query);
    if (index < 0) {
        if (ShowInformation)
            ShowInformation(std::u16string(NoMatchMessage));
        return;
    }
    OpenRecord(index);
}

void TBrowser::OpenRecord(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= Store.size())
        return;
    std::vector<int> path{index};
    BuildRecordPath(index, path);
    OpenRecordPath(path);
}

int TBrowser::FindRecord(std::u16string_view query) const {
    return mkb::browser::FindRecord(Store, query);
}

void TBrowser::BuildRecordPath(int index, std::vector<int>& path) const {
    mkb::browser::BuildRecordPath(Records(), index, path);
}

PVirtualNode TBrowser::FindChildByIndex(PVirtualNode node, int index) const {
    for (PVirtualNode child = node->FirstChild; child; child = child->NextSibling)
        if (RecordIndex(child) == index)
            return child;
    return nullptr;
}

void TBrowser::OpenRecordPath(const std::vector<int>& path) {
    PVirtualNode node = Tree.RootNode();
    for (int index : path) {
        PVirtualNode child = FindChildByIndex(node, index);
        if (!child)
            return;
        node = child;
        Tree.SetExpanded(node, true);
    }
    if (node == Tree.RootNode())
        return;
    Tree.SetSelected(node, true);
    Tree.SetRevealed(node, true);
    // The opened record becomes the tree's current item, so that the keys and menus of the tree
    // start from it; the focus change shows its page, and only a node already focused needs it
    // shown here. Inside an update the focus does not scroll sideways.
    const bool wasFocused = Tree.FocusedNode() == node;
    Tree.BeginUpdate();
    Tree.SetFocusedNode(node);
    Tree.EndUpdate();
    Tree.ScrollIntoView(node, false, false);
    if (wasFocused)
        vstPartsTreeFocusChanged(&Tree, node, 0);
    if (!FMovingInHistory) {
        FHistory.Add(path.back());
        if (OnHistoryChanged)
            OnHistoryChanged();
    }
    // A listener may unsubscribe (or subscribe) while it is told.
    const auto listeners = FRecordOpened;
    for (const auto& [key, listener] : listeners)
        listener(path.back());
}

bool TBrowser::FollowLink(std::u16string_view href) {
    const int index = RecordOfLink(href, Store.size());
    if (index < 0)
        return false;
    OpenRecord(index);
    return true;
}

// ---- history ----

void TBrowser::NoteShownRecord() {
    FHistory.Add(FShownRecord);
    if (OnHistoryChanged)
        OnHistoryChanged();
}

void TBrowser::GoBack() {
    // A page not entered yet (moved to a moment ago) is where "back" returns to later.
    FHistory.Add(FShownRecord);
    OpenFromHistory(FHistory.Back());
}

void TBrowser::GoForward() {
    OpenFromHistory(FHistory.Forward());
}

void TBrowser::OpenFromHistory(int index) {
    FMovingInHistory = true;
    TScopeExit done([this] { FMovingInHistory = false; });
    OpenRecord(index);
    if (OnHistoryChanged)
        OnHistoryChanged();
}

// ---- details page ----

std::vector<int> TBrowser::BuildAncestorIndexes(PVirtualNode node) const {
    std::vector<int> indexes;
    for (; node && node != Tree.RootNode(); node = node->Parent)
        indexes.insert(indexes.begin(), RecordIndex(node));
    return indexes;
}

std::vector<std::u16string> TBrowser::BuildDetailsPage(int index, PVirtualNode node) const {
    return mkb::browser::BuildDetailsPage(Store, index, BuildAncestorIndexes(node), &References(),
                                          &TCodeDates::Embedded());
}

void TBrowser::vstPartsTreeFocusChanged(TBaseVirtualTree*, PVirtualNode Node, TColumnIndex) {
    int index = RecordIndex(Node);
    FShownRecord = Node ? index : -1;
    if (Details)
        Details->ClearDocument();
    if (FShownRecord >= 0 && OnRecordShown)
        OnRecordShown(FShownRecord);
    if (FShownRecord < 0 || !Details)
        return;
    Details->LoadHtmlLines(BuildDetailsPage(index, Node));
}

void TBrowser::ShowStartPage() {
    FShownRecord = -1;
    if (!Details)
        return;
    Details->ClearDocument();
    Details->LoadHtmlText(std::u16string(StartPageHtml));
}

} // namespace mkb::browser
