// libFuzzer target: a file's bytes decoded for the check, checked whole and in slices, and
// written as TSV and CSV. Aborts when the two runs disagree or a finding is not the text's own.
#include "browser/codecheck.h"
#include "data/loader.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_codecheck: %s\n", what);
    std::abort();
}

const TCodeChecker& Checker() {
    static const std::unique_ptr<TRecordIndex> index = [] {
        LoadClassification();
        return std::make_unique<TRecordIndex>(MKBStore());
    }();
    static const TCodeChecker checker(*index, TCodeDates::Embedded());
    return checker;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TCodeChecker& checker = Checker();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TDecodedCheckFile file = DecodeCheckFile(bytes);
    if (file.Ok() && file.Text.find_first_not_of(u" \t\r\n\f") == std::u16string::npos)
        Fail("an empty file is accepted");
    if (!file.Ok())
        return 0;
    const std::u16string& text = file.Text;
    const TCheckReport whole = checker.Check(text);
    std::size_t counted = 0;
    for (const std::size_t c : whole.Counts)
        counted += c;
    if (counted != whole.Findings.size())
        Fail("the counts do not add up to the findings");
    for (const TCodeFinding& f : whole.Findings) {
        if (f.Start + f.Length > text.size() || f.Written != text.substr(f.Start, f.Length))
            Fail("a finding is not the text's own");
        if (f.Record >= static_cast<int>(MKBStore().size()))
            Fail("a finding's record is outside the store");
    }
    TCodeChecker::TRun run(checker, text);
    const std::size_t slice = size ? data[0] % 64 + 1 : 1;
    while (run.Step(slice)) {
    }
    const TCheckReport& sliced = run.Report();
    if (sliced.Findings.size() != whole.Findings.size() || sliced.Counts != whole.Counts)
        Fail("the sliced run finds other codes");
    for (std::size_t i = 0; i < whole.Findings.size(); ++i)
        if (sliced.Findings[i].Start != whole.Findings[i].Start ||
            sliced.Findings[i].Verdict != whole.Findings[i].Verdict)
            Fail("the sliced run judges otherwise");
    if (FindingsTsv(whole, MKBStore()).empty() || FindingsCsv(whole, MKBStore()).empty())
        Fail("no table written");
    checker.CheckOne(text.substr(0, 32));
    return 0;
}
