// The document builder: the details page's structure, text and fonts, line breaks, the body
// tag, and the tolerant handling of tables (implicit rows, stray content, deep nesting, missing
// end tags).
#include "builder_fixture.h"
#include "html/layout/cellmanager.h"
#include "html/text/htmlcolors.h"

namespace {

using namespace html;

const std::vector<std::pair<std::u16string, std::u16string>> kItems = {
    {u"Класс", u"КЛАСС I.Некоторые инфекционные и паразитарные болезни"},
    {u"Раздел", u"Кишечные инфекции"},
    {u"Код", u"A00"},
    {u"Наименование", u"Холера"},
    {u"Дополнительная информация", u"первая строка<br>вторая<br>третья"},
};

TColor Rgb(int r, int g, int b) {
    return static_cast<TColor>(r | (g << 8) | (b << 16));
}

TEST_F(BuilderFixture, DetailsPageIsOneBodyBlockHoldingOneTableOfOneCellRows) {
    Parse(DetailsPageText(kItems));
    TBodyBlock* body = Body();
    ASSERT_NE(body, nullptr);
    // Nothing before or after the table: the white space between the tags made no section.
    ASSERT_EQ(Texts(body->BlockCell), std::vector<std::u16string>{u"<table>"});
    ThtmlTable* table = TableIn(body->BlockCell);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->Rows.size(), kItems.size() * 2);
    for (std::size_t i = 0; i < kItems.size(); ++i) {
        for (int half = 0; half < 2; ++half) {
            const TCellList& row = *table->Rows[i * 2 + half];
            ASSERT_EQ(row.Cells.size(), 1u);
            for (const auto& e : row.Cells[0]->Cell->Items)
                EXPECT_NE(dynamic_cast<TSection*>(e.get()), nullptr);
        }
        EXPECT_EQ(Texts(*table->Rows[i * 2]->Cells[0]->Cell),
                  std::vector<std::u16string>{kItems[i].first + u" "});
    }
    // The note's two line breaks end two sections; each break character is dropped at the end
    // of its section by the clean-up.
    EXPECT_EQ(Texts(*table->Rows[9]->Cells[0]->Cell),
              (std::vector<std::u16string>{u"первая строка ", u"вторая ", u"третья "}));
    // The body's colour became the page's, and its record gave the default margins.
    TColor expected = clNone;
    ASSERT_TRUE(ParseColor(u"#f7f8fa", true, expected));
    EXPECT_EQ(doc.Background, expected);
}

TEST_F(BuilderFixture, HeadingCellTextIsABoldRunOfTheFontRecord) {
    Parse(DetailsPageText(kItems));
    ThtmlTable* table = TableIn(Body()->BlockCell);
    ASSERT_NE(table, nullptr);
    auto* heading = dynamic_cast<TSection*>(table->Rows[0]->Cells[0]->Cell->Items.at(0).get());
    ASSERT_NE(heading, nullptr);
    const TFontObj& run = heading->RunAt(0);
    EXPECT_TRUE(run.Font->Style.Has(TFontStyle::Bold));
    EXPECT_EQ(run.Font->Height, -13); // 10 points at 96 pixels per inch
    EXPECT_EQ(run.Font->Name, u"Verdana");
    EXPECT_EQ(run.Font->Color & 0xFFFFFF, Rgb(0x87, 0x1F, 0x1C));

    auto* value = dynamic_cast<TSection*>(table->Rows[1]->Cells[0]->Cell->Items.at(0).get());
    ASSERT_NE(value, nullptr);
    EXPECT_FALSE(value->RunAt(0).Font->Style.Has(TFontStyle::Bold));
    EXPECT_EQ(value->RunAt(0).Font->Height, -13);
}

TEST_F(BuilderFixture, HeadingFaceFallsBackWhenVerdanaIsNotInstalled) {
    fonts.Faces.pop_back();
    Parse(DetailsPageText({{u"Код", u"A00"}}));
    ThtmlTable* table = TableIn(Body()->BlockCell);
    ASSERT_NE(table, nullptr);
    auto* heading = dynamic_cast<TSection*>(table->Rows[0]->Cells[0]->Cell->Items.at(0).get());
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->RunAt(0).Font->Name, u"Times New Roman");
}

TEST_F(BuilderFixture, BreaksEndSectionsAndTwoInARowLeaveAnEmptyLine) {
    Parse(u"one<br>two<BR/>three");
    EXPECT_EQ(Texts(Body()->BlockCell), (std::vector<std::u16string>{u"one ", u"two ", u"three "}));
    Parse(u"one<br><br>two");
    EXPECT_EQ(Texts(Body()->BlockCell), (std::vector<std::u16string>{u"one ", u"\b", u"two "}));
    // A break before any text still gives the empty line.
    Parse(u"<br>x");
    EXPECT_EQ(Texts(Body()->BlockCell), (std::vector<std::u16string>{u"\b", u"x "}));
}

TEST_F(BuilderFixture, PlainTextIsOneSectionInTheDefaultFont) {
    Parse(u"just   some text");
    ASSERT_EQ(Texts(Body()->BlockCell), std::vector<std::u16string>{u"just some text "});
    auto* s = dynamic_cast<TSection*>(Body()->BlockCell.Items[0].get());
    EXPECT_EQ(s->RunAt(0).Font->Name, u"Times New Roman");
    EXPECT_EQ(s->RunAt(0).Font->Height, -16); // 12 points
    EXPECT_FALSE(s->RunAt(0).Font->Style.Has(TFontStyle::Bold));
}

TEST_F(BuilderFixture, StartPageIsAnEmptyBodyWithItsBackground) {
    Parse(u"\uFEFF<html><body bgColor=\"#f7f8fa\"></body></html>");
    TBodyBlock* body = Body();
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->BlockCell.Count(), 0);
    TColor expected = clNone;
    ASSERT_TRUE(ParseColor(u"#f7f8fa", true, expected));
    EXPECT_EQ(doc.Background, expected);
    // Words before body are dropped the same way while the body block is still empty.
    Parse(u"junk words <body>kept");
    EXPECT_EQ(Texts(Body()->BlockCell), std::vector<std::u16string>{u"kept "});
    // An anchor placed before body goes with the discarded text.
    Parse(u"<a name=Top>t<body>kept<a name=here>");
    EXPECT_EQ(doc.IdList.count(u"top"), 0u);
    EXPECT_EQ(doc.IdList.count(u"here"), 1u);
}

TEST_F(BuilderFixture, ASecondBodyOrABodyAfterContentIsIgnored) {
    Parse(u"<body bgcolor=red>a<br>b<body bgcolor=blue>c");
    EXPECT_EQ(doc.Background, Rgb(0xFF, 0, 0));
    EXPECT_EQ(Texts(Body()->BlockCell), (std::vector<std::u16string>{u"a ", u"bc "}));
    Parse(u"<table><tr><td>x<body bgcolor=blue></table>");
    EXPECT_EQ(doc.Background, clWindow);
}

TEST_F(BuilderFixture, BodyAttributesSetTheBodyRecord) {
    Parse(u"<body text=\"00ff00\" bgcolor=\"#0000ff\" marginwidth=300 topmargin=-4>x");
    TBodyBlock* body = Body();
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(doc.Background, Rgb(0, 0, 0xFF));
    auto* s = dynamic_cast<TSection*>(body->BlockCell.Items.at(0).get());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->RunAt(0).Font->Color & 0xFFFFFF, Rgb(0, 0xFF, 0));
    EXPECT_EQ(body->BoxValues[MarginLeft], TPropValue(200));
    EXPECT_EQ(body->BoxValues[MarginRight], TPropValue(200));
    EXPECT_EQ(body->BoxValues[MarginTop], TPropValue(0));
    // Without attributes the viewer's margins apply; a style attribute wins over the tag's.
    Parse(u"<body leftmargin=50 style=\"margin-left: 7px; color: red\" text=blue>x");
    body = Body();
    EXPECT_EQ(body->BoxValues[MarginTop], TPropValue(5));
    EXPECT_EQ(body->BoxValues[MarginRight], TPropValue(50));
    EXPECT_NE(body->BoxValues[MarginLeft], TPropValue(50));
    s = dynamic_cast<TSection*>(body->BlockCell.Items.at(0).get());
    EXPECT_EQ(s->RunAt(0).Font->Color & 0xFFFFFF, Rgb(0xFF, 0, 0));
    // Colours that do not parse are ignored.
    Parse(u"<body bgcolor=\"nonsense\">x");
    EXPECT_EQ(doc.Background, clWindow);
}

TEST_F(BuilderFixture, FontSizesAreRelativeToTheBaseFontAndClamped) {
    auto heightOf = [&](std::u16string_view size) {
        Parse(u"<font size=\"" + std::u16string(size) + u"\">x</font>");
        auto* s = dynamic_cast<TSection*>(Body()->BlockCell.Items.at(0).get());
        return s ? s->RunAt(0).Font->Height : 0;
    };
    EXPECT_EQ(heightOf(u"+1"), -19); // index 4, 14 points
    EXPECT_EQ(heightOf(u"-5"), -11); // index 1, 8 points
    EXPECT_EQ(heightOf(u"9"), -48);  // index 7, 36 points
    EXPECT_EQ(heightOf(u"2"), -13);
    // basefont moves the base of relative sizes.
    Parse(u"<basefont size=5><font size=\"+1\">x</font>");
    auto* s = dynamic_cast<TSection*>(Body()->BlockCell.Items.at(0).get());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->RunAt(0).Font->Height, -32); // index 6, 24 points
}

TEST_F(BuilderFixture, FontStyleAttributeWinsOverItsColorAttribute) {
    Parse(u"<font color=blue style=\"color: red\">x</font>y");
    auto* s = dynamic_cast<TSection*>(Body()->BlockCell.Items.at(0).get());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->RunAt(0).Font->Color & 0xFFFFFF, Rgb(0xFF, 0, 0));
    // After the end tag the text goes back to the colour from below.
    EXPECT_EQ(s->RunAt(1).Font->Color, clWindowText);
}

TEST_F(BuilderFixture, MisnestedInlineTagsCloseTheirOwnRecords) {
    Parse(u"a<b>b<i>c</b>d</i>e");
    auto* s = dynamic_cast<TSection*>(Body()->BlockCell.Items.at(0).get());
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->Text, u"abcde ");
    auto styleAt = [&](int i) { return s->RunAt(i).Font->Style; };
    EXPECT_TRUE(styleAt(0).Empty());
    EXPECT_EQ(styleAt(1), TFontStyles(TFontStyle::Bold));
    EXPECT_EQ(styleAt(2), TFontStyle::Bold | TFontStyle::Italic);
    EXPECT_EQ(styleAt(3), TFontStyles(TFontStyle::Italic));
    EXPECT_TRUE(styleAt(4).Empty());
    // An end tag with nothing open changes nothing.
    Parse(u"x</b></font></i>y");
    s = dynamic_cast<TSection*>(Body()->BlockCell.Items.at(0).get());
    EXPECT_TRUE(s->RunAt(1).Font->Style.Empty());
}

TEST_F(BuilderFixture, TextBeforeTheFirstRowLandsBeforeTheTable) {
    Parse(u"<table>stray<tr><td>cell</td></tr>after cells</table>end");
    TBodyBlock* body = Body();
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(Texts(body->BlockCell),
              (std::vector<std::u16string>{u"stray ", u"after cells ", u"<table>", u"end "}));
    ThtmlTable* table = TableIn(body->BlockCell);
    ASSERT_EQ(table->Rows.size(), 1u);
    EXPECT_EQ(Texts(CellAt(*table, 0, 0)), std::vector<std::u16string>{u"cell "});
}

TEST_F(BuilderFixture, CellsWithoutRowsOpenRowsImplicitly) {
    Parse(u"<table><td>a<td>b<tr><td>c</table>");
    ThtmlTable* table = TableIn(Body()->BlockCell);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->Rows.size(), 2u);
    EXPECT_EQ(table->Rows[0]->Count(), 2);
    EXPECT_EQ(table->Rows[1]->Count(), 1);
    EXPECT_EQ(Texts(CellAt(*table, 0, 1)), std::vector<std::u16string>{u"b "});
    // Rows and cells outside a table are skipped; their text stays.
    Parse(u"<tr><td>loose</td></tr>");
    EXPECT_EQ(Texts(Body()->BlockCell), std::vector<std::u16string>{u"loose "});
}

TEST_F(BuilderFixture, HeadingCellsAreCenteredAndBoldDataCellsLeft) {
    Parse(u"<table><tr><th>head</th><td>data</td><td align=right>r</td>"
          u"<td align=middle>m</td><td align=bogus>b</td></tr></table>");
    ThtmlTable* table = TableIn(Body()->BlockCell);
    ASSERT_NE(table, nullptr);
    auto section = [&](int col) {
        return dynamic_cast<TSection*>(CellAt(*table, 0, col).Items.at(0).get());
    };
    EXPECT_EQ(section(0)->Align, 2);
    EXPECT_TRUE(section(0)->RunAt(0).Font->Style.Has(TFontStyle::Bold));
    EXPECT_EQ(section(1)->Align, 1);
    EXPECT_FALSE(section(1)->RunAt(0).Font->Style.Has(TFontStyle::Bold));
    EXPECT_EQ(section(2)->Align, 3);
    EXPECT_EQ(section(3)->Align, 2);
    EXPECT_EQ(section(4)->Align, 1);
    // A row's alignment reaches its cells; the cell's own wins.
    Parse(u"<table><tr align=center><td>a<td align=left>b</table>");
    table = TableIn(Body()->BlockCell);
    EXPECT_EQ(section(0)->Align, 2);
    EXPECT_EQ(section(1)->Align, 1);
}

TEST_F(BuilderFixture, CellVerticalAlignmentComesFromTheCellThenTheRow) {
    Parse(u"<table><tr valign=bottom><td>a<td valign=top>b<td valign=baseline>c"
          u"<td valign=junk>d<tr><td>e</table>");
    ThtmlTable* table = TableIn(Body()->BlockCell);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->Rows[0]->Cells[0]->VAlign, ABottom);
    EXPECT_EQ(table->Rows[0]->Cells[1]->VAlign, ATop);
    EXPECT_EQ(table->Rows[0]->Cells[2]->VAlign, ATop);
    EXPECT_EQ(table->Rows[0]->Cells[3]->VAlign, ABottom);
    EXPECT_EQ(table->Rows[1]->Cells[0]->VAlign, AMiddle);
}

TEST_F(BuilderFixture, UnclosedElementsAreClosedAtTheEndOfInput) {
    Parse(u"<table><tr><td><b><font size=4>deep<table><tr><td>inner");
    ThtmlTable* outer = TableIn(Body()->BlockCell);
    ASSERT_NE(outer, nullptr);
    ASSERT_EQ(outer->Rows.size(), 1u);
    TCellObjCell& cell = CellAt(*outer, 0, 0);
    EXPECT_EQ(Texts(cell), (std::vector<std::u16string>{u"deep ", u"<table>"}));
    ThtmlTable* inner = TableIn(cell);
    ASSERT_NE(inner, nullptr);
    ASSERT_EQ(inner->Rows.size(), 1u);
    EXPECT_EQ(Texts(CellAt(*inner, 0, 0)), std::vector<std::u16string>{u"inner "});
    // The inner table's text still carries the bold from outside it.
    auto* s = dynamic_cast<TSection*>(CellAt(*inner, 0, 0).Items[0].get());
    EXPECT_TRUE(s->RunAt(0).Font->Style.Has(TFontStyle::Bold));
}

TEST_F(BuilderFixture, AnOpenCommentAtTheEndKeepsEverythingBeforeIt) {
    Parse(DetailsPageText({{u"Код", u"A00"}}) + u"<!-- never closed");
    ThtmlTable* table = TableIn(Body()->BlockCell);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->Rows.size(), 2u);
    Parse(u"before<!-- open");
    EXPECT_EQ(Texts(Body()->BlockCell), std::vector<std::u16string>{u"before "});
}

TEST_F(BuilderFixture, TablesBeyondTenDeepJoinTheTenth) {
    std::u16string text;
    for (int i = 0; i < 12; ++i)
        text += u"<table><tr><td>d" + std::u16string(1, static_cast<char16_t>(u'a' + i));
    Parse(text);
    TCellBasic* cell = &Body()->BlockCell;
    ThtmlTable* table = nullptr;
    for (int depth = 1; depth <= 10; ++depth) {
        table = TableIn(*cell);
        ASSERT_NE(table, nullptr) << depth;
        ASSERT_FALSE(table->Rows.empty()) << depth;
        cell = table->Rows[0]->Cells[0]->Cell.get();
    }
    // The tenth table holds the rows of the 11th and 12th as rows of its own.
    EXPECT_EQ(TableIn(*cell), nullptr);
    ASSERT_EQ(table->Rows.size(), 3u);
    EXPECT_EQ(Texts(CellAt(*table, 0, 0)), std::vector<std::u16string>{u"dj "});
    EXPECT_EQ(Texts(CellAt(*table, 1, 0)), std::vector<std::u16string>{u"dk "});
    EXPECT_EQ(Texts(CellAt(*table, 2, 0)), std::vector<std::u16string>{u"dl "});
    // The skipped tables' end tags close the tenth and the ninth; what follows goes outside.
    Parse(text + u"</table></table>tail");
    cell = &Body()->BlockCell;
    for (int depth = 1; depth <= 8; ++depth)
        cell = TableIn(*cell)->Rows[0]->Cells[0]->Cell.get();
    EXPECT_EQ(Texts(*cell), (std::vector<std::u16string>{u"dh ", u"<table>", u"tail "}));
}

TEST_F(BuilderFixture, FooterRowsComeLastAndCaptionsWrapTheTable) {
    // The cells' content ends at td, tr, th, caption, col and colgroup only, so the part tags
    // stand after closed rows here.
    Parse(u"<table><caption align=bottom>cap</caption><thead><tr><td>h</td></tr></thead>"
          u"<tfoot><tr><td>f</td></tr></tfoot><tbody><tr><td>b1<tr><td>b2</td></tr></tbody>"
          u"</table>");
    TBodyBlock* body = Body();
    ASSERT_EQ(body->BlockCell.Count(), 1);
    auto* wrapper = dynamic_cast<TTableAndCaptionBlock*>(body->BlockCell[0]);
    ASSERT_NE(wrapper, nullptr);
    ASSERT_EQ(wrapper->BlockCell.Count(), 2);
    EXPECT_TRUE(wrapper->CaptionAtBottom);
    EXPECT_EQ(wrapper->BlockCell[0], wrapper->TableBlock);
    EXPECT_EQ(wrapper->BlockCell[1], wrapper->CaptionBlock);
    EXPECT_EQ(Texts(wrapper->CaptionBlock->BlockCell), std::vector<std::u16string>{u"cap "});
    ThtmlTable* table = wrapper->TableBlock->Table;
    ASSERT_EQ(table->Rows.size(), 4u);
    std::vector<std::u16string> order;
    for (auto& row : table->Rows)
        order.push_back(Texts(*row->Cells[0]->Cell).at(0));
    EXPECT_EQ(order, (std::vector<std::u16string>{u"h ", u"b1 ", u"b2 ", u"f "}));
    EXPECT_EQ(table->Rows[0]->RowKind, TCellList::rkHead);
    EXPECT_EQ(table->Rows[3]->RowKind, TCellList::rkFoot);
    // A thead after rows counts as body.
    Parse(u"<table><tr><td>a</td></tr><thead><tr><td>b</table>");
    EXPECT_EQ(TableIn(Body()->BlockCell)->Rows[1]->RowKind, TCellList::rkBody);
}

TEST_F(BuilderFixture, EveryRowOfATablePartInheritsFromIt) {
    Parse(u"<table><tbody style=\"color: red\"><tr><td>a<tr><td>b</td></tr></tbody>"
          u"<tr><td>c</table>");
    ThtmlTable* table = TableIn(Body()->BlockCell);
    ASSERT_EQ(table->Rows.size(), 3u);
    auto colorOf = [&](int row) {
        auto* s = dynamic_cast<TSection*>(CellAt(*table, row, 0).Items.at(0).get());
        return s->RunAt(0).Font->Color & 0xFFFFFF;
    };
    EXPECT_EQ(colorOf(0), Rgb(0xFF, 0, 0));
    EXPECT_EQ(colorOf(1), Rgb(0xFF, 0, 0));
    EXPECT_EQ(colorOf(2), clWindowText & 0xFFFFFF);
}

TEST_F(BuilderFixture, ColumnSettingsAlignTheCellsOfTheirColumns) {
    Parse(u"<table><colgroup align=right><col><col align=center></colgroup><col span=2 "
          u"valign=bottom><tr><td rowspan=2>a<td>b<td>c<tr><td>d<td>e</table>");
    ThtmlTable* table = TableIn(Body()->BlockCell);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->ColSpecs.size(), 4u);
    EXPECT_EQ(table->ColSpecs[0].ColAlign, u"right");
    EXPECT_EQ(table->ColSpecs[1].ColAlign, u"center");
    EXPECT_EQ(table->ColSpecs[3].ColVAlign, ABottom);
    auto align = [&](int row, int col) {
        return dynamic_cast<TSection*>(CellAt(*table, row, col).Items.at(0).get())->Align;
    };
    EXPECT_EQ(align(0, 0), 3);
    EXPECT_EQ(align(0, 1), 2);
    EXPECT_EQ(align(0, 2), 1);
    // The second row's first cell stands in column 1, beside the spanning cell.
    EXPECT_EQ(align(1, 0), 2);
    EXPECT_EQ(table->Rows[0]->Cells[0]->VAlign, AMiddle);
    EXPECT_EQ(table->Rows[0]->Cells[2]->VAlign, ABottom);
    EXPECT_EQ(table->Rows[1]->Cells[1]->VAlign, ABottom);
}

TEST(CellManager, CellsTakeTheFirstFreeColumnAndShortenBlockedSpans) {
    TCellManager m;
    m.NewRow();                      // row 0
    EXPECT_EQ(m.TakeCells(1, 3), 1); // column 0 of rows 0 to 2
    EXPECT_EQ(m.FindColumn(), 1);
    EXPECT_EQ(m.TakeCells(2, 1), 2); // columns 1 and 2 of row 0
    EXPECT_EQ(m.Marks(0), "xxx");
    m.NewRow(); // row 1: the spanning cell holds column 0
    EXPECT_EQ(m.FindColumn(), 1);
    EXPECT_EQ(m.Marks(1), "x");
    // A colspan that runs into a cell spanning down from above is cut short.
    TCellManager n;
    n.NewRow();
    n.TakeCells(1, 1);
    EXPECT_EQ(n.TakeCells(1, 2), 1); // column 1 of rows 0 and 1
    n.NewRow();
    EXPECT_EQ(n.FindColumn(), 0);
    EXPECT_EQ(n.TakeCells(3, 1), 1); // column 1 is taken
    EXPECT_EQ(n.Marks(1), "xx");
    EXPECT_EQ(n.FindColumn(), 2);
    // Huge spans stay bounded.
    TCellManager big;
    EXPECT_EQ(big.TakeCells(1 << 30, 1 << 30), TCellManager::MaxSpan);
    EXPECT_EQ(big.Marks(TCellManager::MaxSpan - 1).size(), std::size_t(TCellManager::MaxSpan));
    EXPECT_TRUE(big.Marks(TCellManager::MaxSpan).empty());
}

TEST_F(BuilderFixture, ManyLinksAreCountedInTheFirstPass) {
    std::u16string links;
    for (int i = 0; i < 400; ++i)
        links += u"<a href=\"x\">l</a>";
    Parse(links + u"<a name=\"only an anchor\">");
    EXPECT_FALSE(doc.ManyLinks);
    Parse(links + u"<a href=y>");
    EXPECT_TRUE(doc.ManyLinks);
}

TEST_F(BuilderFixture, ScriptsStylesAndTitlesLeaveNoText) {
    Parse(u"<html><head><title> The  title </title><style>b { color: red }</style>"
          u"<script>if (a<b) x = \"</td>\";</script></head><body>shown</body></html>");
    EXPECT_EQ(doc.Title, u"The title");
    EXPECT_EQ(Texts(Body()->BlockCell), std::vector<std::u16string>{u"shown "});
}

TEST_F(BuilderFixture, NoBreakTextGetsNoBreakCodes) {
    Parse(u"a b<nobr>c d</nobr>e f");
    auto* s = dynamic_cast<TSection*>(Body()->BlockCell.Items.at(0).get());
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->Text, u"a bc de f ");
    EXPECT_EQ(s->BreakCodes.substr(0, 10), "yyynnnyyyy");
    // nowrap cells break only when they have a pixel width.
    Parse(u"<table><tr><td nowrap>x y<td nowrap width=50%>p q<td nowrap width=50>u v</table>");
    ThtmlTable* table = TableIn(Body()->BlockCell);
    auto codes = [&](int col) {
        return dynamic_cast<TSection*>(CellAt(*table, 0, col).Items.at(0).get())->BreakCodes;
    };
    EXPECT_EQ(codes(0).substr(0, 3), "nnn");
    EXPECT_EQ(codes(1).substr(0, 3), "nnn");
    EXPECT_EQ(codes(2).substr(0, 3), "yyy");
    // Text after the table may break again.
    Parse(u"<table><tr><td nowrap>x</table>a b");
    auto* after = dynamic_cast<TSection*>(Body()->BlockCell.Items.at(1).get());
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->BreakCodes.substr(0, 3), "yyy");
}

} // namespace
