// libFuzzer target: the XML scanner and the classification loader on arbitrary bytes.
#include "fuzz/xml/xml_fuzz_entry.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string failure;
    if (!MkbXmlFuzzCheck(data, size, failure)) {
        std::fprintf(stderr, "fuzz_xml: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
