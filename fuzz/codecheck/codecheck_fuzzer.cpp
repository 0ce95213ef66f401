// libFuzzer target: the code check on a file's bytes (codecheck_fuzz_entry.h).
#include "fuzz/codecheck/codecheck_fuzz_entry.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string failure;
    if (!CodeCheckFuzzCheck(data, size, failure)) {
        std::fprintf(stderr, "fuzz_codecheck: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
