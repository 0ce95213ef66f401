#include "platform/backend.h"
#include "platform/win32/win32.h"

#include <shellapi.h>

void backend::ShellOpen(const std::u16string& target) {
    // Only what names a scheme (http:, mailto:, ...): a bare word would start a program.
    const std::size_t colon = target.find(u':');
    if (target.empty() || colon == std::u16string::npos || colon < 2)
        return;
    for (std::size_t i = 0; i < colon; ++i) {
        const char16_t c = target[i];
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
              (i > 0 && ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.'))))
            return;
    }
    const std::wstring wide = win32::Wide(target);
    ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
