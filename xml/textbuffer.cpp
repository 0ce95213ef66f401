#include "xml/textbuffer.h"

#include <new>
#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace {
constexpr std::size_t kMapFrom = std::size_t{2} << 20;
}

bool TTextBuffer::Allocate(std::size_t size) {
    reset();
    if (size >= kMapFrom) {
#if defined(_WIN32)
        void* p = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (!p)
            return false;
#else
        void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            return false;
        madvise(p, size, MADV_HUGEPAGE); // advice only: without huge pages it works the same
#endif
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
#if defined(_WIN32)
        VirtualFree(FData, 0, MEM_RELEASE);
#else
        munmap(FData, FSize);
#endif
    else
        delete[] FData;
    FData = nullptr;
    FSize = 0;
    FMapped = false;
}
