#include "platform/resources.h"

#include "platform/errors.h"

// Defined by the generated resource object (resources/) of executables that link one; weak so
// that programs and tests without it still link and simply find nothing.
extern "C" {
#if defined(_WIN32)
// PE/COFF has no undefined weak symbols: an empty table stands in, and the resource object's
// own definitions take its place where it is linked.
__attribute__((weak)) extern const TEmbeddedResource mkb_embedded_resources[] = {{"", nullptr, 0}};
__attribute__((weak)) extern const std::size_t mkb_embedded_resource_count = 0;
#else
extern const TEmbeddedResource mkb_embedded_resources[] __attribute__((weak));
extern const std::size_t mkb_embedded_resource_count __attribute__((weak));
#endif
}

const TEmbeddedResource* FindEmbeddedResource(std::string_view name) {
#if !defined(_WIN32)
    if (&mkb_embedded_resource_count == nullptr || mkb_embedded_resources == nullptr)
        return nullptr;
#endif
    for (std::size_t i = 0; i < mkb_embedded_resource_count; ++i)
        if (name == mkb_embedded_resources[i].Name)
            return &mkb_embedded_resources[i];
    return nullptr;
}

const TEmbeddedResource& OpenEmbeddedResource(std::string_view name) {
    const TEmbeddedResource* res = FindEmbeddedResource(name);
    if (!res)
        throw EResNotFound("Resource " + std::string(name) + " not found");
    return *res;
}
