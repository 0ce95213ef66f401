// Inputs that are small for a document but pathological for a scan. Each must finish (the
// suite's time limit stands guard over work that grows with the square of the size; speed
// itself is measured by the benchmarks) and give the parts the rules call for.
#include "data/loader.h"
#include "platform/errors.h"
#include "xml/xmlparser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::size_t CountParts(const std::string& text) {
    TXmlParser parser;
    EXPECT_TRUE(parser.LoadFromMemory(text.c_str()));
    std::size_t parts = 0;
    while (parser.NextPart() && parts <= text.size()) {
        ++parts;
        EXPECT_EQ(parser.PartEnd, text.size() - 1 + parser.DocumentText().data());
    }
    return parts;
}

} // namespace

TEST(ScanScale, AmpersandsWithoutSemicolonAreAllDropped) {
    // A million lone "&": each is dropped, leaving an empty text that is not delivered.
    EXPECT_EQ(CountParts(std::string(1'000'000, '&')), 0u);
}

TEST(ScanScale, LoaderOnAmpersands) {
    std::string doc = "<data><rec><note>" + std::string(1'000'000, '&') + "</note></rec></data>";
    std::vector<TMKBRec> store(2);
    LoadClassificationInto(store, doc);
    EXPECT_TRUE(store[0].note.empty());
    EXPECT_EQ(store[0].child_count, -1);
}

TEST(ScanScale, UnclosedMarkupRunsToTheEndInOnePart) {
    for (const char* opener : {"<!--", "<![CDATA[", "<?pi ", "<a b='", "<!DOCTYPE x [", "<a "}) {
        const std::string text = opener + std::string(2'000'000, 'x');
        EXPECT_EQ(CountParts(text), 1u) << opener;
    }
    std::string manyTags;
    for (int i = 0; i < 200'000; ++i)
        manyTags += "<a <?b ";
    EXPECT_EQ(CountParts(manyTags), 1u);
}
