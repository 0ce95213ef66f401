#pragma once
// Decoding of a JPEG picture held in memory (the splash picture) with libjpeg.
#include "platform/errors.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A decoded picture: rows top to bottom, each pixel 0xAARRGGBB with alpha always 0xFF, so the
// buffer can be wrapped by a 32-bit image of the toolkit without conversion.
struct TJpegImage {
    int Width{0};
    int Height{0};
    std::vector<std::uint32_t> Pixels;

    std::uint32_t Pixel(int x, int y) const {
        return Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) +
                      static_cast<std::size_t>(x)];
    }
};

// Raised for data that is not a complete, sound JPEG picture; the message names the fault.
class EJpegError : public EMkbError {
public:
    using EMkbError::EMkbError;
};

// Pictures larger than this many pixels are refused rather than allocated.
constexpr std::size_t MaxJpegPixels = std::size_t{64} * 1024 * 1024;

// Decodes greyscale, YCbCr/RGB and CMYK/YCCK pictures. Corrupt or truncated data, which
// libjpeg would otherwise patch over with a warning, raises EJpegError.
TJpegImage DecodeJpeg(const unsigned char* data, std::size_t size);
