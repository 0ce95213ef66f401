#pragma once
// Records of synthetic stores, and the real store made uncounted again.
#include "data/mkbrecs.h"
#include "platform/codepage.h"

#include <span>
#include <string>

inline TMKBRec MakeRecord(int id, const std::u16string& code, const std::u16string& name,
                          int parent) {
    TMKBRec r;
    r.id = id;
    r.code = EncodeCodePage(code, 1251);
    r.name = name;
    r.parent_id = parent;
    r.child_count = -1;
    return r;
}

// Child counts are cached in the store per run; a test that counts starts from none counted.
inline void ForgetChildCounts(std::span<TMKBRec> store) {
    for (TMKBRec& r : store)
        if (r.id != 0)
            r.child_count = -1;
}
