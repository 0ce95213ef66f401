#include "browser/codecheck.h"

#include "browser/search_text.h"
#include "platform/codepage.h"
#include "text/codepages.h"
#include "text/utf.h"

#include <algorithm>
#include <map>

namespace mkb::browser {

using namespace mkb::text;

namespace {

// A code's letters and digits packed into one number: the letter (1-26 Latin, 27 and above a
// Cyrillic letter no Latin one looks like), the count of digits and their value.
constexpr std::uint64_t PackCode(unsigned letter, unsigned digits, unsigned value) {
    return (std::uint64_t{letter} << 40) | (std::uint64_t{digits} << 32) | value;
}
constexpr unsigned KeyLetter(std::uint64_t key) {
    return static_cast<unsigned>(key >> 40);
}
constexpr unsigned KeyDigits(std::uint64_t key) {
    return static_cast<unsigned>(key >> 32) & 0xFF;
}
constexpr unsigned KeyValue(std::uint64_t key) {
    return static_cast<unsigned>(key);
}

constexpr bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
constexpr bool IsMark(char16_t c) {
    return c == u'†' || c == u'+' || c == u'*';
}
constexpr bool IsDash(char16_t c) {
    return c == u'-' || c == u'–' || c == u'—';
}

// The key's code as the classification writes it: "J10.1"; a key of a Cyrillic letter gives
// that letter.
std::u16string KeyText(std::uint64_t key) {
    std::u16string out;
    const unsigned letter = KeyLetter(key);
    out += letter <= 26 ? char16_t(u'A' + letter - 1) : char16_t(0x0410 + letter - 27);
    const unsigned digits = KeyDigits(key);
    char16_t d[8];
    unsigned v = KeyValue(key);
    for (unsigned i = digits; i-- > 0; v /= 10)
        d[i] = char16_t(u'0' + v % 10);
    for (unsigned i = 0; i < digits; ++i) {
        if (i == 2)
            out += u'.';
        out += d[i];
    }
    return out;
}

// The key letter of a folded letter byte; 0 for none.
unsigned LetterOfFolded(unsigned char f) {
    if (f >= 'A' && f <= 'Z')
        return f - 'A' + 1u;
    if (f >= 0xC0)
        return f - 0xC0 + 27u;
    return 0;
}

// The letter of a code as written, read as the classification's Latin letter where it looks
// like one (У too, which search folding leaves Cyrillic).
unsigned CodeLetter(char16_t c) {
    if (c == u'У' || c == u'у')
        return 'Y' - 'A' + 1u;
    return LetterOfFolded(FoldChar(c, fkCode));
}

// A store code ("J10.1†", "A00") as a key and its mark; false for other codes (a class).
bool ParseStoreCode(std::u16string_view code, std::uint64_t& key, std::uint8_t& mark) {
    mark = 0;
    if (!code.empty() && IsMark(code.back())) {
        mark = code.back() == u'*' ? '*' : '+';
        code.remove_suffix(1);
    }
    if (code.size() < 3 || code[0] < u'A' || code[0] > u'Z' || !IsDigit(code[1]) ||
        !IsDigit(code[2]))
        return false;
    unsigned value = unsigned(code[1] - u'0') * 10 + unsigned(code[2] - u'0'), digits = 2;
    if (code.size() > 3) {
        if (code[3] != u'.' || code.size() < 5 || code.size() > 6)
            return false;
        for (std::size_t i = 4; i < code.size(); ++i) {
            if (!IsDigit(code[i]))
                return false;
            value = value * 10 + unsigned(code[i] - u'0');
            ++digits;
        }
    }
    key = PackCode(unsigned(code[0] - u'A' + 1), digits, value);
    return true;
}

// A title ending in a range "(A00-B99)", as the document writes blocks and classes.
bool ParseTitleRange(std::u16string_view name, std::uint64_t& first, std::uint64_t& last) {
    if (name.size() < 9 || name.back() != u')' || name[name.size() - 9] != u'(')
        return false;
    const std::u16string_view range = name.substr(name.size() - 8, 7);
    std::uint8_t mark;
    return range[3] == u'-' && ParseStoreCode(range.substr(0, 3), first, mark) &&
           ParseStoreCode(range.substr(4, 3), last, mark);
}

std::u16string Ascii(std::string_view s) {
    return std::u16string(s.begin(), s.end());
}

std::u16string Number(std::size_t n) {
    return Ascii(std::to_string(n));
}

} // namespace

std::u16string_view VerdictText(TCodeVerdict verdict) {
    switch (verdict) {
    case cvUsable:
        return u"Можно использовать";
    case cvNeedsFourth:
        return u"Нужен 4-й знак";
    case cvNeedsFifth:
        return u"Нужен 5-й знак";
    case cvAsterisk:
        return u"Код со звёздочкой";
    case cvDaggerAlone:
        return u"Код † без кода со звёздочкой";
    case cvWithdrawn:
        return u"Исключён";
    case cvRange:
        return u"Блок или диапазон";
    case cvUnknown:
        break;
    }
    return u"Нет в МКБ-10";
}

TVerdictLevel VerdictLevel(TCodeVerdict verdict) {
    switch (verdict) {
    case cvUsable:
        return vlOk;
    case cvDaggerAlone:
    case cvAsterisk:
        return vlWarning;
    default:
        return vlError;
    }
}

std::vector<std::size_t> FilterFindings(const TCheckReport& report, TVerdictMask mask) {
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < report.Findings.size(); ++i)
        if (mask & VerdictBit(report.Findings[i].Verdict))
            rows.push_back(i);
    return rows;
}

// A UTF-8 file cut short (a copy broken off, a file taken in parts) ends in the lead byte of a
// character and fewer continuation bytes than it needs: it is still UTF-8, not windows-1251.
bool CutInLastCharacter(std::string_view bytes, std::size_t at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    const std::size_t need = lead >= 0xF5   ? 0
                             : lead >= 0xF0 ? 4
                             : lead >= 0xE0 ? 3
                             : lead >= 0xC2 ? 2
                                            : 0;
    if (need == 0 || at + need <= bytes.size())
        return false;
    for (std::size_t i = at + 1; i < bytes.size(); ++i)
        if ((static_cast<unsigned char>(bytes[i]) & 0xC0) != 0x80)
            return false;
    return true;
}

TDecodedCheckFile DecodeCheckFile(std::string_view bytes) {
    TDecodedCheckFile out;
    if (bytes.size() > MaxCheckBytes) {
        out.Error = u"Файл слишком велик: " + Number(bytes.size()) +
                    u" байт; проверяются файлы не больше 16 МБ (" + Number(MaxCheckBytes) +
                    u" байт).";
        return out;
    }
    bool le = bytes.starts_with("\xFF\xFE"), be = bytes.starts_with("\xFE\xFF");
    std::size_t from = le || be ? 2 : 0;
    if (!le && !be && bytes.size() % 2 == 0 && bytes.find('\0') != bytes.npos) {
        // UTF-16 without its mark: text in Latin and Cyrillic has a zero or 0x04 in nearly every
        // high byte, which binary data has not.
        std::size_t highLe = 0, highBe = 0;
        for (std::size_t i = 0; i < bytes.size(); i += 2) {
            highLe += bytes[i + 1] == 0 || bytes[i + 1] == 4;
            highBe += bytes[i] == 0 || bytes[i] == 4;
        }
        le = highLe * 20 >= bytes.size() / 2 * 19;
        be = !le && highBe * 20 >= bytes.size() / 2 * 19;
    }
    if (le || be) {
        if (bytes.size() % 2) {
            out.Error = u"Файл в UTF-16 обрывается на половине знака: он повреждён.";
            return out;
        }
        out.Encoding = u"UTF-16";
        out.Text.reserve(bytes.size() / 2);
        for (std::size_t i = from; i < bytes.size(); i += 2) {
            const auto a = static_cast<unsigned char>(bytes[i]);
            const auto b = static_cast<unsigned char>(bytes[i + 1]);
            out.Text += le ? char16_t(a | b << 8) : char16_t(b | a << 8);
        }
        if (out.Text.find(u'\0') != std::u16string::npos) {
            out.Text.clear();
            out.Error = u"Файл не текстовый: в нём двоичные данные (нулевые знаки). "
                        u"Сохраните список как текст или CSV.";
            return out;
        }
    } else {
        if (bytes.starts_with("\xEF\xBB\xBF"))
            bytes.remove_prefix(3);
        // Text has no NUL bytes, and few control characters besides tab and line breaks.
        std::size_t controls = 0;
        for (const char ch : bytes) {
            const auto b = static_cast<unsigned char>(ch);
            if (b == 0) {
                out.Error = u"Файл не текстовый: в нём двоичные данные (нулевые байты). "
                            u"Сохраните список как текст или CSV.";
                return out;
            }
            controls += b < 32 && b != '\t' && b != '\n' && b != '\r' && b != '\f';
        }
        if (controls * 100 > bytes.size()) {
            out.Error = u"Файл не текстовый: в нём двоичные данные (управляющие знаки). "
                        u"Сохраните список как текст или CSV.";
            return out;
        }
        bool utf8 = true;
        for (std::size_t pos = 0; pos < bytes.size() && utf8;) {
            const std::size_t at = pos;
            if (NextUtf8(bytes, pos) == ReplacementChar && bytes.substr(at, 3) != "\xEF\xBF\xBD")
                utf8 = CutInLastCharacter(bytes, at);
            if (utf8 && pos <= at)
                break;
        }
        if (utf8) {
            out.Encoding = u"UTF-8";
            out.Text = Utf8ToUtf16(bytes);
        } else {
            out.Encoding = u"windows-1251";
            AppendCp1251(out.Text, bytes);
        }
    }
    if (out.Text.find_first_not_of(u" \t\r\n\f") == std::u16string::npos)
        out.Error = u"Файл пуст: в нём нет текста для проверки.";
    return out;
}

TCodeChecker::TCodeChecker(const TRecordIndex& index, const TCodeDates& dates)
    : Index(index), Dates(dates) {
    const std::span<const TMKBRec> store = index.Store();
    std::vector<std::uint64_t> keyOfSlot(store.size(), 0);
    for (std::size_t i = 0; i < store.size(); ++i) {
        const TMKBRec& rec = store[i];
        if (rec.id == 0)
            continue;
        std::uint64_t key, last;
        std::uint8_t mark;
        if (!rec.code.empty() && ParseStoreCode(DecodeCodePage(rec.code, 1251), key, mark)) {
            Codes.try_emplace(key, TCodeInfo{static_cast<int>(i), mark, false});
            keyOfSlot[i] = key;
        } else if (ParseTitleRange(rec.name, key, last)) {
            BlockOfRange.try_emplace(PackRange(key, last), static_cast<int>(i));
        }
    }
    // A code is a category or subcategory with more characters below it when a child of its
    // record has a code.
    for (std::size_t i = 0; i < store.size(); ++i) {
        const int parent = keyOfSlot[i] ? index.ParentOf(static_cast<int>(i)) : -1;
        if (parent >= 0 && keyOfSlot[static_cast<std::size_t>(parent)])
            Codes[keyOfSlot[static_cast<std::size_t>(parent)]].HasChildren = true;
    }
    const std::span<const TWithdrawnCode> withdrawn = dates.Withdrawn();
    for (std::size_t i = 0; i < withdrawn.size(); ++i) {
        std::uint64_t key;
        std::uint8_t mark;
        if (ParseStoreCode(withdrawn[i].Code, key, mark) && !Codes.count(key))
            WithdrawnOfKey.try_emplace(key, i);
    }
}

std::uint64_t TCodeChecker::PackRange(std::uint64_t first, std::uint64_t last) {
    // Range ends are three-character codes: 5 bits of letter and 7 of value each.
    return (first >> 40) << 52 | std::uint64_t{KeyValue(first)} << 40 | (last >> 40) << 32 |
           KeyValue(last) | std::uint64_t{KeyDigits(first)} << 12 | KeyDigits(last) << 8;
}

const TCodeChecker::TCodeInfo* TCodeChecker::Find(std::uint64_t key) const {
    const auto it = Codes.find(key);
    return it == Codes.end() ? nullptr : &it->second;
}

bool TCodeChecker::ReadCode(std::u16string_view text, std::size_t i, std::size_t& end,
                            std::uint64_t& key) const {
    // The letter, two digits, and the boundary before the letter.
    if (i + 2 >= text.size() || !IsDigit(text[i + 1]) || !IsDigit(text[i + 2]))
        return false;
    const unsigned letter = CodeLetter(text[i]);
    if (!letter)
        return false;
    if (i > 0) {
        const char16_t p = text[i - 1];
        if (IsWordByte(FoldChar(p, fkName)) || p == u'_' || p == u'@' || p == u'/' || p == u'\\' ||
            p == u'#' || p == u'№')
            return false;
    }
    unsigned value = unsigned(text[i + 1] - u'0') * 10 + unsigned(text[i + 2] - u'0');
    unsigned digits = 2;
    std::size_t j = i + 3;
    const bool dotted =
        j + 1 < text.size() && (text[j] == u'.' || text[j] == u',') && IsDigit(text[j + 1]);
    if (dotted)
        ++j;
    if (dotted || (j < text.size() && IsDigit(text[j]))) {
        for (int n = 0; n < 2 && j < text.size() && IsDigit(text[j]); ++n, ++j) {
            value = value * 10 + unsigned(text[j] - u'0');
            ++digits;
        }
        if (j < text.size() && IsDigit(text[j]))
            return false; // too many digits: a number, not a code
    }
    if (j < text.size() && IsMark(text[j])) {
        ++j;
    } else if (j < text.size()) {
        // A letter or digit right after it makes it part of a longer word; so does a dot
        // starting another group of digits ("J10.1.2").
        if (IsWordByte(FoldChar(text[j], fkName)))
            return false;
        if ((text[j] == u'.' || text[j] == u',') && j + 1 < text.size() && IsDigit(text[j + 1]) &&
            dotted)
            return false;
    }
    end = j;
    key = PackCode(letter, digits, value);
    return true;
}

bool TCodeChecker::NextToken(std::u16string_view text, std::size_t from, std::size_t to,
                             TToken& token) const {
    // The cheap test first: a code's letter comes right before two digits.
    for (std::size_t i = from; i < to; ++i) {
        if (i + 2 >= text.size())
            return false;
        if (!IsDigit(text[i + 1]) || IsDigit(text[i]))
            continue;
        std::size_t end;
        std::uint64_t key;
        if (!ReadCode(text, i, end, key))
            continue;
        token = TToken{i, end, key, 0, text[i]};
        // A range: a dash, spaces allowed around it, and a second code.
        std::size_t k = end;
        while (k < text.size() && k < end + 3 && text[k] == u' ')
            ++k;
        if (k < text.size() && IsDash(text[k])) {
            ++k;
            while (k < text.size() && k < end + 8 && text[k] == u' ')
                ++k;
            std::size_t end2;
            std::uint64_t key2;
            if (k < text.size() && ReadCode(text, k, end2, key2)) {
                token.End = end2;
                token.EndKey = key2;
            }
        }
        return true;
    }
    return false;
}

void TCodeChecker::Suggest(const TToken& token, TCodeFinding& finding) const {
    struct TCandidate {
        std::uint64_t Key;
        const char16_t* Why;
    };
    std::vector<TCandidate> found;
    const auto tryKey = [&](std::uint64_t key, const char16_t* why) {
        const TCodeInfo* info = Find(key);
        // Only a code that may stand as written is worth proposing.
        if (!info || info->HasChildren ||
            std::any_of(found.begin(), found.end(),
                        [key](const TCandidate& c) { return c.Key == key; }))
            return;
        found.push_back({key, why});
    };
    const std::uint64_t key = token.Key;
    const unsigned letter = KeyLetter(key), digits = KeyDigits(key), value = KeyValue(key);
    // The other keyboard layout: the key of the letter as typed.
    const std::u16string swapped = SwapKeyboardLayout(std::u16string(1, token.Letter));
    if (const unsigned l = CodeLetter(swapped[0]); l && l <= 26 && l != letter)
        tryKey(PackCode(l, digits, value), u"другая раскладка");
    // Letters that are easily taken for one another.
    static constexpr std::u16string_view alike[] = {u"OQD", u"ILJT", u"UVY", u"CG", u"EF",
                                                    u"PRB", u"MN",   u"KX",  u"SZ"};
    if (letter <= 26)
        for (const std::u16string_view group : alike)
            if (group.find(char16_t(u'A' + letter - 1)) != group.npos)
                for (const char16_t other : group)
                    tryKey(PackCode(unsigned(other - u'A' + 1), digits, value), u"похожая буква");
    // One slip: a digit too many at the end, one digit wrong (the last ones first), two digits
    // swapped, the letter wrong.
    unsigned d[8];
    for (unsigned i = digits, v = value; i-- > 0; v /= 10)
        d[i] = v % 10;
    const auto pack = [&](const unsigned* ds, unsigned n) {
        unsigned v = 0;
        for (unsigned i = 0; i < n; ++i)
            v = v * 10 + ds[i];
        return v;
    };
    if (digits > 2)
        tryKey(PackCode(letter, digits - 1, value / 10), u"лишний знак");
    for (unsigned i = digits; i-- > 0;) {
        const unsigned keep = d[i];
        for (unsigned v = 0; v < 10; ++v) {
            d[i] = v;
            tryKey(PackCode(letter, digits, pack(d, digits)), u"ошибка в одной цифре");
        }
        d[i] = keep;
    }
    for (unsigned i = 0; i + 1 < digits; ++i) {
        std::swap(d[i], d[i + 1]);
        tryKey(PackCode(letter, digits, pack(d, digits)), u"переставлены цифры");
        std::swap(d[i], d[i + 1]);
    }
    for (unsigned l = 1; l <= 26; ++l)
        tryKey(PackCode(l, digits, value), u"ошибка в букве");
    if (found.empty()) {
        finding.Note = u"такого кода нет в МКБ-10";
        return;
    }
    finding.Suggest = KeyText(found[0].Key);
    finding.Note =
        u"такого кода нет в МКБ-10; возможно, " + finding.Suggest + u" (" + found[0].Why + u")";
    for (std::size_t i = 1; i < found.size() && i < 3; ++i)
        finding.Note += u", " + KeyText(found[i].Key);
}

TCodeFinding TCodeChecker::Judge(std::u16string_view text, const TToken& token) const {
    TCodeFinding f;
    f.Start = token.Start;
    f.Length = token.End - token.Start;
    f.Written = std::u16string(text.substr(token.Start, f.Length));
    f.Code = KeyText(token.Key);
    const std::span<const TMKBRec> store = Index.Store();
    if (token.EndKey) {
        f.Code += u'-';
        f.Code += KeyText(token.EndKey);
        f.Verdict = cvRange;
        const auto it = BlockOfRange.find(PackRange(token.Key, token.EndKey));
        if (KeyDigits(token.Key) == 2 && KeyDigits(token.EndKey) == 2 && it != BlockOfRange.end()) {
            f.Record = it->second;
            const TMKBRec& rec = store[static_cast<std::size_t>(it->second)];
            f.Note = (rec.parent_id == -1 ? u"класс: " : u"блок: ") +
                     std::u16string(u"не код случая; укажите код внутри него");
        } else {
            f.Note = u"диапазон кодов: не код случая; укажите один код";
        }
        return f;
    }
    const TCodeInfo* info = Find(token.Key);
    if (!info) {
        const auto w = WithdrawnOfKey.find(token.Key);
        if (w != WithdrawnOfKey.end()) {
            f.Verdict = cvWithdrawn;
            f.Note = u"исключен с " + Dates.Withdrawn()[w->second].Date;
            f.Title = Dates.Withdrawn()[w->second].Name;
            return f;
        }
        f.Verdict = cvUnknown;
        Suggest(token, f);
        return f;
    }
    f.Record = info->Slot;
    f.Mark = info->Mark == '+' ? u'†' : info->Mark == '*' ? u'*' : 0;
    if (info->HasChildren) {
        const TMKBRec& rec = store[static_cast<std::size_t>(info->Slot)];
        const std::span<const int> children = Index.Children(rec.id);
        const bool fourth = KeyDigits(token.Key) == 2;
        f.Verdict = fourth ? cvNeedsFourth : cvNeedsFifth;
        f.Note = fourth ? u"у рубрики есть подрубрики: укажите 4-й знак"
                        : u"у подрубрики есть пятые знаки: укажите 5-й знак";
        if (!children.empty()) {
            std::u16string first =
                DecodeCodePage(store[static_cast<std::size_t>(children.front())].code, 1251);
            std::u16string last =
                DecodeCodePage(store[static_cast<std::size_t>(children.back())].code, 1251);
            f.Note += u" (" + first + u"–" + last + u")";
        }
        return f;
    }
    // The dual-coding verdicts wait for the rest of the line.
    f.Verdict = info->Mark == '*' ? cvAsterisk : cvUsable;
    const std::size_t digitsWritten =
        std::count_if(f.Written.begin(), f.Written.end(), [](char16_t c) { return IsDigit(c); });
    if (digitsWritten > 2 && f.Written.find_first_of(u".,") == std::u16string::npos)
        f.Note = u"записан без точки";
    if (CodeLetter(token.Letter) <= 26 && FoldChar(token.Letter, fkName) >= 0xC0)
        f.Note += std::u16string(f.Note.empty() ? u"" : u"; ") + u"буква кириллицы";
    return f;
}

TCodeChecker::TRun::TRun(const TCodeChecker& checker, std::u16string_view text)
    : Checker(checker), Text(text) {
    if (!TooLong(text).empty()) {
        Text = {};
    }
}

void TCodeChecker::TRun::EndLine() {
    std::vector<TCodeFinding>& all = FReport.Findings;
    for (std::size_t i = LineFirst; i < all.size(); ++i) {
        TCodeFinding& f = all[i];
        if (f.Mark == u'†' && f.Verdict == cvUsable && !LineHasAsterisk) {
            f.Verdict = cvDaggerAlone;
            f.Note = u"на строке нет кода со звёздочкой (*) для проявления болезни";
        } else if (f.Mark == u'†' && f.Verdict == cvUsable) {
            f.Note = u"пара с кодом со звёздочкой на этой строке";
        } else if (f.Verdict == cvAsterisk) {
            f.Note = LineHasDagger
                         ? u"только дополнительный код при коде † на этой строке, не основной"
                         : u"только вместе с кодом со знаком † (причина болезни), никогда не "
                           u"основной код; на строке кода † нет";
        }
        ++FReport.Counts[static_cast<std::size_t>(f.Verdict)];
    }
    LineFirst = all.size();
    LineHasAsterisk = LineHasDagger = false;
    ++FReport.Lines;
}

bool TCodeChecker::TRun::Step(std::size_t units) {
    if (Finished)
        return false;
    const std::size_t stop = std::min(Text.size(), Pos + std::max<std::size_t>(units, 1));
    while (Pos < stop) {
        const std::size_t newline = Text.find(u'\n', Pos);
        const std::size_t lineEnd = newline == Text.npos ? Text.size() : newline;
        const std::size_t to = std::min(lineEnd, stop);
        TToken token;
        while (Pos < to && Checker.NextToken(Text.substr(0, lineEnd), Pos, to, token)) {
            if (FReport.Findings.size() >= MaxCheckFindings) {
                FReport.CutAt = token.Start;
                EndLine();
                Pos = Text.size();
                Finished = true;
                return false;
            }
            TCodeFinding f = Checker.Judge(Text, token);
            f.Line = FReport.Lines + 1;
            f.Column = token.Start - LineStart + 1;
            LineHasAsterisk |= f.Mark == u'*';
            LineHasDagger |= f.Mark == u'†';
            FReport.Findings.push_back(std::move(f));
            Pos = token.End;
        }
        if (Pos < to)
            Pos = to;
        if (Pos == lineEnd && newline != Text.npos) {
            EndLine();
            ++Pos;
            LineStart = Pos;
        }
    }
    if (Pos >= Text.size()) {
        if (!Text.empty() && (Text.back() != u'\n' || LineFirst < FReport.Findings.size()))
            EndLine();
        Finished = true;
    }
    return !Finished;
}

std::u16string CutMessage(const TCheckReport& report) {
    if (report.CutAt == std::size_t(-1))
        return {};
    return u"Проверка остановлена на строке " + Number(report.Lines) + u": найдено " +
           Number(MaxCheckFindings) + u" кодов, больше одна проверка не держит. Разделите текст.";
}

std::u16string TCodeChecker::TooLong(std::u16string_view text) {
    if (text.size() <= MaxCheckBytes)
        return {};
    return u"Текст слишком длинный: " + Number(text.size()) +
           u" знаков; проверяются тексты не длиннее " + Number(MaxCheckBytes) + u" знаков (16 МБ).";
}

TCheckReport TCodeChecker::Check(std::u16string_view text) const {
    TRun run(*this, text);
    while (run.Step(std::size_t(-1) / 2)) {
    }
    return run.TakeReport();
}

std::optional<TCodeFinding> TCodeChecker::CheckOne(std::u16string_view code) const {
    while (!code.empty() && code.front() <= u' ')
        code.remove_prefix(1);
    while (!code.empty() && code.back() <= u' ')
        code.remove_suffix(1);
    TCheckReport report = Check(code);
    if (report.Findings.size() != 1 || report.Findings[0].Start != 0 ||
        report.Findings[0].Length != code.size())
        return std::nullopt;
    return std::move(report.Findings[0]);
}

namespace {

const std::u16string_view FindingColumns[] = {u"Строка",      u"Как записан", u"Код",
                                              u"Заключение",  u"Пояснение",   u"Предлагается",
                                              u"Наименование"};

template <class F>
void ForEachRow(const TCheckReport& report, std::span<const TMKBRec> store,
                std::span<const std::size_t> rows, F&& row) {
    const auto emit = [&](const TCodeFinding& f) {
        std::u16string name = f.Title;
        if (f.Record >= 0 && static_cast<std::size_t>(f.Record) < store.size())
            name = store[static_cast<std::size_t>(f.Record)].name;
        const std::u16string fields[] = {
            Number(f.Line), f.Written, f.Code, std::u16string(VerdictText(f.Verdict)),
            f.Note,         f.Suggest, name};
        row(fields);
    };
    if (rows.empty()) {
        for (const TCodeFinding& f : report.Findings)
            emit(f);
    } else {
        for (const std::size_t r : rows)
            if (r < report.Findings.size())
                emit(report.Findings[r]);
    }
}

} // namespace

std::u16string FindingsTsv(const TCheckReport& report, std::span<const TMKBRec> store,
                           std::span<const std::size_t> rows) {
    std::u16string out;
    const auto line = [&out](std::span<const std::u16string> fields) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i)
                out += u'\t';
            for (char16_t c : fields[i])
                out += c == u'\t' || c == u'\n' || c == u'\r' ? u' ' : c;
        }
        out += u"\r\n";
    };
    std::vector<std::u16string> header(std::begin(FindingColumns), std::end(FindingColumns));
    line(header);
    ForEachRow(report, store, rows, [&](const std::u16string(&fields)[7]) { line(fields); });
    return out;
}

std::string FindingsCsv(const TCheckReport& report, std::span<const TMKBRec> store,
                        std::span<const std::size_t> rows) {
    std::string out = "\xEF\xBB\xBF";
    const auto line = [&out](std::span<const std::u16string> fields, bool header) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i)
                out += ';';
            const std::string text = Utf16ToUtf8(fields[i]);
            // The line number bare, so that a spreadsheet sorts it as a number.
            if (!header && i == 0) {
                out += text;
                continue;
            }
            out += '"';
            for (const char c : text) {
                if (c == '"')
                    out += '"';
                out += c;
            }
            out += '"';
        }
        out += "\r\n";
    };
    std::vector<std::u16string> header(std::begin(FindingColumns), std::end(FindingColumns));
    line(header, true);
    ForEachRow(report, store, rows, [&](const std::u16string(&fields)[7]) { line(fields, false); });
    return out;
}

} // namespace mkb::browser
