#include "source.h"

#include "text/codepages.h"
#include "text/utf.h"

#include <algorithm>

using namespace mkb::text;

namespace {

[[noreturn]] void Fail(const std::string& message) {
    throw TSourceError(message);
}

// Text that is not well-formed UTF-8 is taken for windows-1251, the other encoding the portal
// offers; a replacement character written in the text itself does not count against it.
std::string ToUtf8(std::string_view bytes) {
    bool utf8 = true;
    for (std::size_t pos = 0; pos < bytes.size() && utf8;) {
        const std::size_t at = pos;
        if (NextUtf8(bytes, pos) == ReplacementChar && bytes.substr(at, 3) != "\xEF\xBF\xBD")
            utf8 = false;
    }
    if (utf8)
        return std::string(bytes);
    std::u16string wide;
    AppendCp1251(wide, bytes);
    return Utf16ToUtf8(wide);
}

TSourceTable ReadCsv(std::string_view text) {
    // The separator is the one the header line uses; its names hold neither.
    const std::string_view first = text.substr(0, text.find('\n'));
    const auto semicolons = std::count(first.begin(), first.end(), ';');
    const auto commas = std::count(first.begin(), first.end(), ',');
    if (semicolons == 0 && commas == 0)
        Fail("line 1: the header has no ';' or ',' between its column names");
    const char separator = semicolons >= commas ? ';' : ',';

    TSourceTable table;
    std::vector<std::string> row;
    std::string field;
    int line = 1, rowLine = 1;
    std::size_t i = 0;
    const auto endRow = [&] {
        row.push_back(std::move(field));
        field.clear();
        const bool blank = row.size() == 1 && row[0].empty();
        if (blank) {
        } else if (table.Header.empty()) {
            table.Header = std::move(row);
        } else {
            if (row.size() != table.Header.size())
                Fail("line " + std::to_string(rowLine) + ": expected " +
                     std::to_string(table.Header.size()) + " fields, found " +
                     std::to_string(row.size()));
            table.Rows.push_back(std::move(row));
            table.Places.push_back("line " + std::to_string(rowLine));
        }
        row.clear();
    };
    while (i < text.size()) {
        if (field.empty() && text[i] == '"') {
            const int opened = line;
            for (++i;; ++i) {
                if (i >= text.size())
                    Fail("line " + std::to_string(opened) + ": unterminated quoted field");
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field.push_back('"');
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                line += text[i] == '\n';
                field.push_back(text[i]);
            }
            const bool ends = i >= text.size() || text[i] == separator || text[i] == '\n' ||
                              (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
            if (!ends)
                Fail("line " + std::to_string(line) + ": text after a closing quote");
        } else if (text[i] == separator) {
            row.push_back(std::move(field));
            field.clear();
            ++i;
        } else if (text[i] == '\n' ||
                   (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            i += text[i] == '\r' ? 2 : 1;
            endRow();
            rowLine = ++line;
        } else {
            field.push_back(text[i++]);
        }
    }
    if (!field.empty() || !row.empty())
        endRow();
    if (table.Header.empty())
        Fail("the file is empty");
    return table;
}

// A small JSON reader: enough for an array of flat objects, bounded in depth so that no input
// can exhaust the stack.
class TJsonReader {
public:
    explicit TJsonReader(std::string_view text) : Text(text) {}

    TSourceTable Read() {
        SkipSpace();
        TSourceTable table;
        if (Peek() == '[') {
            ReadRecords(table);
        } else if (Peek() == '{') {
            // The records are the object's one member that is an array of objects; the others
            // (a status, a count) are passed over.
            bool found = false;
            ReadObject([&](const std::string&) {
                SkipSpace();
                if (Peek() == '[' && !found && LooksLikeRecords()) {
                    ReadRecords(table);
                    found = true;
                } else {
                    SkipValue(1);
                }
            });
            if (!found)
                Fail("the JSON object holds no array of records");
        } else {
            Fail("the JSON text is neither an array nor an object");
        }
        SkipSpace();
        if (Pos != Text.size())
            Fail("text after the JSON value at byte " + std::to_string(Pos));
        return table;
    }

private:
    std::string_view Text;
    std::size_t Pos{0};
    static constexpr int MaxDepth = 64;

    char Peek() const { return Pos < Text.size() ? Text[Pos] : '\0'; }
    void SkipSpace() {
        while (Pos < Text.size() &&
               (Text[Pos] == ' ' || Text[Pos] == '\t' || Text[Pos] == '\n' || Text[Pos] == '\r'))
            ++Pos;
    }
    [[noreturn]] void Bad(const char* what) const {
        Fail(std::string("JSON: ") + what + " at byte " + std::to_string(Pos));
    }
    void Expect(char c) {
        SkipSpace();
        if (Peek() != c)
            Bad((std::string("expected '") + c + "'").c_str());
        ++Pos;
    }
    bool LooksLikeRecords() {
        std::size_t p = Pos + 1;
        while (p < Text.size() &&
               (Text[p] == ' ' || Text[p] == '\n' || Text[p] == '\r' || Text[p] == '\t'))
            ++p;
        return p < Text.size() && (Text[p] == '{' || Text[p] == ']');
    }

    template <class F> void ReadObject(F member) {
        Expect('{');
        SkipSpace();
        if (Peek() == '}') {
            ++Pos;
            return;
        }
        for (;;) {
            SkipSpace();
            if (Peek() != '"')
                Bad("expected a member name");
            const std::string key = ReadString();
            Expect(':');
            member(key);
            SkipSpace();
            if (Peek() == ',') {
                ++Pos;
                continue;
            }
            Expect('}');
            return;
        }
    }

    void ReadRecords(TSourceTable& table) {
        Expect('[');
        SkipSpace();
        if (Peek() == ']') {
            ++Pos;
            return;
        }
        for (int number = 1;; ++number) {
            SkipSpace();
            if (Peek() != '{')
                Bad("expected a record (an object)");
            std::vector<std::string> row(table.Header.size());
            ReadObject([&](const std::string& key) {
                auto it = std::find(table.Header.begin(), table.Header.end(), key);
                const std::size_t column = static_cast<std::size_t>(it - table.Header.begin());
                if (it == table.Header.end()) {
                    // A column the earlier records lacked: they hold it empty.
                    table.Header.push_back(key);
                    for (auto& earlier : table.Rows)
                        earlier.emplace_back();
                    row.emplace_back();
                }
                row[column] = ReadPlainValue(key);
            });
            table.Rows.push_back(std::move(row));
            table.Places.push_back("record " + std::to_string(number));
            SkipSpace();
            if (Peek() == ',') {
                ++Pos;
                continue;
            }
            Expect(']');
            return;
        }
    }

    // A record's field: a string as it is, a number as written, true and false as 1 and 0,
    // null as empty.
    std::string ReadPlainValue(const std::string& key) {
        SkipSpace();
        const char c = Peek();
        if (c == '"')
            return ReadString();
        if (c == '-' || (c >= '0' && c <= '9')) {
            const std::size_t from = Pos;
            while (Pos < Text.size() &&
                   std::string_view("+-.eE0123456789").find(Text[Pos]) != std::string_view::npos)
                ++Pos;
            return std::string(Text.substr(from, Pos - from));
        }
        for (auto [word, value] : {std::pair{"true", "1"}, {"false", "0"}, {"null", ""}}) {
            if (Text.substr(Pos, std::string_view(word).size()) == word) {
                Pos += std::string_view(word).size();
                return value;
            }
        }
        Bad(("the field " + key + " is not a string, number, true, false or null").c_str());
    }

    void SkipValue(int depth) {
        if (depth > MaxDepth)
            Bad("nesting too deep");
        SkipSpace();
        const char c = Peek();
        if (c == '{') {
            ReadObject([&](const std::string&) { SkipValue(depth + 1); });
        } else if (c == '[') {
            ++Pos;
            SkipSpace();
            if (Peek() == ']') {
                ++Pos;
                return;
            }
            for (;;) {
                SkipValue(depth + 1);
                SkipSpace();
                if (Peek() == ',') {
                    ++Pos;
                    continue;
                }
                Expect(']');
                return;
            }
        } else {
            ReadPlainValue("value");
        }
    }

    unsigned ReadHex4() {
        if (Pos + 4 > Text.size())
            Bad("a \\u escape cut short");
        unsigned v = 0;
        for (int k = 0; k < 4; ++k) {
            const char h = Text[Pos++];
            v <<= 4;
            if (h >= '0' && h <= '9')
                v |= unsigned(h - '0');
            else if (h >= 'a' && h <= 'f')
                v |= unsigned(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F')
                v |= unsigned(h - 'A' + 10);
            else
                Bad("a \\u escape that is not hexadecimal");
        }
        return v;
    }

    std::string ReadString() {
        ++Pos; // the opening quote
        std::string out;
        for (;;) {
            if (Pos >= Text.size())
                Bad("an unterminated string");
            const char c = Text[Pos++];
            if (c == '"')
                return out;
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (Pos >= Text.size())
                Bad("an unterminated string");
            const char e = Text[Pos++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out.push_back(e);
                break;
            case 'b':
                out.push_back('\b');
                break;
            case 'f':
                out.push_back('\f');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'u': {
                char32_t cp = ReadHex4();
                if (cp >= 0xD800 && cp < 0xDC00 && Text.substr(Pos, 2) == "\\u") {
                    Pos += 2;
                    const unsigned low = ReadHex4();
                    if (low >= 0xDC00 && low < 0xE000) {
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    } else {
                        AppendUtf8(out, ReplacementChar);
                        cp = low;
                    }
                }
                AppendUtf8(out, cp); // a lone surrogate becomes U+FFFD
                break;
            }
            default:
                Bad("an unknown escape");
            }
        }
    }
};

bool AllDigits(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

TSourceTable ReadSourceTable(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    const std::string text = ToUtf8(bytes);
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        Fail("the file is empty");
    if (text[first] == '[' || text[first] == '{')
        return TJsonReader(text).Read();
    if (text[first] == '<')
        Fail("the file is HTML or XML, not the dataset's CSV or JSON");
    return ReadCsv(text);
}

std::string CanonicalCsv(const TSourceTable& table) {
    std::string out;
    for (std::size_t c = 0; c < table.Header.size(); ++c)
        out += (c ? ";" : "") + table.Header[c];
    for (const auto& row : table.Rows) {
        out += '\n';
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c)
                out += ';';
            if (AllDigits(row[c])) {
                out += row[c];
                continue;
            }
            out += '"';
            for (char ch : row[c]) {
                if (ch == '"')
                    out += '"';
                out += ch;
            }
            out += '"';
        }
    }
    return out;
}
