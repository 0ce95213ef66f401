#include "app/codecheckform.h"

#include "browser/windowsetup.h"
#include "platform/application.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/files.h"

#include <algorithm>
#include <string>

using namespace mkb::browser;

namespace {

TFontSpec WindowFont() {
    TFontSpec f;
    f.Name = u"MS Sans Serif";
    f.Height = 11;
    return f;
}

constexpr int kTextWidth = 240;
constexpr int kBarHeight = 33;
// Two lines: a register with every kind of verdict names them all.
constexpr int kCountsHeight = 34;
constexpr int kColumnsHeight = 20;
// A shade that keeps dark text 9:1, and sets the captions apart from the rows.
constexpr TColor ColumnsGrey = RGBColor(0xE4, 0xE7, 0xEC);

std::u16string Decimal(std::size_t n) {
    const std::string s = std::to_string(n);
    return {s.begin(), s.end()};
}

} // namespace

TfrmCodeCheck::TfrmCodeCheck(TForm& owner, TBrowser& browser, std::span<const TMKBRec> store)
    : TForm(fsWindow, &owner), Owner(owner), Browser(browser) {
    SetCaption(u"Проверка кодов");
    SetFont(WindowFont());
    FResults = std::make_unique<TCodeCheckList>(store, browser.Records(), TCodeDates::Embedded());
    FResults->List().SetFont(PartsTreeFont());
    FResults->OnOpen = [this](const TCodeFinding& f) { OpenFinding(f); };
    FResults->OnChanged = [this] { ShowResults(); };
    BuildWidgets();

    FTypingPause.SetSingleShot(true);
    FTypingPause.SetInterval(TypingPauseMs);
    FTypingPause.OnTimer = [this] { CheckText(false); };
    FSlices.SetInterval(0);
    FSlices.OnTimer = [this] { RunSlice(); };
    OnKeyPreview = [this](const TKeyStroke& key) {
        const bool ctrl = key.Shift.Contains(ssCtrl) && !key.Shift.Contains(ssAlt);
        if (key.Key == vk::Escape && key.Shift.Empty()) {
            Close();
            return true;
        }
        if (ctrl && key.Key == 'O') {
            OpenFile();
            return true;
        }
        if (ctrl && key.Key == 'S') {
            SaveResults();
            return true;
        }
        if (ctrl && key.Key == 'K') {
            memText->SetFocus();
            return true;
        }
        return false;
    };
    // Wide enough for every column, within a small screen.
    const TRect work = ScreenWorkArea();
    SetClientSize(std::min(1180, work.Width() - 40), std::min(620, work.Height() - 100));
    CenterOnScreen();
    ShowResults();
}

TfrmCodeCheck::~TfrmCodeCheck() {
    FTypingPause.Stop();
    FSlices.Stop();
    OnKeyPreview = nullptr;
    memText->OnChange = memText->OnPaste = nullptr;
    cbFilter->OnChange = nullptr;
    FResults->OnOpen = nullptr;
    FResults->OnChanged = nullptr;
    FResults->List().OnResize = nullptr;
    // The list goes before the piece that places it.
    FResults.reset();
}

void TfrmCodeCheck::BuildWidgets() {
    SetColor(clBtnFace);
    auto* bar = Make<TPanel>();
    bar->SetBounds(0, 0, 0, kBarHeight);
    bar->SetAlign(alTop);
    btnOpenFile = bar->Make<TButton>(u"&Открыть файл…");
    btnOpenFile->SetBounds(4, 4, 120, 25);
    btnSave = bar->Make<TButton>(u"&Сохранить…");
    btnSave->SetBounds(128, 4, 100, 25);
    btnCopyAll = bar->Make<TButton>(u"&Копировать всё");
    btnCopyAll->SetBounds(232, 4, 120, 25);
    auto* show = bar->Make<TLabel>(u"Показать:");
    show->SetBounds(372, 4, 64, 25);
    show->SetAlignment(haRight);
    cbFilter = bar->Make<TComboBox>();
    cbFilter->SetBounds(440, 5, 300, 23);
    cbFilter->SetAccessibleName(u"Показать");

    memText = Make<TMemo>();
    memText->SetBounds(0, 0, kTextWidth, 0);
    memText->SetAlign(alLeft);
    memText->SetFont(PartsTreeFont());
    memText->SetTextHint(u"Вставьте сюда коды: списком, столбцом таблицы или в любом тексте "
                         u"(реестр, выписка). Ctrl+O открывает файл.");
    memText->SetAccessibleName(u"Текст с кодами");

    auto* right = Make<TPanel>();
    right->SetAlign(alClient);
    lblCounts = right->Make<TLabel>();
    lblCounts->SetBounds(0, 0, 0, kCountsHeight);
    lblCounts->SetAlign(alTop);
    lblCounts->SetMargins(6, 6);
    lblCounts->SetWordWrap(true);
    lblCounts->SetFont(PartsTreeFont());
    panColumns = right->Make<TPanel>();
    panColumns->SetBounds(0, 0, 0, kColumnsHeight);
    panColumns->SetAlign(alTop);
    panColumns->SetColor(ColumnsGrey);
    for (const TCheckColumn& column : TCodeCheckList::Columns(600)) {
        auto* label = panColumns->Make<TLabel>(std::u16string(column.Caption));
        label->SetFont(PartsTreeFont());
        label->SetColor(ColumnsGrey);
        FColumnLabels.push_back(label);
    }
    FListPiece = right->Make<TControlPiece>(FResults->List());
    // The captions follow the list's own width, which its scroll bar narrows.
    FResults->List().OnResize = [this](TBaseVirtualTree*) { LayoutColumns(); };
    FListPiece->SetAlign(alClient);
    FListPiece->SetAccessibleName(u"Результаты проверки");

    SetTabOrder({memText, FListPiece, btnOpenFile, btnSave, btnCopyAll, cbFilter});
    memText->OnChange = [this] {
        // A paste follows with OnPaste and checks at once; typing waits for a pause.
        FTypingPause.Start();
    };
    memText->OnPaste = [this] {
        FTypingPause.Stop();
        CheckText(false);
    };
    cbFilter->OnChange = [this] { FResults->SetFilter(cbFilter->ItemIndex()); };
    btnOpenFile->OnClick = [this] { OpenFile(); };
    btnSave->OnClick = [this] { SaveResults(); };
    btnCopyAll->OnClick = [this] { CopyAll(); };
}

void TfrmCodeCheck::LayoutColumns() {
    // The captions stand over the list's cells: the list draws from its margin and text margin.
    const int left = 2 + 4;
    const int width = std::max(0, FResults->List().ClientWidth() - left);
    const std::vector<TCheckColumn> columns = TCodeCheckList::Columns(width);
    for (std::size_t i = 0; i < columns.size() && i < FColumnLabels.size(); ++i)
        FColumnLabels[i]->SetBounds(left + columns[i].Left, 0, columns[i].Right - columns[i].Left,
                                    kColumnsHeight);
}

void TfrmCodeCheck::Open() {
    Activate();
    memText->SetFocus();
}

void TfrmCodeCheck::CheckText(bool now) {
    FTypingPause.Stop();
    FResults->Start(memText->Text());
    FRunStarted = std::chrono::steady_clock::now();
    if (now) {
        while (FResults->Step()) {
        }
        return;
    }
    // The first slice at once: a list of a few hundred codes is done before the next paint.
    if (FResults->Step())
        FSlices.Start();
}

void TfrmCodeCheck::RunSlice() {
    if (FResults->Step()) {
        const auto waited = std::chrono::steady_clock::now() - FRunStarted;
        if (waited > std::chrono::milliseconds(ProgressAfterMs))
            StatusBar()->ShowMessage(u"Проверка… " + Decimal(FResults->Percent()) + u" %");
        return;
    }
    FSlices.Stop();
}

void TfrmCodeCheck::ShowResults() {
    StatusBar()->ClearMessage();
    const TCheckReport& report = FResults->Report();
    std::u16string counts = FResults->CountsText();
    if (!FResults->Refused().empty())
        counts = FResults->Refused();
    else if (const std::u16string cut = CutMessage(report); !cut.empty())
        counts += u". " + cut;
    lblCounts->SetCaption(counts);
    cbFilter->SetItems(FResults->FilterItems());
    const bool any = !report.Findings.empty();
    btnSave->SetEnabled(any);
    btnCopyAll->SetEnabled(any);
    StatusBar()->SetSimpleText(any ? u"Enter или двойной щелчок открывает запись в главном окне; "
                                     u"Ctrl+C копирует выбранные строки"
                                   : u"");
}

void TfrmCodeCheck::OpenFinding(const TCodeFinding& finding) {
    int record = finding.Record;
    // A code the classification lacks opens the one it was likely meant to be.
    if (record < 0 && !finding.Suggest.empty())
        record = Browser.Records().ByCode(finding.Suggest);
    if (record < 0) {
        StatusBar()->ShowMessage(u"У кода «" + finding.Written + u"» нет записи в МКБ-10");
        return;
    }
    Browser.OpenRecord(record);
    Owner.Activate();
}

void TfrmCodeCheck::OpenFile() {
    const std::u16string path =
        ExecuteOpenFileDialog(u"Открыть список кодов",
                              {{u"Текст и таблицы", u"*.txt;*.csv;*.tsv"}, {u"Все файлы", u"*"}});
    if (!path.empty())
        LoadFile(path);
}

bool TfrmCodeCheck::LoadFile(const std::u16string& path) {
    const TFileBytes file = ReadFileBytes(path, MaxCheckBytes);
    if (!file.Ok()) {
        MessageBoxError(file.Error);
        return false;
    }
    TDecodedCheckFile decoded = DecodeCheckFile(file.Bytes);
    if (!decoded.Ok()) {
        MessageBoxError(u"Файл «" + path + u"» не открыт. " + decoded.Error);
        return false;
    }
    memText->SetText(decoded.Text);
    // At once, not after the typing pause the change started.
    CheckText(false);
    const auto slash = path.find_last_of(u"/\\");
    const std::u16string name = slash == std::u16string::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of(u'.');
    FFileName = (dot == std::u16string::npos ? name : name.substr(0, dot)) + u" — проверка.csv";
    SetCaption(u"Проверка кодов — " + name);
    StatusBar()->ShowMessage(u"Открыт файл «" + name + u"» (" + decoded.Encoding + u")");
    return true;
}

void TfrmCodeCheck::SaveResults() {
    if (FResults->Report().Findings.empty())
        return;
    const std::u16string path = ExecuteSaveFileDialog(u"Сохранить результаты проверки",
                                                      {{u"Таблица CSV", u"*.csv"}}, FFileName);
    if (path.empty())
        return;
    if (const std::u16string error = WriteFileBytes(path, FResults->Csv()); !error.empty()) {
        MessageBoxError(error);
        return;
    }
    StatusBar()->ShowMessage(u"Сохранено: " + Decimal(FResults->Rows().size()) + u" строк");
}

void TfrmCodeCheck::CopyAll() {
    if (FResults->Rows().empty())
        return;
    SetClipboardText(FResults->AllTsv());
    StatusBar()->ShowMessage(u"Скопировано: " + Decimal(FResults->Rows().size()) + u" строк");
}
