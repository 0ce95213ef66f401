#include "platform/resources.h"

#include "platform/errors.h"

// Defined by the generated resource object (resources/) of executables that link one; weak so
// that programs and tests without it still link and simply find nothing.
extern "C" {
#if defined(_WIN32)
// PE/COFF has no undefined weak symbols: programs without a table of their own link the empty one
// of resources/no_table.cpp, an archive member the linker takes only when nothing else defines it.
extern const TEmbeddedResource mkb_embedded_resources[];
extern const std::size_t mkb_embedded_resource_count;
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
