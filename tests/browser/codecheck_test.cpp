// The check of written codes against the embedded classification and its table of dated
// records.
#include "browser/codecheck.h"
#include "data/loader.h"
#include "fuzz/codecheck/codecheck_fuzz_entry.h"
#include "text/utf.h"
#include "tools/mkbconv/source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

using namespace mkb::browser;

using namespace mkb::text;

namespace {

class CodeCheck : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (MKBRecs[0].id == 0)
            LoadClassification();
        Index = std::make_unique<TRecordIndex>(MKBStore());
        Checker = std::make_unique<TCodeChecker>(*Index, TCodeDates::Embedded());
    }
    static void TearDownTestSuite() {
        Checker.reset();
        Index.reset();
    }
    static inline std::unique_ptr<TRecordIndex> Index;
    static inline std::unique_ptr<TCodeChecker> Checker;
};

std::u16string U(const char* utf8) {
    return Utf8ToUtf16(utf8);
}

TEST_F(CodeCheck, VerdictsOfSingleCodes) {
    struct TCase {
        const char* Written;
        const char* Code;
        TCodeVerdict Verdict;
        const char* Suggest;
        const char* NoteHas;
    };
    const TCase cases[] = {
        {"J10.1", "J10.1", cvUsable, "", ""},
        {"j101", "J10.1", cvUsable, "", "без точки"},
        {"J10,1", "J10.1", cvUsable, "", ""},
        {"Е10.9", "E10.9", cvUsable, "", "кириллицы"}, // Cyrillic Е
        {"J13", "J13", cvUsable, "", ""},
        {"U07.1", "U07.1", cvUsable, "", ""},
        {"J10", "J10", cvNeedsFourth, "", "J10.0"},
        {"S02.0", "S02.0", cvNeedsFifth, "", "S02.00"},
        {"S0200", "S02.00", cvUsable, "", ""},
        {"G01*", "G01", cvAsterisk, "", "никогда не основной"},
        {"G01", "G01", cvAsterisk, "", ""},
        {"A17.0†", "A17.0", cvDaggerAlone, "", "звёздочкой"},
        {"A18.0+", "A18.0", cvDaggerAlone, "", ""},
        {"I84", "I84", cvWithdrawn, "", "исключен с 07.10.2020"},
        {"к35.0", "K35.0", cvWithdrawn, "", "исключен с 07.10.2020"},
        {"J00-J06", "J00-J06", cvRange, "", "блок"},
        {"J00–J06", "J00-J06", cvRange, "", "блок"},
        {"A15.0 - A15.3", "A15.0-A15.3", cvRange, "", "диапазон"},
        {"J10.11", "J10.11", cvUnknown, "J10.1", "лишний знак"},
        {"О10.1", "O10.1", cvUsable, "", ""}, // a look-alike is read, even where J was meant
        {"Ш20.9", "Ш20.9", cvUnknown, "I20.9", "раскладка"},
        {"Z99.99", "Z99.99", cvUnknown, "Z99.9", ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Written);
        const auto f = Checker->CheckOne(U(c.Written));
        ASSERT_TRUE(f.has_value());
        EXPECT_EQ(f->Code, U(c.Code));
        EXPECT_EQ(f->Verdict, c.Verdict) << VerdictText(f->Verdict).size();
        EXPECT_EQ(f->Suggest, U(c.Suggest));
        EXPECT_NE(f->Note.find(U(c.NoteHas)), std::u16string::npos) << Utf16ToUtf8(f->Note);
        EXPECT_EQ(f->Record >= 0, c.Verdict != cvWithdrawn && c.Verdict != cvUnknown &&
                                      c.Code != std::string("A15.0-A15.3"));
    }
}

TEST_F(CodeCheck, FindsCodesOnlyWhereTheyStandAlone) {
    struct TCase {
        const char* Text;
        std::vector<const char*> Written;
    };
    const TCase cases[] = {
        {"Документ N12345 от 01.02.2020, AB12.3, x_J10, №J10, a/J10", {}},
        {"J10.123 J10.1.2 J1 J1O 10J10", {}},
        {"Диагноз:J10.1. Сопутствующий: I10, E11.9;(K29.7)", {"J10.1", "I10", "E11.9", "K29.7"}},
        {"«A17.0†G01*» и A17.0+ G01*", {"A17.0†", "G01*", "A17.0+", "G01*"}},
        {"J00-J06, J00 — J06; S02.00-", {"J00-J06", "J00 — J06", "S02.00"}},
        {"\tj101\r\nа01.0\n", {"j101", "а01.0"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        const std::u16string text = U(c.Text);
        const TCheckReport report = Checker->Check(text);
        ASSERT_EQ(report.Findings.size(), c.Written.size());
        for (std::size_t i = 0; i < c.Written.size(); ++i) {
            EXPECT_EQ(report.Findings[i].Written, U(c.Written[i]));
            EXPECT_EQ(text.substr(report.Findings[i].Start, report.Findings[i].Length),
                      report.Findings[i].Written);
        }
    }
}

TEST_F(CodeCheck, DualCodingIsJudgedPerLine) {
    const TCheckReport r = Checker->Check(U("A17.0† G01*\nA17.0†\nG01*\nM01.1* A18.0+"));
    ASSERT_EQ(r.Findings.size(), 6u);
    const TCodeVerdict expected[] = {cvUsable,   cvAsterisk, cvDaggerAlone,
                                     cvAsterisk, cvAsterisk, cvUsable};
    const std::size_t lines[] = {1, 1, 2, 3, 4, 4};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(r.Findings[i].Verdict, expected[i]) << i;
        EXPECT_EQ(r.Findings[i].Line, lines[i]) << i;
        EXPECT_EQ(r.Findings[i].Column, i % 2 && i != 3 ? 8u : 1u) << i;
    }
    EXPECT_NE(r.Findings[1].Note.find(u"при коде †"), std::u16string::npos);
    EXPECT_NE(r.Findings[3].Note.find(u"кода † нет"), std::u16string::npos);
    EXPECT_EQ(r.Lines, 4u);
    EXPECT_EQ(r.Counts[std::size_t(cvAsterisk)], 3u);
    EXPECT_EQ(r.Counts[std::size_t(cvUsable)], 2u);
    EXPECT_EQ(FilterFindings(r, VerdictBit(cvDaggerAlone)), std::vector<std::size_t>{2});
}

TEST_F(CodeCheck, SlicedRunGivesTheSameReport) {
    std::u16string text;
    for (int i = 0; i < 300; ++i)
        text += U("J10.1 A17.0† I84 J00-J06 N12345 Ш10.1\nG01* S02.0\n");
    const TCheckReport whole = Checker->Check(text);
    for (const std::size_t slice : {1u, 7u, 4096u}) {
        TCodeChecker::TRun run(*Checker, text);
        EXPECT_TRUE(run.Step(slice));
        EXPECT_LT(run.Position(), text.size());
        while (run.Step(slice)) {
        }
        EXPECT_TRUE(run.Done());
        const TCheckReport& sliced = run.Report();
        ASSERT_EQ(sliced.Findings.size(), whole.Findings.size()) << slice;
        for (std::size_t i = 0; i < whole.Findings.size(); ++i) {
            EXPECT_EQ(sliced.Findings[i].Start, whole.Findings[i].Start);
            EXPECT_EQ(sliced.Findings[i].Verdict, whole.Findings[i].Verdict);
        }
        EXPECT_EQ(sliced.Counts, whole.Counts);
    }
    EXPECT_EQ(whole.Findings.size(), 300u * 7);
    EXPECT_EQ(whole.Counts[std::size_t(cvDaggerAlone)], 300u);
    // A text of nothing but codes stops at the most a check keeps, and says where.
    std::u16string flood;
    for (std::size_t i = 0; i <= MaxCheckFindings; ++i)
        flood += u"A00 ";
    const TCheckReport cut = Checker->Check(flood);
    EXPECT_EQ(cut.Findings.size(), MaxCheckFindings);
    EXPECT_EQ(cut.CutAt, MaxCheckFindings * 4);
    EXPECT_NE(CutMessage(cut).find(u"250000"), std::u16string::npos);
    EXPECT_EQ(CutMessage(whole), u"");
}

TEST_F(CodeCheck, CsvIsReadBackAsWritten) {
    const TCheckReport r = Checker->Check(U("J10 \"x\"; J10.1\nI84;Ш10.1"));
    const std::string csv = FindingsCsv(r, MKBStore());
    ASSERT_TRUE(csv.starts_with("\xEF\xBB\xBF"));
    const TSourceTable table = ReadSourceTable(csv);
    ASSERT_EQ(table.Rows.size(), r.Findings.size());
    EXPECT_EQ(table.Header.front(), "Строка");
    for (std::size_t i = 0; i < r.Findings.size(); ++i) {
        EXPECT_EQ(table.Rows[i][1], Utf16ToUtf8(r.Findings[i].Written));
        EXPECT_EQ(table.Rows[i][3], Utf16ToUtf8(VerdictText(r.Findings[i].Verdict)));
        EXPECT_EQ(table.Rows[i][4], Utf16ToUtf8(r.Findings[i].Note));
    }
    EXPECT_EQ(table.Rows[1][6], "Грипп с другими респираторными проявлениями, сезонный вирус "
                                "гриппа идентифицирован");
    EXPECT_EQ(table.Rows[2][6], "Геморрой"); // a withdrawn code's title, from the dated table
    const std::size_t rows[] = {2};
    const std::u16string tsv = FindingsTsv(r, MKBStore(), rows);
    EXPECT_EQ(tsv.substr(tsv.find(u'\n') + 1, 9), u"2\tI84\tI84");
}

TEST(CodeCheckFile, DecodesOrRefuses) {
    EXPECT_EQ(DecodeCheckFile("J10.1\n").Encoding, u"UTF-8");
    // «Мальчик J10.1» and a character cut off after its first byte: still UTF-8.
    EXPECT_EQ(DecodeCheckFile("\xD0\x9C\xD0\xB0\xD0\xBB\xD1\x8C\xD1\x87\xD0\xB8\xD0\xBA J10.1 \xD0")
                  .Encoding,
              u"UTF-8");
    const TDecodedCheckFile cp = DecodeCheckFile("\xC3\xF0\xE8\xEF\xEF J10.1"); // «Грипп»
    EXPECT_EQ(cp.Encoding, u"windows-1251");
    EXPECT_EQ(cp.Text, u"Грипп J10.1");
    EXPECT_EQ(DecodeCheckFile(std::string_view("\xFF\xFEJ\0"
                                               "1\0"
                                               "0\0",
                                               8))
                  .Text,
              u"J10");
    EXPECT_EQ(DecodeCheckFile(std::string_view("\x10\x04J\0"
                                               "1\0"
                                               "0\0",
                                               8))
                  .Text,
              u"АJ10");
    const std::string big(MaxCheckBytes + 1, 'A');
    const struct {
        std::string_view Bytes;
        const char16_t* Says;
    } refused[] = {{"", u"пуст"},
                   {" \r\n", u"пуст"},
                   {std::string_view("J10\0\x01", 5), u"двоичные"},
                   {"\x01\x02\x03\x04 J10", u"двоичные"},
                   {std::string_view("\0\0\0\0", 4), u"двоичные"},
                   {big, u"16777216"}};
    for (const auto& r : refused) {
        const TDecodedCheckFile d = DecodeCheckFile(r.Bytes);
        EXPECT_FALSE(d.Ok());
        EXPECT_NE(d.Error.find(r.Says), std::u16string::npos) << Utf16ToUtf8(d.Error);
    }
    EXPECT_NE(TCodeChecker::TooLong(std::u16string(MaxCheckBytes + 1, u'x')).find(u"16777216"),
              std::u16string::npos);
}

TEST_F(CodeCheck, FuzzSeedsAndFixedCrashesKeepTheGuarantees) {
    std::size_t replayed = 0;
    for (const char* folder : {"corpus", "crashes"}) {
        const std::filesystem::path dir = std::filesystem::path(MKB_FUZZ_CODECHECK_DIR) / folder;
        if (!std::filesystem::is_directory(dir))
            continue;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), {}};
            std::string failure;
            EXPECT_TRUE(CodeCheckFuzzCheck(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                           bytes.size(), failure))
                << entry.path() << ": " << failure;
            ++replayed;
        }
    }
    EXPECT_GE(replayed, 5u);
}

} // namespace
