#pragma once
// Character tests and small text helpers shared by the scan step and the declaration reader.
#include "xml/xmltypes.h"

#include <cstring>
#include <string>
#include <string_view>

namespace xmlscan {

inline bool IsWhite(char c) {
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

// ":", the letters, "_" and the bytes C0 to D6, D8 to F6, F8 to FF.
inline bool IsNameStarter(char c) {
    auto b = static_cast<unsigned char>(c);
    return c == ':' || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           (b >= 0xC0 && b != 0xD7 && b != 0xF7);
}

// Stops at the first mismatch, so it never reads past a terminating zero.
inline bool StartsWith(const char* p, std::string_view s) {
    for (char c : s) {
        if (*p != c)
            return false;
        ++p;
    }
    return true;
}

// The first occurrence of what (at least one character) at or after p, or nullptr when the text
// ends first. A plain loop: instrumented builds measure the whole rest of the text on every
// library search, which made scanning a large document quadratic there.
inline const char* FindText(const char* p, std::string_view what) {
    const char first = what[0];
    for (; *p != '\0'; ++p) {
        if (*p != first)
            continue;
        std::size_t i = 1;
        while (i < what.size() && p[i] == what[i])
            ++i;
        if (i == what.size())
            return p;
    }
    return nullptr;
}

// The same search when the text is known to end (with its terminating zero) at `end`: the
// library's bounded byte search, which instrumented builds check only as far as it reads.
inline const char* FindText(const char* p, std::string_view what, const char* end) {
    const char first = what[0];
    while (p < end) {
        p = static_cast<const char*>(std::memchr(p, first, static_cast<std::size_t>(end - p)));
        if (!p)
            return nullptr;
        // The zero at `end` differs from every character of what, so this stops in the text.
        std::size_t i = 1;
        while (i < what.size() && p[i] == what[i])
            ++i;
        if (i == what.size())
            return p;
        ++p;
    }
    return nullptr;
}

// Trims the separator characters and folds every inner run of them into one space.
template <typename IsSeparator> void FoldRuns(std::string& s, IsSeparator isSeparator) {
    std::size_t w = 0;
    bool pendingSpace = false;
    for (char c : s) {
        if (isSeparator(c)) {
            pendingSpace = w > 0;
            continue;
        }
        if (pendingSpace) {
            s[w++] = ' ';
            pendingSpace = false;
        }
        s[w++] = c;
    }
    s.resize(w);
}

// The entity's value framed by zero bytes, made when first walked; returns its first character.
inline const char* EntityWalkText(const TEntityDef& def) {
    if (def.WalkText.empty()) {
        def.WalkText.reserve(def.Value.size() + 2);
        def.WalkText.push_back('\0');
        def.WalkText += def.Value;
        def.WalkText.push_back('\0');
    }
    return def.WalkText.data() + 1;
}

} // namespace xmlscan
