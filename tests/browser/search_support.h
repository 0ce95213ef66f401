#pragma once
// The search index over the embedded classification, made once per suite.
#include "browser/search_index.h"
#include "data/loader.h"

#include <gtest/gtest.h>

#include <memory>

class RealStoreSearch : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (MKBRecs[0].id == 0)
            LoadClassification();
        Index = std::make_unique<mkb::browser::TSearchIndex>(MKBStore());
    }
    static void TearDownTestSuite() { Index.reset(); }
    static inline std::unique_ptr<mkb::browser::TSearchIndex> Index;
};
