#include "browser/history.h"

namespace mkb::browser {

void TRecordHistory::Add(int index) {
    if (index < 0 || index == Current())
        return;
    if (!FEntries.empty())
        FEntries.erase(FEntries.begin() + static_cast<std::ptrdiff_t>(FPosition) + 1,
                       FEntries.end());
    FEntries.push_back(index);
    if (FEntries.size() > MaxEntries)
        FEntries.pop_front();
    FPosition = FEntries.size() - 1;
}

int TRecordHistory::Back() {
    if (!CanGoBack())
        return -1;
    return FEntries[--FPosition];
}

int TRecordHistory::Forward() {
    if (!CanGoForward())
        return -1;
    return FEntries[++FPosition];
}

} // namespace mkb::browser
