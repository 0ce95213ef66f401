#pragma once
// A record of a synthetic store, its code given as wide text.
#include "data/mkbrecs.h"
#include "platform/codepage.h"

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
