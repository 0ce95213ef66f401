// The embedded document as the build generated it, and the synthetic full-scale one, read line
// by line against the layout and the invariants the browser relies on.
#include "doclayout.h"
#include "tools/mkbgen/mkbgen.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>

namespace {

std::string ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines)
        out += "  " + l + "\n";
    return out;
}

void PrintFacts(const char* label, std::size_t bytes, const TDocFacts& f,
                const std::vector<std::string>& exceptions) {
    std::printf("%s: %zu bytes, %zu records (%zu classes), ids %ld to %ld\n", label, bytes,
                f.records, f.classes, f.minId, f.maxId);
    std::printf("  by depth:");
    for (const auto& [depth, n] : f.byDepth)
        std::printf(" %d: %zu;", depth, n);
    std::printf(" depth 2 three-character %zu, empty (sub-blocks) %zu\n", f.threeCharAtDepth2,
                f.emptyAtDepth2);
    std::printf("  most children %zu; longest code %zu, name %zu, incl %zu, excl %zu, note %zu\n",
                f.maxChildren, f.longestCode, f.longestName, f.longestIncl, f.longestExcl,
                f.longestNote);
    std::printf("  texts with a line break: name %zu, incl %zu, excl %zu, note %zu\n", f.breaksName,
                f.breaksIncl, f.breaksExcl, f.breaksNote);
    std::printf("  %zu exception(s) to the per-depth code shapes\n", exceptions.size());
    // Grouped by kind, with the first few of each.
    std::map<std::string, std::vector<const std::string*>> kinds;
    for (const std::string& e : exceptions)
        kinds[e.substr(e.rfind("\": ") + 3)].push_back(&e);
    for (const auto& [kind, list] : kinds) {
        std::printf("    %zu x %s, e.g.\n", list.size(), kind.c_str());
        for (std::size_t i = 0; i < list.size() && i < 3; ++i)
            std::printf("      %s\n", list[i]->c_str());
    }
}

struct TChecked {
    std::size_t bytes{0};
    TDocLayout layout;
    std::vector<std::string> errors, exceptions;
    TDocFacts facts;
};

TChecked Check(const std::string& doc) {
    TChecked c;
    c.bytes = doc.size();
    c.layout = ReadDocLayout(doc);
    c.facts = CheckDocInvariants(c.layout.records, c.errors, c.exceptions);
    return c;
}

const TChecked& Embedded() {
    static const TChecked c = Check(ReadFile(MKB_EMBEDDED_DOCUMENT));
    return c;
}

const TChecked& Synthetic() {
    static const TChecked c = Check(GenerateSyntheticClassification());
    return c;
}

TEST(EmbeddedDocument, FollowsTheLayout) {
    const TChecked& c = Embedded();
    ASSERT_GT(c.bytes, 0u) << "cannot read " << MKB_EMBEDDED_DOCUMENT;
    EXPECT_TRUE(c.layout.errors.empty()) << Joined(c.layout.errors);
    EXPECT_GT(c.layout.records.size(), 1000u);
}

TEST(EmbeddedDocument, KeepsTheInvariants) {
    const TChecked& c = Embedded();
    EXPECT_TRUE(c.errors.empty()) << Joined(c.errors);
    PrintFacts("embedded", c.bytes, c.facts, c.exceptions);
    EXPECT_GE(c.facts.classes, 21u);
    EXPECT_EQ(c.facts.byDepth.at(0), c.facts.classes);
    // The source carries titles only.
    EXPECT_EQ(c.facts.longestIncl + c.facts.longestExcl + c.facts.longestNote, 0u);
    EXPECT_EQ(c.facts.breaksName, 0u);
    EXPECT_LE(c.facts.longestCode, 64u);
    // Sub-blocks nest: code-less records reach depth 3 and codes depth 5 (C00-C97, C00-C75,
    // C00-C14, C00, C00.0), the bounds every ancestor list and search path must take.
    EXPECT_EQ(c.facts.byDepth.rbegin()->first, 5);
    EXPECT_EQ(c.facts.byDepth.at(5), 2520u);
    EXPECT_EQ(c.facts.codelessByDepth.rbegin()->first, 3);
    EXPECT_EQ(c.facts.codelessByDepth.at(3), 37u);
    // The dual-coded pairs of the source, marked as in print.
    EXPECT_EQ(c.facts.daggerCodes, 79u);
    EXPECT_EQ(c.facts.asteriskCodes, 371u);
}

TEST(SyntheticDocument, FollowsTheLayout) {
    const TChecked& c = Synthetic();
    EXPECT_TRUE(c.layout.errors.empty()) << Joined(c.layout.errors);
}

TEST(SyntheticDocument, HasTheFullScaleShape) {
    const TChecked& c = Synthetic();
    EXPECT_TRUE(c.errors.empty()) << Joined(c.errors);
    PrintFacts("synthetic", c.bytes, c.facts, c.exceptions);
    const TDocFacts& f = c.facts;
    EXPECT_EQ(c.bytes, 22514824u);
    EXPECT_EQ(f.records, 38955u);
    EXPECT_EQ(f.classes, 21u);
    EXPECT_EQ(f.byDepth,
              (std::map<int, std::size_t>{{0, 21}, {1, 241}, {2, 1907}, {3, 32250}, {4, 4536}}));
    EXPECT_EQ(f.threeCharAtDepth2, 1879u);
    EXPECT_EQ(f.emptyAtDepth2, 28u);
    EXPECT_EQ(f.maxChildren, 110u);
    EXPECT_EQ(f.minId, 67);
    EXPECT_EQ(f.maxId, 43400);
    EXPECT_EQ(f.longestCode, 11u); // "КЛАСС XVIII"
    EXPECT_EQ(f.longestName, 415u);
    EXPECT_EQ(f.longestIncl, 539u);
    EXPECT_EQ(f.longestExcl, 1291u);
    EXPECT_EQ(f.longestNote, 5680u);
    EXPECT_EQ(f.breaksName, 0u);
    EXPECT_EQ(f.breaksIncl, 203u);
    EXPECT_EQ(f.breaksExcl, 6509u);
    EXPECT_EQ(f.breaksNote, 20183u);
    ASSERT_EQ(c.exceptions.size(), 1u);
    EXPECT_NE(c.exceptions[0].find("point and a hyphen"), std::string::npos) << c.exceptions[0];
}

TEST(SyntheticDocument, IsTheSameForTheSameSeed) {
    EXPECT_EQ(GenerateSyntheticClassification(7), GenerateSyntheticClassification(7));
    EXPECT_NE(GenerateSyntheticClassification(7), GenerateSyntheticClassification(8));
}

// The reader itself must catch what it is there to catch.
TEST(DocLayoutReader, FlagsLayoutFaults) {
    const std::string good =
        "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<data>\r\n  <rec>\r\n"
        "      <id>67</id>\r\n      <code><![CDATA[\xCA\xCB\xC0\xD1\xD1 I]]></code>\r\n"
        "      <name><![CDATA[T (A00-B99)]]></name>\r\n      <incl><![CDATA[]]></incl>\r\n"
        "      <excl><![CDATA[]]></excl>\r\n      <note><![CDATA[]]></note>\r\n"
        "      <parent_id>-1</parent_id>\r\n  </rec>\r\n</data>\r\n";
    TDocLayout ok = ReadDocLayout(good);
    EXPECT_TRUE(ok.errors.empty()) << Joined(ok.errors);
    ASSERT_EQ(ok.records.size(), 1u);
    EXPECT_EQ(ok.records[0].id, 67);

    auto faults = [&](std::string from, std::string to) {
        std::string bad = good;
        bad.replace(bad.find(from), from.size(), to);
        return ReadDocLayout(bad).errors.size();
    };
    EXPECT_GT(faults("\r\n<data>", "\n<data>"), 0u);  // bare LF
    EXPECT_GT(faults("      <id>", "     <id>"), 0u); // indentation
    EXPECT_GT(faults("<id>67<", "<id>6x<"), 0u);      // integer
    EXPECT_GT(faults("<![CDATA[]]></incl>", "<![CDATA[]]]]><![CDATA[></incl>"), 0u);
    EXPECT_GT(faults("windows-1251", "UTF-8"), 0u);
    EXPECT_GT(faults("</data>\r\n", "</data>"), 0u);
}

TEST(DocInvariants, FlagsBrokenRecords) {
    auto rec = [](long id, long parent, std::string code, std::string name) {
        TDocRecord r;
        r.id = id;
        r.parent_id = parent;
        r.code = std::move(code);
        r.name = std::move(name);
        return r;
    };
    const std::string cls = "\xCA\xCB\xC0\xD1\xD1 ";
    auto check = [](std::vector<TDocRecord> recs) {
        std::vector<std::string> errors, exceptions;
        CheckDocInvariants(recs, errors, exceptions);
        return errors.size();
    };
    const std::vector<TDocRecord> good = {rec(1, -1, cls + "I", "A (A00-A09)"),
                                          rec(2, 1, "", "B (A00-A09)"), rec(3, 2, "A00", "c"),
                                          rec(4, 3, "A00.1", "d")};
    EXPECT_EQ(check(good), 0u);
    auto broken = [&](std::size_t at, TDocRecord r) {
        std::vector<TDocRecord> v = good;
        v[at] = std::move(r);
        return check(v);
    };
    EXPECT_GT(broken(3, rec(3, 3, "A00.1", "d")), 0u);               // duplicate id
    EXPECT_GT(broken(2, rec(9, 4, "A00", "c")), 0u);                 // parent after the child
    EXPECT_GT(broken(0, rec(1, -1, cls + "II", "A (A00-A09)")), 0u); // class order
    EXPECT_GT(broken(1, rec(2, 1, "A00", "B")), 0u);                 // block with a code
    EXPECT_GT(broken(3, rec(4, 3, "A00.1x", "d")), 0u);              // code shape
    EXPECT_GT(broken(3, rec(4, 3, "A00.1", "a&b")), 0u);             // markup character
    EXPECT_GT(broken(1, rec(2, 1, "", "B")), 0u);                    // block without its range
}

} // namespace
