#include "tools/mkbconv/source.h"

#include "text/codepages.h"
#include "text/utf.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace mkb::text;

namespace {

// Three records with what the forms disagree on: quotes and a comma inside titles, empty fields,
// Cyrillic; in the form the project's file has.
const std::string Canonical = "ID;MKB_CODE;MKB_NAME;ID_PARENT;ACTUAL\n"
                              "1;\"I\";\"Болезни\";;1\n"
                              "2;\"E71.0\";\"Болезнь \"\"кленового сиропа\"\"\";1;1\n"
                              "3;\"A01\";\"Тиф, паратиф\";1;0";

std::string ToCp1251(const std::string& utf8) {
    std::string out;
    for (char16_t c : Utf8ToUtf16(utf8))
        out.push_back(static_cast<char>(Cp1251Byte(c)));
    return out;
}

TEST(ExportReader, EveryFormGivesTheSameCanonicalBytes) {
    // Each form, and where its last record starts.
    const std::vector<std::tuple<const char*, std::string, const char*>> forms = {
        {"windows-1251, ',', all quoted, CR LF, a blank line",
         ToCp1251("\"ID\",\"MKB_CODE\",\"MKB_NAME\",\"ID_PARENT\",\"ACTUAL\"\r\n"
                  "\"1\",\"I\",\"Болезни\",\"\",\"1\"\r\n"
                  "\"2\",\"E71.0\",\"Болезнь \"\"кленового сиропа\"\"\",\"1\",\"1\"\r\n\r\n"
                  "\"3\",\"A01\",\"Тиф, паратиф\",\"1\",\"0\"\r\n"),
         "line 5"},
        {"BOM, bare fields",
         "\xEF\xBB\xBFID;MKB_CODE;MKB_NAME;ID_PARENT;ACTUAL\n1;I;Болезни;;1\n"
         "2;E71.0;Болезнь \"кленового сиропа\";1;1\n3;A01;Тиф, паратиф;1;0\n",
         "line 4"},
        {"JSON array", R"([{"ID":1,"MKB_CODE":"I","MKB_NAME":"\u0411олезни","ID_PARENT":null,
            "ACTUAL":true},{"ID":2,"MKB_CODE":"E71.0","MKB_NAME":"Болезнь \"кленового сиропа\"",
            "ID_PARENT":1,"ACTUAL":1},{"ID":3,"MKB_CODE":"A01","MKB_NAME":"Тиф, паратиф",
            "ID_PARENT":"1","ACTUAL":false}])",
         "record 3"},
        {"JSON object", R"({"result":"OK","page":[1,{"a":[]}],"list":[{"ID":1,"MKB_CODE":"I",
            "MKB_NAME":"Болезни","ID_PARENT":"","ACTUAL":1},{"ID":2,"MKB_CODE":"E71.0","MKB_NAME":
            "Болезнь \"кленового сиропа\"","ID_PARENT":1,"ACTUAL":1},{"ID":3,"MKB_CODE":"A01",
            "MKB_NAME":"Тиф, паратиф","ID_PARENT":1,"ACTUAL":0}],"total":3})",
         "record 3"},
    };
    for (const auto& [form, bytes, lastPlace] : forms) {
        SCOPED_TRACE(form);
        const TSourceTable table = ReadSourceTable(bytes); // a failure throws, failing the test
        EXPECT_EQ(CanonicalCsv(table), Canonical);
        EXPECT_EQ(table.Places.back(), lastPlace);
    }
    // A JSON column first seen in a later record is empty in the earlier ones.
    EXPECT_EQ(CanonicalCsv(ReadSourceTable(R"([{"ID":1},{"ID":2,"DATE":"01.01.2020"}])")),
              "ID;DATE\n1;\n2;\"01.01.2020\"");
}

TEST(ExportReader, BadInputNamesWhereAndNeverCrashes) {
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"", "empty"},
        {"ID;NAME\n1;\"open\n2;x", "line 2: unterminated"},
        {"ID;NAME\n1;\"a\"b", "line 2: text after a closing quote"},
        {"ID;NAME\n1;\"two\nlines\"\n2;x;y", "line 4: expected 2 fields, found 3"},
        {"<!DOCTYPE html><html>502</html>", "HTML"},
        {"ID\n1", "no ';' or ','"},
        {R"([{"ID":{"x":1}}])", "not a string, number"},
        {R"([{"ID":"open}])", "unterminated string"},
        {R"({"result":"OK"})", "no array of records"},
        {R"([{"ID":1}] x)", "text after the JSON value"},
        {"{\"a\":" + std::string(100000, '[') + "1" + std::string(100000, ']') + "}", "too deep"},
    };
    for (const auto& [bytes, words] : cases) {
        SCOPED_TRACE(bytes.substr(0, 40));
        try {
            ReadSourceTable(bytes);
            ADD_FAILURE() << "read without complaint";
        } catch (const TSourceError& e) {
            EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
        }
    }
}

} // namespace
