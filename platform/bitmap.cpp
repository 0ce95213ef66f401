#include "platform/bitmap.h"

std::string PictureForRatio(const char* name, double ratio) {
    std::string s = name ? name : "";
    if (ratio <= 1 || s.empty())
        return s;
    const std::size_t dot = s.rfind('.');
    const std::size_t slash = s.rfind('/');
    const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return s.insert(extension ? dot : s.size(), "@2x");
}
