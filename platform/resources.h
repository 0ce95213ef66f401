#pragma once
// Read-only blobs linked into the executable (the classification document "MKBDATA" among
// them). A program that links no resource object simply has none.
#include <cstddef>
#include <string_view>
#include <vector>

struct TEmbeddedResource {
    const char* Name;
    const unsigned char* Data;
    std::size_t Size;
};

// The linked resource of that name, or nullptr.
const TEmbeddedResource* FindEmbeddedResource(std::string_view name);

// The linked resource of that name; raises EResNotFound naming it when there is none.
const TEmbeddedResource& OpenEmbeddedResource(std::string_view name);

// The bytes of one of the application's pictures (the names of resources/pictures/pictures.h);
// empty when the program carries no picture of that name.
std::vector<unsigned char> ReadPictureResource(const char* name);
