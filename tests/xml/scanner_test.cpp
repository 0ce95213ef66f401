#include "xml/strtoint.h"
#include "xml/xmlparser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Part {
    TXmlPartKind Kind;
    std::string Name;
    std::string Content;
};

std::vector<Part> Scan(TXmlParser& p) {
    std::vector<Part> parts;
    while (p.NextPart())
        parts.push_back({p.PartKind, p.PartName, p.PartContent});
    return parts;
}

std::vector<Part> Scan(const char* text, bool normalize = true) {
    TXmlParser p;
    EXPECT_TRUE(p.LoadFromMemory(text));
    p.NormalizeText = normalize;
    return Scan(p);
}

std::string TextOf(const char* doc) {
    std::string all;
    for (const Part& part : Scan(doc))
        if (part.Kind == xpText)
            all += part.Content;
    return all;
}

} // namespace

TEST(XmlScanner, ClassificationRecordParts) {
    const char* doc =
        "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<data>\r\n  <rec>\r\n"
        "      <id>67</id>\r\n      <code><![CDATA[\xCA\xCB\xC0\xD1\xD1 I]]></code>\r\n"
        "      <note><![CDATA[]]></note>\r\n  </rec>\r\n</data>\r\n";
    TXmlParser p;
    ASSERT_TRUE(p.LoadFromMemory(doc));
    std::vector<Part> parts = Scan(p);
    ASSERT_EQ(parts.size(), 14u);
    EXPECT_EQ(parts[0].Kind, xpProlog);
    EXPECT_EQ(p.XmlVersion, "1.0");
    EXPECT_EQ(p.Encoding, "WINDOWS-1251");
    EXPECT_EQ(p.CurrentEncoding, "WINDOWS-1251");
    EXPECT_EQ(parts[3].Kind, xpStartTag);
    EXPECT_EQ(parts[3].Name, "id");
    EXPECT_EQ(parts[4].Kind, xpText);
    EXPECT_EQ(parts[4].Name, "id"); // text keeps the name of the tag before it
    EXPECT_EQ(parts[4].Content, "67");
    EXPECT_EQ(parts[5].Kind, xpEndTag);
    EXPECT_EQ(parts[5].Name, "id");
    EXPECT_EQ(parts[6].Kind, xpStartTag); // no part for the whitespace in between
    EXPECT_EQ(parts[7].Kind, xpCData);
    EXPECT_EQ(parts[7].Name, "code");
    EXPECT_EQ(parts[7].Content, "\xCA\xCB\xC0\xD1\xD1 I"); // windows-1251 passes unchanged
    EXPECT_EQ(parts[10].Kind, xpCData);                    // an empty section is still delivered
    EXPECT_EQ(parts[10].Name, "note");
    EXPECT_EQ(parts[10].Content, "");
    EXPECT_FALSE(p.NextPart());
    EXPECT_FALSE(p.NextPart()); // exhausted stays exhausted
}

TEST(XmlScanner, TextNormalization) {
    EXPECT_EQ(TextOf("<t>  a \r\n  b  </t>"), "a b");
    std::vector<Part> raw = Scan("<t>  a \r\n  b  </t> <u/>", false);
    ASSERT_EQ(raw.size(), 5u);
    EXPECT_EQ(raw[1].Content, "  a \r\n  b  ");
    EXPECT_EQ(raw[3].Kind, xpText); // whitespace-only text is delivered without normalisation
    EXPECT_EQ(raw[3].Content, " ");
    EXPECT_EQ(Scan("   \r\n\t ").size(), 0u);
}

TEST(XmlScanner, UnicodeTranslation) {
    // Without a declaration the text is UTF-8 and comes out as Windows-1252.
    EXPECT_EQ(TextOf("<a>\xD0\x94</a>"), "\xBF");
    EXPECT_EQ(TextOf("<a>\xC3\xA9</a>"), "\xE9");
    EXPECT_EQ(TextOf("<a>\xE2\x82\xAC</a>"), "\x80"); // euro sign
    EXPECT_EQ(TextOf("<a>\xC2\x81</a>"), "\x81");     // an undefined position keeps its value
    EXPECT_EQ(TextOf("<a>x\x80y</a>"), "x\xBFy");     // stray continuation byte
    EXPECT_EQ(TextOf("<a>x\xF0\x9F\x98\x80y</a>"), "x\xBFy"); // four-byte sequence skipped whole
    EXPECT_EQ(TextOf("<a>x\xE2\x82"), "x\xBF");               // cut off by the end of the text
    // A byte order mark is skipped.
    TXmlParser p;
    ASSERT_TRUE(p.LoadFromMemory("\xEF\xBB\xBF<a>b</a>"));
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartKind, xpStartTag);
    EXPECT_EQ(p.Encoding, "UTF-8");
}

TEST(XmlScanner, CharacterAndNamedReferences) {
    EXPECT_EQ(TextOf("<a>&#65;&#x41;&#X41;&#$41;</a>"), "AAAA");
    EXPECT_EQ(TextOf("<a>[&#xZZ;]</a>"), "[ ]");
    EXPECT_EQ(TextOf("<a>&lt;&gt;&amp;&apos;&quot;</a>"), "<>&'\"");
    EXPECT_EQ(TextOf("<a>AT&T;x</a>"), "ATTx");
    EXPECT_EQ(TextOf("<a>a & b</a>"), "a b");
    EXPECT_EQ(TextOf("<a>&#233;</a>"), "\xE9");
    EXPECT_EQ(TextOf("<a>&#8364;</a>"), "\x80");
    EXPECT_EQ(TextOf("<a>&#1044;</a>"), "\xBF");         // not in Windows-1252
    EXPECT_EQ(TextOf("<a>[&#99999999999;]</a>"), "[ ]"); // overflow is malformed
    // The ";" search is not limited to the current part.
    std::vector<Part> parts = Scan("<a>x&y</a><b>;z</b>");
    ASSERT_GE(parts.size(), 2u);
    EXPECT_EQ(parts[1].Content, "xy</a><b>z");
}

TEST(XmlScanner, TagsAndAttributes) {
    TXmlParser p;
    ASSERT_TRUE(p.LoadFromMemory("<a y='2' x=\"1\"/><a z = \"3\" >t</a>"));
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartKind, xpEmptyTag);
    EXPECT_EQ(p.PartName, "a");
    ASSERT_EQ(p.PartAttributes.Count(), 2);
    EXPECT_EQ(p.PartAttributes[0].Name, "x"); // sorted by name, not by position
    EXPECT_EQ(p.PartAttributes[0].Value, "1");
    EXPECT_EQ(p.PartAttributes[1].Name, "y");
    EXPECT_EQ(p.PartAttributes[1].ValueKind, TAttrValueKind::Normal);
    EXPECT_EQ(p.PartAttributes[1].AttrKind, TAttrKind::Unknown);
    EXPECT_EQ(*p.PartEnd, '>');
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartKind, xpStartTag);
    EXPECT_EQ(p.PartAttributes.Value("z"), "3");
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartContent, "t");
    EXPECT_EQ(p.PartAttributes.Value("z"), "3"); // text keeps the attributes
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartKind, xpEndTag);
    EXPECT_EQ(p.PartName, "a");
    EXPECT_EQ(p.PartAttributes.Count(), 0);

    // Values are normalised in start tags: line ends become spaces, references resolve.
    ASSERT_TRUE(p.LoadFromMemory("<a v=\"x\ty&amp;&#65;&bad;&\"/>"));
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartAttributes.Value("v"), "x y&Abad");
    ASSERT_TRUE(p.LoadFromMemory("<a v=\"&#xQ;\"/>"));
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartAttributes.Value("v"), "\xBF"); // malformed number in a value: code 191
    // A character that cannot begin a name ends the list.
    ASSERT_TRUE(p.LoadFromMemory("<a b=\"1\" 9c=\"2\" d=\"3\">"));
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartAttributes.Count(), 1);
    EXPECT_EQ(p.PartKind, xpStartTag);
    // An unterminated value runs to the end of the text.
    ASSERT_TRUE(p.LoadFromMemory("<a b=\"open"));
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartAttributes.Value("b"), "open");
    EXPECT_FALSE(p.NextPart());
}

TEST(XmlScanner, NvpListOrdering) {
    TNvpList list;
    list.Add(std::make_unique<TNvpNode>("b", "1"));
    list.Add(std::make_unique<TNvpNode>("a", "2"));
    list.Add(std::make_unique<TNvpNode>("c", "3"));
    list.Add(std::make_unique<TNvpNode>("b", "4")); // goes before the older "b"
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list[0].Name, "a");
    EXPECT_EQ(list[1].Value, "4");
    EXPECT_EQ(list[2].Value, "1");
    EXPECT_EQ(list.Value("b"), "4");
    EXPECT_EQ(list.Value("zz"), "");
    EXPECT_EQ(list.Node("zz"), nullptr);
    // Byte order, so upper case sorts before lower case and high bytes last.
    list.Add(std::make_unique<TNvpNode>("B", ""));
    list.Add(std::make_unique<TNvpNode>("\xC0", ""));
    EXPECT_EQ(list[0].Name, "B");
    EXPECT_EQ(list[list.Count() - 1].Name, "\xC0");
}

TEST(XmlScanner, DeclarationsCommentsAndPIs) {
    TXmlParser p;
    ASSERT_TRUE(
        p.LoadFromMemory("<?xml version='1.1' encoding='koi8-r' standalone='yes'?>"
                         "<!-- c --><?target some text?><!DOCTYPE r [<!ENTITY e 'x>'>]><r/>"));
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartKind, xpProlog);
    EXPECT_EQ(p.XmlVersion, "1.1");
    EXPECT_EQ(p.Encoding, "KOI8-R");
    EXPECT_EQ(p.PartAttributes.Value("encoding"), "KOI8-R");
    EXPECT_TRUE(p.Standalone);
    // An empty or missing encoding reads as UTF-8 in all three places.
    for (const char* decl :
         {"<?xml version='1.0' encoding=''?><r/>", "<?xml version='1.0'?><r/>"}) {
        TXmlParser q;
        ASSERT_TRUE(q.LoadFromMemory(decl));
        ASSERT_TRUE(q.NextPart());
        EXPECT_EQ(q.CurrentEncoding, "UTF-8") << decl;
        EXPECT_EQ(q.Encoding, "UTF-8") << decl;
        EXPECT_EQ(q.PartAttributes.Value("encoding"), "UTF-8") << decl;
    }
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartKind, xpComment);
    EXPECT_EQ(std::string(p.PartStart, p.PartEnd + 1), "<!-- c -->");
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartKind, xpPI);
    EXPECT_EQ(p.PartName, "target");
    EXPECT_EQ(p.PartContent, " some text");
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartKind, xpDoctype);
    EXPECT_EQ(p.PartName, "");
    EXPECT_EQ(*p.PartEnd, '>');
    EXPECT_EQ(p.PartEnd, p.DoctypeEnd);
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartKind, xpEmptyTag);
    EXPECT_EQ(p.PartName, "r");
    EXPECT_FALSE(p.NextPart());

    // A second pass after Rewind gives the same parts.
    p.Rewind();
    EXPECT_EQ(p.PartKind, xpNone);
    EXPECT_EQ(Scan(p).size(), 5u);

    // Display names.
    EXPECT_STREQ(DisplayName(xpDoctype), "DTD Declaration");
    EXPECT_STREQ(DisplayName(xpNone), "");
    EXPECT_STREQ(DisplayName(TAttrKind::Enumeration), "Enumeration");
    EXPECT_STREQ(DisplayName(TElemContentKind::ChildsOnly), "Childs only");
}

TEST(XmlScanner, MalformedEndingsRunToTheEnd) {
    for (const char* doc : {"<a><!-- never closed", "<a><![CDATA[open", "<?pi open", "<a", "<",
                            "</", "<!DOCTYPE x [ <!ENTITY", "<?xml version='1"}) {
        TXmlParser p;
        ASSERT_TRUE(p.LoadFromMemory(doc));
        const char* end = p.DocumentText().data() + p.DocumentText().size();
        int parts = 0;
        while (p.NextPart()) {
            ++parts;
            ASSERT_LE(p.PartEnd, end - 1) << doc;
            ASSERT_GE(p.PartEnd + 1, p.PartStart) << doc;
        }
        EXPECT_GE(parts, 1) << doc;
        EXPECT_EQ(p.PartEnd, end - 1) << doc;
        EXPECT_FALSE(p.NextPart());
    }
    std::vector<Part> c = Scan("<a><!-- never closed");
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[1].Kind, xpComment);
    std::vector<Part> cd = Scan("<a><![CDATA[open");
    EXPECT_EQ(cd.back().Content, "open");
}

TEST(XmlScanner, EmptyScannerAndReset) {
    TXmlParser p;
    EXPECT_FALSE(p.NextPart());
    EXPECT_TRUE(p.DocumentText().empty());
    ASSERT_TRUE(p.LoadFromMemory(""));
    EXPECT_EQ(p.SourceName, u"<MEM>");
    EXPECT_FALSE(p.NextPart());
    ASSERT_TRUE(p.LoadFromMemory("<?xml version='1.0' encoding='x'?><a>b</a>"));
    p.NormalizeText = false;
    Scan(p);
    p.ResetDocument();
    EXPECT_EQ(p.Encoding, "UTF-8");
    EXPECT_EQ(p.CurrentEncoding, "UTF-8");
    EXPECT_TRUE(p.NormalizeText);
    EXPECT_TRUE(p.SourceName.empty());
    EXPECT_FALSE(p.NextPart());
}

TEST(XmlScanner, LoadFromMemoryKeepsItsOwnCopy) {
    std::string text = "<a>hello</a>";
    TXmlParser p;
    ASSERT_TRUE(p.LoadFromMemory(text.c_str()));
    std::fill(text.begin(), text.end(), '\0');
    std::vector<Part> parts = Scan(p);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[1].Content, "hello");
}

TEST(XmlScanner, ReadDocumentFile) {
    auto path = std::filesystem::temp_directory_path() / "mkb_scanner_file_test.xml";
    {
        std::ofstream out(path, std::ios::binary);
        out << "<r>file</r>";
    }
    TXmlParser p;
    std::u16string wide;
    for (char c : path.string())
        wide.push_back(static_cast<unsigned char>(c));
    ASSERT_TRUE(p.ReadDocumentFile(wide));
    EXPECT_EQ(p.SourceName, wide);
    EXPECT_EQ(Scan(p)[1].Content, "file");
    std::filesystem::remove(path);
    EXPECT_FALSE(p.ReadDocumentFile(wide));
    EXPECT_TRUE(p.DocumentText().empty());
    EXPECT_TRUE(p.SourceName.empty());
    EXPECT_FALSE(p.ReadDocumentFile(u"/")); // a folder cannot be read as a document
}

TEST(XmlScanner, OneCharacterAmongWhitespaceIsText) {
    // Indentation is skipped several characters at a time; no other byte may pass for it.
    for (char c : {'!', 'a', '\x0B', '\x0C', '\x80', '\xA0', '\xFF', '\x21'})
        for (std::size_t at = 0; at < 17; ++at) {
            std::string gap(17, ' ');
            gap[1] = '\r';
            gap[2] = '\n';
            gap[9] = '\t';
            gap[at] = c;
            TXmlParser p;
            // Declared 8-bit, so that the high bytes pass as they are.
            ASSERT_TRUE(p.LoadFromMemory(
                ("<?xml version='1.0' encoding='windows-1251'?><a>" + gap + "</a>").c_str()));
            p.NextPart();
            p.NextPart();
            ASSERT_TRUE(p.NextPart());
            EXPECT_EQ(p.PartKind, xpText) << int(c) << " at " << at;
            EXPECT_EQ(p.PartContent, std::string(1, c)) << int(c) << " at " << at;
        }
}

TEST(XmlScanner, EntityReferencesWithDefinitions) {
    // Entity declarations come from the document type reader; here they are set directly.
    TXmlParser p;
    ASSERT_TRUE(p.LoadFromMemory("<a>1&e;2&loop;3</a>"));
    p.EntityDefinitions.Add(std::make_unique<TEntityDef>("e", "<b>x</b>"));
    p.EntityDefinitions.Add(std::make_unique<TEntityDef>("loop", "[&loop;]"));
    std::vector<Part> parts = Scan(p);
    // The entity's markup is scanned as markup, then the walk returns to the including text.
    ASSERT_GE(parts.size(), 6u);
    EXPECT_EQ(parts[1].Content, "1");
    EXPECT_EQ(parts[2].Kind, xpStartTag);
    EXPECT_EQ(parts[2].Name, "b");
    EXPECT_EQ(parts[3].Content, "x");
    EXPECT_EQ(parts[4].Kind, xpEndTag);
    // Inside its own text a self-including entity stands for its name.
    EXPECT_EQ(parts[5].Content, "2[loop]3");
}

TEST(StrToInt, RuntimeSyntax) {
    std::int32_t v = 0;
    EXPECT_TRUE(TryStrToInt("-1", v));
    EXPECT_EQ(v, -1);
    EXPECT_TRUE(TryStrToInt("+43400", v));
    EXPECT_EQ(v, 43400);
    EXPECT_TRUE(TryStrToInt("$ff", v));
    EXPECT_EQ(v, 255);
    EXPECT_TRUE(TryStrToInt("0X10", v));
    EXPECT_EQ(v, 16);
    EXPECT_TRUE(TryStrToInt("-2147483648", v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_TRUE(TryStrToInt("$FFFFFFFF", v));
    EXPECT_EQ(v, -1);
    for (const char* bad : {"", "-", "12x", " 1", "1 ", "0x", "2147483648", "$100000000", "1.5"})
        EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
}

TEST(XmlScanner, RepeatedPassesAgree) {
    // The second pass starts in the encoding the document starts in, not in the one the first
    // pass ended with.
    const char* doc = "<a>\xC3\xA9</a><?xml version='1.0' encoding='windows-1251'?><b>\xC3\xA9</b>";
    TXmlParser p;
    ASSERT_TRUE(p.LoadFromMemory(doc));
    std::vector<Part> first = Scan(p);
    p.Rewind();
    std::vector<Part> second = Scan(p);
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(first[i].Content, second[i].Content) << i;
    EXPECT_EQ(first[1].Content, "\xE9");
    EXPECT_EQ(first[5].Content, "\xC3\xA9");
}

TEST(XmlScanner, SecondDoctypeStillAdvances) {
    TXmlParser p;
    ASSERT_TRUE(p.LoadFromMemory("<!DOCTYPE a><!DOCTYPE b><r/>"));
    std::vector<Part> parts = Scan(p);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[1].Kind, xpDoctype);
    EXPECT_EQ(parts[2].Kind, xpEmptyTag);
    p.Rewind();
    EXPECT_EQ(Scan(p).size(), 3u);
}

TEST(XmlScanner, LoneAmpersandsAreDropped) {
    // Many "&" with no ";" after them: each is dropped, in text and in attribute values.
    std::string doc =
        "<a v='x" + std::string(200000, '&') + "y'>" + std::string(200000, '&') + "z</a>";
    TXmlParser p;
    ASSERT_TRUE(p.LoadFromMemory(doc.c_str()));
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartAttributes.Value("v"), "xy");
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartContent, "z");
    // A ";" found once serves the later references before it.
    EXPECT_EQ(TextOf("<a>&a&b;&c;</a>"), "a&bc"); // the reference runs to the first ";"
}
