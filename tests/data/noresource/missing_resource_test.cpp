#include "data/loader.h"
#include "platform/errors.h"

#include <gtest/gtest.h>

TEST(LoaderWithoutResource, NamesTheMissingResource) {
    try {
        LoadClassification();
        FAIL() << "no error raised";
    } catch (const EResNotFound& e) {
        EXPECT_NE(std::string(e.what()).find("MKBDATA"), std::string::npos) << e.what();
    }
    // Nothing was read.
    EXPECT_EQ(MKBRecs[0].id, 0);
    EXPECT_TRUE(MKBRecs[0].name.empty());
}
