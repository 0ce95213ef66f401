#include "platform/resources.h"

#include "platform/errors.h"

// Defined by the generated resource object (resources/) of executables that link one; weak so
// that programs and tests without it still link and simply find nothing.
extern "C" {
extern const TEmbeddedResource mkb_embedded_resources[] __attribute__((weak));
extern const std::size_t mkb_embedded_resource_count __attribute__((weak));
}

const TEmbeddedResource* FindEmbeddedResource(std::string_view name) {
    if (&mkb_embedded_resource_count == nullptr || mkb_embedded_resources == nullptr)
        return nullptr;
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
