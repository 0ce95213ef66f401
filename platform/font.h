#pragma once
// Screen fonts: creation by face, pixel height, weight, style and character set; their metrics;
// the installed faces; pixels per inch; text measuring. No toolkit types appear here.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Character set numbers of the platform's font interface.
constexpr int ANSI_CHARSET = 0;
constexpr int DEFAULT_CHARSET = 1;
constexpr int SYMBOL_CHARSET = 2;
constexpr int MAC_CHARSET = 77;
constexpr int SHIFTJIS_CHARSET = 128;
constexpr int HANGEUL_CHARSET = 129;
constexpr int JOHAB_CHARSET = 130;
constexpr int GB2312_CHARSET = 134;
constexpr int CHINESEBIG5_CHARSET = 136;
constexpr int GREEK_CHARSET = 161;
constexpr int TURKISH_CHARSET = 162;
constexpr int VIETNAMESE_CHARSET = 163;
constexpr int HEBREW_CHARSET = 177;
constexpr int ARABIC_CHARSET = 178;
constexpr int BALTIC_CHARSET = 186;
constexpr int RUSSIAN_CHARSET = 204;
constexpr int THAI_CHARSET = 222;
constexpr int EASTEUROPE_CHARSET = 238;
constexpr int OEM_CHARSET = 255;

constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

// What to create. Height follows the platform's convention: negative is the character height
// (the em, without internal leading), positive the cell height, 0 the default size.
struct TFontSpec {
    std::u16string Name; // empty: the platform's choice for the character set
    int Height{0};
    int Weight{FW_NORMAL};
    bool Italic{false};
    bool Underline{false};
    bool StrikeOut{false};
    int CharSet{DEFAULT_CHARSET};
    friend bool operator==(const TFontSpec&, const TFontSpec&) = default;
};

// Metrics of a created font, in pixels. Height is the cell height (Ascent + Descent);
// CharSet is the character set the platform reports for the font.
struct TFontMetrics {
    int Height{0};
    int Ascent{0};
    int Descent{0};
    int InternalLeading{0};
    int ExternalLeading{0};
    int AveCharWidth{0};
    int MaxCharWidth{0};
    int CharSet{ANSI_CHARSET};
};

// The font services behind one interface, so that tests can stand in a machine with other
// faces or other reports. FontServices() is the platform's unless replaced.
class TFontServices {
public:
    virtual ~TFontServices() = default;
    virtual const std::vector<std::u16string>& InstalledFaces() = 0;
    virtual int PixelsPerInch() = 0;
    virtual int ScreenBitsPerPixel() = 0;
    virtual TFontMetrics Measure(const TFontSpec& request) = 0;
};

TFontServices& FontServices();
// Installs services (nullptr: the platform's again) and returns the previous ones; the caller
// keeps ownership.
TFontServices* SetFontServices(TFontServices* services);

// Whether the face can be drawn: it is among the installed ones (compared without regard to
// letter case, as the platform's font list compares names), or a face the application names has
// its free stand-in installed (Verdana: DejaVu Sans, Arial: Liberation Sans, ...).
bool IsFaceInstalled(std::u16string_view face);
// The installed face that draws the named one: the face itself when installed, else its
// installed stand-in, else empty.
std::u16string ResolveFace(std::u16string_view face);
int ScreenPixelsPerInch();

// A created font that measures text. Cheap to share; copying is not offered because the
// toolkit object behind it is shared through shared_ptr by its users.
class TPlatformFont {
public:
    explicit TPlatformFont(const TFontSpec& request);
    ~TPlatformFont();
    TPlatformFont(const TPlatformFont&) = delete;
    TPlatformFont& operator=(const TPlatformFont&) = delete;

    const TFontSpec& Requested() const;
    const TFontMetrics& Metrics() const;
    // The family the platform draws this font with.
    std::u16string ActualFace() const;
    // Advance width of the run in pixels.
    int TextWidth(std::u16string_view text) const;
    // How many leading characters of the run fit into maxWidth pixels; when extents is given it
    // receives the width of each prefix 1..n of the whole run.
    int FitCount(std::u16string_view text, int maxWidth, std::vector<int>* extents = nullptr) const;

    struct TImpl;
    const TImpl& Impl() const { return *FImpl; }

private:
    std::unique_ptr<TImpl> FImpl;
};
