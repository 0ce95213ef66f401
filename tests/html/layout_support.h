#pragma once
// Documents built by hand, and a canvas with fixed advances that records what is painted.
#include "fake_fonts.h"
#include "html/layout/block.h"
#include "html/layout/document.h"
#include "html/layout/section.h"
#include "html/layout/table.h"
#include "html/read/attributes.h"
#include "html/style/properties.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace layout_test {

using namespace html;

struct TTextCall {
    int X{0};
    int Baseline{0};
    std::u16string Text;
    TColor Fg{0};
    TColor Bg{0};
    int Extra{0};
    int Spaces{0};
};

// 'i' is 5 pixels wide, every other character 10.
class TRecordingCanvas final : public TMeasureCanvas {
public:
    std::vector<TTextCall> Texts;
    std::vector<std::pair<TRect, TColor>> Fills;
    std::vector<TRect> Clips;

    void TextOut(const TMyFont&, int x, int baseline, std::u16string_view text, TColor color,
                 TColor background, int extraWidth, int spaceCount) override {
        Texts.push_back(
            {x, baseline, std::u16string(text), color, background, extraWidth, spaceCount});
    }
    void FillRect(const TRect& r, TColor c) override { Fills.push_back({r, c}); }
    void SetClipRect(const TRect& r) override {
        Clips.push_back(r);
        TMeasureCanvas::SetClipRect(r);
    }

protected:
    int Advance(const TMyFont&, char16_t c) override { return c == u'i' ? 5 : 10; }
};

inline TAttribute Attr(THtmlSymbol kind, std::u16string value, int number) {
    TAttribute a;
    a.Kind = kind;
    a.Value = std::move(value);
    a.Number = number;
    return a;
}

inline TAttributeList Attrs(std::initializer_list<TAttribute> list) {
    TAttributeList l;
    for (const TAttribute& a : list)
        l.Add(a);
    return l;
}

// A document with a body block; tables, rows, cells and text are added by hand.
struct TDocFixture : ::testing::Test {
    TFakeFonts Fonts;
    TSectionList Doc;
    TProperties Props;      // the body's record: the viewer's margins
    TProperties PlainProps; // tables, rows and cells: no margins
    TRecordingCanvas Canvas;
    TBodyBlock* Body{nullptr};

    TDocFixture() {
        Doc.SetDefaults(u"Arial", u"Courier New", 10, 5, DEFAULT_CHARSET, true, false, clWindow,
                        0xFF, 0x800080, 0xFF0000, clBlack, 12);
        Doc.Styles.CopyDefault(Props);
        Doc.Styles.CopyDefault(PlainProps);
        for (int i = MarginTop; i <= MarginLeft; ++i)
            PlainProps.Values[i] = TPropValue();
        auto body = std::make_unique<TBodyBlock>(&Doc, nullptr, &Doc, Props);
        Body = body.get();
        Doc.AddSection(std::move(body), 0);
    }

    ThtmlTable* AddTable(std::initializer_list<TAttribute> attributes,
                         TCellBasic* where = nullptr) {
        TAttributeList a = Attrs(attributes);
        auto table = std::make_unique<ThtmlTable>(&Doc, PlainProps, &a);
        ThtmlTable* t = table.get();
        auto block = std::make_unique<TTableBlock>(&Doc, 1, &a, std::move(table), &Body->BlockCell,
                                                   PlainProps);
        (where ? where : &Body->BlockCell)->AddSection(std::move(block), 0);
        return t;
    }
    TCellList* AddRow(ThtmlTable* t) {
        t->Rows.push_back(std::make_unique<TCellList>(nullptr, PlainProps));
        return t->Rows.back().get();
    }
    TCellObj* AddCell(TCellList* row, std::initializer_list<TAttribute> attributes = {},
                      int valign = AMiddle) {
        TAttributeList a = Attrs(attributes);
        row->AddCell(std::make_unique<TCellObj>(&Doc, PlainProps, &a, valign));
        return row->Cells.back().get();
    }
    // One section per line, each but the last ended by a forced break.
    std::vector<TSection*> AddText(TCellBasic* cell, const std::vector<std::u16string>& lines,
                                   bool noBreak = false) {
        std::vector<TSection*> out;
        int k = 0;
        const int n = static_cast<int>(lines.size());
        for (const std::u16string& line : lines) {
            auto s = std::make_unique<TSection>(&Doc, cell, false, u"", Props, nullptr);
            s->NoBreak = noBreak;
            s->AddText(line, 0);
            if (++k < n)
                s->AddChar(BreakChar, 0);
            TSection* raw = s.get();
            const int before = cell->Count();
            cell->AddSection(std::move(s), 0);
            if (cell->Count() > before)
                out.push_back(raw);
        }
        return out;
    }
    int Layout(int width, int* maxWidth = nullptr) {
        int pos = 0, mw = 0;
        const int h = Doc.Layout(Canvas, 0, pos, mw, width, 100000);
        if (maxWidth)
            *maxWidth = mw;
        return h;
    }
    void Paint(int width, int height) {
        const TRect clip{0, 0, width, height};
        Canvas.SetClipRect(clip);
        Canvas.Clips.clear();
        Canvas.Texts.clear();
        Doc.Paint(Canvas, clip, 0);
    }
    static int Height(const std::vector<TSection*>& sections) {
        int h = 0;
        for (TSection* s : sections)
            h += s->FlowHeight;
        return h;
    }
};

} // namespace layout_test
