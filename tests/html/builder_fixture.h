#pragma once
// A document read by the builder on a machine with known faces, and ways to look into it.
#include "fake_fonts.h"
#include "html/builder.h"
#include "html/layout/block.h"
#include "html/layout/document.h"
#include "html/layout/section.h"
#include "html/layout/table.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

// The details page as the browser writes it, for the given (heading, value) items.
inline std::u16string
DetailsPageText(const std::vector<std::pair<std::u16string, std::u16string>>& items) {
    std::u16string page = u"<html>\r\n  <body bgColor=\"#f7f8fa\">\r\n    <table border=\"0\" "
                          u"cellpadding=\"0\" cellspacing=\"8\">\r\n";
    for (const auto& [heading, value] : items) {
        page += u"    <tr>\r\n      <td><font size=\"2\" color=\"#871f1c\" face=\"Verdana\"><b>" +
                heading + u"</b></font></td>\r\n    </tr>\r\n";
        page += u"    <tr>\r\n      <td><font size=\"2\" face=\"Verdana\">" + value +
                u"</font></td>\r\n    </tr>\r\n";
    }
    page += u"  </body>\r\n</html>\r\n";
    return page;
}

struct BuilderFixture : ::testing::Test {
    TFakeFonts fonts;
    html::TSectionList doc;
    int codePage{0};

    BuilderFixture() { fonts.Faces.push_back(u"Verdana"); }

    // As the viewer loads a page: emptied, given its defaults, read.
    void Parse(std::u16string_view text) {
        doc.Clear();
        doc.SetDefaults(u"Times New Roman", u"Courier New", 10, 5, RUSSIAN_CHARSET, true, false,
                        clWindow, 0xFF, 0x800080, 0xFF0000, clWindowText, 12);
        codePage = html::ParseDocument(text, doc);
    }

    html::TBodyBlock* Body() {
        EXPECT_EQ(doc.Count(), 1);
        return doc.Count() == 1 ? dynamic_cast<html::TBodyBlock*>(doc[0]) : nullptr;
    }

    // The elements of a container.
    static std::vector<html::TSectionBase*> ItemsOf(const html::TCellBasic& cell) {
        std::vector<html::TSectionBase*> out;
        for (const auto& e : cell.Items)
            out.push_back(e.get());
        return out;
    }

    // The texts of a container's sections, one string each; "<table>" for a table block.
    static std::vector<std::u16string> Texts(const html::TCellBasic& cell) {
        std::vector<std::u16string> out;
        for (const auto& e : cell.Items) {
            if (auto* s = dynamic_cast<const html::TSection*>(e.get()))
                out.push_back(s->Text);
            else if (dynamic_cast<const html::TTableBlock*>(e.get()))
                out.push_back(u"<table>");
            else
                out.push_back(u"<other>");
        }
        return out;
    }

    static html::ThtmlTable* TableIn(const html::TCellBasic& cell, int index = 0) {
        int n = 0;
        for (const auto& e : cell.Items)
            if (auto* b = dynamic_cast<html::TTableBlock*>(e.get()))
                if (n++ == index)
                    return b->Table;
        return nullptr;
    }

    static html::TCellObjCell& CellAt(html::ThtmlTable& t, int row, int col) {
        return *t.Rows.at(row)->Cells.at(col)->Cell;
    }
};
