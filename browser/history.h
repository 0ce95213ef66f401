#pragma once
// The records shown in this run, for going back and forward; nothing is written anywhere.
#include <deque>

namespace mkb::browser {

class TRecordHistory {
public:
    static constexpr std::size_t MaxEntries = 100;

    // The record becomes the newest entry after the current one; the entries ahead of the
    // current one go. A record already current is not entered twice. Beyond MaxEntries the
    // oldest goes.
    void Add(int index);
    bool CanGoBack() const { return FPosition > 0; }
    bool CanGoForward() const { return FPosition + 1 < FEntries.size(); }
    // The record one step back (forward), which becomes current; -1 when there is none.
    int Back();
    int Forward();
    int Current() const { return FEntries.empty() ? -1 : FEntries[FPosition]; }
    std::size_t Size() const { return FEntries.size(); }

private:
    std::deque<int> FEntries;
    std::size_t FPosition{0};
};

} // namespace mkb::browser
