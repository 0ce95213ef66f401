#include "html/read/htmlerrors.h"
#include "html/read/reader.h"
#include "html/style/propstack.h"
#include "html/style/stylelist.h"
#include "html/text/htmlstrings.h"

#include "fake_fonts.h"

#include <gtest/gtest.h>

using namespace html;

namespace {

struct TSym {
    THtmlSymbol Symbol;
    std::u16string Text;
    std::vector<int> Indexes;
    std::vector<TAttribute> Attributes;
    int HeadingLevel;
    int TagStart;
};

std::vector<TSym> ReadAll(THtmlReader& r, std::u16string_view text) {
    r.ResetReader(text);
    r.GetChar();
    std::vector<TSym> out;
    for (int guard = 0; guard < 10000; ++guard) {
        r.NextSymbol();
        if (r.Symbol == symEndOfInput)
            break;
        TSym s{r.Symbol, r.Token.AsString(), r.Token.Indexes(), {}, r.HeadingLevel, r.TagStart};
        for (const TAttribute& a : r.Attributes)
            s.Attributes.push_back(a);
        out.push_back(std::move(s));
    }
    return out;
}

std::vector<TSym> ReadAll(std::u16string_view text) {
    THtmlReader r;
    return ReadAll(r, text);
}

std::vector<THtmlSymbol> Symbols(const std::vector<TSym>& syms) {
    std::vector<THtmlSymbol> out;
    for (const TSym& s : syms)
        out.push_back(s.Symbol);
    return out;
}

std::vector<std::u16string> Texts(const std::vector<TSym>& syms) {
    std::vector<std::u16string> out;
    for (const TSym& s : syms)
        if (s.Symbol == symText)
            out.push_back(s.Text);
    return out;
}

// The lines of a details page as the browser writes them.
const std::u16string kHeadingLine =
    u"      <td><font size=\"2\" color=\"#871f1c\" face=\"Verdana\"><b>Код</b></font></td>";
const std::u16string kValueLine =
    u"      <td><font size=\"2\" face=\"Verdana\">A00<br>Холера</font></td>";

std::u16string DetailsPage() {
    std::vector<std::u16string> lines = {
        u"<html>",
        u"  <body bgColor=\"#f7f8fa\">",
        u"    <table border=\"0\" cellpadding=\"0\" cellspacing=\"8\">",
        u"    <tr>",
        kHeadingLine,
        u"    </tr>",
        u"    <tr>",
        kValueLine,
        u"    </tr>",
        u"  </body>",
        u"</html>",
    };
    std::u16string text;
    for (const auto& l : lines)
        text += l + u"\r\n";
    return text;
}

} // namespace

TEST(HtmlReader, DetailsPageSymbolBySymbol) {
    const std::u16string page = DetailsPage();
    auto syms = ReadAll(page);
    // Drop the one-space runs of the indentation to compare the tags.
    std::vector<TSym> tags;
    for (const TSym& s : syms)
        if (!(s.Symbol == symText && s.Text == u" "))
            tags.push_back(s);
    std::vector<THtmlSymbol> expected = {
        symHtml, symBody,    symTable,   symTr,    symTd,    symFont,    symB,      symText,
        symBEnd, symFontEnd, symTdEnd,   symTrEnd, symTr,    symTd,      symFont,   symText,
        symBr,   symText,    symFontEnd, symTdEnd, symTrEnd, symBodyEnd, symHtmlEnd};
    EXPECT_EQ(Symbols(tags), expected);

    // body and table attributes, with their numbers.
    ASSERT_EQ(tags[1].Attributes.size(), 1u);
    EXPECT_EQ(tags[1].Attributes[0].Kind, symAttrBgcolor);
    EXPECT_EQ(tags[1].Attributes[0].Name, u"BGCOLOR");
    EXPECT_EQ(tags[1].Attributes[0].Value, u"#f7f8fa");
    ASSERT_EQ(tags[2].Attributes.size(), 3u);
    EXPECT_EQ(tags[2].Attributes[0].Kind, symAttrBorder);
    EXPECT_EQ(tags[2].Attributes[0].Number, 0);
    EXPECT_EQ(tags[2].Attributes[1].Kind, symAttrCellpadding);
    EXPECT_EQ(tags[2].Attributes[2].Kind, symAttrCellspacing);
    EXPECT_EQ(tags[2].Attributes[2].Value, u"8");
    EXPECT_EQ(tags[2].Attributes[2].Number, 8);

    // The heading font carries size, color and face in source order.
    const TSym& font = tags[5];
    ASSERT_EQ(font.Attributes.size(), 3u);
    EXPECT_EQ(font.Attributes[0].Kind, symAttrSize);
    EXPECT_EQ(font.Attributes[0].Value, u"2");
    EXPECT_EQ(font.Attributes[0].Number, 2);
    EXPECT_EQ(font.Attributes[1].Kind, symAttrColor);
    EXPECT_EQ(font.Attributes[1].Value, u"#871f1c");
    EXPECT_EQ(font.Attributes[1].Number, 0);
    EXPECT_EQ(font.Attributes[2].Kind, symAttrFace);
    EXPECT_EQ(font.Attributes[2].Value, u"Verdana");
    EXPECT_EQ(font.Attributes[2].Number, 0);
    EXPECT_EQ(font.TagStart, static_cast<int>(page.find(u"<font")));

    // The heading's three letters carry the indexes of their own places.
    const TSym& heading = tags[7];
    EXPECT_EQ(heading.Text, u"Код");
    const int at = static_cast<int>(page.find(u"Код"));
    EXPECT_EQ(heading.Indexes, (std::vector<int>{at, at + 1, at + 2}));

    // The value cell: text, br, text.
    EXPECT_EQ(tags[15].Text, u"A00");
    EXPECT_EQ(tags[17].Text, u"Холера");
    EXPECT_EQ(tags[17].Indexes.front(), static_cast<int>(page.find(u"Холера")));
}

TEST(HtmlReader, LineEndAndIndentBetweenRowsIsOneSpace) {
    const std::u16string page = DetailsPage();
    auto syms = ReadAll(page);
    const int cr = static_cast<int>(page.find(u"</tr>\r\n") + 5);
    bool found = false;
    for (std::size_t i = 0; i + 2 < syms.size(); ++i)
        if (syms[i].Symbol == symTrEnd && syms[i + 2].Symbol == symTr) {
            EXPECT_EQ(syms[i + 1].Symbol, symText);
            EXPECT_EQ(syms[i + 1].Text, u" ");
            EXPECT_EQ(syms[i + 1].Indexes, std::vector<int>{cr});
            found = true;
        }
    EXPECT_TRUE(found);
}

TEST(HtmlReader, LineEndsFoldToOneCharacterEach) {
    // CR LF, LF CR, CR and LF each arrive as one CR; a tab as a space.
    THtmlReader r;
    r.ResetReader(u"a\r\nb\n\rc\rd\ne\tf\r\n\n");
    std::u16string seen;
    std::vector<int> idx;
    for (r.GetChar(); r.CurChar != 0; r.GetChar()) {
        seen += r.CurChar;
        idx.push_back(r.SourceIndex);
    }
    EXPECT_EQ(seen, u"a\rb\rc\rd\re f\r\r");
    EXPECT_EQ(idx, (std::vector<int>{0, 1, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 15}));
    // At the end the character stays 0 and the index does not move.
    r.GetChar();
    EXPECT_EQ(r.CurChar, 0);
    EXPECT_EQ(r.SourceIndex, 15);
}

TEST(HtmlReader, BrInEveryForm) {
    for (std::u16string t : {u"<br>", u"<BR>", u"<Br/>", u"<br />", u"<bR  / >"}) {
        auto syms = ReadAll(t);
        ASSERT_EQ(syms.size(), 1u) << Narrow(t);
        EXPECT_EQ(syms[0].Symbol, symBr) << Narrow(t);
    }
    // br has no end symbol.
    EXPECT_EQ(Symbols(ReadAll(u"</br>")), std::vector<THtmlSymbol>{symUnknownTag});
    EXPECT_EQ(Symbols(ReadAll(u"</b>")), std::vector<THtmlSymbol>{symBEnd});
}

TEST(HtmlReader, HeadingsAndRules) {
    auto h2 = ReadAll(u"<h2>x</H2>");
    ASSERT_EQ(h2.size(), 3u);
    EXPECT_EQ(h2[0].Symbol, symH);
    EXPECT_EQ(h2[0].HeadingLevel, 2);
    EXPECT_EQ(h2[2].Symbol, symHEnd);
    EXPECT_EQ(h2[2].HeadingLevel, 2);
    EXPECT_EQ(Symbols(ReadAll(u"<h7>")), std::vector<THtmlSymbol>{symUnknownTag});
    auto hr = ReadAll(u"<hr>");
    ASSERT_EQ(hr.size(), 1u);
    EXPECT_EQ(hr[0].Symbol, symHr);
    EXPECT_EQ(hr[0].HeadingLevel, 0);
    EXPECT_EQ(Symbols(ReadAll(u"<h>")), std::vector<THtmlSymbol>{symH});
}

TEST(HtmlReader, AttributeValueForms) {
    auto syms = ReadAll(u"<table border cellspacing=\"8\" width=50% cellpadding=0 "
                        u"align=center bgcolor='#abc' height=\" 75% \" size=+1 x-y=3>");
    ASSERT_EQ(syms.size(), 1u);
    const auto& a = syms[0].Attributes;
    ASSERT_EQ(a.size(), 9u);
    EXPECT_EQ(a[0].Kind, symAttrBorder);
    EXPECT_EQ(a[0].Number, 1); // a bare border is a border of 1
    EXPECT_EQ(a[0].Value, u"");
    EXPECT_EQ(a[1].Number, 8);
    EXPECT_EQ(a[2].Kind, symAttrWidth);
    EXPECT_EQ(a[2].Value, u"50%");
    EXPECT_EQ(a[2].Number, 50);
    EXPECT_EQ(a[3].Number, 0);
    EXPECT_EQ(a[4].Value, u"center");
    EXPECT_EQ(a[4].Number, 0);
    EXPECT_EQ(a[5].Value, u"#abc");
    EXPECT_EQ(a[6].Value, u" 75% ");
    EXPECT_EQ(a[6].Number, 75);
    EXPECT_EQ(a[7].Value, u"+1");
    EXPECT_EQ(a[7].Number, 1);
    EXPECT_EQ(a[8].Kind, symUnknownAttribute);
    EXPECT_EQ(a[8].Name, u"X-Y");
    EXPECT_EQ(a[8].Number, 3);
    EXPECT_EQ(a[0].CodePage, 1251); // the narrow page without a property stack
}

TEST(HtmlReader, QuotedValuesKeepLineEndsOnlyForTitleAndAlt) {
    auto syms = ReadAll(u"<img title=\"a\r\nb\" alt='c\nd' name=\"e\r\nf\" src=\"1.5\">");
    ASSERT_EQ(syms.size(), 1u);
    const auto& a = syms[0].Attributes;
    ASSERT_EQ(a.size(), 4u);
    EXPECT_EQ(a[0].Value, u"a\r\nb");
    EXPECT_EQ(a[1].Value, u"c\r\nd");
    EXPECT_EQ(a[2].Value, u"ef");
    EXPECT_EQ(a[3].Number, 2); // 1.5 rounds half to even
}

TEST(HtmlReader, UnclosedQuoteRunsToTheEnd) {
    auto syms = ReadAll(u"<font face=\"Verdana>text");
    ASSERT_EQ(syms.size(), 1u);
    EXPECT_EQ(syms[0].Symbol, symFont);
    EXPECT_EQ(syms[0].Attributes[0].Value, u"Verdana>text");
}

TEST(HtmlReader, CommentsVanishFromText) {
    EXPECT_EQ(Texts(ReadAll(u"ab<!-- c -->cd")), std::vector<std::u16string>{u"abcd"});
    EXPECT_EQ(Texts(ReadAll(u"ab <!-- c -->cd")), std::vector<std::u16string>{u"ab cd"});
    EXPECT_EQ(Texts(ReadAll(u"ab<!-- c --> cd")), std::vector<std::u16string>{u"ab cd"});
    // Consecutive comments, declarations and % blocks vanish together.
    EXPECT_EQ(Texts(ReadAll(u"a<!--x--><!DOCTYPE html><% y %><!---->b")),
              std::vector<std::u16string>{u"ab"});
    // Dashes inside a comment do not end it; "-- !>" and "--->" do.
    EXPECT_EQ(Texts(ReadAll(u"a<!-- x - y -- z -- !>b<!-- q --->c")),
              std::vector<std::u16string>{u"abc"});
    // A % block without its end runs to the end of input without an error.
    EXPECT_EQ(Texts(ReadAll(u"a<% b")), std::vector<std::u16string>{u"a"});
}

TEST(HtmlReader, OpenCommentAtEndRaisesAfterWhatCameBefore) {
    // Every symbol before the comment arrives complete; the step after them raises.
    auto readUntilError = [](std::u16string_view text, std::vector<TSym>& seen) {
        THtmlReader r;
        r.ResetReader(text);
        r.GetChar();
        try {
            for (int guard = 0; guard < 100; ++guard) {
                r.NextSymbol();
                if (r.Symbol == symEndOfInput)
                    return std::string("no error");
                seen.push_back({r.Symbol, r.Token.AsString(), r.Token.Indexes(), {}, 0, 0});
            }
        } catch (const EParseError& e) {
            // It stays raised: the reader does not run past the open comment.
            try {
                r.NextSymbol();
            } catch (const EParseError&) {
                return std::string(e.what());
            }
            return std::string("raised once only");
        }
        return std::string("no end");
    };
    std::vector<TSym> seen;
    EXPECT_EQ(readUntilError(u"<b>kept</b><!-- never closed", seen),
              "Open Comment at End of HTML File");
    EXPECT_EQ(Symbols(seen), (std::vector<THtmlSymbol>{symB, symText, symBEnd}));
    seen.clear();
    EXPECT_EQ(readUntilError(u"text before<!-- open -", seen), "Open Comment at End of HTML File");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Text, u"text before");
    seen.clear();
    EXPECT_EQ(readUntilError(u"x<!DOCTYPE html", seen), "Open Comment at End of HTML File");
    EXPECT_EQ(Texts(seen), std::vector<std::u16string>{u"x"});
    seen.clear();
    EXPECT_EQ(readUntilError(u"<!", seen), "Open Comment at End of HTML File");
    EXPECT_TRUE(seen.empty());
    // A closed comment at the very end is no error.
    seen.clear();
    EXPECT_EQ(readUntilError(u"x<!-- closed -->", seen), "no error");
}

TEST(HtmlReader, LessThanWithoutNameIsText) {
    auto syms = ReadAll(u"a < b");
    ASSERT_EQ(syms.size(), 3u);
    EXPECT_EQ(syms[0].Text, u"a ");
    EXPECT_EQ(syms[1].Text, u"<");
    EXPECT_EQ(syms[1].Indexes, std::vector<int>{2});
    EXPECT_EQ(syms[2].Text, u" b");
    // "<?xml ...?>" is an unknown tag, skipped to its '>'.
    EXPECT_EQ(Symbols(ReadAll(u"<?xml version=\"1.0\"?>")),
              std::vector<THtmlSymbol>{symUnknownTag});
}

TEST(HtmlReader, TextReferences) {
    auto one = [](std::u16string_view t) {
        auto texts = Texts(ReadAll(t));
        return texts.size() == 1 ? texts[0] : u"<several>";
    };
    EXPECT_EQ(one(u"&amp;xyz"), u"&xyz");
    EXPECT_EQ(one(u"&#1050;"), u"К");
    EXPECT_EQ(one(u"&#1050"), u"К");
    EXPECT_EQ(one(u"&#x41;"), u"A");
    EXPECT_EQ(one(u"&#X41"), u"A");
    EXPECT_EQ(one(u"&#;"), u"&#;");
    EXPECT_EQ(one(u"&#x;"), u"&#x;");
    EXPECT_EQ(one(u"&nosuch;"), u"&nosuch;");
    EXPECT_EQ(one(u"&Amp;"), u"&Amp;"); // names are case-sensitive
    EXPECT_EQ(one(u"&apos;"), u"\u2019");
    EXPECT_EQ(one(u"&copy &lt;&gt;"), u"\u00a9 <>");
    EXPECT_EQ(one(u"&#9;x"), u" x");
    EXPECT_EQ(one(u"&#1;"), u"?");
    EXPECT_EQ(one(u"&#65601;"), u"A"); // reduced modulo 65536
    EXPECT_EQ(one(u"&#150;"), u"\u2013");

    // Every character of a reference takes the index of its '&'.
    auto syms = ReadAll(u"ab&#1050;c&bogus");
    ASSERT_EQ(syms.size(), 1u);
    EXPECT_EQ(syms[0].Text, u"abКc&bogus");
    EXPECT_EQ(syms[0].Indexes, (std::vector<int>{0, 1, 2, 9, 10, 11, 12, 13, 14, 15}));
}

TEST(HtmlReader, ReferencesInAttributeValues) {
    auto syms = ReadAll(u"<a title=\"&lt;&#65;&#x263A;&bogus;&#;&euro&euro;&copy\">");
    ASSERT_EQ(syms.size(), 1u);
    // &euro without ';' is not decoded (above 255); &copy without ';' is.
    EXPECT_EQ(syms[0].Attributes[0].Value, u"<A\u263a&bogus;&#;&euro\u20ac\u00a9");
}

TEST(HtmlReader, ControlCharactersBecomeQuestionMarks) {
    auto syms = ReadAll(u"a\x01"
                        u"b");
    std::u16string joined;
    for (const TSym& s : syms) {
        EXPECT_EQ(s.Symbol, symText);
        joined += s.Text;
    }
    EXPECT_EQ(joined, u"a?b");
    // Characters 11 and 12 are ordinary text.
    EXPECT_EQ(Texts(ReadAll(u"a\x0b\x0c"
                            u"b")),
              std::vector<std::u16string>{u"a\x0b\x0c"
                                          u"b"});
}

TEST(HtmlReader, NullCharactersAndByteOrderMark) {
    // Up to 100 U+0000 become spaces; the text ends before the 101st.
    std::u16string t = u"a";
    t += std::u16string(100, u'\0');
    t += u"b";
    t += u'\0';
    t += u"c";
    auto texts = Texts(ReadAll(t));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], u"a b");

    // The start page's U+FEFF is an ordinary text symbol before <html>.
    auto start = ReadAll(u"\ufeff<html><body bgColor=\"#f7f8fa\"></body></html>");
    ASSERT_GE(start.size(), 2u);
    EXPECT_EQ(start[0].Symbol, symText);
    EXPECT_EQ(start[0].Text, u"\ufeff");
    EXPECT_EQ(start[1].Symbol, symHtml);
}

TEST(HtmlReader, Utf8DocumentAfterByteOrderMark) {
    TFakeFonts fonts;
    TStyleList styles;
    styles.InitializeStyles(u"Times New Roman", u"Courier New", 12, clWindowText, 0, 0, 0, true,
                            RUSSIAN_CHARSET, 5, 10);
    TPropStack stack(styles);
    auto base = std::make_unique<TProperties>();
    styles.CopyDefault(*base);
    TProperties* b = stack.PushBase(std::move(base));
    EXPECT_EQ(b->CodePage, 1251);

    THtmlReader r;
    r.PropStack = &stack;
    // "Ка" in UTF-8 (D0 9A D0 B0) read one byte per character through windows-1251.
    std::u16string text = u"\u043f\u00bb\u0457<b>\u0420\u0459\u0420\u00b0</b>";
    auto syms = ReadAll(r, text);
    EXPECT_TRUE(r.Utf8Document);
    EXPECT_EQ(b->CodePage, 65001);
    EXPECT_EQ(b->CharSet, 0);
    ASSERT_EQ(syms.size(), 3u);
    EXPECT_EQ(syms[0].TagStart, 3); // indexes stay those of the original text
    EXPECT_EQ(syms[1].Text, u"Ка");
    EXPECT_EQ(syms[1].Indexes, (std::vector<int>{6, 8}));
}

TEST(HtmlReader, CodePageInForceDecodesRunsAndKeepsOthers) {
    TFakeFonts fonts;
    TStyleList styles;
    styles.InitializeStyles(u"Times New Roman", u"Courier New", 12, clWindowText, 0, 0, 0, true,
                            ANSI_CHARSET, 5, 10);
    TPropStack stack(styles);
    auto base = std::make_unique<TProperties>();
    styles.CopyDefault(*base);
    stack.PushBase(std::move(base));
    EXPECT_EQ(stack.TopProperties()->CodePage, 1252);
    THtmlReader r;
    r.PropStack = &stack;
    // U+0418 'И' is byte C8 in windows-1251, which windows-1252 reads as 'È'; U+00E9 has no
    // narrow byte and passes unchanged; &#150; is an en dash in windows-1252 too.
    auto texts = Texts(ReadAll(r, u"И\u00e9&#150;"));
    EXPECT_EQ(texts, std::vector<std::u16string>{u"\u00c8\u00e9\u2013"});
}

TEST(HtmlReader, FirstPassGathersNothingAndRegistersNoIds) {
    THtmlReader r;
    std::vector<std::pair<std::u16string, int>> ids;
    r.OnRegisterId = [&](const std::u16string& id, int at) { ids.emplace_back(id, at); };
    r.FirstPass = true;
    auto syms = ReadAll(r, u"<p id=\"One\">text &amp; more</p>");
    ASSERT_EQ(syms.size(), 3u);
    EXPECT_EQ(syms[1].Symbol, symText);
    EXPECT_TRUE(syms[1].Text.empty());
    EXPECT_TRUE(ids.empty());

    r.FirstPass = false;
    syms = ReadAll(r, u"<p id=\"One\">text &amp; more</p>");
    EXPECT_EQ(syms[1].Text, u"text & more");
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_EQ(ids[0].first, u"One");
    EXPECT_EQ(r.Attributes.Count(), 0); // cleared by the end tag
}

TEST(HtmlReader, RewindReadsTheSameAgain) {
    THtmlReader r;
    auto first = ReadAll(r, DetailsPage());
    r.Rewind();
    r.GetChar();
    std::size_t n = 0;
    for (r.NextSymbol(); r.Symbol != symEndOfInput; r.NextSymbol()) {
        ASSERT_LT(n, first.size());
        EXPECT_EQ(r.Symbol, first[n].Symbol);
        EXPECT_EQ(r.Token.Indexes(), first[n].Indexes);
        ++n;
    }
    EXPECT_EQ(n, first.size());
}

TEST(HtmlReader, OnlyHtmlThenEndOfInputForever) {
    THtmlReader r;
    r.ResetReader(u"<html>");
    r.GetChar();
    r.NextSymbol();
    EXPECT_EQ(r.Symbol, symHtml);
    for (int i = 0; i < 3; ++i) {
        r.NextSymbol();
        EXPECT_EQ(r.Symbol, symEndOfInput);
    }
}

TEST(HtmlReader, LongTagNamesAreCut) {
    std::u16string name(300, u'x');
    auto syms = ReadAll(u"<" + name + u" border>after");
    ASSERT_EQ(syms.size(), 2u);
    EXPECT_EQ(syms[0].Symbol, symUnknownTag);
    ASSERT_EQ(syms[0].Attributes.size(), 1u);
    EXPECT_EQ(syms[0].Attributes[0].Kind, symAttrBorder);
    EXPECT_EQ(syms[1].Text, u"after");
}

TEST(HtmlReader, SymbolTables) {
    // The symbol ranges and the name tables agree: every symbol of a range has a name that looks
    // it up again, and the symbol just past each range has none of that kind.
    const auto roundTrips = [](int first, int count, auto lookup) {
        for (int sym = first; sym < first + count; ++sym) {
            const auto s = static_cast<THtmlSymbol>(sym);
            if (SymbolName(s).empty() || lookup(SymbolName(s)) != s)
                return false;
        }
        return true;
    };
    const auto tag = [](std::u16string_view n) { return LookupTag(n, false); };
    const auto endTag = [](std::u16string_view n) { return LookupTag(n, true); };
    EXPECT_TRUE(roundTrips(symHtml, TagNameCount, tag));
    EXPECT_TRUE(roundTrips(symHtmlEnd, EndTagNameCount, endTag));
    EXPECT_TRUE(roundTrips(symAttrHref, AttributeNameCount, LookupAttribute));
    EXPECT_FALSE(roundTrips(symHtml + TagNameCount, 1, tag));
    EXPECT_FALSE(roundTrips(symHtmlEnd + EndTagNameCount, 1, endTag));
    EXPECT_EQ(symAttrHref + AttributeNameCount, static_cast<int>(symCount));
    EXPECT_EQ(LookupTag(u"OBJECT", true), symObjectEnd);   // the last with an end symbol
    EXPECT_EQ(LookupTag(u"LI", true), symUnknownTag);      // the first without one
    EXPECT_EQ(LookupTag(u"READONLY", false), symReadonly); // the last tag
    EXPECT_EQ(LookupTag(u"td", false), symUnknownTag);     // names are matched in upper case
    EXPECT_EQ(LookupAttribute(u"HTTP-EQUIV"), symAttrHttpEquiv);
    EXPECT_EQ(LookupAttribute(u"READONLY"), symAttrReadonly);
    EXPECT_EQ(LookupAttribute(u"VALUE"), symAttrValue);
    EXPECT_EQ(SymbolName(symAttrBgcolor), u"BGCOLOR");
}
