#include "xml/textbuffer.h"

#include <new>
#include <sys/mman.h>

namespace {
constexpr std::size_t kMapFrom = std::size_t{2} << 20;
}

bool TTextBuffer::Allocate(std::size_t size) {
    reset();
    if (size >= kMapFrom) {
        void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            return false;
        madvise(p, size, MADV_HUGEPAGE); // advice only: without huge pages it works the same
        FData = static_cast<char*>(p);
        FMapped = true;
    } else {
        FData = new (std::nothrow) char[size == 0 ? 1 : size];
        if (!FData)
            return false;
    }
    FSize = size;
    return true;
}

void TTextBuffer::reset() {
    if (FMapped)
        munmap(FData, FSize);
    else
        delete[] FData;
    FData = nullptr;
    FSize = 0;
    FMapped = false;
}
