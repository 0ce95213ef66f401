#pragma once
// For platform/win32/ only: pictures decoded by the Windows Imaging Component.
#include "platform/bitmap.h"

#include <cstddef>
#include <string>
#include <vector>

namespace win32 {

struct TDecodedPicture {
    int Width{0};
    int Height{0};
    bool HasAlpha{false};       // some pixel is not fully opaque
    std::vector<TPixel> Pixels; // top-down rows, 0xAARRGGBB, not premultiplied
    std::string Error;          // why decoding failed
};

// Pictures larger than this many pixels are refused rather than allocated.
constexpr std::size_t MaxPicturePixels = std::size_t{64} * 1024 * 1024;

// Any format the system decodes (PNG, BMP, JPEG, GIF, ...): the first frame. False, with the
// reason in Error, for data that is not a picture.
bool DecodePicture(const unsigned char* data, std::size_t size, TDecodedPicture& picture);

} // namespace win32
