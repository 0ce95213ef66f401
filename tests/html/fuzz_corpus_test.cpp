#include "fuzz/html/builder_entry.h"
#include "fuzz/html/reader_entry.h"
#include "html/text/entities.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

// The fuzzer's seeds go through the same entry point; it aborts on a broken invariant.
TEST(HtmlReaderFuzzSeeds, ReplayCorpus) {
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(MKB_HTML_CORPUS_DIR)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(
            HtmlReaderFuzzOne(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0)
            << entry.path();
        ++replayed;
    }
    EXPECT_GE(replayed, 10);
}

TEST(HtmlEntities, Table) {
    EXPECT_EQ(html::NamedReferenceCount(), 253u);
    EXPECT_TRUE(html::NamedReferencesSorted());
    char16_t c = 0;
    EXPECT_TRUE(html::FindNamedReference(u"AElig", c));
    EXPECT_EQ(c, 0x00C6);
    EXPECT_TRUE(html::FindNamedReference(u"zwnj", c));
    EXPECT_EQ(c, 0x200C);
    EXPECT_TRUE(html::FindNamedReference(u"Dagger", c));
    EXPECT_EQ(c, 0x2021);
    EXPECT_TRUE(html::FindNamedReference(u"dagger", c));
    EXPECT_EQ(c, 0x2020);
    EXPECT_FALSE(html::FindNamedReference(u"", c));
    EXPECT_FALSE(html::FindNamedReference(u"AMP", c));
}

// The same seeds built into documents, laid out and painted.
TEST(HtmlBuilderFuzzSeeds, ReplayCorpus) {
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(MKB_HTML_CORPUS_DIR)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(
            HtmlBuilderFuzzOne(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
            0)
            << entry.path();
        ++replayed;
    }
    EXPECT_GE(replayed, 14);
}
