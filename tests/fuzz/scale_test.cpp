// Inputs that are small for a document but pathological for a scan: each must take time in
// proportion to its size. The bounds are generous (a linear scan needs a few milliseconds);
// work that grows with the square of the size blows through them.
#include "data/loader.h"
#include "platform/errors.h"
#include "xml/xmlparser.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

double ScanSeconds(const std::string& text) {
    TXmlParser parser;
    EXPECT_TRUE(parser.LoadFromMemory(text.c_str()));
    const auto t0 = std::chrono::steady_clock::now();
    std::size_t parts = 0;
    while (parser.NextPart() && parts <= text.size())
        ++parts;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

TEST(ScanScale, AmpersandsWithoutSemicolonStayLinear) {
    // Every "&" looks for a ";" to the end of the text; a million of them must not mean a
    // million searches to the end.
    const std::string text(1'000'000, '&');
    EXPECT_LT(ScanSeconds(text), 1.0);
}

TEST(ScanScale, LoaderOnAmpersandsStaysLinear) {
    std::string doc = "<data><rec><note>" + std::string(1'000'000, '&') + "</note></rec></data>";
    std::vector<TMKBRec> store(2);
    const auto t0 = std::chrono::steady_clock::now();
    try {
        LoadClassificationInto(store, doc);
    } catch (const EMkbError&) {
    }
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 1.0);
}

TEST(ScanScale, UnclosedMarkupStaysLinear) {
    // Parts that run to the end of the text: each kind once, over a large tail.
    for (const char* opener : {"<!--", "<![CDATA[", "<?pi ", "<a b='", "<!DOCTYPE x [", "<a "}) {
        const std::string text = opener + std::string(2'000'000, 'x');
        EXPECT_LT(ScanSeconds(text), 2.0) << opener;
    }
    std::string manyTags;
    for (int i = 0; i < 200'000; ++i)
        manyTags += "<a <?b ";
    EXPECT_LT(ScanSeconds(manyTags), 1.0);
}

} // namespace
