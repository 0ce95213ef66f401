// Every seed and every input that once broke the scanner goes through the fuzz entry point.
#include "fuzz/xml/xml_fuzz_entry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> InputsIn(const char* folder) {
    std::vector<std::string> files;
    const fs::path dir = fs::path(MKB_FUZZ_XML_DIR) / folder;
    if (fs::is_directory(dir))
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
                files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::string TestName(const testing::TestParamInfo<std::string>& info) {
    std::string name = fs::path(info.param).filename().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

class TReplay : public testing::TestWithParam<std::string> {};

TEST_P(TReplay, KeepsTheScannerGuarantees) {
    std::ifstream in(GetParam(), std::ios::binary);
    ASSERT_TRUE(in) << GetParam();
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string failure;
    EXPECT_TRUE(
        MkbXmlFuzzCheck(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), failure))
        << failure;
}

INSTANTIATE_TEST_SUITE_P(Seeds, TReplay, testing::ValuesIn(InputsIn("corpus")), TestName);
INSTANTIATE_TEST_SUITE_P(FixedCrashes, TReplay, testing::ValuesIn(InputsIn("crashes")), TestName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(TReplay);

TEST(FuzzSeeds, CoverTheCorpus) {
    // A lost or misplaced corpus folder would otherwise make the replay pass vacuously.
    EXPECT_GE(InputsIn("corpus").size(), 12u);
}

TEST(FuzzEntry, AcceptsEmptyAndZeroOnlyInput) {
    std::string failure;
    EXPECT_TRUE(MkbXmlFuzzCheck(nullptr, 0, failure)) << failure;
    const std::uint8_t zeros[4] = {0, 0, 0, 0};
    EXPECT_TRUE(MkbXmlFuzzCheck(zeros, sizeof zeros, failure)) << failure;
}

} // namespace
