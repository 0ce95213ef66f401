// Code pages without a table of their own, through the system's conversions.
#include "platform/backend.h"
#include "platform/win32/win32.h"

#include <climits>

std::u16string backend::DecodeCodePage(std::string_view bytes, int codePage) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX))
        return {};
    const int length = static_cast<int>(bytes.size());
    // Undecodable bytes become U+FFFD (the system's default without MB_ERR_INVALID_CHARS).
    const int n =
        MultiByteToWideChar(static_cast<UINT>(codePage), 0, bytes.data(), length, nullptr, 0);
    if (n <= 0)
        return {}; // a page the system does not know: the caller falls back to the narrow page
    std::u16string out(static_cast<std::size_t>(n), u'\0');
    MultiByteToWideChar(static_cast<UINT>(codePage), 0, bytes.data(), length,
                        reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}

std::string backend::EncodeCodePage(std::u16string_view text, int codePage) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX / 4))
        return {};
    const int length = static_cast<int>(text.size());
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    // No best-fit letters ('A' for 'Ä'): a character the page lacks becomes '?'.
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(static_cast<UINT>(codePage), flags, wide, length, nullptr, 0, "?",
                                &usedDefault);
    if (n <= 0) {
        // Pages that take no flags or default character (some multi-byte ones).
        flags = 0;
        n = WideCharToMultiByte(static_cast<UINT>(codePage), 0, wide, length, nullptr, 0, nullptr,
                                nullptr);
        if (n <= 0)
            return {}; // a page the system does not know
        std::string out(static_cast<std::size_t>(n), '\0');
        WideCharToMultiByte(static_cast<UINT>(codePage), 0, wide, length, out.data(), n, nullptr,
                            nullptr);
        return out;
    }
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(static_cast<UINT>(codePage), flags, wide, length, out.data(), n, "?",
                        &usedDefault);
    return out;
}
