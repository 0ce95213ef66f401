#pragma once
// Names of the application's pictures in the Qt resources of the library mkb_pictures.

namespace MkbPictures {

inline constexpr const char* Splash = ":/pictures/splash.jpg";         // 472 x 269 JPEG
inline constexpr const char* Logo = ":/pictures/logo.png";             // 125 x 197
inline constexpr const char* TreeBackground = ":/pictures/treebg.png"; // 161 x 169
inline constexpr int TreeImageCount = 4;
inline constexpr int TreeImageSize = 24;

// Tree image 0 closed folder, 1 open folder, 2 two documents, 3 one document; nullptr for any
// other index.
const char* TreeImage(int index);
// The application icon in 16, 32 or 48 pixels; nullptr for any other size.
const char* AppIcon(int size);

} // namespace MkbPictures
