// The Windows build carries the pictures in the resource table, named as the Qt resource paths
// of resources/pictures/pictures.h without ":/"; each must be there, byte for byte the picture
// the generator drew.
#include "platform/resources.h"
#include "resources/pictures/pictures.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string TableName(const char* qtPath) {
    std::string name = qtPath;
    return name.rfind(":/", 0) == 0 ? name.substr(2) : name;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(PictureTable, EveryDrawnPictureIsThereByteForByte) {
    std::istringstream names(MKB_PICTURE_NAMES); // ','-separated, from the build
    std::string name;
    int count = 0;
    while (std::getline(names, name, ',')) {
        ++count;
        const TEmbeddedResource* res = FindEmbeddedResource("pictures/" + name);
        ASSERT_NE(res, nullptr) << name;
        std::string drawn = ReadFile(std::string(MKB_PICTURES_DIR) + "/" + name);
        ASSERT_FALSE(drawn.empty()) << "cannot read the drawn " << name;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(res->Data), res->Size), drawn) << name;
    }
    EXPECT_GE(count, 20);
    EXPECT_EQ(FindEmbeddedResource("pictures/missing.png"), nullptr);
}

TEST(PictureTable, TheNamesTheApplicationUsesAreFoundAtBothRatios) {
    std::vector<const char*> used = {MkbPictures::Splash, MkbPictures::Logo,
                                     MkbPictures::TreeBackground};
    for (int i = 0; i < MkbPictures::TreeImageCount; ++i)
        used.push_back(MkbPictures::TreeImage(i));
    for (int size : {16, 32, 48})
        used.push_back(MkbPictures::AppIcon(size));
    for (const char* path : used) {
        ASSERT_NE(path, nullptr);
        std::string name = TableName(path);
        EXPECT_NE(FindEmbeddedResource(name), nullptr) << name;
        std::string twice = name.substr(0, name.rfind('.')) + "@2x" + name.substr(name.rfind('.'));
        EXPECT_NE(FindEmbeddedResource(twice), nullptr) << twice;
    }
}

} // namespace
