// The clipboard's plain text as CF_UNICODETEXT.
#include "platform/clipboard.h"
#include "platform/win32/win32.h"

#include <cstring>

namespace {

// The clipboard may be held by another program for a moment.
bool OpenClipboardRetrying() {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(win32::MessageWindow()))
            return true;
        Sleep(10);
    }
    return false;
}

} // namespace

void SetClipboardText(const std::u16string& text) {
    if (!OpenClipboardRetrying())
        return;
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void* p = GlobalLock(memory)) {
            std::memcpy(p, text.c_str(), bytes);
            GlobalUnlock(memory);
            if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr)
                GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

std::u16string ClipboardText() {
    std::u16string text;
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboardRetrying())
        return text;
    if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(GlobalLock(memory))) {
            // Bounded by the block's size: the data need not end with a zero.
            const std::size_t units = GlobalSize(memory) / sizeof(wchar_t);
            std::size_t n = 0;
            while (n < units && p[n] != 0)
                ++n;
            text = win32::FromWide(p, n);
            GlobalUnlock(memory);
        }
    }
    CloseClipboard();
    return text;
}
