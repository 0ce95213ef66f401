#include "app/splash.h"

#include "platform/application.h"
#include "platform/bitmap.h"
#include "platform/errors.h"
#include "platform/jpeg.h"
#include "platform/resources.h"
#include "resources/pictures/pictures.h"

#include <algorithm>
#include <string>

TfrmSplashScreen::TfrmSplashScreen(TForm* owner) : TForm(fsSplash, owner) {
    SetCaption(u"frmSplashScreen");
    SetClientSize(ClientWidth, ClientHeight);
    // Button face behind everything.
    SetColor(clBtnFace);
    imgAdvert = Make<TImage>();
    imgAdvert->SetBounds(0, 0, ClientWidth, ClientHeight);
    CenterOnScreen();

    // On a high-density screen the picture drawn at twice the size, when the build has it.
    std::vector<unsigned char> bytes;
    int pictureRatio = 1;
    if (ScreenPixelRatio() > 1) {
        bytes = ReadPictureResource(PictureForRatio(MkbPictures::Splash, 2).c_str());
        if (!bytes.empty())
            pictureRatio = 2;
    }
    if (bytes.empty()) {
        bytes = ReadPictureResource(MkbPictures::Splash);
        if (bytes.empty())
            throw EResNotFound(std::string("Resource ") + MkbPictures::Splash + " not found");
    }
    LoadAdvert(bytes.data(), bytes.size(), pictureRatio);
}

void TfrmSplashScreen::LoadAdvert(const unsigned char* data, std::size_t size, int ratio) {
    const TJpegImage jpeg = DecodeJpeg(data, size);
    TBitmap picture;
    picture.SetPixelRatio(ratio);
    picture.SetSize((jpeg.Width + ratio - 1) / ratio, (jpeg.Height + ratio - 1) / ratio);
    // The decoder's 0xAARRGGBB rows are the bitmap's pixel layout.
    const int width = std::min(jpeg.Width, picture.DeviceWidth());
    for (int y = 0; y < std::min(jpeg.Height, picture.DeviceHeight()); ++y)
        std::copy_n(jpeg.Pixels.data() + static_cast<std::size_t>(y) * jpeg.Width, width,
                    picture.ScanLine(y));
    imgAdvert->SetPicture(picture);
}
