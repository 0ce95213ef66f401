#include "platform/qt/font_qt.h"
#include "platform/application.h"
#include "platform/backend.h"
#include "platform/font.h"
#include "platform/qt/qtconvert.h"
#include "platform/shared_parts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <algorithm>
#include <cmath>

namespace {

// Fonts need the GUI application object. The program makes one in main() before anything
// else; a program that made none (a test, a tool) gets the full widget application here, so
// that controls made later in the same process find the object they need.
void EnsureGuiApplication() {
    EnsureApplication();
}

// Size used when a description asks for the default height (0): 12 points at 96 pixels per
// inch, the platform's customary default.
constexpr int kDefaultPixelSize = 16;

bool IsSymbolFamily(const QString& family) {
    const auto systems = QFontDatabase::writingSystems(family);
    return systems.contains(QFontDatabase::Symbol) && !systems.contains(QFontDatabase::Latin);
}

// The character set the platform reports for a font. Qt has no character sets, so a font
// keeps the set it was asked for, except that a symbol face reports SYMBOL_CHARSET and
// DEFAULT_CHARSET reports the set of the narrow code page (1251: RUSSIAN_CHARSET) when the face
// has Cyrillic, else ANSI_CHARSET.
int ReportedCharSet(const TFontSpec& request, const QFont& font) {
    const QString family = QFontInfo(font).family();
    if (IsSymbolFamily(family))
        return SYMBOL_CHARSET;
    if (request.CharSet != DEFAULT_CHARSET)
        return request.CharSet;
    return QFontDatabase::writingSystems(family).contains(QFontDatabase::Cyrillic) ? RUSSIAN_CHARSET
                                                                                   : ANSI_CHARSET;
}

TFontMetrics MeasureQt(const TFontSpec& request, const QFont& font, const QFontMetricsF& fm) {
    TFontMetrics m;
    m.Ascent = static_cast<int>(std::ceil(fm.ascent()));
    m.Descent = static_cast<int>(std::ceil(fm.descent()));
    m.Height = m.Ascent + m.Descent;
    m.InternalLeading = std::max(0, m.Height - font.pixelSize());
    m.ExternalLeading = std::max(0, static_cast<int>(std::lround(fm.leading())));
    m.AveCharWidth = static_cast<int>(std::lround(fm.averageCharWidth()));
    m.MaxCharWidth = static_cast<int>(std::ceil(fm.maxWidth()));
    m.CharSet = ReportedCharSet(request, font);
    return m;
}

class TQtFontServices final : public TFontServices {
public:
    const std::vector<std::u16string>& InstalledFaces() override {
        if (!FFacesRead) {
            EnsureGuiApplication();
            for (const QString& f : QFontDatabase::families())
                FFaces.push_back(FromQString(f));
            FFacesRead = true;
        }
        return FFaces;
    }
    int PixelsPerInch() override {
        if (FPpi == 0) {
            EnsureGuiApplication();
            QScreen* screen = QGuiApplication::primaryScreen();
            FPpi = screen ? static_cast<int>(std::lround(screen->logicalDotsPerInchY())) : 96;
            if (FPpi <= 0)
                FPpi = 96;
        }
        return FPpi;
    }
    int ScreenBitsPerPixel() override {
        if (FBpp == 0) {
            EnsureGuiApplication();
            QScreen* screen = QGuiApplication::primaryScreen();
            FBpp = screen ? screen->depth() : 32;
        }
        return FBpp;
    }
    TFontMetrics Measure(const TFontSpec& request) override {
        EnsureGuiApplication();
        QFont font = MakeQtFont(request);
        return MeasureQt(request, font, QFontMetricsF(font));
    }

private:
    std::vector<std::u16string> FFaces;
    bool FFacesRead{false};
    int FPpi{0};
    int FBpp{0};
};

// Qt's own lookup by name (the window's fonts in app/) takes the same stand-ins.
void RegisterStandIns() {
    static const bool done = [] {
        for (const backend::TFaceStandIn& s : backend::FaceStandIns())
            QFont::insertSubstitution(ToQString(s.Face), ToQString(s.StandIn));
        return true;
    }();
    (void)done;
}

} // namespace

QFont MakeQtFont(const TFontSpec& request) {
    EnsureGuiApplication();
    RegisterStandIns();
    QFont font;
    if (!request.Name.empty()) {
        const std::u16string face = ResolveFace(request.Name);
        font.setFamily(ToQString(face.empty() ? request.Name : face));
    }
    int pixels = request.Height < 0 ? -request.Height : request.Height;
    if (pixels == 0)
        pixels = kDefaultPixelSize;
    font.setPixelSize(std::max(1, pixels));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(request.Weight, 1, 1000)));
    font.setItalic(request.Italic);
    font.setUnderline(request.Underline);
    font.setStrikeOut(request.StrikeOut);
    font.setKerning(false);
    if (request.Height > 0) {
        // A positive height is the cell height: scale the em so that ascent + descent fits it.
        QFontMetricsF fm(font);
        double cell = fm.ascent() + fm.descent();
        if (cell > 0)
            font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels * pixels / cell))));
    }
    return font;
}

TPlatformFont::TImpl::TImpl(const TFontSpec& request)
    : Request(request), Font(MakeQtFont(request)), Fm(Font), Metrics(MeasureQt(request, Font, Fm)) {
}

TFontServices& backend::PlatformFontServices() {
    static TQtFontServices services;
    return services;
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
    return FromQString(QFontInfo(FImpl->Font).family());
}

// TextWidth is the last of FitCount's extents, which add the advances of single characters
// (kerning is off), so that a prefix that FitCount accepts has exactly the width TextWidth
// reports for it.
int TPlatformFont::FitCount(std::u16string_view text, int maxWidth,
                            std::vector<int>* extents) const {
    std::vector<int> local;
    std::vector<int>& ext = extents ? *extents : local;
    ext.clear();
    ext.reserve(text.size());
    const QString s = ToQString(text);
    double x = 0;
    for (qsizetype i = 0; i < s.size();) {
        // A surrogate pair is measured as one character and counts as two units.
        qsizetype len =
            (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) ? 2 : 1;
        x += FImpl->Fm.horizontalAdvance(s.mid(i, len));
        int w = static_cast<int>(std::lround(x));
        for (qsizetype k = 0; k < len; ++k)
            ext.push_back(w);
        i += len;
    }
    return FittingPrefixes(ext, maxWidth);
}
