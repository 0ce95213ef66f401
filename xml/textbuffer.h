#pragma once
// An owning byte buffer for whole documents. Large ones are mapped as whole pages and offered
// to the kernel for huge pages: on a 22 MB document that saves thousands of page faults, which
// cost more than the scan itself on some machines.
#include <cstddef>

class TTextBuffer {
public:
    TTextBuffer() = default;
    ~TTextBuffer() { reset(); }
    TTextBuffer(const TTextBuffer&) = delete;
    TTextBuffer& operator=(const TTextBuffer&) = delete;

    // Replaces the buffer with one of size bytes (contents unspecified); false when there is no
    // memory for it, leaving the buffer empty.
    bool Allocate(std::size_t size);
    void reset();

    char* get() const { return FData; }
    std::size_t size() const { return FSize; }
    explicit operator bool() const { return FData != nullptr; }
    char& operator[](std::size_t i) const { return FData[i]; }

private:
    char* FData{nullptr};
    std::size_t FSize{0};
    bool FMapped{false};
};
