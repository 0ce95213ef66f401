#pragma once
// One fuzz input through the scanner and the loader. Shared by the libFuzzer target and the
// replay suite, so that an input fixed once stays fixed.
#include <cstddef>
#include <cstdint>
#include <string>

// Walks every part of the input twice (with a Rewind between), touching every field and the
// bytes of every part's span, then loads it into a small record store. Returns false with a
// description in `failure` when the scanner broke one of its own guarantees: a span outside
// the text, a pass that stops advancing, passes that disagree, an exception other than the
// system's own.
bool MkbXmlFuzzCheck(const std::uint8_t* data, std::size_t size, std::string& failure);
