#include "browser/checklist.h"

#include "browser/windowsetup.h"
#include "platform/clipboard.h"
#include "platform/keys.h"

#include <algorithm>
#include <array>

namespace mkb::browser {

namespace {

// Secondary texts: a grey that keeps 5.3:1 on white.
constexpr TColor HintGrey = RGBColor(0x6B, 0x6B, 0x6B);
constexpr TColor WarningBrown = RGBColor(0x8A, 0x55, 0x00);
constexpr TColor ErrorRed = RGBColor(0xB0, 0x1E, 0x1E);
constexpr TColor UsableGreen = RGBColor(0x1E, 0x6B, 0x2E);

// Thousands apart by a no-break space, as Russian writes them: «1 000».
std::u16string Grouped(std::size_t n) {
    const std::string digits = std::to_string(n);
    std::u16string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += u'\u00A0';
        out += static_cast<char16_t>(digits[i]);
    }
    return out;
}

// How the counts line names each verdict, in verdict order.
constexpr std::array<std::u16string_view, CodeVerdictCount> CountNames = {
    u"можно использовать",       u"нужен 4-й знак", u"нужен 5-й знак",    u"со звёздочкой",
    u"† без кода со звёздочкой", u"исключены",      u"блоки и диапазоны", u"нет в МКБ-10",
};

constexpr int ColumnLine = 46, ColumnWritten = 90, ColumnCode = 64, ColumnVerdict = 176,
              ColumnNote = 300, ColumnTitleLeast = 220;

} // namespace

TCodeCheckList::TCodeCheckList(std::span<const TMKBRec> store, const TRecordIndex& index,
                               const TCodeDates& dates)
    : Store(store), Checker(index, dates) {
    // Several rows may be selected for copying; the columns are cut at their widths.
    SetUpFlatList(FList, RowHeight, true);
    FList.OnGetText = [this](TBaseVirtualTree*, PVirtualNode node, TColumnIndex, TVSTTextType,
                             std::u16string& text) { text = RowText(node->Index); };
    FList.OnDrawText = [this](TBaseVirtualTree*, TCanvas& canvas, PVirtualNode node, TColumnIndex,
                              const std::u16string&, const TRect& rect, bool& defaultDraw) {
        defaultDraw = false;
        DrawRow(canvas, node, rect);
    };
    FList.OnKeyDown = [this](TBaseVirtualTree*, TVirtualKey& key, TShiftState shift) {
        if (key == vk::Return && !shift.ContainsAny({ssCtrl, ssAlt})) {
            OpenFocused();
            key = 0;
        } else if (ExtendSelection(key, shift)) {
            key = 0;
        } else if (key != vk::Shift && key != vk::Control && key != vk::Menu) {
            // A modifier pressed or repeating while held does not end the range.
            FAnchor = nullptr;
        }
    };
    FList.OnMouseDown = [this](TBaseVirtualTree*, TMouseButton, TShiftState shift, int, int) {
        if (!shift.Contains(ssShift))
            FAnchor = nullptr;
    };
    // Shift and a click selects the rows from the anchor to the one clicked.
    FList.OnMouseUp = [this](TBaseVirtualTree*, TMouseButton button, TShiftState shift, int,
                             int y) {
        if (button != mbLeft || !shift.Contains(ssShift) || shift.ContainsAny({ssCtrl, ssAlt}))
            return;
        if (PVirtualNode node = FList.GetNodeAt(y, true))
            SelectRows(node->Index);
    };
    FList.OnDblClick = [this](TBaseVirtualTree*, TMouseButton button, TShiftState, int, int y) {
        if (button != mbLeft)
            return;
        if (PVirtualNode node = FList.GetNodeAt(y, true)) {
            FList.SetFocusedNode(node);
            OpenFocused();
        }
    };
}

// The tree selects one row with its keys; a list of findings to copy wants ranges: Shift with
// the moving keys selects from the anchor to where the focus lands, Ctrl+A every row.
bool TCodeCheckList::ExtendSelection(TVirtualKey key, TShiftState shift) {
    const unsigned count = static_cast<unsigned>(FRows.size());
    if (count == 0)
        return false;
    if (key == 'A' && shift.Contains(ssCtrl) && !shift.ContainsAny({ssShift, ssAlt})) {
        PVirtualNode focused = FList.FocusedNode();
        FList.BeginUpdate();
        for (PVirtualNode n = FList.RootNode()->FirstChild; n != nullptr; n = n->NextSibling)
            FList.AddToSelection(n);
        if (focused == nullptr)
            FList.SetFocusedNode(FList.RootNode()->FirstChild);
        FList.EndUpdate();
        FList.Invalidate();
        return true;
    }
    if (!shift.Contains(ssShift) || shift.ContainsAny({ssCtrl, ssAlt}))
        return false;
    PVirtualNode focused = FList.FocusedNode();
    const long from = focused != nullptr ? static_cast<long>(focused->Index) : -1;
    const long page = std::max(1, FList.ClientHeight() / RowHeight - 1);
    long to;
    switch (key) {
    case vk::Up:
        to = from - 1;
        break;
    case vk::Down:
        to = from + 1;
        break;
    case vk::Prior:
        to = from - page;
        break;
    case vk::Next:
        to = from + page;
        break;
    case vk::Home:
        to = 0;
        break;
    case vk::End:
        to = static_cast<long>(count) - 1;
        break;
    default:
        return false;
    }
    SelectRows(static_cast<unsigned>(std::clamp<long>(to, 0, static_cast<long>(count) - 1)));
    return true;
}

void TCodeCheckList::SelectRows(unsigned to) {
    // The range grows from where the first extension began; the tree's own anchor moves with
    // every change of the selection.
    PVirtualNode anchor = FAnchor != nullptr ? FAnchor : FList.RangeAnchor();
    if (anchor == nullptr)
        anchor = FList.FocusedNode();
    const unsigned from = anchor != nullptr ? anchor->Index : to;
    const unsigned low = std::min(from, to), high = std::max(from, to);
    FList.BeginUpdate();
    FList.ClearSelection();
    PVirtualNode target = nullptr;
    for (PVirtualNode n = FList.RootNode()->FirstChild; n != nullptr && n->Index <= high;
         n = n->NextSibling) {
        if (n->Index >= low)
            FList.AddToSelection(n);
        if (n->Index == to)
            target = n;
    }
    FList.SetFocusedNode(target);
    FList.EndUpdate();
    FAnchor = anchor != nullptr ? anchor : target;
    FList.ScrollIntoView(target, false);
    FList.Invalidate();
}

void TCodeCheckList::TList::CopyToClipboard() {
    if (FocusedNode() != nullptr || SelectedCount() > 0)
        SetClipboardText(Owner.SelectedTsv());
}

void TCodeCheckList::Start(std::u16string text) {
    FRun.reset();
    FRefused = TCodeChecker::TooLong(text);
    if (!FRefused.empty()) {
        FText.clear();
        FReport = {};
        Fill();
        return;
    }
    FText = std::move(text);
    FRun = std::make_unique<TCodeChecker::TRun>(Checker, FText);
}

bool TCodeCheckList::Step(std::size_t units) {
    if (!FRun)
        return false;
    if (FRun->Step(units))
        return true;
    FReport = FRun->TakeReport();
    FRun.reset();
    Fill();
    return false;
}

void TCodeCheckList::CheckAll(std::u16string text) {
    Start(std::move(text));
    while (Step(std::size_t(-1) / 2)) {
    }
}

int TCodeCheckList::Percent() const {
    if (!FRun)
        return 100;
    if (FText.empty())
        return 0;
    return static_cast<int>(FRun->Position() * 100 / FText.size());
}

std::u16string TCodeCheckList::CountsText() const {
    const std::size_t total = FReport.Findings.size();
    if (total == 0)
        return u"Кодов в тексте нет";
    std::u16string out = u"Всего " + Grouped(total) + u":";
    bool first = true;
    for (std::size_t v = 0; v < CodeVerdictCount; ++v) {
        if (FReport.Counts[v] == 0)
            continue;
        out += (first ? u" " : u", ") + std::u16string(CountNames[v]) + u" " +
               Grouped(FReport.Counts[v]);
        first = false;
    }
    return out;
}

std::vector<std::u16string> TCodeCheckList::FilterItems() const {
    std::size_t problems = 0;
    for (std::size_t v = 0; v < CodeVerdictCount; ++v)
        if (VerdictLevel(static_cast<TCodeVerdict>(v)) != vlOk)
            problems += FReport.Counts[v];
    std::vector<std::u16string> items;
    items.push_back(u"Все коды (" + Grouped(FReport.Findings.size()) + u")");
    items.push_back(u"Все, кроме годных (" + Grouped(problems) + u")");
    for (std::size_t v = 0; v < CodeVerdictCount; ++v)
        items.push_back(std::u16string(VerdictText(static_cast<TCodeVerdict>(v))) + u" (" +
                        Grouped(FReport.Counts[v]) + u")");
    return items;
}

void TCodeCheckList::SetFilter(int item) {
    if (item < 0 || item >= static_cast<int>(2 + CodeVerdictCount) || item == FFilter)
        return;
    FFilter = item;
    Fill();
}

void TCodeCheckList::Fill() {
    TVerdictMask mask = AllVerdicts;
    if (FFilter == FilterProblems) {
        mask = 0;
        for (std::size_t v = 0; v < CodeVerdictCount; ++v)
            if (VerdictLevel(static_cast<TCodeVerdict>(v)) != vlOk)
                mask |= VerdictBit(static_cast<TCodeVerdict>(v));
    } else if (FFilter > FilterProblems) {
        mask = VerdictBit(static_cast<TCodeVerdict>(FFilter - 2));
    }
    FRows = FilterFindings(FReport, mask);
    FAnchor = nullptr;
    FList.BeginUpdate();
    FList.ClearSelection();
    FList.SetFocusedNode(nullptr);
    FList.SetRootNodeCount(static_cast<unsigned>(FRows.size()));
    FList.ResetAllNodeCaches();
    FList.EndUpdate();
    FList.DoSetOffsetXY(0, 0);
    FList.Invalidate();
    if (OnChanged)
        OnChanged();
}

const TCodeFinding* TCodeCheckList::RowFinding(unsigned row) const {
    if (row >= FRows.size())
        return nullptr;
    return &FReport.Findings[FRows[row]];
}

const TCodeFinding* TCodeCheckList::FocusedFinding() const {
    const PVirtualNode node = FList.FocusedNode();
    return node != nullptr ? RowFinding(node->Index) : nullptr;
}

std::vector<std::size_t> TCodeCheckList::SelectedFindings() const {
    std::vector<unsigned> rows;
    for (const PVirtualNode node : FList.GetSelection())
        rows.push_back(node->Index);
    if (rows.empty() && FList.FocusedNode() != nullptr)
        rows.push_back(FList.FocusedNode()->Index);
    std::sort(rows.begin(), rows.end());
    std::vector<std::size_t> findings;
    for (const unsigned row : rows)
        if (row < FRows.size())
            findings.push_back(FRows[row]);
    return findings;
}

std::u16string TCodeCheckList::SelectedTsv() const {
    const std::vector<std::size_t> rows = SelectedFindings();
    // No rows would mean every finding to the writer: an empty report gives the header alone.
    return rows.empty() ? FindingsTsv({}, Store) : FindingsTsv(FReport, Store, rows);
}

std::u16string TCodeCheckList::AllTsv() const {
    return FRows.empty() ? FindingsTsv({}, Store) : FindingsTsv(FReport, Store, FRows);
}

std::string TCodeCheckList::Csv() const {
    return FRows.empty() ? FindingsCsv({}, Store) : FindingsCsv(FReport, Store, FRows);
}

std::vector<TCheckColumn> TCodeCheckList::Columns(int width) {
    std::vector<TCheckColumn> columns;
    int x = 0;
    const auto add = [&](std::u16string_view caption, int w) {
        columns.push_back({caption, x, x + w});
        x += w;
    };
    add(u"Строка", ColumnLine);
    add(u"Как записан", ColumnWritten);
    add(u"Код", ColumnCode);
    add(u"Заключение", ColumnVerdict);
    // The title and the note share what is left; a narrow list keeps more of the title.
    const int rest = width - x;
    int title = rest - ColumnNote;
    if (title < ColumnTitleLeast)
        title = std::max(ColumnTitleLeast / 2, rest * 55 / 100);
    add(u"Наименование", title);
    add(u"Пояснение", std::max(ColumnTitleLeast / 2, width - x));
    return columns;
}

std::u16string TCodeCheckList::RowText(unsigned row) const {
    const TCodeFinding* f = RowFinding(row);
    if (f == nullptr)
        return {};
    std::u16string text = f->Written + u" — " + std::u16string(VerdictText(f->Verdict));
    if (f->Record >= 0 && static_cast<std::size_t>(f->Record) < Store.size())
        text += u": " + f->Code + u" " + Store[static_cast<std::size_t>(f->Record)].name;
    if (!f->Note.empty())
        text += u"; " + f->Note;
    return text;
}

void TCodeCheckList::DrawRow(TCanvas& canvas, PVirtualNode node, const TRect& rect) {
    const TCodeFinding* f = node != nullptr ? RowFinding(node->Index) : nullptr;
    if (f == nullptr)
        return;
    // Only the focused list draws its selected rows in light text.
    const bool light = FList.Selected(node) && FList.Focused();
    const TColor text = canvas.TextColor();
    std::u16string title = f->Title;
    if (f->Record >= 0 && static_cast<std::size_t>(f->Record) < Store.size())
        title = Store[static_cast<std::size_t>(f->Record)].name;
    std::u16string note = f->Note;
    if (!f->Suggest.empty() && note.find(f->Suggest) == std::u16string::npos)
        note += (note.empty() ? u"" : u"; ") + (u"возможно, " + f->Suggest);
    TColor verdictColor = UsableGreen;
    switch (VerdictLevel(f->Verdict)) {
    case vlOk:
        break;
    case vlWarning:
        verdictColor = WarningBrown;
        break;
    case vlError:
        verdictColor = ErrorRed;
        break;
    }
    const std::string number = std::to_string(f->Line);
    const std::u16string line(number.begin(), number.end());
    const std::u16string verdict(VerdictText(f->Verdict));
    const std::u16string_view cells[] = {line, f->Written, f->Code, verdict, title, note};
    const std::vector<TCheckColumn> columns = Columns(rect.Right - rect.Left);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        TRect cell{rect.Left + columns[i].Left, rect.Top, rect.Left + columns[i].Right - 6,
                   rect.Bottom};
        if (cell.Left >= rect.Right)
            break;
        cell.Right = std::min(cell.Right, rect.Right);
        TColor color = text;
        if (!light && i == 0)
            color = HintGrey;
        else if (!light && i == 3)
            color = verdictColor;
        else if (!light && i == 5)
            color = HintGrey;
        canvas.SetTextColor(color);
        canvas.TextRect(cell, cells[i], TTextFormat{tfVCenter});
    }
    canvas.SetTextColor(text);
}

void TCodeCheckList::OpenFocused() {
    const TCodeFinding* f = FocusedFinding();
    if (f != nullptr && OnOpen)
        OnOpen(*f);
}

} // namespace mkb::browser
