#include "app/mainform.h"

#include "app/codecheckform.h"
#include "app/searchpopup.h"
#include "browser/records.h"
#include "browser/windowsetup.h"
#include "data/loader.h"
#include "platform/colors.h"
#include "platform/dialogs.h"
#include "text/utf.h"

#include <string>

using namespace mkb::browser;

using namespace mkb::text;

namespace {

// The window's font: "MS Sans Serif", 11 pixels (8 points at 96 dpi).
TFontSpec FormFont(bool bold = false) {
    TFontSpec f;
    f.Name = u"MS Sans Serif";
    f.Height = 11;
    f.Weight = bold ? FW_BOLD : FW_NORMAL;
    return f;
}

// A shade darker than the design's #5A7FAD, on which white text reads only 4.1:1.
constexpr TColor HeadingBlue = RGBColor(0x4F, 0x73, 0xA0);
// The hint's colour where the desktop's inactive caption would not read on the box.
constexpr TColor HintGrey = RGBColor(0x6B, 0x6B, 0x6B);
constexpr TColor PageBackground = RGBColor(0xF7, 0xF8, 0xFA);

constexpr int kRightDesignWidth = 320;
// A narrow window takes its width from the tree panel first, down to this; the details pane
// keeps a width its page can be read in.
constexpr int kPartsFloor = 120;
constexpr int kRightMinimum = 240;

TLabel* Heading(TPanel* parent, const std::u16string& caption) {
    auto* label = parent->Make<TLabel>(caption);
    label->SetBounds(0, 0, 0, 24);
    label->SetAlign(alTop);
    label->SetAlignment(haLeft);
    label->SetFont(FormFont(true));
    label->SetColor(HeadingBlue);
    label->SetTextColor(clWhite);
    return label;
}

TBevel* TopLineBevel(TPanel* parent) {
    auto* bevel = parent->Make<TBevel>();
    bevel->SetBounds(0, 0, 0, 2);
    bevel->SetAlign(alTop);
    return bevel;
}

// A letter or digit of any script the search reads.
bool IsLetterOrDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
           (c >= 0x00C0 && c <= 0x024F && c != 0x00D7 && c != 0x00F7) ||
           (c >= 0x0400 && c <= 0x04FF);
}

std::u16string Trimmed(const std::u16string& s) {
    const auto first = s.find_first_not_of(u' ');
    if (first == std::u16string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(u' ') - first + 1);
}

} // namespace

TfrmMainForm::TfrmMainForm() : TForm(fsMain) {
    SetCaption(u"Международная классификация болезней");
    SetFont(FormFont());
    FTree = std::make_unique<TVirtualStringTree>();
    FViewer = std::make_unique<html::THTMLViewer>();
    SetUpDetailsViewer(*FViewer);
    FDetails = std::make_unique<THtmlDetailsView>(*FViewer);
    FBrowser = std::make_unique<TBrowser>(MKBStore(), *FTree);
    FBrowser->Details = FDetails.get();
    FBrowser->SearchBar = this;
    FSearchResults = std::make_unique<TSearchResultsList>(MKBStore(), *FBrowser);
    FBrowser->ShowInformation = [](const std::u16string& text) { MessageBoxInformation(text); };
    SetUpPartsTree(*FTree, *FTreeImages);
    ConnectPartsTree(*FTree, *FBrowser);
    ConnectDetailsViewer(*FViewer, *FBrowser);
    BuildWidgets();
    BuildMenu();
    FHistoryDwell.SetSingleShot(true);
    FHistoryDwell.SetInterval(HistoryDwellMs);
    FHistoryDwell.OnTimer = [this] { FBrowser->NoteShownRecord(); };
    FBrowser->OnRecordShown = [this](int) { FHistoryDwell.Start(); };
    FBrowser->OnHistoryChanged = [this] {
        miBack->SetEnabled(FBrowser->CanGoBack());
        miForward->SetEnabled(FBrowser->CanGoForward());
    };
    // The mouse's back and forward buttons, wherever the pointer is in the window.
    OnNavigateButton = [this](bool forward) {
        if (forward)
            FBrowser->GoForward();
        else
            FBrowser->GoBack();
    };
    OnKeyPreview = [this](const TKeyStroke& key) {
        return FTree->Focused() && TreeKeyToSearchBox(key);
    };
    OnFocusChanged = [this] { FocusChanged(); };
    SetClientSize(1023, 713);
}

TfrmMainForm::~TfrmMainForm() {
    // The check window opens records through the browser: it goes first.
    FCodeCheck.reset();
    // Closing moves the focus out of the search box; nothing may call the browser after this.
    edFastSearch->OnEnter = edFastSearch->OnExit = edFastSearch->OnChange = nullptr;
    edFastSearch->OnKeyPress = nullptr;
    edFastSearch->OnKeyDown = nullptr;
    OnKeyPreview = nullptr;
    OnNavigateButton = nullptr;
    OnFocusChanged = nullptr;
    FViewer->OnHotSpotClick = nullptr;
    FHistoryDwell.Stop();
    FBrowser->OnRecordShown = nullptr;
    FBrowser->OnHistoryChanged = nullptr;
    panSearchResults->Detach();
    FSearchResults->View = nullptr;
    FSearchResults.reset();
    // The controls go before the pieces that place them.
    FBrowser.reset();
    FDetails.reset();
    FViewer.reset();
    FTree.reset();
}

void TfrmMainForm::BuildWidgets() {
    SetColor(clBtnFace);
    TopLineBevel(this);

    panSearch = Make<TPanel>();
    panSearch->SetBounds(0, 0, 0, 29);
    panSearch->SetAlign(alTop);
    edFastSearch = panSearch->Make<TEdit>();
    edFastSearch->SetFont(FormFont());
    edFastSearch->SetText(std::u16string(SearchPlaceholder));
    SetTextColor(ReadableTextColor(clInactiveCaption, clWindow, HintGrey));
    btnSearch = panSearch->Make<TButton>(u"&Поиск");
    auto* searchBottom = panSearch->Make<TBevel>();
    // The bar's children follow the panel's own width.
    panSearch->OnResize = [this, searchBottom] {
        LayoutSearchBar();
        searchBottom->SetBounds(0, panSearch->Height() - 2, panSearch->Width(), 2);
    };

    Splitter1 = Make<TSplitter>();
    Splitter1->SetAlign(alClient);
    Splitter1->SetBarWidth(3);

    panParts = &Splitter1->First();
    panParts->SetMinWidth(kPartsFloor);
    panPartsHeading = Heading(panParts, u"  Разделы МКБ 10");
    FTreePiece = panParts->Make<TControlPiece>(*FTree);
    FTreePiece->SetAlign(alClient);

    panRightPanel = &Splitter1->Second();
    panRightPanel->SetMinWidth(kRightMinimum);
    panDetailsHeading = Heading(panRightPanel, u"  Информация о выбранном элементе");
    panDetails = panRightPanel->Make<TPanel>();
    panDetails->SetAlign(alClient);
    // The frame's own line is the border; the viewer fills what lies inside it.
    panDetails->SetBorderLine(true);
    panDetails->SetColor(PageBackground);
    FViewerPiece = panDetails->Make<TControlPiece>(*FViewer);
    FViewerPiece->SetAlign(alClient);
    // Growing the window widens the tree only; the right panel keeps its width.
    Splitter1->SetSizes(700, kRightDesignWidth);

    // Tab order: the tree, the details pane, then the search box and its button, and round
    // again to the tree.
    SetTabOrder({FTreePiece, FViewerPiece, edFastSearch, btnSearch});
    // A code typed at once lands in the search box, whatever the tab order.
    edFastSearch->SetFocus();
    // The hint stays in sight while the box is entered and still empty.
    edFastSearch->SetTextHint(std::u16string(SearchPlaceholder));
    edFastSearch->SetHintColor(HintGrey);
    // Screen readers name the controls after their headings; the search box by its purpose,
    // not by the hint it holds as text.
    edFastSearch->SetAccessibleName(u"Поиск");
    FTreePiece->SetAccessibleName(Trimmed(panPartsHeading->Caption()));
    FViewerPiece->SetAccessibleName(Trimmed(panDetailsHeading->Caption()));

    edFastSearch->OnEnter = [this] { FBrowser->edFastSearchEnter(); };
    edFastSearch->OnExit = [this] { FBrowser->edFastSearchExit(); };
    edFastSearch->OnKeyPress = [this](char16_t& key) { FBrowser->edFastSearchKeyPress(key); };
    edFastSearch->OnChange = [this] {
        FBrowser->edFastSearchChange();
        if (edFastSearch->Focused())
            FSearchResults->SearchTextChanged(Text());
    };
    btnSearch->OnClick = [this] { FBrowser->btnSearchClick(); };
    ConnectSearchResults(this);
    LayoutSearchBar();
}

void TfrmMainForm::ConnectSearchResults(TPanel* client) {
    TSearchResultsList& list = *FSearchResults;
    list.vstSearchResults().SetFont(PartsTreeFont());
    panSearchResults = client->Make<TSearchResultsPopup>(list, *edFastSearch, *panSearch);
    edFastSearch->OnKeyDown = [this](const TKeyStroke& key) {
        return panSearchResults->SearchBoxKey(key);
    };
}

void TfrmMainForm::FocusChanged() {
    // The details pane has no border of its own: the frame around it shows the keyboard focus.
    panDetails->SetTextColor(FViewerPiece->Focused() ? clHighlight : clWindowText);
    // The list closes when the focus goes anywhere but the list or the search box.
    if (FSearchResults->Showing() && !edFastSearch->Focused() && !panSearchResults->HoldsFocus())
        FSearchResults->Close();
}

bool TfrmMainForm::TreeKeyToSearchBox(const TKeyStroke& key) {
    if (!IsLetterOrDigit(key.Char) || key.Shift.Contains(ssCtrl) || key.Shift.Contains(ssAlt))
        return false;
    FocusSearchBox();
    edFastSearch->TypeChar(key.Char);
    return true;
}

void TfrmMainForm::FocusSearchBox() {
    edFastSearch->SetFocus();
    edFastSearch->SelectAll();
}

void TfrmMainForm::BuildMenu() {
    // Every command shows its keys, so that the menu teaches them.
    const int mkb = AddMenu(u"&МКБ 10");
    miFind = AddMenuItem(mkb, u"&Найти", {{'F', ssCtrl}, {vk::F(6), {}}});
    miFindNext = AddMenuItem(mkb, u"Следующий &результат", {{vk::F(3), {}}});
    miFindPrevious = AddMenuItem(mkb, u"&Предыдущий результат", {{vk::F(3), ssShift}});
    AddMenuSeparator(mkb);
    miBack = AddMenuItem(mkb, u"Н&азад", {{vk::Left, ssAlt}});
    miBack->SetEnabled(false);
    miForward = AddMenuItem(mkb, u"Впер&ёд", {{vk::Right, ssAlt}});
    miForward->SetEnabled(false);
    miBack->OnClick = [this] { FBrowser->GoBack(); };
    miForward->OnClick = [this] { FBrowser->GoForward(); };
    AddMenuSeparator(mkb);
    miCheckCodes = AddMenuItem(mkb, u"Проверить &коды…", {{'K', ssCtrl}});
    miCheckCodes->OnClick = [this] { OpenCodeCheck(); };
    AddMenuSeparator(mkb);
    miChangeFont = AddMenuItem(mkb, u"&Изменить шрифт");
    AddMenuSeparator(mkb);
    miExit = AddMenuItem(mkb, u"&Выйти из программы", {{'Q', ssCtrl}});
    const int help = AddMenu(u"&Справка");
    miAbout = AddMenuItem(help, u"&О программе", {{vk::F1, {}}});
    miFind->OnClick = [this] { FocusSearchBox(); };
    miFindNext->OnClick = [this] { FSearchResults->OpenNextResult(false); };
    miFindPrevious->OnClick = [this] { FSearchResults->OpenNextResult(true); };
    miChangeFont->OnClick = [this] { miChangeFontClick(); };
    miExit->OnClick = [this] { miExitClick(); };
    miAbout->OnClick = [this] { miAboutClick(); };
}

void TfrmMainForm::LayoutSearchBar() {
    // Left 1, top 3, stretching with the window; the button stays 4 pixels from the right.
    const int width = panSearch->Width() > 0 ? panSearch->Width() : 1023;
    btnSearch->SetBounds(width - 79, 1, 75, 25);
    edFastSearch->SetBounds(1, 3, width - 87, 21);
}

void TfrmMainForm::FormCreate() {
    FTree->SetNodeDataSize(4);
    LoadClassification();
    FBrowser->IndexRecords();
    StatusBar()->SetSimpleText(u"Записей: " +
                               Utf8ToUtf16(std::to_string(LoadedRecordCount(MKBStore()))) + u" · " +
                               EditionText());
    FBrowser->AddChildNodes(-1, nullptr);
    FBrowser->ShowStartPage();
    btnSearch->SetEnabled(false);
    Maximize();
}

void TfrmMainForm::OpenCode(const std::u16string& code) {
    const int index = FBrowser->Records().ByCode(code);
    if (index >= 0)
        FBrowser->OpenRecord(index);
    else
        StatusBar()->ShowMessage(u"Код «" + std::u16string(TrimText(code)) +
                                 u"» не найден в классификации");
}

TfrmCodeCheck& TfrmMainForm::OpenCodeCheck() {
    if (!FCodeCheck)
        FCodeCheck = std::make_unique<TfrmCodeCheck>(*this, *FBrowser, MKBStore());
    FCodeCheck->Open();
    return *FCodeCheck;
}

void TfrmMainForm::miChangeFontClick() {
    ChooseTreeFont(*FTree);
}

void TfrmMainForm::miExitClick() {
    Close();
}

void TfrmMainForm::miAboutClick() {
    if (ShowAbout)
        ShowAbout();
}

// ---- the search bar as the browser sees it ----

std::u16string TfrmMainForm::Text() const {
    return edFastSearch->Text();
}

void TfrmMainForm::SetText(const std::u16string& text) {
    edFastSearch->SetText(text);
}

void TfrmMainForm::SetTextColor(TColor color) {
    edFastSearch->SetTextColor(color);
}

void TfrmMainForm::SetSearchEnabled(bool enabled) {
    btnSearch->SetEnabled(enabled);
}
