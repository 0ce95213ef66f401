// Writes the synthetic classification document: mkbgen <output> [seed]
#include "tools/mkbgen/mkbgen.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: mkbgen <output.xml> [seed]\n");
        return 2;
    }
    std::uint64_t seed = MkbGenDefaultSeed;
    if (argc == 3) {
        char* end = nullptr;
        seed = std::strtoull(argv[2], &end, 0);
        if (!end || *end) {
            std::fprintf(stderr, "mkbgen: '%s' is not a seed\n", argv[2]);
            return 2;
        }
    }
    const std::string doc = GenerateSyntheticClassification(seed);
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f) {
        std::fprintf(stderr, "mkbgen: cannot create %s\n", argv[1]);
        return 1;
    }
    bool ok = std::fwrite(doc.data(), 1, doc.size(), f) == doc.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "mkbgen: cannot write %s\n", argv[1]);
        std::remove(argv[1]);
        return 1;
    }
    std::printf("mkbgen: wrote %zu bytes to %s\n", doc.size(), argv[1]);
    return 0;
}
