#pragma once
// The pieces the synthetic classification is made of: a repeatable random sequence, and the
// words, codes and running texts of the records (windows-1251, as the document holds them).
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mkbgen {

constexpr int kClasses = 21;

// splitmix64: the same sequence on every platform and library, unlike std's distributions.
class TRng {
public:
    explicit TRng(std::uint64_t seed) : FState(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (FState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    bool Chance(double p) { return Unit() < p; }
    // Mostly short values with a long tail, as text lengths are.
    int Skewed(int lo, int hi, double power) {
        return lo + static_cast<int>(std::pow(Unit(), power) * (hi - lo));
    }
    template <class T> void Shuffle(std::vector<T>& v) {
        for (std::size_t i = v.size(); i > 1; --i)
            std::swap(v[i - 1], v[static_cast<std::size_t>(Below(static_cast<int>(i)))]);
    }

private:
    std::uint64_t FState;
};

enum class TTextKind { Name, Incl, Excl, Note };

// UTF-8 Cyrillic to windows-1251.
std::string ToCp1251(std::string_view utf8);

// The classes' titles (UTF-8) and numerals.
extern const std::string_view kClassTitlesUtf8[kClasses];
extern const std::string_view kRoman[kClasses];

class TWords {
public:
    TWords();
    const std::string& Pick(TRng& rng) const {
        return FWords[static_cast<std::size_t>(rng.Below(static_cast<int>(FWords.size())))];
    }

private:
    std::vector<std::string> FWords;
};

// The n-th three-character category code (A00, A01, ...).
std::string CategoryCode(int n);
// The k-th child code of a category: .0 to .9, then .00 to .99.
std::string SubcategoryCode(const std::string& category, int k);
// Running text of exactly `length` characters, in sentences; withBreak puts the source's
// line-break sequence between some of them (at least once).
std::string MakeText(TRng& rng, const TWords& words, int length, bool withBreak, TTextKind kind);
std::string UpperText(std::string s);

} // namespace mkbgen
