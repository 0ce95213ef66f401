#include "data/loader.h"
#include "platform/errors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Rec(const std::string& id, const std::string& code, const std::string& name,
                const std::string& note = "", const std::string& parent = "-1") {
    return "  <rec>\r\n      <id>" + id + "</id>\r\n      <code><![CDATA[" + code +
           "]]></code>\r\n      <name><![CDATA[" + name +
           "]]></name>\r\n      <incl><![CDATA[]]></incl>\r\n      <excl><![CDATA[]]></excl>\r\n"
           "      <note><![CDATA[" +
           note + "]]></note>\r\n      <parent_id>" + parent + "</parent_id>\r\n  </rec>\r\n";
}

std::string Doc(const std::string& recs) {
    return "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<data>\r\n" + recs + "</data>\r\n";
}

} // namespace

TEST(Loader, FillsRecordsInDocumentOrder) {
    std::vector<TMKBRec> store(3);
    // "КЛАСС I" and "Холера" in windows-1251.
    std::string klass = "\xCA\xCB\xC0\xD1\xD1 I";
    std::string cholera = "\xD5\xEE\xEB\xE5\xF0\xE0";
    LoadClassificationInto(
        store, Doc(Rec("67", klass, "A", "a\\n\\rb") + Rec("68", "A00", cholera, "", "67")));
    EXPECT_EQ(store[0].id, 67);
    EXPECT_EQ(store[0].code, klass);
    EXPECT_EQ(store[0].name, u"A");
    EXPECT_EQ(store[0].note, u"a<br>b");
    EXPECT_EQ(store[0].parent_id, -1);
    EXPECT_EQ(store[0].child_count, -1);
    EXPECT_EQ(store[1].name, u"Холера");
    EXPECT_EQ(store[1].parent_id, 67);
    EXPECT_TRUE(store[1].incl.empty());
    // The slot after the last record stays as it was.
    EXPECT_EQ(store[2].id, 0);
    EXPECT_EQ(store[2].child_count, 0);
    EXPECT_TRUE(store[2].name.empty());
}

TEST(Loader, TextConversions) {
    std::vector<TMKBRec> store(2);
    std::string longCode(70, 'C');
    LoadClassificationInto(store, Doc(Rec("1", longCode, "x\\n\\r\\n\\ry\\n", "\\n\\r")));
    EXPECT_EQ(store[0].code, std::string(64, 'C'));
    EXPECT_EQ(store[0].name, u"x<br><br>y\\n");
    EXPECT_EQ(store[0].note, u"<br>");
    // Runs of spaces inside CDATA are kept as printed.
    LoadClassificationInto(store, Doc(Rec("2", "", "a   b", "   ")));
    EXPECT_EQ(store[0].name, u"a   b");
    EXPECT_EQ(store[0].note, u"   ");
    EXPECT_TRUE(store[0].code.empty());
}

TEST(Loader, IntegerErrorKeepsWhatWasRead) {
    std::vector<TMKBRec> store(4);
    std::string doc =
        Doc(Rec("1", "A", "first") + Rec("12x", "B", "second") + Rec("3", "C", "third"));
    try {
        LoadClassificationInto(store, doc);
        FAIL() << "no error raised";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'12x' is not a valid integer value");
    }
    EXPECT_EQ(store[0].id, 1);
    EXPECT_EQ(store[0].name, u"first");
    EXPECT_EQ(store[0].child_count, -1);
    // The failing record is not filled past its id; nothing after it is read.
    EXPECT_EQ(store[1].id, 0);
    EXPECT_TRUE(store[1].name.empty());
    EXPECT_TRUE(store[2].name.empty());
}

TEST(Loader, EmptyNumberFailsToo) {
    std::vector<TMKBRec> store(2);
    std::string doc = "<data><rec><id><![CDATA[]]></id></rec></data>";
    EXPECT_THROW(LoadClassificationInto(store, doc), EConvertError);
}

TEST(Loader, MoreRecordsThanTheStoreHolds) {
    std::vector<TMKBRec> store(3); // the guard slot after the store must stay untouched
    std::string doc = Doc(Rec("1", "", "a") + Rec("2", "", "b") + Rec("3", "", "c") +
                          Rec("4", "", "d") + Rec("5", "", "e"));
    std::span<TMKBRec> room(store.data(), 2);
    try {
        LoadClassificationInto(room, doc);
        FAIL() << "no error raised";
    } catch (const EMkbError& e) {
        std::string msg = e.what();
        EXPECT_NE(msg.find("5 records"), std::string::npos) << msg;
        EXPECT_NE(msg.find("room for 2"), std::string::npos) << msg;
    }
    EXPECT_EQ(store[0].name, u"a");
    EXPECT_EQ(store[1].name, u"b");
    EXPECT_EQ(store[2].id, 0);
    EXPECT_TRUE(store[2].name.empty());
    // Field values after the last closed record are one more record, and one is singular.
    std::vector<TMKBRec> one(1);
    try {
        LoadClassificationInto(one, Doc(Rec("1", "", "a") + "<id>2</id><name>b</name>"));
        FAIL() << "no error raised";
    } catch (const EMkbError& e) {
        EXPECT_NE(std::string(e.what()).find("holds 2 records, but the record store has room "
                                             "for 1 record;"),
                  std::string::npos)
            << e.what();
    }
    // Exactly full is fine.
    std::vector<TMKBRec> exact(2);
    EXPECT_NO_THROW(LoadClassificationInto(exact, Doc(Rec("1", "", "a") + Rec("2", "", "b"))));
}

TEST(Loader, IgnoresOtherPartsAndUnknownFields) {
    std::vector<TMKBRec> store(2);
    std::string doc = "<?xml version=\"1.0\" encoding=\"windows-1251\"?><!-- c --><?pi x?>"
                      "<data><rec><extra>zz</extra><id>5</id><id>6</id><name>plain</name>"
                      "</rec></data>";
    LoadClassificationInto(store, doc);
    EXPECT_EQ(store[0].id, 6); // a later value replaces the earlier one
    EXPECT_EQ(store[0].name, u"plain");
    // Garbage with no records loads nothing and raises nothing.
    std::vector<TMKBRec> other(1);
    EXPECT_NO_THROW(LoadClassificationInto(other, std::string("\x01\x02<<<&&&]]>", 11)));
    EXPECT_EQ(other[0].id, 0);
}
