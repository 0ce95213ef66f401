#include "doclayout.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>";
constexpr std::string_view kBreak = "\\n\\r";
// "КЛАСС " in windows-1251.
constexpr std::string_view kClassWord = "\xCA\xCB\xC0\xD1\xD1 ";

bool ParseInteger(std::string_view s, long& value) {
    std::size_t i = s.size() > 0 && s[0] == '-' ? 1 : 0;
    if (i == s.size() || s.size() - i > 9)
        return false;
    long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        v = v * 10 + (s[i] - '0');
    }
    value = s[0] == '-' ? -v : v;
    return true;
}

// Letter, two digits, then a point and one or two digits, or nothing.
bool IsSubcategoryCode(std::string_view c, bool pointAllowed) {
    auto digit = [](char ch) { return ch >= '0' && ch <= '9'; };
    if (c.size() < 3 || c[0] < 'A' || c[0] > 'Z' || !digit(c[1]) || !digit(c[2]))
        return false;
    if (c.size() == 3)
        return true;
    if (!pointAllowed || c[3] != '.' || c.size() < 5 || c.size() > 6)
        return false;
    return digit(c[4]) && (c.size() == 5 || digit(c[5]));
}

bool IsHyphenCode(std::string_view c) {
    return c.size() == 5 && IsSubcategoryCode(c.substr(0, 3), false) && c.substr(3) == ".-";
}

// "... (A00-B99)" or "... (A00)": the code range a class, block or sub-block name ends with.
bool EndsWithRange(std::string_view name) {
    const std::size_t open = name.rfind(" (");
    if (open == std::string_view::npos || name.back() != ')')
        return false;
    std::string_view range = name.substr(open + 2, name.size() - open - 3);
    const std::size_t dash = range.find('-');
    if (dash == std::string_view::npos)
        return IsSubcategoryCode(range, true);
    return IsSubcategoryCode(range.substr(0, dash), true) &&
           IsSubcategoryCode(range.substr(dash + 1), true);
}

std::size_t CountBreaks(const std::vector<TDocRecord>& recs, std::string TDocRecord::*field) {
    return static_cast<std::size_t>(std::count_if(recs.begin(), recs.end(), [&](const auto& r) {
        return (r.*field).find(kBreak) != std::string::npos;
    }));
}

std::size_t Longest(const std::vector<TDocRecord>& recs, std::string TDocRecord::*field) {
    std::size_t n = 0;
    for (const auto& r : recs)
        n = std::max(n, (r.*field).size());
    return n;
}

} // namespace

std::string RomanNumeral(int n) {
    static const std::pair<int, const char*> kParts[] = {
        {1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
        {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
    std::string out;
    for (const auto& [value, text] : kParts)
        for (; n >= value; n -= value)
            out += text;
    return out;
}

std::string Utf8FromCp1251(std::string_view bytes) {
    std::string out;
    for (unsigned char b : bytes) {
        unsigned code = b < 0x80    ? b
                        : b >= 0xC0 ? 0x410 + (b - 0xC0)
                        : b == 0xA8 ? 0x401
                        : b == 0xB8 ? 0x451
                                    : '?';
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

TDocLayout ReadDocLayout(std::string_view doc) {
    TDocLayout out;
    auto error = [&out](std::size_t line, const std::string& what) {
        if (out.errors.size() < 50)
            out.errors.push_back("line " + std::to_string(line) + ": " + what);
    };
    std::vector<std::string_view> lines;
    for (std::size_t pos = 0; pos < doc.size();) {
        const std::size_t lf = doc.find('\n', pos);
        if (lf == std::string_view::npos) {
            error(lines.size() + 1, "the document does not end with CR LF");
            lines.push_back(doc.substr(pos));
            break;
        }
        const bool crlf = lf > pos && doc[lf - 1] == '\r';
        if (!crlf)
            error(lines.size() + 1, "LF without CR");
        std::string_view line = doc.substr(pos, lf - pos - (crlf ? 1 : 0));
        if (line.find('\r') != std::string_view::npos)
            error(lines.size() + 1, "CR inside a line");
        lines.push_back(line);
        pos = lf + 1;
    }
    if (lines.size() < 3) {
        error(1, "too few lines for a document");
        return out;
    }
    if (lines[0] != kDeclaration)
        error(1, "not the XML declaration: " + std::string(lines[0]));
    if (lines[1] != "<data>")
        error(2, "not <data>");
    if (lines.back() != "</data>")
        error(lines.size(), "not </data>");

    const std::size_t last = lines.size() - 1; // the "</data>" line
    for (std::size_t i = 2; i < last; i += 9) {
        if (i + 9 > last) {
            error(i + 1, "a record cut short before </data>");
            break;
        }
        TDocRecord r;
        r.line = i + 1;
        if (lines[i] != "  <rec>")
            error(i + 1, "expected \"  <rec>\", found \"" + std::string(lines[i]) + "\"");
        auto number = [&](std::size_t at, std::string_view tag, long& value) {
            const std::string open = "      <" + std::string(tag) + ">";
            const std::string close = "</" + std::string(tag) + ">";
            std::string_view l = lines[at];
            if (!l.starts_with(open) || !l.ends_with(close) ||
                !ParseInteger(l.substr(open.size(), l.size() - open.size() - close.size()), value))
                error(at + 1, "expected <" + std::string(tag) + "> with an integer");
        };
        auto cdata = [&](std::size_t at, std::string_view tag, std::string& value) {
            const std::string open = "      <" + std::string(tag) + "><![CDATA[";
            const std::string close = "]]></" + std::string(tag) + ">";
            std::string_view l = lines[at];
            if (!l.starts_with(open) || !l.ends_with(close) ||
                l.size() < open.size() + close.size()) {
                error(at + 1, "expected <" + std::string(tag) + "> with one CDATA section");
                return;
            }
            value.assign(l.substr(open.size(), l.size() - open.size() - close.size()));
            if (value.find("]]>") != std::string::npos)
                error(at + 1, "more than one CDATA section in <" + std::string(tag) + ">");
        };
        number(i + 1, "id", r.id);
        cdata(i + 2, "code", r.code);
        cdata(i + 3, "name", r.name);
        cdata(i + 4, "incl", r.incl);
        cdata(i + 5, "excl", r.excl);
        cdata(i + 6, "note", r.note);
        number(i + 7, "parent_id", r.parent_id);
        if (lines[i + 8] != "  </rec>")
            error(i + 9, "expected \"  </rec>\"");
        out.records.push_back(std::move(r));
    }
    return out;
}

TDocFacts CheckDocInvariants(std::vector<TDocRecord>& records, std::vector<std::string>& errors,
                             std::vector<std::string>& exceptions) {
    TDocFacts f;
    auto error = [&errors](const TDocRecord& r, const std::string& what) {
        if (errors.size() < 50)
            errors.push_back("record at line " + std::to_string(r.line) + " (id " +
                             std::to_string(r.id) + "): " + what);
    };
    auto exception = [&exceptions](const TDocRecord& r, const std::string& what) {
        exceptions.push_back("id " + std::to_string(r.id) + " at depth " + std::to_string(r.depth) +
                             ", code \"" + Utf8FromCp1251(r.code) + "\": " + what);
    };
    std::map<long, std::size_t> indexOf;
    std::map<long, std::size_t> children;
    bool pastClasses = false;
    f.records = records.size();
    f.minId = records.empty() ? 0 : records.front().id;
    f.maxId = f.minId;
    for (std::size_t i = 0; i < records.size(); ++i) {
        TDocRecord& r = records[i];
        f.minId = std::min(f.minId, r.id);
        f.maxId = std::max(f.maxId, r.id);
        if (!indexOf.emplace(r.id, i).second)
            error(r, "duplicate id");
        if (r.id == 0)
            error(r, "id 0 would match the store's empty last slot");
        if (r.parent_id == -1) {
            if (pastClasses)
                error(r, "a class after the first non-class record");
            ++f.classes;
            r.depth = 0;
            const std::string expected = std::string(kClassWord) + RomanNumeral(int(f.classes));
            if (r.code != expected)
                error(r, "class code out of class order, expected \"" + Utf8FromCp1251(expected) +
                             "\"");
            if (!EndsWithRange(r.name))
                error(r, "class name without its code range");
        } else {
            pastClasses = true;
            auto parent = indexOf.find(r.parent_id);
            if (parent == indexOf.end() || parent->second >= i) {
                error(r, "parent " + std::to_string(r.parent_id) + " missing or not before it");
                continue;
            }
            r.depth = records[parent->second].depth + 1;
            ++children[r.parent_id];
            std::string_view code = r.code;
            // A dual-coded pair's mark ends the code: "†" (0x86) or "*".
            if (!code.empty() && (code.back() == '\x86' || code.back() == '*')) {
                ++(code.back() == '*' ? f.asteriskCodes : f.daggerCodes);
                code.remove_suffix(1);
            }
            if (r.depth == 1) {
                if (!code.empty())
                    error(r, "a block with a code");
            } else if (code.empty()) {
                if (r.depth > 2)
                    exception(r, "empty code (a sub-block) below depth 2");
            } else if (IsHyphenCode(code)) {
                exception(r, "code with a point and a hyphen");
            } else if (!IsSubcategoryCode(code, true)) {
                error(r, "code not of the letter, two digits, point, digits shape");
            } else if (r.depth == 2 && code.size() != 3) {
                exception(r, "subcategory code at depth 2");
            }
            if (code.empty() && !EndsWithRange(r.name))
                error(r, "block or sub-block name without its code range");
            if (r.depth > 4)
                exception(r, "deeper than depth 4");
        }
        ++f.byDepth[r.depth];
        if (r.depth > 0 && r.code.empty())
            ++f.codelessByDepth[r.depth];
        if (r.depth == 2 && r.code.empty())
            ++f.emptyAtDepth2;
        else if (r.depth == 2 && r.code.size() == 3)
            ++f.threeCharAtDepth2;
        if (r.name.empty())
            error(r, "empty name");
        for (const std::string* text : {&r.code, &r.name, &r.incl, &r.excl, &r.note})
            if (text->find_first_of("<>&") != std::string::npos)
                error(r, "\"<\", \">\" or \"&\" in a text");
    }
    for (const auto& [id, n] : children)
        f.maxChildren = std::max(f.maxChildren, n);
    f.longestCode = Longest(records, &TDocRecord::code);
    f.longestName = Longest(records, &TDocRecord::name);
    f.longestIncl = Longest(records, &TDocRecord::incl);
    f.longestExcl = Longest(records, &TDocRecord::excl);
    f.longestNote = Longest(records, &TDocRecord::note);
    f.breaksName = CountBreaks(records, &TDocRecord::name);
    f.breaksIncl = CountBreaks(records, &TDocRecord::incl);
    f.breaksExcl = CountBreaks(records, &TDocRecord::excl);
    f.breaksNote = CountBreaks(records, &TDocRecord::note);
    return f;
}
