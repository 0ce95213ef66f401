// The loader on the MKBDATA resource linked into this executable, cross-checked record by record
// against the line-based reading of the same document.
#include "doclayout.h"

#include "data/loader.h"
#include "data/mkbrecs.h"
#include "platform/codepage.h"
#include "platform/resources.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

class LoadedResource : public testing::Test {
protected:
    static void SetUpTestSuite() { LoadClassification(); }
};

std::u16string Expected(const std::string& raw) {
    std::u16string s = DecodeCodePage(raw, 1251);
    for (std::size_t at = s.find(u"\\n\\r"); at != std::u16string::npos; at = s.find(u"\\n\\r", at))
        s.replace(at, 4, u"<br>");
    return s;
}

TEST_F(LoadedResource, FirstRecordIsClassOne) {
    const TMKBRec& r = MKBRecs[0];
    EXPECT_EQ(r.code, "\xCA\xCB\xC0\xD1\xD1 I");
    EXPECT_EQ(r.parent_id, -1);
    EXPECT_EQ(r.child_count, -1);
    EXPECT_FALSE(r.name.empty());
}

TEST_F(LoadedResource, FillsExactlyTheDocumentsRecordsAndLeavesTheLastSlot) {
    const TMKBRec& last = MKBRecs[MKBRecCapacity - 1];
    EXPECT_EQ(last.id, 0);
    EXPECT_EQ(last.parent_id, 0);
    EXPECT_EQ(last.child_count, 0);
    EXPECT_TRUE(last.code.empty());
    EXPECT_TRUE(last.name.empty() && last.incl.empty() && last.excl.empty() && last.note.empty());
    int filled = 0;
    while (filled < MKBRecCapacity && MKBRecs[filled].child_count == -1)
        ++filled;
    EXPECT_EQ(filled, MKBDataRecordCount);
    EXPECT_NE(MKBRecs[MKBDataRecordCount - 1].id, 0);
}

TEST_F(LoadedResource, MatchesTheDocumentRecordByRecord) {
    const TEmbeddedResource& res = OpenEmbeddedResource("MKBDATA");
    const std::string_view bytes(reinterpret_cast<const char*>(res.Data), res.Size);
    std::ifstream in(MKB_EMBEDDED_DOCUMENT, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, file) << "the linked resource is not the generated document";

    const TDocLayout layout = ReadDocLayout(bytes);
    ASSERT_TRUE(layout.errors.empty());
    ASSERT_EQ(layout.records.size(), static_cast<std::size_t>(MKBDataRecordCount));
    int mismatches = 0;
    for (std::size_t i = 0; i < layout.records.size() && mismatches < 10; ++i) {
        const TDocRecord& d = layout.records[i];
        const TMKBRec& r = MKBRecs[i];
        const bool same = r.id == d.id && r.parent_id == d.parent_id && r.code == d.code &&
                          r.name == Expected(d.name) && r.incl == Expected(d.incl) &&
                          r.excl == Expected(d.excl) && r.note == Expected(d.note);
        if (!same) {
            ++mismatches;
            ADD_FAILURE() << "record " << i << " (id " << d.id << ") differs from the document";
        }
    }
}

} // namespace
