#include "csv.h"

std::vector<std::string> SplitCsvLine(std::string_view line, char separator) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    for (;;) {
        std::string field;
        if (i < line.size() && line[i] == '"') {
            ++i;
            for (;;) {
                if (i >= line.size())
                    throw TCsvError("unterminated quoted field");
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field.push_back('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field.push_back(line[i++]);
            }
            if (i < line.size() && line[i] != separator)
                throw TCsvError("text after a closing quote");
        } else {
            while (i < line.size() && line[i] != separator)
                field.push_back(line[i++]);
        }
        fields.push_back(std::move(field));
        if (i >= line.size())
            return fields;
        ++i; // the separator
    }
}
