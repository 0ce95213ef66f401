// An empty resource table for the Windows build, whose linker cannot leave the weak references
// of platform/resources.cpp unresolved: as an archive member it is linked only into programs
// that carry no table of their own (table.cpp), which then find nothing.
#include "platform/resources.h"

extern "C" {
extern const TEmbeddedResource mkb_embedded_resources[];
extern const std::size_t mkb_embedded_resource_count;

const TEmbeddedResource mkb_embedded_resources[1] = {{"", nullptr, 0}};
const std::size_t mkb_embedded_resource_count = 0;
}
