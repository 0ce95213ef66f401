#include "browser/search_list.h"

#include "browser/windowsetup.h"

#include "browser/records.h"
#include "browser/search_text.h"

#include <algorithm>
#include <string>

namespace mkb::browser {

namespace {

std::u16string Number(std::size_t n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

// The gap between a row's text and the range of its block.
constexpr int RangeGap = 12;
// Behind the matched text: a pale amber, and on a selected row a deep blue under its light text.
constexpr TColor MatchTint = RGBColor(0xFF, 0xE3, 0x8A);
constexpr TColor SelectedMatchTint = RGBColor(0x1F, 0x4E, 0x8C);
// Secondary texts: a grey that keeps 5.3:1 on white, where the desktop's grey text may not.
constexpr TColor HintGrey = RGBColor(0x6B, 0x6B, 0x6B);

} // namespace

TSearchResultsList::TSearchResultsList(std::span<const TMKBRec> store, TBrowser& browser)
    : Store(store), Browser(browser) {
    SetUpFlatList(List, RowHeight, false);

    List.OnGetText = [this](TBaseVirtualTree*, PVirtualNode node, TColumnIndex, TVSTTextType,
                            std::u16string& text) { ListGetText(node, text); };
    List.OnDrawText = [this](TBaseVirtualTree*, TCanvas& canvas, PVirtualNode node, TColumnIndex,
                             const std::u16string& text, const TRect& rect, bool& defaultDraw) {
        ListDrawText(canvas, node, text, rect, defaultDraw);
    };
    List.OnKeyDown = [this](TBaseVirtualTree*, TVirtualKey& key, TShiftState shift) {
        ListKeyDown(key, shift);
    };
    List.OnMouseUp = [this](TBaseVirtualTree*, TMouseButton button, TShiftState, int, int y) {
        ListMouseUp(button, y);
    };
    List.OnDblClick = [this](TBaseVirtualTree*, TMouseButton button, TShiftState, int, int y) {
        ListMouseUp(button, y);
    };
    FOpenedKey = Browser.SubscribeRecordOpened([this](int index) {
        FLastOpened = index;
        Close();
    });
    Browser.OnSearch = [this] { OpenFirstResult(); };
}

TSearchResultsList::~TSearchResultsList() {
    Browser.UnsubscribeRecordOpened(FOpenedKey);
    Browser.OnSearch = nullptr;
}

std::u16string TSearchResultsList::SearchBoxText() const {
    return Browser.SearchBar ? Browser.SearchBar->Text() : std::u16string();
}

const TSearchResults& TSearchResultsList::ResultsFor(std::u16string_view text) {
    const std::u16string_view query = TrimText(text);
    if (!FHaveResults || query != FResultsQuery) {
        if (!Index)
            Index = std::make_unique<TSearchIndex>(Browser.Records());
        FResults = Search(*Index, query);
        FResultsQuery = std::u16string(query);
        FWithdrawn = TCodeDates::Embedded().WithdrawnCode(query);
        FHaveResults = true;
    }
    return FResults;
}

std::u16string TSearchResultsList::HeaderText() const {
    std::u16string header;
    if (FResults.LayoutSwapped || FResults.Corrected)
        header = u"Показаны результаты для «" + FResults.Query + u"». ";
    if (!FResults.LeftOut.empty()) {
        header += u"Без слов: ";
        for (std::size_t i = 0; i < FResults.LeftOut.size(); ++i)
            header += (i > 0 ? u", " : u"") + FResults.LeftOut[i];
        header += u". ";
    }
    header += u"Найдено: " + Number(FResults.Records.size());
    // The grey row below is counted apart: it is no longer a record to open.
    if (FWithdrawn)
        header += u"; код " + FWithdrawn->Code + u" исключен из МКБ-10";
    return header;
}

std::u16string TSearchResultsList::WithdrawnText(const TWithdrawnCode& code) {
    return code.Code + u" " + code.Name + u" — исключен с " + code.Date;
}

std::u16string TSearchResultsList::RowTerm(unsigned row) const {
    const int record = RowRecord(row);
    if (record < 0 || !Index)
        return {};
    for (const TQueryUnit& unit : FResults.Plan.Units)
        if (Index->ByTerm(unit, record))
            return unit.Text;
    return {};
}

int TSearchResultsList::RowRecord(unsigned row) const {
    return row < FResults.Records.size() ? FResults.Records[row] : -1;
}

void TSearchResultsList::Fill() {
    // The rows are answered by index, so the nodes of the previous query serve the new one;
    // only their state and cached widths go.
    List.BeginUpdate();
    List.ClearSelection();
    List.SetFocusedNode(nullptr);
    // An empty list still shows one row, which says so.
    List.SetRootNodeCount(std::max<unsigned>(
        1, static_cast<unsigned>(FResults.Records.size() + (FWithdrawn ? 1 : 0))));
    List.ResetAllNodeCaches();
    FCutRows.clear();
    List.EndUpdate();
    List.DoSetOffsetXY(0, 0);
    List.Invalidate();
}

void TSearchResultsList::SearchTextChanged(std::u16string_view text) {
    if (TrimText(text).size() < 2) {
        Close();
        return;
    }
    ResultsFor(text);
    Fill();
    FShowing = true;
    if (View) {
        View->SetResultsHeader(HeaderText());
        View->ShowResults(static_cast<int>(std::clamp<std::size_t>(
            FResults.Records.size() + (FWithdrawn ? 1 : 0), 1, MaxVisibleRows)));
    }
}

void TSearchResultsList::Close() {
    if (!FShowing)
        return;
    FShowing = false;
    List.ClearSelection();
    List.SetFocusedNode(nullptr);
    if (View)
        View->HideResults();
}

bool TSearchResultsList::SearchBoxKeyDown(TVirtualKey key, TShiftState shift) {
    if (key == vk::Escape) {
        if (!FShowing)
            return false;
        Close();
        return true;
    }
    if (key != vk::Down || shift.ContainsAny({ssShift, ssCtrl, ssAlt}))
        return false;
    if (!FShowing) {
        const std::u16string text = SearchBoxText();
        if (TrimText(text).size() < 2 || text == SearchPlaceholder)
            return false;
        SearchTextChanged(text);
    }
    PVirtualNode first = List.RootNode()->FirstChild;
    if (first == nullptr || FResults.Records.empty())
        return true;
    if (View)
        View->FocusResults();
    List.SetFocusedNode(first);
    List.SetSelected(first, true);
    return true;
}

void TSearchResultsList::ListKeyDown(TVirtualKey& key, TShiftState shift) {
    PVirtualNode focused = List.FocusedNode();
    switch (key) {
    case vk::Up:
        if (!shift.ContainsAny({ssShift, ssCtrl, ssAlt}) &&
            (focused == nullptr || focused == List.RootNode()->FirstChild)) {
            List.ClearSelection();
            List.SetFocusedNode(nullptr);
            if (View)
                View->FocusSearchBox();
            key = 0;
        }
        break;
    case vk::Return:
        if (focused != nullptr)
            OpenRow(focused->Index);
        key = 0;
        break;
    case vk::Escape:
        Close();
        key = 0;
        break;
    default:
        break;
    }
}

void TSearchResultsList::ListMouseUp(TMouseButton button, int y) {
    if (button != mbLeft || !FShowing)
        return;
    if (PVirtualNode node = List.GetNodeAt(y, true))
        OpenRow(node->Index);
}

void TSearchResultsList::OpenRow(unsigned row) {
    const int record = RowRecord(row);
    if (record < 0)
        return;
    Close();
    Browser.OpenRecord(record);
}

void TSearchResultsList::OpenFirstResult() {
    const std::u16string text = SearchBoxText();
    if (TrimText(text).size() < 2 || text == SearchPlaceholder)
        return;
    const std::vector<int>& records = ResultsFor(text).Records;
    if (records.empty()) {
        if (Browser.ShowInformation)
            Browser.ShowInformation(FWithdrawn ? WithdrawnText(*FWithdrawn)
                                               : std::u16string(NoMatchMessage));
        return;
    }
    Close();
    Browser.OpenRecord(records.front());
}

void TSearchResultsList::OpenNextResult(bool backwards) {
    const std::u16string text = SearchBoxText();
    if (TrimText(text).size() < 2 || text == SearchPlaceholder)
        return;
    const std::vector<int>& records = ResultsFor(text).Records;
    if (records.empty())
        return;
    const std::size_t n = records.size();
    const auto last = std::find(records.begin(), records.end(), FLastOpened);
    std::size_t next;
    if (last == records.end())
        next = backwards ? n - 1 : 0;
    else
        next = (static_cast<std::size_t>(last - records.begin()) + (backwards ? n - 1 : 1)) % n;
    Close();
    Browser.OpenRecord(records[next]);
}

void TSearchResultsList::ListGetText(PVirtualNode node, std::u16string& text) const {
    const int record = node ? RowRecord(node->Index) : -1;
    if (record >= 0)
        text = RecordText(Store[static_cast<std::size_t>(record)]);
    else if (node != nullptr && FWithdrawn && node->Index == FResults.Records.size())
        text = WithdrawnText(*FWithdrawn);
    else if (node != nullptr && FHaveResults && FResults.Records.empty())
        text = std::u16string(NothingFound) + std::u16string(NothingFoundHint);
}

void TSearchResultsList::ListDrawText(TCanvas& canvas, PVirtualNode node,
                                      const std::u16string& text, const TRect& rect,
                                      bool& defaultDraw) {
    const int record = node ? RowRecord(node->Index) : -1;
    const std::shared_ptr<const TPlatformFont>& font = canvas.Font();
    if (!Index || !font)
        return;
    if (record < 0 && FWithdrawn && node && node->Index == FResults.Records.size()) {
        // Greyed: the code is no longer the classification's, and the row opens nothing.
        const int baseline =
            rect.Top + (rect.Height() - font->Metrics().Height) / 2 + font->Metrics().Ascent;
        const TRect clip = canvas.ClipRect();
        canvas.IntersectClipRect(rect);
        const TColor color = canvas.TextColor();
        canvas.SetTextColor(HintGrey);
        canvas.TextOut(rect.Left, baseline, text);
        canvas.SetTextColor(color);
        canvas.SetClipRect(clip);
        defaultDraw = false;
        return;
    }
    if (record < 0) {
        DrawNothingFound(canvas, rect);
        defaultDraw = false;
        return;
    }
    defaultDraw = false;
    // Only the focused list draws its selected row in light text.
    const bool selected = List.Selected(node) && List.Focused();
    const int height = font->Metrics().Height;
    const int top = rect.Top + (rect.Height() - height) / 2;
    const int baseline = top + font->Metrics().Ascent;
    // Measuring text is slow: both texts are drawn at positions known without it.
    auto draw = [&](const TRect& r, std::u16string_view s) {
        const TRect clip = canvas.ClipRect();
        canvas.IntersectClipRect(r);
        canvas.TextOut(r.Left, baseline, s);
        canvas.SetClipRect(clip);
    };

    // The range of the enclosing block, right-aligned in grey, tells rows of one name apart;
    // before it, the term that brought the row, whose title need not say it. Both repeat from
    // row to row: their widths are kept.
    TRect textRect = rect;
    if (font != RangeWidthsFont) {
        RangeWidths.clear();
        RangeWidthsFont = font;
    }
    for (const std::u16string& grey : {Index->EnclosingRange(record), RowTerm(node->Index)}) {
        if (grey.empty())
            continue;
        auto [it, added] = RangeWidths.try_emplace(grey, 0);
        if (added)
            it->second = canvas.TextWidth(grey);
        const int width = it->second;
        if (width + RangeGap >= textRect.Width() / 2)
            continue;
        const TColor color = canvas.TextColor();
        if (!selected)
            canvas.SetTextColor(HintGrey);
        draw({textRect.Right - width, rect.Top, textRect.Right, rect.Bottom}, grey);
        canvas.SetTextColor(color);
        textRect.Right -= width + RangeGap;
    }

    // A tint behind the matched runs; one measuring of the text up to the last of them gives
    // where each begins and ends.
    const TMKBRec& rec = Store[static_cast<std::size_t>(record)];
    const std::size_t codeLength = TrimText(DecodeCode(rec)).size();
    const std::vector<TTextSpan> spans = Index->MatchSpans(FResults.Plan, record, codeLength);
    // A title too long for its room ends in an ellipsis and shows whole in the row's tooltip,
    // so that siblings differing only at the end can be told apart.
    std::u16string shown = text;
    int tintRight = textRect.Right;
    if (static_cast<std::size_t>(font->FitCount(text, textRect.Width())) < text.size()) {
        constexpr std::u16string_view ellipsis = u"…";
        const int room = std::max(0, textRect.Width() - font->TextWidth(ellipsis));
        const std::size_t kept = static_cast<std::size_t>(font->FitCount(text, room));
        shown = std::u16string(TrimText(std::u16string_view(text).substr(0, kept)));
        tintRight = std::min(tintRight, textRect.Left + font->TextWidth(shown));
        shown += ellipsis;
        FCutRows.insert(node->Index);
    } else {
        FCutRows.erase(node->Index);
    }
    if (!spans.empty()) {
        const std::size_t end = std::min(spans.back().Start + spans.back().Length, text.size());
        std::vector<int> extents;
        font->FitCount(std::u16string_view(text).substr(0, end), 0, &extents);
        auto x = [&](std::size_t chars) {
            return textRect.Left + (chars == 0 ? 0 : extents[std::min(chars, end) - 1]);
        };
        for (const TTextSpan& span : spans) {
            const TRect tint{x(span.Start), top, std::min(x(span.Start + span.Length), tintRight),
                             top + height};
            if (tint.Left < tint.Right)
                canvas.FillRect(tint, selected ? SelectedMatchTint : MatchTint);
        }
    }
    draw(textRect, shown);
}

std::u16string TSearchResultsList::RowHint(unsigned row) const {
    const int record = RowRecord(row);
    if (record < 0 || !FCutRows.contains(row))
        return {};
    return RecordText(Store[static_cast<std::size_t>(record)]);
}

void TSearchResultsList::DrawNothingFound(TCanvas& canvas, const TRect& rect) const {
    const std::shared_ptr<const TPlatformFont>& font = canvas.Font();
    const int baseline =
        rect.Top + (rect.Height() - font->Metrics().Height) / 2 + font->Metrics().Ascent;
    const TRect clip = canvas.ClipRect();
    canvas.IntersectClipRect(rect);
    canvas.TextOut(rect.Left, baseline, NothingFound);
    const TColor color = canvas.TextColor();
    canvas.SetTextColor(HintGrey);
    canvas.TextOut(rect.Left + canvas.TextWidth(NothingFound), baseline, NothingFoundHint);
    canvas.SetTextColor(color);
    canvas.SetClipRect(clip);
}

} // namespace mkb::browser
