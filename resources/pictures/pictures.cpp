#include "resources/pictures/pictures.h"

namespace MkbPictures {

const char* TreeImage(int index) {
    static const char* const names[TreeImageCount] = {
        ":/pictures/treeimg0.png", ":/pictures/treeimg1.png", ":/pictures/treeimg2.png",
        ":/pictures/treeimg3.png"};
    return index >= 0 && index < TreeImageCount ? names[index] : nullptr;
}

const char* AppIcon(int size) {
    switch (size) {
    case 16:
        return ":/pictures/icon16.png";
    case 32:
        return ":/pictures/icon32.png";
    case 48:
        return ":/pictures/icon48.png";
    default:
        return nullptr;
    }
}

std::string ForRatio(const char* name, double ratio) {
    std::string s = name ? name : "";
    if (ratio <= 1 || s.empty())
        return s;
    const std::size_t dot = s.rfind('.');
    const std::size_t slash = s.rfind('/');
    const std::size_t at =
        dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : s.size();
    return s.insert(at, "@2x");
}

} // namespace MkbPictures
