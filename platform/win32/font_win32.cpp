// Fonts as GDI fonts: created by face, height and style with CreateFontW and measured on a
// memory DC of the screen's kind.
#include "platform/backend.h"
#include "platform/shared_parts.h"
#include "platform/win32/win32.h"

#include <algorithm>
#include <climits>
#include <set>

struct TPlatformFont::TImpl {
    TFontSpec Request;
    TFontMetrics Metrics;
    HFONT Font{nullptr};
    explicit TImpl(const TFontSpec& request);
    ~TImpl() {
        if (Font != nullptr)
            DeleteObject(Font);
    }
    TImpl(const TImpl&) = delete;
    TImpl& operator=(const TImpl&) = delete;
};

namespace {

// Size used when a description asks for the default height (0): 12 points at 96 pixels per
// inch, as on the other platforms.
constexpr int kDefaultPixelSize = 16;

// A memory DC of the screen's kind for measuring, one per thread (GDI objects are selected
// into a DC by one thread at a time).
HDC MeasureDC() {
    thread_local struct TDc {
        HDC Dc{CreateCompatibleDC(nullptr)};
        ~TDc() {
            if (Dc)
                DeleteDC(Dc);
        }
    } dc;
    return dc.Dc;
}

// Selects a font into the measuring DC for one scope.
class TSelectFont {
public:
    explicit TSelectFont(HFONT font) : Dc(MeasureDC()), Old(SelectObject(Dc, font)) {}
    ~TSelectFont() { SelectObject(Dc, Old); }
    TSelectFont(const TSelectFont&) = delete;
    TSelectFont& operator=(const TSelectFont&) = delete;
    HDC Dc;

private:
    HGDIOBJ Old;
};

HFONT CreateGdiFont(const TFontSpec& request) {
    LOGFONTW lf{};
    lf.lfHeight = request.Height == 0 ? -kDefaultPixelSize : request.Height;
    lf.lfWeight = std::clamp(request.Weight, 1, 1000);
    lf.lfItalic = request.Italic;
    lf.lfUnderline = request.Underline;
    lf.lfStrikeOut = request.StrikeOut;
    // The default character set is the narrow code page's (1251: Russian), as on the Russian
    // desktop the program is made for, whatever the system's own: a face with Cyrillic reports
    // RUSSIAN_CHARSET, and pages decoded for it take windows-1251.
    lf.lfCharSet =
        static_cast<BYTE>(request.CharSet == DEFAULT_CHARSET ? RUSSIAN_CHARSET : request.CharSet);
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    if (!request.Name.empty()) {
        std::u16string face = ResolveFace(request.Name);
        if (face.empty())
            face = request.Name;
        const std::size_t n = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
        std::copy_n(face.data(), n, reinterpret_cast<char16_t*>(lf.lfFaceName));
        lf.lfFaceName[n] = 0;
    }
    return CreateFontIndirectW(&lf);
}

TFontMetrics MeasureGdi(HFONT font, const TFontSpec& request) {
    TFontMetrics m;
    TSelectFont select(font);
    TEXTMETRICW tm{};
    if (!GetTextMetricsW(select.Dc, &tm))
        return m;
    m.Height = tm.tmHeight;
    m.Ascent = tm.tmAscent;
    m.Descent = tm.tmDescent;
    m.InternalLeading = tm.tmInternalLeading;
    // A negative height asks for the character height: the rest of the cell is the internal
    // leading, as GDI reports it on Windows (some renderers round the two apart).
    const int em = request.Height < 0    ? -request.Height
                   : request.Height == 0 ? kDefaultPixelSize
                                         : 0;
    if (em > 0)
        m.InternalLeading = std::max(0, m.Height - em);
    m.ExternalLeading = tm.tmExternalLeading;
    m.AveCharWidth = tm.tmAveCharWidth;
    m.MaxCharWidth = tm.tmMaxCharWidth;
    m.CharSet = tm.tmCharSet;
    return m;
}

int CALLBACK AddFamily(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM param) {
    // Vertical variants ("@Face") are not faces of their own.
    if (lf->lfFaceName[0] != L'@')
        reinterpret_cast<std::set<std::u16string>*>(param)->insert(win32::FromWide(lf->lfFaceName));
    return 1;
}

class TGdiFontServices final : public TFontServices {
public:
    const std::vector<std::u16string>& InstalledFaces() override {
        if (!FFacesRead) {
            std::set<std::u16string> faces;
            LOGFONTW lf{};
            lf.lfCharSet = DEFAULT_CHARSET;
            HDC dc = GetDC(nullptr);
            EnumFontFamiliesExW(dc, &lf, AddFamily, reinterpret_cast<LPARAM>(&faces), 0);
            ReleaseDC(nullptr, dc);
            FFaces.assign(faces.begin(), faces.end());
            FFacesRead = true;
        }
        return FFaces;
    }
    // Every size the controls use is a logical pixel, 96 per inch; a denser screen is served
    // by the pixel ratio, not by more pixels per inch.
    int PixelsPerInch() override { return 96; }
    int ScreenBitsPerPixel() override {
        if (FBpp == 0) {
            HDC dc = GetDC(nullptr);
            FBpp = dc ? GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES) : 32;
            if (dc)
                ReleaseDC(nullptr, dc);
            if (FBpp <= 0)
                FBpp = 32;
        }
        return FBpp;
    }
    TFontMetrics Measure(const TFontSpec& request) override {
        HFONT font = CreateGdiFont(request);
        if (font == nullptr)
            return {};
        const TFontMetrics m = MeasureGdi(font, request);
        DeleteObject(font);
        return m;
    }

private:
    std::vector<std::u16string> FFaces;
    bool FFacesRead{false};
    int FBpp{0};
};

} // namespace

TFontServices& backend::PlatformFontServices() {
    static TGdiFontServices services;
    return services;
}

TPlatformFont::TImpl::TImpl(const TFontSpec& request) : Request(request) {
    Font = CreateGdiFont(request);
    if (Font == nullptr)
        Font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    Metrics = MeasureGdi(Font, request);
}

HFONT win32::FontHandle(const TPlatformFont& font) {
    return font.Impl().Font;
}

TPlatformFont::TPlatformFont(const TFontSpec& request) : FImpl(std::make_unique<TImpl>(request)) {}
TPlatformFont::~TPlatformFont() = default;

const TFontSpec& TPlatformFont::Requested() const {
    return FImpl->Request;
}

const TFontMetrics& TPlatformFont::Metrics() const {
    return FImpl->Metrics;
}

std::u16string TPlatformFont::ActualFace() const {
    TSelectFont select(FImpl->Font);
    wchar_t face[LF_FACESIZE]{};
    const int n = GetTextFaceW(select.Dc, LF_FACESIZE, face);
    return n > 0 ? win32::FromWide(face) : std::u16string();
}

// Both measures come from the same call (the partial extents of the run), so that a prefix
// that FitCount accepts has exactly the width TextWidth reports for it.
int TPlatformFont::FitCount(std::u16string_view text, int maxWidth,
                            std::vector<int>* extents) const {
    std::vector<int> local;
    std::vector<int>& ext = extents ? *extents : local;
    ext.assign(text.size(), 0);
    if (text.empty())
        return 0;
    const int length = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX / 2));
    TSelectFont select(FImpl->Font);
    SIZE size{};
    if (!GetTextExtentExPointW(select.Dc, reinterpret_cast<const wchar_t*>(text.data()), length, 0,
                               nullptr, ext.data(), &size))
        std::fill(ext.begin(), ext.end(), 0);
    // A surrogate pair is one character: both its units end where the pair ends.
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] >= 0xD800 && text[i] < 0xDC00 && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            ext[i] = ext[i + 1];
    for (std::size_t i = 1; i < ext.size(); ++i)
        ext[i] = std::max(ext[i], ext[i - 1]);
    return FittingPrefixes(ext, maxWidth);
}
