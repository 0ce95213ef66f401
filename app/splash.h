#pragma once
// The splash window shown while the main window loads the classification.
#include "platform/forms.h"

#include <cstddef>

class TfrmSplashScreen : public TForm {
public:
    // Loads the advert picture from the application's resources; raises EResNotFound when it
    // is not linked in and EJpegError when it does not decode.
    explicit TfrmSplashScreen(TForm* owner = nullptr);

    // Replaces the picture with the JPEG in `data`; raises EJpegError, keeping the picture
    // shown so far, when it does not decode.
    // ratio: device pixels per logical pixel of the picture (2 for the one drawn at twice the
    // size).
    void LoadAdvert(const unsigned char* data, std::size_t size, int ratio = 1);

    static constexpr int ClientWidth = 472;
    static constexpr int ClientHeight = 269;

    TImage* imgAdvert{nullptr};
};
