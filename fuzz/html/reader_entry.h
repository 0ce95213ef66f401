#pragma once
#include <cstddef>
#include <cstdint>

// Reads the bytes, taken as UTF-16 text after a first byte that picks the code page in force,
// through the HTML reader to the end of input. Shared by the fuzzer and the test suite.
int HtmlReaderFuzzOne(const std::uint8_t* data, std::size_t size);
