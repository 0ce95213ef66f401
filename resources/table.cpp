// The table of resources linked into the executable.
#include "platform/resources.h"

extern "C" {
extern const unsigned char mkb_blob_MKBDATA_begin[];
extern const unsigned char mkb_blob_MKBDATA_end[];
extern const unsigned char mkb_blob_MKBDATES_begin[];
extern const unsigned char mkb_blob_MKBDATES_end[];

extern const TEmbeddedResource mkb_embedded_resources[];
extern const std::size_t mkb_embedded_resource_count;

const TEmbeddedResource mkb_embedded_resources[] = {
    {"MKBDATA", mkb_blob_MKBDATA_begin,
     static_cast<std::size_t>(mkb_blob_MKBDATA_end - mkb_blob_MKBDATA_begin)},
    {"MKBDATES", mkb_blob_MKBDATES_begin,
     static_cast<std::size_t>(mkb_blob_MKBDATES_end - mkb_blob_MKBDATES_begin)},
};
const std::size_t mkb_embedded_resource_count =
    sizeof(mkb_embedded_resources) / sizeof(mkb_embedded_resources[0]);
}
