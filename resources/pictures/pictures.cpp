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

} // namespace MkbPictures
