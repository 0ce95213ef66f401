#pragma once
// A millisecond tick: milliseconds since an arbitrary start, wrapping at 2^32 like the
// platform's own tick count. Differences of two ticks taken as unsigned stay correct across
// the wrap.
#include <cstdint>

std::uint32_t GetTickCount();
