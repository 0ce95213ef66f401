#pragma once
// One fuzz input through the code check. Shared by the libFuzzer target and the replay test, so
// that an input fixed once stays fixed.
#include <cstddef>
#include <cstdint>
#include <string>

// Decodes the bytes as a file given to the check, checks the text whole and in slices (the
// slice's size from the first byte), and writes the findings as TSV and CSV. Returns false with
// a description in `failure` when a guarantee broke: an empty text accepted, counts that do
// not add up, a finding that is not the text's own, slices that disagree with the whole.
bool CodeCheckFuzzCheck(const std::uint8_t* data, std::size_t size, std::string& failure);
