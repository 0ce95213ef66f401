#pragma once
// The code check window: a text area on the left for a pasted or opened list of codes, the
// verdict of every code in it on the right. It stays open beside the main window, whose record
// a result opens. Its logic lives in TCodeCheckList; this class builds the pieces around it.
#include "browser/browser.h"
#include "browser/checklist.h"
#include "platform/forms.h"

#include <chrono>
#include <memory>
#include <vector>

class TfrmCodeCheck : public TForm {
public:
    // The check stays quiet this long after the last keystroke; a paste is checked at once.
    static constexpr int TypingPauseMs = 300;
    // A run longer than this shows its progress in the status bar.
    static constexpr int ProgressAfterMs = 300;

    // Opens records through the browser and brings owner forward to show them.
    TfrmCodeCheck(TForm& owner, mkb::browser::TBrowser& browser, std::span<const TMKBRec> store);
    ~TfrmCodeCheck() override;

    // Shows the window, or brings it forward, with the focus in the text area.
    void Open();
    // «Открыть файл…»: a text or CSV file in place of the text area's text.
    void OpenFile();
    // Reads a file into the text area and checks it; false, saying why, for a file refused.
    bool LoadFile(const std::u16string& path);
    // «Сохранить…»: the rows shown, as CSV, where the user chooses.
    void SaveResults();
    // «Копировать всё»: the rows shown, tab-separated, on the clipboard.
    void CopyAll();
    // The check of the text area's text from its start; with now, the whole text before
    // returning.
    void CheckText(bool now);

    mkb::browser::TCodeCheckList& Results() { return *FResults; }
    TMemo* memText{nullptr};
    TComboBox* cbFilter{nullptr};
    TLabel* lblCounts{nullptr};
    TButton* btnOpenFile{nullptr};
    TButton* btnSave{nullptr};
    TButton* btnCopyAll{nullptr};

private:
    void BuildWidgets();
    void LayoutColumns();
    void RunSlice();
    void ShowResults();
    void OpenFinding(const mkb::browser::TCodeFinding& finding);

    TForm& Owner;
    mkb::browser::TBrowser& Browser;
    std::unique_ptr<mkb::browser::TCodeCheckList> FResults;
    TPanel* panColumns{nullptr};
    std::vector<TLabel*> FColumnLabels;
    TControlPiece* FListPiece{nullptr};
    TTimer FTypingPause;
    TTimer FSlices;
    std::chrono::steady_clock::time_point FRunStarted;
    std::u16string FFileName{u"проверка кодов.csv"};
};
