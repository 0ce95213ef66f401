#include "xml/xmlparser.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Records every declaration it is told about.
class RecordingParser : public TXmlParser {
public:
    std::vector<TDtdDeclarationKind> Kinds;
    std::vector<std::string> Names;

protected:
    void DeclarationFound(const TDtdDeclaration& d) override {
        Kinds.push_back(d.Kind);
        if (d.ElemDef)
            Names.push_back(d.ElemDef->Name);
        else if (d.EntityDef)
            Names.push_back(d.EntityDef->Name);
        else if (d.NotationDef)
            Names.push_back(d.NotationDef->Name);
        else
            Names.push_back(d.Target);
        ASSERT_NE(d.Start, nullptr);
        ASSERT_NE(d.Final, nullptr);
    }
};

std::string AllText(TXmlParser& p) {
    std::string text;
    while (p.NextPart())
        if (p.PartKind == xpText || p.PartKind == xpCData)
            text += p.PartContent;
    return text;
}

std::string AllText(const std::string& doc) {
    TXmlParser p;
    EXPECT_TRUE(p.LoadFromMemory(doc.c_str()));
    return AllText(p);
}

std::u16string Wide(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

class TempDir {
public:
    TempDir() {
        Path =
            std::filesystem::temp_directory_path() /
            ("mkb_dtd_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(Path);
    }
    ~TempDir() { std::filesystem::remove_all(Path); }
    std::string Write(const std::string& name, const std::string& text) {
        std::ofstream(Path / name, std::ios::binary) << text;
        return (Path / name).string();
    }
    std::filesystem::path Path;
};

} // namespace

TEST(Doctype, InternalEntitiesAndRootName) {
    RecordingParser p;
    ASSERT_TRUE(p.LoadFromMemory("<!DOCTYPE doc [\n  <!ENTITY e \"x\">\n  <!ENTITY f 'y&#65;'>\n]>"
                                 "<doc>[&e;|&f;]</doc>"));
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartKind, xpDoctype);
    EXPECT_EQ(p.RootElementName, "doc");
    EXPECT_EQ(*p.PartStart, '<');
    EXPECT_EQ(*p.PartEnd, '>');
    EXPECT_EQ(p.PartEnd, p.DoctypeEnd);
    EXPECT_EQ(p.EntityDefinitions.Value("e"), "x");
    EXPECT_EQ(p.EntityDefinitions.Value("f"), "yA"); // character references resolved
    EXPECT_EQ(AllText(p), "[x|yA]");
    EXPECT_EQ(p.Kinds, (std::vector{TDtdDeclarationKind::Entity, TDtdDeclarationKind::Entity}));

    // A second pass delivers the declaration without reading it again.
    p.Rewind();
    p.Kinds.clear();
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartKind, xpDoctype);
    EXPECT_TRUE(p.Kinds.empty());
    EXPECT_EQ(AllText(p), "[x|yA]");
}

TEST(Doctype, ElementDeclarations) {
    TXmlParser p;
    ASSERT_TRUE(p.LoadFromMemory("<!DOCTYPE a [<!ENTITY % kids \"b | c\">"
                                 "<!ELEMENT a ( %kids; )*><!ELEMENT b EMPTY><!ELEMENT c ANY>"
                                 "<!ELEMENT d (#PCDATA | b)*><!ELEMENT e whatever>]><a/>"));
    ASSERT_TRUE(p.NextPart());
    auto* a = p.ElementDefinitions.Node("a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Definition, "(b|c)*");
    EXPECT_EQ(a->ContentKind, TElemContentKind::ChildsOnly);
    EXPECT_EQ(p.ElementDefinitions.Node("b")->ContentKind, TElemContentKind::Empty);
    EXPECT_EQ(p.ElementDefinitions.Node("c")->ContentKind, TElemContentKind::Any);
    EXPECT_EQ(p.ElementDefinitions.Node("d")->ContentKind, TElemContentKind::Mixed);
    EXPECT_EQ(p.ElementDefinitions.Node("e")->ContentKind, TElemContentKind::Any);
}

TEST(Doctype, AttributeListsAndTheirEffectOnTags) {
    TXmlParser p;
    ASSERT_TRUE(p.LoadFromMemory(
        "<!DOCTYPE r [<!ATTLIST item kind (big|small) 'small' ver CDATA #FIXED \"2\""
        " note CDATA #IMPLIED toks NMTOKENS #IMPLIED id ID #REQUIRED>]>"
        "<item ver='1' note='n' toks='  a   b  ' id='i1'/><item/></r>"));
    ASSERT_TRUE(p.NextPart());
    // An attribute list for an undeclared element declares it with content Any.
    TElemDef* item = p.ElementDefinitions.Node("item");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->ContentKind, TElemContentKind::Any);
    EXPECT_EQ(item->Definition, "ANY");
    ASSERT_EQ(item->Attributes.Count(), 5);
    TAttrDef* kind = item->Attributes.Node("kind");
    ASSERT_NE(kind, nullptr);
    EXPECT_EQ(kind->TypeDef, "big|small");
    EXPECT_EQ(kind->AttrKind, TAttrKind::Enumeration);
    EXPECT_EQ(kind->Value, "small");
    EXPECT_EQ(item->Attributes.Node("ver")->DefaultKind, TAttrDefaultKind::Fixed);
    EXPECT_EQ(item->Attributes.Node("id")->DefaultKind, TAttrDefaultKind::Required);
    EXPECT_EQ(item->Attributes.Node("id")->AttrKind, TAttrKind::ID);

    ASSERT_TRUE(p.NextPart());
    ASSERT_EQ(p.PartKind, xpEmptyTag);
    TAttr* ver = p.PartAttributes.Node("ver");
    ASSERT_NE(ver, nullptr);
    EXPECT_EQ(ver->Value, "2"); // the fixed value wins over the given one
    EXPECT_EQ(ver->ValueKind, TAttrValueKind::Fixed);
    EXPECT_EQ(p.PartAttributes.Node("note")->ValueKind, TAttrValueKind::Implied);
    EXPECT_EQ(p.PartAttributes.Value("toks"), "a b"); // tokenised kinds fold their spaces
    EXPECT_EQ(p.PartAttributes.Node("toks")->AttrKind, TAttrKind::NMTOKENS);
    TAttr* added = p.PartAttributes.Node("kind");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Value, "small");
    EXPECT_EQ(added->ValueKind, TAttrValueKind::Default);
    EXPECT_EQ(added->AttrKind, TAttrKind::Enumeration);

    ASSERT_TRUE(p.NextPart()); // <item/> gets the defaults and the fixed value
    EXPECT_EQ(p.PartAttributes.Value("ver"), "2");
    EXPECT_EQ(p.PartAttributes.Value("kind"), "small");
    EXPECT_EQ(p.PartAttributes.Node("note"), nullptr);
    ASSERT_TRUE(p.NextPart()); // an end tag gets nothing
    EXPECT_EQ(p.PartKind, xpEndTag);
}

TEST(Doctype, AttributeListBeforeTheElementDeclarationIsKept) {
    TXmlParser p;
    ASSERT_TRUE(p.LoadFromMemory("<!DOCTYPE r [<!ATTLIST r a CDATA 'd'><!ELEMENT r EMPTY>]><r/>"));
    ASSERT_TRUE(p.NextPart());
    TElemDef* r = p.ElementDefinitions.Node("r");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->ContentKind, TElemContentKind::Empty);
    EXPECT_EQ(r->Attributes.Value("a"), "d");
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartAttributes.Value("a"), "d");
}

TEST(Doctype, ParameterEntities) {
    TXmlParser p;
    ASSERT_TRUE(p.LoadFromMemory(
        "<!DOCTYPE r [<!ENTITY % decl \"<!ENTITY inner 'from a parameter entity'>\">%decl;"
        "<!ENTITY % part 'ab'><!ENTITY whole \"[%part;]\">]><r>&inner;/&whole;</r>"));
    EXPECT_EQ(AllText(p), "from a parameter entity/[ab]");
    EXPECT_EQ(p.ParameterEntityDefinitions.Count(), 2);
    EXPECT_EQ(p.EntityDefinitions.Count(), 2);
}

TEST(Doctype, NotationsAndUnparsedEntities) {
    TXmlParser p;
    ASSERT_TRUE(p.LoadFromMemory("<!DOCTYPE r [<!NOTATION gif PUBLIC 'pub-gif' 'viewer.exe'>"
                                 "<!NOTATION png SYSTEM \"png.exe\">"
                                 "<!ENTITY pic SYSTEM 'pic.gif' NDATA gif>]><r/>"));
    ASSERT_TRUE(p.NextPart());
    TNotationDef* gif = p.NotationDefinitions.Node("gif");
    ASSERT_NE(gif, nullptr);
    EXPECT_EQ(gif->Value, "viewer.exe");
    EXPECT_EQ(gif->PublicId, "pub-gif");
    EXPECT_EQ(p.NotationDefinitions.Value("png"), "png.exe");
    TEntityDef* pic = p.EntityDefinitions.Node("pic");
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->SystemId, "pic.gif");
    EXPECT_EQ(pic->NotationName, "gif");
    EXPECT_TRUE(pic->Value.empty());
}

TEST(Doctype, ReportsCommentsPIsAndErrors) {
    RecordingParser p;
    ASSERT_TRUE(p.LoadFromMemory(
        "<!DOCTYPE r [<!-- c --><?tgt data?><!ELEMENT r ANY><!BOGUS]junk><r>t</r>"));
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartKind, xpDoctype);
    EXPECT_EQ(p.PartName, "");
    using K = TDtdDeclarationKind;
    std::vector<K> expected = {
        K::Comment, K::ProcessingInstruction, K::Element, K::Error, K::Error, K::Error, K::Error,
        K::Error};
    EXPECT_EQ(p.Kinds, expected);
    EXPECT_EQ(p.Names[1], "tgt");
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartKind, xpStartTag);
    EXPECT_EQ(p.PartName, "r");
}

TEST(Doctype, ExternalSubsetAndEntitiesFromFiles) {
    TempDir dir;
    dir.Write("sub.dtd", "<!ENTITY fromfile 'subset value'>\n<!ATTLIST r a CDATA 'dflt'>");
    dir.Write("part.txt", "file <b>text</b>");
    std::string doc = dir.Write("doc.xml", "<!DOCTYPE r SYSTEM \"sub.dtd\" [<!ENTITY ext SYSTEM "
                                           "'part.txt'><!ENTITY gone SYSTEM 'missing.txt'>]>"
                                           "<r>&fromfile;|&ext;|&gone;|</r>");
    TXmlParser p;
    ASSERT_TRUE(p.ReadDocumentFile(Wide(doc)));
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.EntityDefinitions.Value("fromfile"), "subset value");
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartAttributes.Value("a"), "dflt");
    std::string text;
    std::vector<std::string> tags;
    while (p.NextPart()) {
        if (p.PartKind == xpText)
            text += p.PartContent;
        else if (p.PartKind == xpStartTag)
            tags.push_back(p.PartName);
    }
    // The external entity's markup is scanned; a file that cannot be read gives nothing.
    EXPECT_EQ(text, "subset value|filetext||");
    EXPECT_EQ(tags, std::vector<std::string>{"b"});

    // In an attribute value an external entity contributes its text content.
    std::string doc2 =
        dir.Write("doc2.xml", "<!DOCTYPE r [<!ENTITY ext SYSTEM 'part.txt'>]><r v='[&ext;]'/>");
    ASSERT_TRUE(p.ReadDocumentFile(Wide(doc2)));
    ASSERT_TRUE(p.NextPart());
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartAttributes.Value("v"), "[filetext]");
}

TEST(Doctype, RecursiveReferencesAreNotExpanded) {
    // Inside its own expansion a reference to an entity stands for its name.
    EXPECT_EQ(AllText("<!DOCTYPE r [<!ENTITY e \"x&e;y\">]><r>&e;</r>"), "xey");
    EXPECT_EQ(AllText("<!DOCTYPE r [<!ENTITY a \"a&b;\"><!ENTITY b \"b&a;\">]><r>&a;</r>"), "aba");
    // Sequential uses of one entity are not recursion.
    EXPECT_EQ(AllText("<!DOCTYPE r [<!ENTITY e \"x\"><!ENTITY f \"&e;&e;\">]><r>&f;&e;</r>"),
              "xxx");
    // A parameter entity naming itself, at declaration level and inside a value.
    TXmlParser p;
    ASSERT_TRUE(
        p.LoadFromMemory("<!DOCTYPE r [<!ENTITY % p \"%p;\">%p;<!ENTITY v \"[%p;]\">]><r/>"));
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartKind, xpDoctype);
    EXPECT_EQ(p.EntityDefinitions.Value("v"), "[%p;]");
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartKind, xpEmptyTag);
    // In an attribute value.
    ASSERT_TRUE(p.LoadFromMemory("<!DOCTYPE r [<!ENTITY e \"x&e;\">]><r a='&e;&e;'/>"));
    ASSERT_TRUE(p.NextPart());
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartAttributes.Value("a"), "xexe");
}

TEST(Doctype, RepeatedPassesReadTheDocumentAlike) {
    // Declarations refer forward: %b; is declared by %a;, which is declared after both uses.
    // Were each pass to read them again, every pass would unlock one more level.
    RecordingParser p;
    ASSERT_TRUE(p.LoadFromMemory("<!DOCTYPE r><!DOCTYPE r [%b;%a;<!ENTITY % a \"<!ENTITY &#37; b "
                                 "'<!ENTITY e &#34;v&#34;>'>\">]><r>&e;</r>"));
    std::vector<std::string> texts;
    for (int pass = 0; pass < 4; ++pass) {
        texts.push_back(AllText(p));
        p.Rewind();
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"e", "e", "e", "e"}));
    EXPECT_EQ(p.Names, (std::vector<std::string>{"a"})); // read once, on the first pass
    // A declaration may end inside a parameter entity's text and still declare what a reference
    // earlier in the document uses: the first pass cannot see it, the repeated ones all do.
    ASSERT_TRUE(p.LoadFromMemory("<r>&e;</r><!DOCTYPE r [<!ENTITY % p \"<!ENTITY e 'v'>>\">%p;]>"));
    texts.clear();
    for (int pass = 0; pass < 3; ++pass) {
        texts.push_back(AllText(p));
        p.Rewind();
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"e", "v", "v"}));
}

TEST(Doctype, ReplacedEntityTextStaysReadable) {
    // The entity being scanned declares itself anew: the parts after that declaration still
    // lie in the replaced text, which lives until the document is reset.
    TXmlParser p;
    ASSERT_TRUE(
        p.LoadFromMemory("<!DOCTYPE a [<!ENTITY x \"<!DOCTYPE b [<!ENTITY x 'new'>]><i/>\">]>"
                         "<r>&x;&x;</r>"));
    std::string text;
    bool sawTag = false;
    while (p.NextPart()) {
        if (p.PartKind == xpEmptyTag) {
            sawTag = true;
            EXPECT_EQ(std::string(p.PartStart, p.PartEnd + 1), "<i/>");
            EXPECT_EQ(p.EntityDefinitions.Value("x"), "new");
        } else if (p.PartKind == xpText) {
            text += p.PartContent;
        }
    }
    EXPECT_TRUE(sawTag);
    EXPECT_EQ(text, "new");
}

TEST(Doctype, BillionLaughsIsCapped) {
    // Twelve levels of tenfold references: 2 * 10^12 bytes if expanded in full.
    auto declarations = [](const char* prefix, const char* ref) {
        std::string d = std::string("<!ENTITY ") + prefix + "0 \"ha\">";
        for (int i = 1; i <= 12; ++i) {
            d += std::string("<!ENTITY ") + prefix + std::to_string(i) + " \"";
            for (int k = 0; k < 10; ++k)
                d += ref + std::to_string(i - 1) + ";";
            d += "\">";
        }
        return d;
    };
    // The budget grows with the document between a floor and a ceiling.
    EXPECT_EQ(TXmlParser::EntityExpansionBudget(10), TXmlParser::MinEntityExpansion);
    EXPECT_EQ(TXmlParser::EntityExpansionBudget(100000), TXmlParser::MaxEntityExpansion);
    EXPECT_EQ(TXmlParser::EntityExpansionBudget(SIZE_MAX), TXmlParser::MaxEntityExpansion);
    TXmlParser p;
    // In text.
    std::string doc = "<!DOCTYPE r [" + declarations("l", "&l") + "]><r>&l12;</r>";
    const std::size_t cap = TXmlParser::EntityExpansionBudget(doc.size());
    EXPECT_LT(cap, TXmlParser::MaxEntityExpansion);
    ASSERT_TRUE(p.LoadFromMemory(doc.c_str()));
    ASSERT_TRUE(p.NextPart());
    ASSERT_TRUE(p.NextPart());
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartKind, xpText);
    EXPECT_GT(p.PartContent.size(), cap / 4); // expanded up to the cap, names past it
    EXPECT_LE(p.PartContent.size(), cap * 2);
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartKind, xpEndTag);
    EXPECT_FALSE(p.NextPart());
    // In an attribute value.
    doc = "<!DOCTYPE r [" + declarations("l", "&l") + "]><r a='&l12;'/>";
    ASSERT_TRUE(p.LoadFromMemory(doc.c_str()));
    ASSERT_TRUE(p.NextPart());
    ASSERT_TRUE(p.NextPart());
    EXPECT_GT(p.PartAttributes.Value("a").size(), cap / 4);
    EXPECT_LE(p.PartAttributes.Value("a").size(), cap * 2);
    // Parameter entities inside a declared value.
    doc = "<!DOCTYPE r [" + declarations("% p", "%p") + "<!ENTITY big \"%p12;\">]><r/>";
    ASSERT_TRUE(p.LoadFromMemory(doc.c_str()));
    ASSERT_TRUE(p.NextPart());
    EXPECT_GT(p.EntityDefinitions.Value("big").size(), cap / 4);
    EXPECT_LE(p.EntityDefinitions.Value("big").size(), cap * 2);
    // A second pass gets a fresh budget.
    p.Rewind();
    ASSERT_TRUE(p.NextPart());
    ASSERT_TRUE(p.NextPart());
    EXPECT_EQ(p.PartKind, xpEmptyTag);
}

TEST(Doctype, MalformedDeclarationsRunToTheEnd) {
    for (const char* doc :
         {"<!DOCTYPE", "<!DOCTYPE r [", "<!DOCTYPE r [<!ENTITY e 'open", "<!DOCTYPE r [<!ATTLIST",
          "<!DOCTYPE r [<!ATTLIST a b (x|y", "<!DOCTYPE r [<!ATTLIST a b NOTATION (n",
          "<!DOCTYPE r [<!ELEMENT", "<!DOCTYPE r [<!NOTATION n PUBLIC 'x", "<!DOCTYPE r PUBLIC '",
          "<!DOCTYPE r [%", "<!DOCTYPE r [<!ENTITY % p '<!ENTITY'>%p;", "<!DOCTYPE r SYSTEM",
          "<!DOCTYPE r [<!ENTITY e SYSTEM 'x' NDATA", "<!DOCTYPE r [<?pi", "<!DOCTYPE r [<!--"}) {
        TXmlParser p;
        ASSERT_TRUE(p.LoadFromMemory(doc));
        const char* last = p.DocumentText().data() + p.DocumentText().size() - 1;
        ASSERT_TRUE(p.NextPart()) << doc;
        EXPECT_EQ(p.PartKind, xpDoctype) << doc;
        EXPECT_EQ(p.PartEnd, last) << doc;
        EXPECT_FALSE(p.NextPart()) << doc;
    }
}
