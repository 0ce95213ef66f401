#include "platform/jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>

namespace {

// libjpeg's default error handler calls exit(); this one jumps back to the decode call with
// the library's own message instead.
struct TJpegErrorManager {
    jpeg_error_mgr Base;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
    auto* mgr = reinterpret_cast<TJpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, mgr->Message);
    std::longjmp(mgr->Jump, 1);
}

// Warnings (level -1) are how libjpeg reports corrupt or truncated data it papers over; a
// picture decoded from such data is not what was stored, so they end the decode too.
void EmitMessage(j_common_ptr cinfo, int level) {
    if (level < 0)
        ErrorExit(cinfo);
}

void OutputMessage(j_common_ptr) {}

inline std::uint32_t Opaque(unsigned r, unsigned g, unsigned b) {
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

// Everything with a destructor lives in the caller's frame, so the longjmp skips no C++
// object; the return value says whether `message` holds an error.
bool DecodeInto(const unsigned char* data, std::size_t size, TJpegImage& out, char* message) {
    jpeg_decompress_struct cinfo;
    TJpegErrorManager err;
    cinfo.err = jpeg_std_error(&err.Base);
    err.Base.error_exit = ErrorExit;
    err.Base.emit_message = EmitMessage;
    err.Base.output_message = OutputMessage;
    err.Message[0] = '\0';

    if (setjmp(err.Jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.Message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }

    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);

    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo.out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo.out_color_space = JCS_CMYK;
        break;
    default:
        cinfo.out_color_space = JCS_RGB;
        break;
    }
    // Refused before libjpeg sizes its buffers for it.
    const std::size_t width = cinfo.image_width;
    const std::size_t height = cinfo.image_height;
    if (width == 0 || height == 0 || width * height > MaxJpegPixels) {
        std::snprintf(message, JMSG_LENGTH_MAX, "picture of %zu x %zu pixels is too large", width,
                      height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_width != width || cinfo.output_height != height) {
        std::snprintf(message, JMSG_LENGTH_MAX, "unexpected output size");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }

    out.Width = static_cast<int>(width);
    out.Height = static_cast<int>(height);
    out.Pixels.assign(width * height, 0xFF000000u);

    const int components = cinfo.output_components;
    // Adobe writes CMYK inverted; that is what every CMYK JPEG in practice carries.
    const bool inverted = cinfo.saw_Adobe_marker;
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                width * components, 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        const std::size_t y = cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, row, 1);
        const JSAMPLE* src = row[0];
        std::uint32_t* dst = out.Pixels.data() + y * width;
        for (std::size_t x = 0; x < width; ++x) {
            if (components == 1) {
                const unsigned v = src[x];
                dst[x] = Opaque(v, v, v);
            } else if (components == 3) {
                dst[x] = Opaque(src[3 * x], src[3 * x + 1], src[3 * x + 2]);
            } else {
                unsigned c = src[4 * x], m = src[4 * x + 1], yy = src[4 * x + 2],
                         k = src[4 * x + 3];
                if (!inverted) {
                    c = 255 - c;
                    m = 255 - m;
                    yy = 255 - yy;
                    k = 255 - k;
                }
                dst[x] = Opaque(c * k / 255, m * k / 255, yy * k / 255);
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

} // namespace

TJpegImage DecodeJpeg(const unsigned char* data, std::size_t size) {
    if (data == nullptr || size == 0)
        throw EJpegError("Invalid JPEG picture: no data");
    TJpegImage image;
    char message[JMSG_LENGTH_MAX] = {};
    if (!DecodeInto(data, size, image, message))
        throw EJpegError(std::string("Invalid JPEG picture: ") + message);
    return image;
}
