#pragma once
// The splash window shown while the main window loads the classification.
#include <QLabel>
#include <QWidget>

#include <cstddef>

class TfrmSplashScreen : public QWidget {
public:
    // Loads the advert picture from the application's resources; raises EResNotFound when it
    // is not linked in and EJpegError when it does not decode.
    explicit TfrmSplashScreen(QWidget* owner = nullptr);

    // Shows the window if needed and paints it now, so that the picture is on screen before
    // the long, event-less start-up work that follows.
    void RepaintNow();

    // Replaces the picture with the JPEG in `data`; raises EJpegError, keeping the picture
    // shown so far, when it does not decode.
    // ratio: device pixels per logical pixel of the picture (2 for the one drawn at twice the
    // size).
    void LoadAdvert(const unsigned char* data, std::size_t size, int ratio = 1);

    static constexpr int ClientWidth = 472;
    static constexpr int ClientHeight = 269;

    QLabel* imgAdvert{nullptr};
};
