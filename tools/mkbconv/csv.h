#pragma once
// A reader for the НСИ CSV: ";"-separated, fields optionally in double quotes with doubled
// quotes inside, one record a line.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class TCsvError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Splits one line into fields; raises TCsvError for an unterminated quote or text after a
// closing quote.
std::vector<std::string> SplitCsvLine(std::string_view line, char separator = ';');
