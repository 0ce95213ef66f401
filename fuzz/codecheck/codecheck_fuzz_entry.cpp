#include "fuzz/codecheck/codecheck_fuzz_entry.h"

#include "browser/codecheck.h"
#include "data/loader.h"

#include <memory>

using namespace mkb::browser;

namespace {

const TCodeChecker& Checker() {
    static const std::unique_ptr<TRecordIndex> index = [] {
        if (MKBRecs[0].id == 0)
            LoadClassification();
        return std::make_unique<TRecordIndex>(MKBStore());
    }();
    static const TCodeChecker checker(*index, TCodeDates::Embedded());
    return checker;
}

} // namespace

bool CodeCheckFuzzCheck(const std::uint8_t* data, std::size_t size, std::string& failure) {
    const TCodeChecker& checker = Checker();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TDecodedCheckFile file = DecodeCheckFile(bytes);
    if (file.Ok() && file.Text.find_first_not_of(u" \t\r\n\f") == std::u16string::npos)
        return failure = "an empty file is accepted", false;
    if (!file.Ok())
        return true;
    const std::u16string& text = file.Text;
    const TCheckReport whole = checker.Check(text);
    std::size_t counted = 0;
    for (const std::size_t c : whole.Counts)
        counted += c;
    if (counted != whole.Findings.size())
        return failure = "the counts do not add up to the findings", false;
    for (const TCodeFinding& f : whole.Findings) {
        if (f.Start + f.Length > text.size() || f.Written != text.substr(f.Start, f.Length))
            return failure = "a finding is not the text's own", false;
        if (f.Record >= static_cast<int>(MKBStore().size()))
            return failure = "a finding's record is outside the store", false;
    }
    TCodeChecker::TRun run(checker, text);
    const std::size_t slice = size ? data[0] % 64 + 1 : 1;
    while (run.Step(slice)) {
    }
    const TCheckReport& sliced = run.Report();
    if (sliced.Findings.size() != whole.Findings.size() || sliced.Counts != whole.Counts)
        return failure = "the sliced run finds other codes", false;
    for (std::size_t i = 0; i < whole.Findings.size(); ++i)
        if (sliced.Findings[i].Start != whole.Findings[i].Start ||
            sliced.Findings[i].Verdict != whole.Findings[i].Verdict)
            return failure = "the sliced run judges otherwise", false;
    if (FindingsTsv(whole, MKBStore()).empty() || FindingsCsv(whole, MKBStore()).empty())
        return failure = "no table written", false;
    checker.CheckOne(text.substr(0, 32));
    return true;
}
