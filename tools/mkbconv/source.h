#pragma once
// The НСИ export of the classification as the portal gives it, read into one table of UTF-8
// texts: CSV in UTF-8 or windows-1251, ";" or ",", fields quoted or bare, LF or CR LF line ends,
// a byte-order mark or none; or JSON, an array of objects (bare, or the array member of an
// object) with the columns as member names.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class TSourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TSourceTable {
    std::vector<std::string> Header;
    std::vector<std::vector<std::string>> Rows; // each as long as the header
    std::vector<std::string> Places;            // where each row starts: "line 12", "record 11"
};

// Raises TSourceError, naming the place, for anything it cannot read soundly.
TSourceTable ReadSourceTable(std::string_view bytes);

// The table in the form of the file the project is checked against: the header bare, every
// other field bare when empty or all digits and quoted otherwise, ";" between fields, LF
// between lines and none after the last. Exports that differ in form only give the same bytes.
std::string CanonicalCsv(const TSourceTable& table);
