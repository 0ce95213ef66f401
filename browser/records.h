#pragma once
// Questions the browser asks of the record store: children, search, ancestry, texts.
#include "data/mkbrecs.h"
#include "data/recindex.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mkb::browser {

// Removes leading and trailing characters with codes up to 32.
std::u16string_view TrimText(std::u16string_view text);

// A record's code decoded from windows-1251.
std::u16string DecodeCode(const TMKBRec& rec);

// The first slot, in store order, whose code or name contains the query regardless of letter
// case; -1 when none does. Only TBrowser::SearchAndShow still uses it, for Enter and the button
// where no search list is attached (the browser on its own, as its tests drive it); the window
// opens the ranked list's first row instead. It differs from the list's matching on purpose: the
// query is one substring, case is its only folding, and store order decides.
int FindRecord(std::span<const TMKBRec> store, std::u16string_view query);

// Puts the record's ancestors, the class first, in front of path.
void BuildRecordPath(const TRecordIndex& records, int index, std::vector<int>& path);

// The tree text of a record: "code name", or the name alone when the code is empty.
std::u16string RecordText(const TMKBRec& rec);

// What "copy the code" gives: the code as the tree shows it, marks included, or the name of a
// block, which has no code of its own.
std::u16string RecordCodeText(const TMKBRec& rec);

// The edition of the embedded classification as a coder checks it: the НСИ dataset identifier,
// its version and the date of its latest change, each where the build knew it.
std::u16string EditionText();

// The number of records the store holds once loaded.
int LoadedRecordCount(std::span<const TMKBRec> store);

} // namespace mkb::browser
