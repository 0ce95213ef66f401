// The table of resources linked into the executable.
//
// On Windows the pictures travel in this table too, named as the Qt resource paths of
// resources/pictures/pictures.h without their ":/" prefix ("pictures/splash.jpg",
// "pictures/treeimg0@2x.png"), so that the platform layer looks a picture up by the name the
// application passes with the ":/" taken off.
#include "platform/resources.h"

extern "C" {
extern const unsigned char mkb_blob_MKBDATA_begin[];
extern const unsigned char mkb_blob_MKBDATA_end[];
extern const unsigned char mkb_blob_MKBDATES_begin[];
extern const unsigned char mkb_blob_MKBDATES_end[];
#if defined(MKB_EMBED_PICTURES)
#define MKB_PICTURE(symbol, file)                                                                  \
    extern const unsigned char mkb_blob_##symbol##_begin[];                                        \
    extern const unsigned char mkb_blob_##symbol##_end[];
#include "embedded_pictures.inc"
#undef MKB_PICTURE
#endif

extern const TEmbeddedResource mkb_embedded_resources[];
extern const std::size_t mkb_embedded_resource_count;

const TEmbeddedResource mkb_embedded_resources[] = {
    {"MKBDATA", mkb_blob_MKBDATA_begin,
     static_cast<std::size_t>(mkb_blob_MKBDATA_end - mkb_blob_MKBDATA_begin)},
    {"MKBDATES", mkb_blob_MKBDATES_begin,
     static_cast<std::size_t>(mkb_blob_MKBDATES_end - mkb_blob_MKBDATES_begin)},
#if defined(MKB_EMBED_PICTURES)
#define MKB_PICTURE(symbol, file)                                                                  \
    {"pictures/" file, mkb_blob_##symbol##_begin,                                                  \
     static_cast<std::size_t>(mkb_blob_##symbol##_end - mkb_blob_##symbol##_begin)},
#include "embedded_pictures.inc"
#undef MKB_PICTURE
#endif
};
const std::size_t mkb_embedded_resource_count =
    sizeof(mkb_embedded_resources) / sizeof(mkb_embedded_resources[0]);
}
