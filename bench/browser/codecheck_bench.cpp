// The check of written codes over register-like text: 10,000 codes in about 1 MB, and 1,000
// codes in about 100 KB; the medians of the repetitions are the figures to watch (at most
// 20 ms and 3 ms in a Release build). Also the making of the checker's tables.
// Run: bench_codecheck
#include "browser/codecheck.h"
#include "data/loader.h"
#include "platform/codepage.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <memory>
#include <random>

using namespace mkb::browser;

namespace {

struct TFixture {
    TRecordIndex Index;
    std::unique_ptr<TCodeChecker> Checker;
    TFixture() {
        if (MKBRecs[0].id == 0)
            LoadClassification();
        Index.Build(MKBStore());
        Checker = std::make_unique<TCodeChecker>(Index, TCodeDates::Embedded());
    }
};

TFixture& Fixture() {
    static TFixture fixture;
    return fixture;
}

// Lines of a register: a number, a name, a date, the code (mostly the classification's own,
// some dotless, in Cyrillic look-alikes or mistyped), a comment; padded to about 100 units.
std::u16string Register(std::size_t codes) {
    std::vector<std::u16string> known;
    for (const TMKBRec& rec : MKBStore())
        if (!rec.code.empty() && rec.code.size() <= 7 && rec.code[0] >= 'A' && rec.code[0] <= 'Z')
            known.push_back(DecodeCodePage(rec.code, 1251));
    std::mt19937 random(27);
    std::u16string text;
    for (std::size_t i = 0; i < codes; ++i) {
        std::u16string code = known[random() % known.size()];
        switch (random() % 10) {
        case 0:
            code.erase(std::remove(code.begin(), code.end(), u'.'), code.end());
            break;
        case 1:
            code[1] = u'0' + random() % 10;
            break;
        case 2:
            if (code[0] == u'C')
                code[0] = u'С';
            break;
        default:
            break;
        }
        text += std::u16string(u"") + char16_t(u'0' + i % 10) + u"12;Пациент Иванов И. И.;" +
                u"01.02.2024;" + code + u";поступил повторно, документ N12345, ф. 066/у-02;" +
                u"        \n";
    }
    return text;
}

void Check(benchmark::State& state) {
    const TFixture& f = Fixture();
    const std::u16string text = Register(static_cast<std::size_t>(state.range(0)));
    std::size_t findings = 0;
    for (auto _ : state) {
        const TCheckReport report = f.Checker->Check(text);
        findings = report.Findings.size();
        benchmark::DoNotOptimize(report.Findings.data());
    }
    state.counters["findings"] = static_cast<double>(findings);
    state.counters["KB"] = static_cast<double>(text.size() * 2 / 1024);
}
BENCHMARK(Check)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Repetitions(15);

// Also the verdicts of the classification's own codes, each alone, and of its withdrawn ones:
// the counters say how many categories need a fourth character and so on.
void MakeChecker(benchmark::State& state) {
    TFixture& f = Fixture();
    for (auto _ : state) {
        TCodeChecker checker(f.Index, TCodeDates::Embedded());
        benchmark::DoNotOptimize(&checker);
    }
    std::array<std::size_t, CodeVerdictCount> counts{};
    std::size_t categories = 0, subcategories = 0;
    for (const TMKBRec& rec : MKBStore()) {
        const std::u16string code = DecodeCodePage(rec.code, 1251);
        if (code.empty() || code[0] < u'A' || code[0] > u'Z')
            continue;
        const auto finding = f.Checker->CheckOne(code);
        if (!finding)
            continue;
        ++counts[static_cast<std::size_t>(finding->Verdict)];
        categories += finding->Code.size() == 3;
        subcategories += finding->Code.size() == 5;
    }
    for (const TWithdrawnCode& w : TCodeDates::Embedded().Withdrawn())
        if (const auto finding = f.Checker->CheckOne(w.Code))
            ++counts[static_cast<std::size_t>(finding->Verdict)];
    state.counters["categories"] = static_cast<double>(categories);
    state.counters["subcategories"] = static_cast<double>(subcategories);
    const char* names[] = {"usable", "needs4",    "needs5", "asterisk",
                           "dagger", "withdrawn", "range",  "unknown"};
    for (std::size_t i = 0; i < CodeVerdictCount; ++i)
        state.counters[names[i]] = static_cast<double>(counts[i]);
}
BENCHMARK(MakeChecker)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
