#include "fuzz/html/reader_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return HtmlReaderFuzzOne(data, size);
}
