#pragma once
// The check of a list of codes written by others (a register, a spreadsheet column, a
// discharge summary): every code-shaped token of a text, and whether it may be used as it
// stands. No toolkit here: a window gives the text and shows the findings.
//
// What a code is in a text: a letter (Latin, or any Cyrillic letter: look-alikes read as the
// Latin ones, the others as typed in the wrong layout), two digits, then optionally the dot (or
// a decimal comma) and one or two more digits, or those digits without the dot ("J101" is
// J10.1, "S0200" is S02.00); then optionally the mark "†", "+" or "*". The letter must not
// follow a letter, a digit or one of "_ @ / \ # №" (so "AB12.3" and "№N12" hold no code), and
// the code must not be followed by a letter or a digit (so "N12345" is none). A dot or comma
// not followed by a digit ends the code as punctuation. Two codes joined by "-", "–" or "—"
// (spaces around it allowed) are a range.
#include "data/codedates.h"
#include "data/recindex.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mkb::browser {

enum class TCodeVerdict : std::uint8_t {
    cvUsable,      // a subcategory, or a category without subcategories
    cvNeedsFourth, // a category with subcategories
    cvNeedsFifth,  // a subcategory with fifth-character codes
    cvAsterisk,    // a manifestation code: only beside its dagger code, never the main code
    cvDaggerAlone, // a dagger code with no asterisk code on its line (a warning)
    cvWithdrawn,   // withdrawn from the classification
    cvRange,       // a block, class or other range: not a code for a case
    cvUnknown,     // not in МКБ-10
};
using enum TCodeVerdict;
constexpr std::size_t CodeVerdictCount = 8;

enum class TVerdictLevel : std::uint8_t { vlOk, vlWarning, vlError };
using enum TVerdictLevel;

// The verdict as the window names it («Нужен 4-й знак»).
std::u16string_view VerdictText(TCodeVerdict verdict);
TVerdictLevel VerdictLevel(TCodeVerdict verdict);

struct TCodeFinding {
    std::size_t Start{0};   // in the text, UTF-16 units
    std::size_t Length{0};  // the code as written, marks included, trailing punctuation not
    std::size_t Line{1};    // 1-based
    std::size_t Column{1};  // 1-based, in UTF-16 units from the line's start
    std::u16string Written; // the code as the text has it
    std::u16string Code;    // read: "J10.1", "A17.0", "J00-J06"; marks dropped
    char16_t Mark{0};       // the record's mark: u'†' a dagger code, u'*' an asterisk code
    TCodeVerdict Verdict{cvUnknown};
    int Record{-1};         // the record's slot in the store; -1 for none
    std::u16string Note;    // what to do, the date, the block's name, the suggestion's reason
    std::u16string Suggest; // a code meant, where one is near; empty when none
    std::u16string Title;   // a withdrawn code's title, which no record of the store holds
};

struct TCheckReport {
    std::vector<TCodeFinding> Findings; // in text order
    std::array<std::size_t, CodeVerdictCount> Counts{};
    std::size_t Lines{0}; // lines of the text checked
    // Where the check stopped on reaching MaxCheckFindings; npos when it read the whole text.
    std::size_t CutAt{std::size_t(-1)};
};

// The most findings one check keeps (about 300 bytes each): a text of nothing but codes stops
// there, and the report says where.
constexpr std::size_t MaxCheckFindings = 250000;
// The message for a report cut short; empty for a whole one.
std::u16string CutMessage(const TCheckReport& report);

// A set of verdicts for filtering: bit (1 << verdict).
using TVerdictMask = std::uint32_t;
constexpr TVerdictMask AllVerdicts = (1u << CodeVerdictCount) - 1;
constexpr TVerdictMask VerdictBit(TCodeVerdict v) {
    return 1u << static_cast<unsigned>(v);
}
// The indexes of the findings whose verdict is in the mask, in text order.
std::vector<std::size_t> FilterFindings(const TCheckReport& report, TVerdictMask mask);

// The largest text the check takes: a file's bytes, or the units of a given text.
constexpr std::size_t MaxCheckBytes = 16u << 20;

// A file's text for the check, or why there is none.
struct TDecodedCheckFile {
    std::u16string Text;
    std::u16string Error;    // empty when Text is the file's text
    std::u16string Encoding; // «UTF-8», «UTF-16», «windows-1251»
    bool Ok() const { return Error.empty(); }
};
// UTF-8 (with or without a byte-order mark), UTF-16 (with its mark, or without it when nearly
// every character is Latin or Cyrillic), or else windows-1251.
// Refuses an empty file, one above MaxCheckBytes and binary data, saying which.
TDecodedCheckFile DecodeCheckFile(std::string_view bytes);

class TCodeChecker {
public:
    // Over a built record index and the table of dated records; both must outlive the checker.
    TCodeChecker(const TRecordIndex& index, const TCodeDates& dates);

    // The whole text at once; an empty report for a text above MaxCheckBytes units (see
    // TooLong).
    TCheckReport Check(std::u16string_view text) const;
    // Why a text cannot be checked («Текст длиннее ...»); empty when it can.
    static std::u16string TooLong(std::u16string_view text);

    // The check of one text in slices, so that a window stays responsive: Step checks about
    // that many units more (whole tokens; a token begun in a slice is read to its end). The text
    // must outlive the run. While it runs, Report() has every finding so far, but Counts cover
    // finished lines only and the dual-coding verdicts of the current line may still change.
    class TRun {
    public:
        TRun(const TCodeChecker& checker, std::u16string_view text);
        // False once the whole text is checked.
        bool Step(std::size_t units = 64 * 1024);
        bool Done() const { return Pos >= Text.size() && Finished; }
        // Checked units of the text.
        std::size_t Position() const { return Pos; }
        const TCheckReport& Report() const { return FReport; }
        TCheckReport TakeReport() { return std::move(FReport); }

    private:
        void EndLine();
        const TCodeChecker& Checker;
        std::u16string_view Text;
        std::size_t Pos{0};
        bool Finished{false};
        TCheckReport FReport;
        // The current line's findings still open to the line's other codes.
        std::size_t LineFirst{0};
        std::size_t LineStart{0}; // where the current line begins in the text
        bool LineHasAsterisk{false};
        bool LineHasDagger{false};
    };

    // The finding for one code as written ("J101", "а17.0†"); nullopt when it is not one
    // code-shaped token from start to end.
    std::optional<TCodeFinding> CheckOne(std::u16string_view code) const;

private:
    struct TCodeInfo {
        int Slot{-1};
        std::uint8_t Mark{0}; // '+' dagger, '*' asterisk, 0 none
        bool HasChildren{false};
    };
    struct TToken {
        std::size_t Start{0}, End{0};
        std::uint64_t Key{0};    // the code's letters and digits, packed
        std::uint64_t EndKey{0}; // a range's second code; 0 for a single code
        char16_t Letter{0};      // the first letter as written
    };
    // Reads one code at text[i] (boundaries included) into its end and key.
    bool ReadCode(std::u16string_view text, std::size_t i, std::size_t& end,
                  std::uint64_t& key) const;
    static std::uint64_t PackRange(std::uint64_t first, std::uint64_t last);
    // Finds the next code-shaped token starting in [from, to); false when none.
    bool NextToken(std::u16string_view text, std::size_t from, std::size_t to, TToken& token) const;
    TCodeFinding Judge(std::u16string_view text, const TToken& token) const;
    const TCodeInfo* Find(std::uint64_t key) const;
    void Suggest(const TToken& token, TCodeFinding& finding) const;

    const TRecordIndex& Index;
    const TCodeDates& Dates;
    std::unordered_map<std::uint64_t, TCodeInfo> Codes;
    std::unordered_map<std::uint64_t, std::size_t> WithdrawnOfKey; // index in Dates.Withdrawn()
    std::unordered_map<std::uint64_t, int> BlockOfRange;           // a block's or class's slot
};

// The findings as text for the clipboard: a header line, then one line per finding, fields
// separated by tabs (tabs and line breaks inside a field become spaces). With rows, only those
// findings, in that order.
std::u16string FindingsTsv(const TCheckReport& report, std::span<const TMKBRec> store,
                           std::span<const std::size_t> rows = {});
// The same as a CSV file: UTF-8 with a byte-order mark, ";" between fields, every text field
// quoted, CR LF between lines, as spreadsheets on a Russian desktop read it.
std::string FindingsCsv(const TCheckReport& report, std::span<const TMKBRec> store,
                        std::span<const std::size_t> rows = {});

} // namespace mkb::browser
