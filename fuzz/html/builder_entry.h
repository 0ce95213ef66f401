#pragma once
#include <cstddef>
#include <cstdint>

// Builds a document from the bytes (UTF-16 text after a first byte that picks a layout width),
// lays it out at widths 0, 1 and the picked one and paints it on a recording canvas. Shared by
// the fuzzer and the test suite; aborts when a laid-out section lost characters.
int HtmlBuilderFuzzOne(const std::uint8_t* data, std::size_t size);
