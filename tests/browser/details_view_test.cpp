// The details page built from the tree's ancestors and shown by the real viewer.
#include "browser/browser.h"
#include "browser/detailspage.h"
#include "browser/detailsview.h"
#include "browser/records.h"
#include "browser/windowsetup.h"
#include "data/loader.h"
#include "html/layout/section.h"
#include "platform/application.h"
#include "platform/codepage.h"
#include "tests/browser/store_support.h"

#include <gtest/gtest.h>

#include <memory>

using namespace mkb::browser;

namespace {

const auto Rec = MakeRecord;

std::u16string ValueLine(std::u16string_view value) {
    return u"      <td><font size=\"2\" face=\"Verdana\">" + std::u16string(value) +
           u"</font></td>";
}

struct Viewer {
    Viewer() {
        EnsureApplication();
        SetUpDetailsViewer(V);
        V.SetBounds(0, 0, 320, 400);
        V.Show();
        ProcessMessages();
    }
    std::vector<const html::TSection*> SectionsAfter(std::u16string_view heading) {
        std::vector<const html::TSection*> out;
        bool on = false;
        for (const html::TSection* s : V.Document.SearchList) {
            if (on)
                out.push_back(s);
            on = on || s->Text.find(heading) != std::u16string::npos;
        }
        return out;
    }
    html::THTMLViewer V;
};

} // namespace

TEST(DetailsPageView, SubBlockRecordNotesAndBreaks) {
    std::vector<TMKBRec> store = {Rec(1, u"КЛАСС II", u"НОВООБРАЗОВАНИЯ (C00-D48)", -1),
                                  Rec(2, u"", u"ЗЛОКАЧЕСТВЕННЫЕ НОВООБРАЗОВАНИЯ (C00-C97)", 1),
                                  Rec(3, u"", u"ГУБЫ, ПОЛОСТИ РТА И ГЛОТКИ (C00-C14)", 2),
                                  Rec(4, u"C00", u"Злокачественное новообразование губы", 3),
                                  Rec(5, u"C00.0", u"Наружной поверхности верхней губы", 4)};
    store[4].note = u"первая<br>вторая<br><br>третья";
    store[4].incl = u"   ";
    store[3].note = u" \t  ";
    const std::vector<std::u16string> page = BuildDetailsPage(store, 4, {0, 1, 2, 3, 4});
    // Класс, Раздел, Рубрика (the sub-block has no code), Код, Наименование, Дополнительная
    // информация; blank inclusions drop out.
    ASSERT_EQ(page.size(), 3u + 6 * 6 + 2);
    EXPECT_EQ(page[13], ValueLine(u"ЗЛОКАЧЕСТВЕННЫЕ НОВООБРАЗОВАНИЯ (C00-C97)"));
    EXPECT_EQ(page[19], ValueLine(u"C00 Злокачественное новообразование губы"));
    EXPECT_EQ(page[25], ValueLine(u"C00.0"));
    EXPECT_NE(page[34].find(u"<b>Дополнительная информация</b>"), std::u16string::npos);
    EXPECT_EQ(page[37], ValueLine(u"первая<br>вторая<br><br>третья"));
    EXPECT_EQ(page[38], u"    </tr>");
    EXPECT_EQ(page[39], u"  </body>");
    // A note of spaces only gives no item.
    const std::vector<std::u16string> cat = BuildDetailsPage(store, 3, {0, 1, 2, 3});
    ASSERT_EQ(cat.size(), 3u + 4 * 6 + 2);
    for (const auto& line : cat)
        EXPECT_EQ(line.find(u"Дополнительная"), std::u16string::npos);

    // In the viewer the breaks make separate lines of the cell, the double break an empty one.
    Viewer view;
    THtmlDetailsView details(view.V);
    details.ClearDocument();
    details.LoadHtmlLines(page);
    const auto note = view.SectionsAfter(u"Дополнительная информация");
    ASSERT_EQ(note.size(), 4u);
    EXPECT_EQ(note[0]->Text, u"первая ");
    EXPECT_EQ(note[1]->Text, u"вторая ");
    EXPECT_EQ(note[2]->Text, u"\b");
    EXPECT_EQ(note[3]->Text, u"третья ");
    for (std::size_t i = 1; i < note.size(); ++i)
        EXPECT_GT(note[i]->LayoutTop, note[i - 1]->LayoutTop) << i;
    EXPECT_EQ(note[1]->LayoutTop - note[0]->LayoutTop, note[3]->LayoutTop - note[2]->LayoutTop);

    // The headings ask for Verdana; the page is drawn in its sans-serif stand-in, not in the
    // serif default.
    const html::TSection* heading = nullptr;
    for (const html::TSection* s : view.V.Document.SearchList)
        if (!heading && s->Text.starts_with(u"Дополнительная информация"))
            heading = s;
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->RunAt(0).Font->Name, u"Verdana");
    EXPECT_EQ(heading->RunAt(0).Font->PlatformFont().ActualFace(), u"DejaVu Sans");
}

TEST(DetailsPageView, LongestRealTextsStayInsideThePane) {
    EnsureApplication();
    if (MKBRecs[0].id == 0)
        LoadClassification();
    std::span<const TMKBRec> store = MKBStore();
    // The record with the most text.
    std::size_t best = 0, longest = 0;
    for (std::size_t i = 0; i < store.size(); ++i) {
        const std::size_t n = store[i].name.size() + store[i].incl.size() + store[i].excl.size() +
                              store[i].note.size();
        if (n > longest) {
            longest = n;
            best = i;
        }
    }
    std::vector<int> path = {static_cast<int>(best)};
    BuildRecordPath(TRecordIndex(store), static_cast<int>(best), path);
    Viewer view;
    view.V.SetBounds(0, 0, 320, 200);
    ProcessMessages();
    view.V.LoadHtmlLines(BuildDetailsPage(store, static_cast<int>(best), path));
    EXPECT_GT(view.V.DocHeight, 200);
    EXPECT_TRUE(view.V.VScrollBarShown());
    // Long words wrap inside the narrower pane: no horizontal overflow for Russian prose.
    EXPECT_LE(view.V.DocWidth, view.V.SurfaceWidth());
    EXPECT_EQ(view.V.Position(), 0);
}
