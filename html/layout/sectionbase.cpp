#include "html/layout/sectionbase.h"

#include "platform/errors.h"

#include <algorithm>
#include <cstring>

namespace html {

namespace {
constexpr int kOpenBottom = 9999999;
constexpr int kContentPaintTop = 990000;
} // namespace

// --- IndentManager ---------------------------------------------------------------------------

void IndentManager::Init(int left, int right) {
    LeftEdge = left;
    RightEdge = right;
    Owner = nullptr;
}

void IndentManager::Reset() {
    LeftIndents.clear();
    RightIndents.clear();
    Owner = nullptr;
}

int IndentManager::LeftAt(int y) const {
    int x = 0;
    bool any = false;
    for (const IndentRec& r : LeftIndents)
        if (r.TopY <= y && y < r.BottomY && (r.Owner == nullptr || r.Owner == Owner)) {
            x = any ? std::max(x, r.X) : r.X;
            any = true;
        }
    return (any ? x : 0) + LeftEdge;
}

int IndentManager::RightAt(int y) const {
    int x = 0;
    bool any = false;
    for (const IndentRec& r : RightIndents)
        if (r.TopY <= y && y < r.BottomY && (r.Owner == nullptr || r.Owner == Owner)) {
            x = any ? std::min(x, r.X) : r.X;
            any = true;
        }
    return any ? x + LeftEdge : RightEdge;
}

int IndentManager::PushLeft(int x, int y) {
    LeftIndents.push_back({y, kOpenBottom, x, Owner});
    return static_cast<int>(LeftIndents.size()) - 1;
}

int IndentManager::PushRight(int x, int y) {
    RightIndents.push_back({y, kOpenBottom, x, Owner});
    return static_cast<int>(RightIndents.size()) - 1;
}

void IndentManager::PopLeft(int index) {
    if (index >= 0 && index < static_cast<int>(LeftIndents.size()))
        LeftIndents.erase(LeftIndents.begin() + index);
}

void IndentManager::PopRight(int index) {
    if (index >= 0 && index < static_cast<int>(RightIndents.size()))
        RightIndents.erase(RightIndents.begin() + index);
}

int IndentManager::FloatBottom() const {
    int b = 0;
    for (const auto* list : {&LeftIndents, &RightIndents})
        for (const IndentRec& r : *list)
            if (r.Owner == nullptr && r.BottomY < kOpenBottom)
                b = std::max(b, r.BottomY);
    return b;
}

int IndentManager::NextWiderY(int y) const {
    int next = kOpenBottom;
    bool narrowed = false;
    for (const auto* list : {&LeftIndents, &RightIndents})
        for (const IndentRec& r : *list)
            if (r.Owner == nullptr && r.TopY <= y && y < r.BottomY && r.BottomY < kOpenBottom) {
                next = std::min(next, r.BottomY);
                narrowed = true;
            }
    return narrowed ? next : y;
}

// --- TSectionBase ----------------------------------------------------------------------------

int TSectionBase::Layout(THtmlCanvas&, int, int& pos, int& maxWidth, IndentManager&, int, int,
                         int y) {
    FirstPos = pos;
    PaintHeight = FlowHeight;
    maxWidth = 0;
    PaintTop = InnerTop = LayoutTop = y;
    FlowBottom = y + FlowHeight;
    PaintBottom = y + PaintHeight;
    return FlowHeight;
}

int TSectionBase::Paint(THtmlCanvas&, const TRect&, int) {
    return LayoutTop + FlowHeight;
}

int TSectionBase::CursorAt(THtmlCanvas&, int, int, bool&, int&, int&, int&) {
    return -1;
}

int TSectionBase::PointOfCursor(THtmlCanvas&, int, int&, int&) {
    return 0;
}

int TSectionBase::CharAt(int, char16_t&, TSection*&) {
    return 0;
}

void TSectionBase::MeasureWidths(THtmlCanvas&, int& minWidth, int& maxWidth) {
    minWidth = maxWidth = 0;
}

// --- TCellBasic ------------------------------------------------------------------------------

void TCellBasic::AddSection(std::unique_ptr<TSectionBase> element, int sourceIndex) {
    if (!element || !element->Finish(sourceIndex))
        return;
    element->Document = Document;
    Items.push_back(std::move(element));
}

int TCellBasic::DoLayout(THtmlCanvas& canvas, int x, int& pos, int& maxWidth, IndentManager& im,
                         int width, int availHeight, int y) {
    LayoutTop = y;
    FirstPos = pos;
    maxWidth = 0;
    ContentBottom = y;
    PaintTop = kContentPaintTop;
    PaintBottom = y;
    int height = 0;
    for (std::size_t i = 0; i < Items.size();) {
        TSectionBase& e = *Items[i];
        int childMax = 0;
        try {
            height += e.Layout(canvas, x, pos, childMax, im, width, availHeight, y + height);
        } catch (const EMkbError& err) {
            if (Document)
                ReportProcessingError(
                    *Document, std::u16string(err.what(), err.what() + std::strlen(err.what())));
            Items.erase(Items.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        maxWidth = std::max(maxWidth, childMax);
        ContentBottom = std::max(ContentBottom, e.FlowBottom);
        PaintTop = std::min(PaintTop, e.InnerTop);
        PaintBottom = std::max(PaintBottom, e.PaintBottom);
        ++i;
    }
    PosCount = pos - FirstPos;
    return height;
}

int TCellBasic::DoPaint(THtmlCanvas& canvas, const TRect& clip, int x) {
    int y = LayoutTop;
    for (auto& e : Items)
        y = e->Paint(canvas, clip, x);
    return y;
}

void TCellBasic::MeasureWidths(THtmlCanvas& canvas, int& minWidth, int& maxWidth) {
    minWidth = maxWidth = 0;
    for (auto& e : Items) {
        int mn = 0, mx = 0;
        e->MeasureWidths(canvas, mn, mx);
        minWidth = std::max(minWidth, mn);
        maxWidth = std::max(maxWidth, mx);
    }
}

int TCellBasic::CursorAt(THtmlCanvas& canvas, int x, int y, bool& atChar, int& lineHeight,
                         int& lineTop, int& caretX) {
    // An element that holds y answers alone; only a point between elements goes to the next
    // one below it, so that a later element cannot answer for a point inside an earlier one.
    bool held = false;
    for (auto& e : Items)
        if (y >= e->LayoutTop && y < e->LayoutTop + e->FlowHeight) {
            held = true;
            const int r = e->CursorAt(canvas, x, y, atChar, lineHeight, lineTop, caretX);
            if (r >= 0)
                return r;
        }
    if (held)
        return -1;
    for (auto& e : Items)
        if (e->LayoutTop + e->FlowHeight > y) {
            const int r = e->CursorAt(canvas, x, y, atChar, lineHeight, lineTop, caretX);
            if (r >= 0)
                return r;
        }
    return -1;
}

int TCellBasic::PointOfCursor(THtmlCanvas& canvas, int pos, int& x, int& y) {
    for (auto& e : Items)
        if (e->PointOfCursor(canvas, pos, x, y))
            return 1;
    return 0;
}

int TCellBasic::CharAt(int pos, char16_t& ch, TSection*& section) {
    for (auto& e : Items)
        if (e->CharAt(pos, ch, section))
            return 1;
    return 0;
}

void TCellBasic::CollectSections(std::vector<TSection*>& list) {
    for (auto& e : Items)
        e->CollectSections(list);
}

void TCellBasic::CopyText(int from, int to, std::u16string& out) const {
    for (const auto& e : Items)
        if (e->FirstPos < to && from < e->FirstPos + e->PosCount)
            e->CopyText(from, to, out);
}

} // namespace html
