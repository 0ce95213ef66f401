// Converts the НСИ export of the classification into the embedded MKBDATA document
// (windows-1251 XML, one rec per current record) and a header with its record count.
//
//   mkbconv [--dates=<MKBDATES.tsv>] <source> <MKBDATA.xml> <mkbdata_info.h> [<dataset id>
//           <version>]
//   mkbconv --normalise <source> <canonical.csv>
//
// --dates also writes the table of dated records the document leaves out: every withdrawn
// record with the date it was withdrawn, and every current record with the date from which it
// is valid. UTF-8, one record a line, tab-separated: id, W (withdrawn) or V (valid from),
// DD.MM.YYYY, the code as the document writes it (mark included), the title. Lines starting
// with "#" are comments. The document itself stays as it is.
//
// The source is the portal's export in any form it comes in (source.h). The header also names
// the edition: the dataset identifier and version as given, and the latest date from which a
// current record is valid (the source's DATE column), where the source has one. Fails, writing
// nothing, on any record it cannot place soundly.
//
// --normalise checks the source as a conversion would and writes it in the one form whose
// checksum the set-up knows (CanonicalCsv), so that an export differing in form only can be
// verified; it reports the same record count as a conversion.
#include "source.h"
#include "text/codepages.h"
#include "text/utf.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

using namespace mkb::text;

namespace {

struct TSourceRec {
    int Id{0};
    int ParentId{-1};
    std::string Code;  // UTF-8
    std::string Name;  // UTF-8
    char Mark{0};      // dual coding: '+' for a dagger (aetiology) code, '*' for an asterisk one
    std::string Place; // "line 12" in a CSV, "record 11" in a JSON export
    std::string Date;  // DD.MM.YYYY: withdrawn on, or valid from; empty when none
};

[[noreturn]] void Fail(const std::string& message) {
    throw std::runtime_error(message);
}

int ParseInt(const std::string& s, const std::string& place, const char* column) {
    if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos)
        Fail(place + ": " + column + " '" + s + "' is not a positive integer");
    return std::stoi(s);
}

bool IsRange(const std::string& code) {
    // "A00-A09": a block or sub-block.
    auto isCode = [](std::string_view c) {
        return c.size() == 3 && c[0] >= 'A' && c[0] <= 'Z' && std::isdigit((unsigned char)c[1]) &&
               std::isdigit((unsigned char)c[2]);
    };
    return code.size() == 7 && code[3] == '-' && isCode(std::string_view(code).substr(0, 3)) &&
           isCode(std::string_view(code).substr(4, 3));
}

int RomanValue(const std::string& s) {
    static const std::map<char, int> digits = {{'I', 1}, {'V', 5}, {'X', 10}, {'L', 50}};
    int total = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        auto it = digits.find(s[i]);
        if (it == digits.end())
            return -1;
        int v = it->second;
        int next = i + 1 < s.size() && digits.count(s[i + 1]) ? digits.at(s[i + 1]) : 0;
        total += v < next ? -v : v;
    }
    return total;
}

// The nearest windows-1251 letter for a Latin letter with a diacritic (ö gives o).
char16_t NearestLetter(char16_t c) {
    static const char16_t* latin1 =
        u"AAAAAAACEEEEIIIIDNOOOOO?OUUUUYTsaaaaaaaceeeeiiiidnooooo?ouuuuyty";
    if (c >= 0xC0 && c <= 0xFF)
        return latin1[c - 0xC0];
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs upper and lower case; their bases in order.
        static const char* base =
            "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiJjJjKkkLlLlLl"
            "LlLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
        return static_cast<unsigned char>(base[c - 0x100]);
    }
    return u'?';
}

std::string ToCp1251(const std::string& utf8, int& replaced) {
    std::string out;
    for (char16_t c : Utf8ToUtf16(utf8)) {
        int byte = Cp1251Byte(c);
        if (byte < 0) {
            byte = static_cast<unsigned char>(NearestLetter(c));
            ++replaced;
        }
        out.push_back(static_cast<char>(byte));
    }
    return out;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        Fail("cannot open " + path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFileAtomically(const std::string& path, const std::string& content) {
    std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        if (!out)
            Fail("cannot write " + temp);
    }
    std::filesystem::rename(temp, path);
}

void CheckText(const std::string& text, const TSourceRec& rec) {
    if (text.find_first_of("<>&") != std::string::npos || text.find("]]>") != std::string::npos)
        Fail(rec.Place + ": the title of record " + std::to_string(rec.Id) +
             " holds '<', '>' or '&', which the document cannot carry");
}

struct TSource {
    std::vector<TSourceRec> Recs; // the current records, in file order
    std::unordered_map<int, bool> Withdrawn;
    std::vector<TSourceRec> WithdrawnRecs; // in file order
    std::string LatestDate; // DD.MM.YYYY, the latest DATE of a current record; empty if none
};

// "DD.MM.YYYY" as YYYYMMDD for comparing; fails on any other form.
int DateKey(const std::string& date, const std::string& place) {
    const bool form = date.size() == 10 && date[2] == '.' && date[5] == '.' &&
                      std::all_of(date.begin(), date.end(), [](char c) {
                          return c == '.' || std::isdigit((unsigned char)c);
                      });
    const int day = form ? std::stoi(date.substr(0, 2)) : 0;
    const int month = form ? std::stoi(date.substr(3, 2)) : 0;
    if (day < 1 || day > 31 || month < 1 || month > 12)
        Fail(place + ": DATE '" + date + "' is not DD.MM.YYYY");
    return std::stoi(date.substr(6, 4)) * 10000 + month * 100 + day;
}

TSource ReadSource(const TSourceTable& table) {
    const std::vector<std::string>& header = table.Header;
    auto column = [&](const char* name) {
        auto it = std::find(header.begin(), header.end(), name);
        if (it == header.end())
            Fail(std::string("the header has no column ") + name);
        return static_cast<std::size_t>(it - header.begin());
    };
    const std::size_t cId = column("ID"), cCode = column("MKB_CODE"), cName = column("MKB_NAME"),
                      cParent = column("ID_PARENT"), cActual = column("ACTUAL");

    // Dual coding, where the source carries it: 1 marks the aetiology code of a pair, 2 the
    // manifestation code.
    const auto addl = std::find(header.begin(), header.end(), "ADDL_CODE");
    const std::size_t cAddl =
        addl == header.end() ? header.size() : static_cast<std::size_t>(addl - header.begin());
    const auto dateColumn = std::find(header.begin(), header.end(), "DATE");
    const std::size_t cDate = static_cast<std::size_t>(dateColumn - header.begin());
    int latest = 0;

    TSource out;
    std::unordered_map<int, bool> current;
    for (std::size_t i = 0; i < table.Rows.size(); ++i) {
        const std::vector<std::string>& f = table.Rows[i];
        const std::string& place = table.Places[i];
        const std::string& actual = f[cActual];
        if (actual != "0" && actual != "1")
            Fail(place + ": ACTUAL is '" + actual + "', not 0 or 1");
        TSourceRec rec;
        rec.Place = place;
        rec.Id = ParseInt(f[cId], place, "ID");
        rec.ParentId = f[cParent].empty() ? -1 : ParseInt(f[cParent], place, "ID_PARENT");
        rec.Code = f[cCode];
        rec.Name = f[cName];
        if (cAddl < f.size() && !f[cAddl].empty()) {
            if (f[cAddl] != "1" && f[cAddl] != "2")
                Fail(place + ": ADDL_CODE is '" + f[cAddl] + "', not empty, 1 or 2");
            rec.Mark = f[cAddl] == "1" ? '+' : '*';
        }
        if (current.count(rec.Id) || out.Withdrawn.count(rec.Id))
            Fail(place + ": ID " + std::to_string(rec.Id) + " appears twice");
        if (cDate < f.size() && !f[cDate].empty()) {
            DateKey(f[cDate], place);
            rec.Date = f[cDate];
        }
        if (actual == "0") {
            out.Withdrawn[rec.Id] = true;
            out.WithdrawnRecs.push_back(std::move(rec));
            continue;
        }
        if (rec.Name.empty())
            Fail(place + ": record " + std::to_string(rec.Id) + " has no title");
        current[rec.Id] = true;
        if (!rec.Date.empty()) {
            const int key = DateKey(rec.Date, place);
            if (key > latest) {
                latest = key;
                out.LatestDate = rec.Date;
            }
        }
        out.Recs.push_back(std::move(rec));
    }
    return out;
}

// The document order: classes first, in class order; then every other record in file order,
// each after its parent. Also the code range of each class, from its blocks.
struct TOrder {
    std::vector<const TSourceRec*> Classes, Others;
    std::map<int, std::pair<std::string, std::string>> ClassRange; // class id: first, last code
};

TOrder OrderRecords(const TSource& source) {
    const std::vector<TSourceRec>& recs = source.Recs;
    std::unordered_map<int, std::size_t> byId;
    for (std::size_t i = 0; i < recs.size(); ++i)
        byId[recs[i].Id] = i;
    TOrder order;
    for (const TSourceRec& r : recs)
        (r.ParentId == -1 ? order.Classes : order.Others).push_back(&r);
    for (const TSourceRec* c : order.Classes)
        if (RomanValue(c->Code) <= 0)
            Fail(c->Place + ": class code '" + c->Code + "' is not a Roman numeral");
    std::stable_sort(order.Classes.begin(), order.Classes.end(),
                     [](auto* a, auto* b) { return RomanValue(a->Code) < RomanValue(b->Code); });

    std::unordered_map<int, bool> placed;
    for (const TSourceRec* c : order.Classes)
        placed[c->Id] = true;
    for (const TSourceRec* r : order.Others) {
        if (!byId.count(r->ParentId))
            Fail(r->Place + ": record " + std::to_string(r->Id) + " names parent " +
                 std::to_string(r->ParentId) +
                 (source.Withdrawn.count(r->ParentId) ? ", which is withdrawn"
                                                      : ", which does not exist"));
        if (!placed.count(r->ParentId))
            Fail(r->Place + ": record " + std::to_string(r->Id) + " comes before its parent " +
                 std::to_string(r->ParentId));
        placed[r->Id] = true;
        const TSourceRec& parent = recs[byId[r->ParentId]];
        if (parent.ParentId == -1 && IsRange(r->Code)) {
            auto& range = order.ClassRange[parent.Id];
            if (range.first.empty())
                range.first = r->Code.substr(0, 3);
            range.second = r->Code.substr(4, 3);
        }
    }
    return order;
}

std::string BuildDocument(const TOrder& order, std::size_t records, int& replaced) {
    std::string doc;
    doc.reserve(records * 220);
    doc += "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<data>\r\n";
    auto emit = [&](const TSourceRec& r) {
        std::string code, name = r.Name;
        if (r.ParentId == -1) {
            code = "КЛАСС " + r.Code;
            auto it = order.ClassRange.find(r.Id);
            if (it != order.ClassRange.end())
                name += " (" + it->second.first + "-" + it->second.second + ")";
        } else if (IsRange(r.Code)) {
            name += " (" + r.Code + ")";
        } else {
            code = r.Code;
            // The printed edition's marks: "†" (windows-1251 0x86) and "*".
            if (r.Mark == '+')
                code += "†";
            else if (r.Mark == '*')
                code += "*";
        }
        CheckText(code, r);
        CheckText(name, r);
        doc += "  <rec>\r\n      <id>" + std::to_string(r.Id) + "</id>\r\n";
        doc += "      <code><![CDATA[" + ToCp1251(code, replaced) + "]]></code>\r\n";
        doc += "      <name><![CDATA[" + ToCp1251(name, replaced) + "]]></name>\r\n";
        doc += "      <incl><![CDATA[]]></incl>\r\n      <excl><![CDATA[]]></excl>\r\n"
               "      <note><![CDATA[]]></note>\r\n";
        doc += "      <parent_id>" + std::to_string(r.ParentId) + "</parent_id>\r\n  </rec>\r\n";
    };
    for (const TSourceRec* c : order.Classes)
        emit(*c);
    for (const TSourceRec* r : order.Others)
        emit(*r);
    doc += "</data>\r\n";
    return doc;
}

// The dated records as --dates writes them; text fields may hold no tab or line break.
std::string BuildDatesTable(const TSource& source) {
    std::string out = "# Generated by mkbconv: id, W (withdrawn) or V (valid from), date, code, "
                      "title\n";
    auto clean = [](std::string text) {
        for (char& c : text)
            if (c == '\t' || c == '\n' || c == '\r')
                c = ' ';
        return text;
    };
    auto line = [&](const TSourceRec& r, char state) {
        std::string code = r.Code;
        if (r.Mark == '+')
            code += "†";
        else if (r.Mark == '*')
            code += "*";
        out += std::to_string(r.Id) + '\t' + state + '\t' + r.Date + '\t' + clean(code) + '\t' +
               clean(r.Name) + '\n';
    };
    for (const TSourceRec& r : source.WithdrawnRecs)
        line(r, 'W');
    for (const TSourceRec& r : source.Recs)
        if (!r.Date.empty())
            line(r, 'V');
    return out;
}

// An identifier or version goes into the header as a string literal: digits and dots only.
std::string EditionPart(const std::string& value, const char* what) {
    if (value.find_first_not_of("0123456789.") != std::string::npos)
        Fail(std::string("the ") + what + " '" + value + "' is not digits and dots");
    return value;
}

void MakeParent(const std::string& path) {
    if (std::filesystem::path(path).has_parent_path())
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
}

void Report(const TSource& recs, const TOrder& order, int replaced, std::size_t bytes) {
    const auto marked = [&recs](char mark) {
        return std::count_if(recs.Recs.begin(), recs.Recs.end(),
                             [mark](const TSourceRec& r) { return r.Mark == mark; });
    };
    std::cout << "mkbconv: " << recs.Recs.size() << " current records (" << order.Classes.size()
              << " classes, " << marked('+') << " dagger and " << marked('*')
              << " asterisk codes), " << recs.Withdrawn.size() << " withdrawn left out, "
              << replaced << " character(s) outside windows-1251 replaced, " << bytes << " bytes\n";
}

int Run(const std::string& source, const std::string& output, const std::string& infoPath,
        const std::string& datasetId, const std::string& version, const std::string& datesPath) {
    const TSource recs = ReadSource(ReadSourceTable(ReadFile(source)));
    const TOrder order = OrderRecords(recs);
    int replaced = 0;
    const std::string doc = BuildDocument(order, recs.Recs.size(), replaced);
    std::string info = "#pragma once\n// Generated by mkbconv from the classification source.\n"
                       "inline constexpr int MKBDataRecordCount = " +
                       std::to_string(recs.Recs.size()) +
                       ";\n// The edition: dataset identifier, version, the latest date from which "
                       "a record is valid\n// (each empty when not known).\n"
                       "inline constexpr const char* MKBDataSetId = \"" +
                       EditionPart(datasetId, "dataset identifier") +
                       "\";\ninline constexpr const char* MKBDataSetVersion = \"" +
                       EditionPart(version, "version") +
                       "\";\ninline constexpr const char* MKBDataLatestRecordDate = \"" +
                       recs.LatestDate + "\";\n";
    MakeParent(output);
    MakeParent(infoPath);
    WriteFileAtomically(output, doc);
    WriteFileAtomically(infoPath, info);
    if (!datesPath.empty()) {
        MakeParent(datesPath);
        WriteFileAtomically(datesPath, BuildDatesTable(recs));
    }
    Report(recs, order, replaced, doc.size());
    return 0;
}

int Normalise(const std::string& source, const std::string& output) {
    const TSourceTable table = ReadSourceTable(ReadFile(source));
    const TSource recs = ReadSource(table);
    const TOrder order = OrderRecords(recs);
    int replaced = 0;
    const std::string doc = BuildDocument(order, recs.Recs.size(), replaced);
    const std::string canonical = CanonicalCsv(table);
    MakeParent(output);
    WriteFileAtomically(output, canonical);
    Report(recs, order, replaced, doc.size());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string datesPath;
    if (argc > 1 && std::string_view(argv[1]).starts_with("--dates=")) {
        datesPath = std::string(argv[1]).substr(8);
        --argc;
        ++argv;
    }
    const bool normalise = argc == 4 && std::string(argv[1]) == "--normalise";
    if (argc != 4 && argc != 6) {
        std::cerr << "usage: mkbconv [--dates=<MKBDATES.tsv>] <source> <MKBDATA.xml> "
                     "<mkbdata_info.h> [<dataset id> <version>]\n       mkbconv --normalise "
                     "<source> <canonical.csv>\n";
        return 2;
    }
    const char* source = normalise ? argv[2] : argv[1];
    try {
        if (normalise)
            return Normalise(argv[2], argv[3]);
        return Run(argv[1], argv[2], argv[3], argc == 6 ? argv[4] : "", argc == 6 ? argv[5] : "",
                   datesPath);
    } catch (const std::exception& e) {
        std::cerr << "mkbconv: " << source << ": " << e.what() << "\n";
        return 1;
    }
}
