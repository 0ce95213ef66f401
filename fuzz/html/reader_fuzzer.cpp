#include "fuzz/html/builder_entry.h"
#include "fuzz/html/reader_entry.h"

// Every input goes through the reader on its own and then through the builder, layout and
// painting.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    HtmlReaderFuzzOne(data, size);
    return HtmlBuilderFuzzOne(data, size);
}
