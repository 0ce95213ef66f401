// Decoding through the Windows Imaging Component: the bytes go in as a memory stream and come
// out converted to 32-bit BGRA, the layout of TBitmap's pixels.
#include "platform/jpeg.h"
#include "platform/win32/wic.h"
#include "platform/win32/win32.h"

#include <objbase.h>
#include <wincodec.h>

#include <cstdio>

namespace {

// COM pointers released on every way out.
template <class T> class TComPtr {
public:
    TComPtr() = default;
    ~TComPtr() {
        if (P)
            P->Release();
    }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;
    T** operator&() { return &P; }
    T* operator->() const { return P; }
    T* Get() const { return P; }

private:
    T* P{nullptr};
};

std::string HResultText(const char* what, HRESULT hr) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%s failed (0x%08lX)", what,
                  static_cast<unsigned long>(hr));
    return buffer;
}

// The factory of this thread; COM is started for the thread on first use (apartment-threaded,
// as windows need; a thread already started otherwise keeps its own model).
IWICImagingFactory* Factory(std::string& error) {
    thread_local struct TThreadFactory {
        IWICImagingFactory* Factory{nullptr};
        bool ComStarted{false};
        ~TThreadFactory() {
            if (Factory)
                Factory->Release();
            if (ComStarted)
                CoUninitialize();
        }
    } state;
    if (state.Factory == nullptr) {
        const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        state.ComStarted = SUCCEEDED(init);
        const HRESULT hr =
            CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IWICImagingFactory, reinterpret_cast<void**>(&state.Factory));
        if (FAILED(hr)) {
            state.Factory = nullptr;
            error = HResultText("The imaging component", hr);
        }
    }
    return state.Factory;
}

} // namespace

bool win32::DecodePicture(const unsigned char* data, std::size_t size, TDecodedPicture& picture) {
    picture = {};
    if (data == nullptr || size == 0 || size > 0x7FFFFFFFu) {
        picture.Error = "no data";
        return false;
    }
    IWICImagingFactory* factory = Factory(picture.Error);
    if (factory == nullptr)
        return false;
    TComPtr<IWICStream> stream;
    HRESULT hr = factory->CreateStream(&stream);
    if (SUCCEEDED(hr))
        hr = stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size));
    TComPtr<IWICBitmapDecoder> decoder;
    if (SUCCEEDED(hr))
        hr = factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              &decoder);
    if (FAILED(hr)) {
        picture.Error = HResultText("Recognising the picture", hr);
        return false;
    }
    TComPtr<IWICBitmapFrameDecode> frame;
    hr = decoder->GetFrame(0, &frame);
    TComPtr<IWICBitmapSource> converted;
    if (SUCCEEDED(hr))
        hr = WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.Get(), &converted);
    UINT width = 0, height = 0;
    if (SUCCEEDED(hr))
        hr = converted->GetSize(&width, &height);
    if (FAILED(hr) || width == 0 || height == 0) {
        picture.Error = HResultText("Decoding the picture", FAILED(hr) ? hr : E_FAIL);
        return false;
    }
    if (static_cast<std::size_t>(width) * height > MaxPicturePixels || width > 0x7FFFFFFF / 4) {
        picture.Error = "the picture is too large";
        return false;
    }
    picture.Pixels.resize(static_cast<std::size_t>(width) * height);
    hr = converted->CopyPixels(nullptr, width * 4, static_cast<UINT>(picture.Pixels.size() * 4),
                               reinterpret_cast<BYTE*>(picture.Pixels.data()));
    if (FAILED(hr)) {
        picture = {};
        picture.Error = HResultText("Decoding the picture", hr);
        return false;
    }
    picture.Width = static_cast<int>(width);
    picture.Height = static_cast<int>(height);
    for (TPixel p : picture.Pixels)
        if (AlphaOfPixel(p) != 255) {
            picture.HasAlpha = true;
            break;
        }
    return true;
}

// ---- JPEG --------------------------------------------------------------------------------------

namespace {

// The decoder patches over a picture that ends early; a complete one ends with the end-of-image
// marker, possibly followed by padding.
bool EndsWithEndOfImage(const unsigned char* data, std::size_t size) {
    std::size_t end = size;
    while (end > 2 && (data[end - 1] == 0x00 || data[end - 1] == 0xFF) &&
           !(data[end - 2] == 0xFF && data[end - 1] == 0xD9))
        --end;
    return end >= 2 && data[end - 2] == 0xFF && data[end - 1] == 0xD9;
}

} // namespace

TJpegImage DecodeJpeg(const unsigned char* data, std::size_t size) {
    if (data == nullptr || size == 0)
        throw EJpegError("Invalid JPEG picture: no data");
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF)
        throw EJpegError("Invalid JPEG picture: not a JPEG file (no start-of-image marker)");
    if (!EndsWithEndOfImage(data, size))
        throw EJpegError("Invalid JPEG picture: premature end of JPEG data");
    win32::TDecodedPicture picture;
    if (!win32::DecodePicture(data, size, picture))
        throw EJpegError("Invalid JPEG picture: " + picture.Error);
    if (picture.Pixels.size() > MaxJpegPixels)
        throw EJpegError("Invalid JPEG picture: too large");
    TJpegImage image;
    image.Width = picture.Width;
    image.Height = picture.Height;
    image.Pixels = std::move(picture.Pixels);
    for (std::uint32_t& p : image.Pixels)
        p |= 0xFF000000u;
    return image;
}
