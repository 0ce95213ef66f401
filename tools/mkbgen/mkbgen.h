#pragma once
// A synthetic classification document of the full scale the browser is made for: the record
// counts by depth, the text lengths and line-break sequences of the printed edition, and the
// exact byte layout of the embedded document. Deterministic for a given seed, so benchmark
// figures from different runs compare.
#include <cstdint>
#include <string>

constexpr std::uint64_t MkbGenDefaultSeed = 0x4D4B4231300A0D01ull;

// The whole document, windows-1251, CR LF line ends.
std::string GenerateSyntheticClassification(std::uint64_t seed = MkbGenDefaultSeed);
