#pragma once
// Whole files read and written by their path as the user chose it (UTF-16, any script).
#include <cstddef>
#include <string>
#include <string_view>

struct TFileBytes {
    std::string Bytes;
    std::u16string Error; // empty when Bytes is the whole file
    bool Ok() const { return Error.empty(); }
};

// The file's bytes, or why there are none: it cannot be opened or read, or it is larger than
// limit bytes (the message gives the limit).
TFileBytes ReadFileBytes(const std::u16string& path, std::size_t limit);

// Writes the bytes in place of the file's: into a new file beside it first, which then takes
// the old one's name, so a failure leaves the old file whole. The error, empty on success.
std::u16string WriteFileBytes(const std::u16string& path, std::string_view bytes);
