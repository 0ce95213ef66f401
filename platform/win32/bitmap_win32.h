#pragma once
// For platform/win32/ only: the DIB section behind a TBitmap and the canvas parts that need it.
#include "platform/win32/win32.h"

#include <memory>

struct TBitmap::TImpl {
    HBITMAP Dib{nullptr};
    HDC Dc{nullptr}; // a memory DC with Dib selected, made on first use
    HGDIOBJ OldBitmap{nullptr};
    TPixel* Bits{nullptr}; // top-down rows of DeviceWidth pixels
    int DeviceWidth{0};
    int DeviceHeight{0};
    TBitmapFormat Format{bfOpaque};
    int LogicalWidth{0};
    int LogicalHeight{0};
    double Ratio{1};
    std::unique_ptr<TCanvas> OwnCanvas;

    TImpl() = default;
    ~TImpl();
    TImpl(const TImpl&) = delete;
    TImpl& operator=(const TImpl&) = delete;

    // A new DIB of the device size, every pixel `fill`; none for an empty size.
    void Allocate(int deviceWidth, int deviceHeight, TPixel fill);
    void Release();
    HDC DeviceContext();
    // Finishes what GDI has queued for the DIB before its pixels are touched directly.
    void Flush() const;
};

// A window paint draws into its host's buffer, which is then copied to the window.
struct TCanvas::TDevice {
    TBitmap& Buffer;
};
