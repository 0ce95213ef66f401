#include "fuzz/html/builder_entry.h"

#include "html/builder.h"
#include "html/layout/document.h"
#include "html/layout/section.h"
#include "platform/font.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

// Fixed font answers, so that the run needs no display and is the same everywhere.
class TFixedFontServices final : public TFontServices {
public:
    const std::vector<std::u16string>& InstalledFaces() override { return FFaces; }
    int PixelsPerInch() override { return 96; }
    int ScreenBitsPerPixel() override { return 32; }
    TFontMetrics Measure(const TFontSpec& request) override {
        const int em =
            request.Height < 0 ? -request.Height : (request.Height ? request.Height : 16);
        TFontMetrics m;
        m.InternalLeading = em / 5;
        m.Ascent = em - em / 5 + m.InternalLeading;
        m.Descent = em / 5;
        m.Height = m.Ascent + m.Descent;
        m.ExternalLeading = 1;
        m.AveCharWidth = em / 2;
        m.MaxCharWidth = em;
        m.CharSet = request.CharSet == DEFAULT_CHARSET ? RUSSIAN_CHARSET : request.CharSet;
        return m;
    }

private:
    std::vector<std::u16string> FFaces{u"Times New Roman", u"Verdana", u"Courier New"};
};

// Characters of a few widths, and painting that only checks its arguments.
class TCheckingCanvas final : public html::THtmlCanvas {
public:
    void TextOut(const html::TMyFont&, int, int, std::u16string_view text, TColor, TColor, int,
                 int spaceCount) override {
        if (spaceCount < 0 || text.size() > (1u << 24))
            std::abort();
        ++Outputs;
    }
    void FillRect(const TRect&, TColor) override {}
    TRect ClipRect() const override { return FClip; }
    void SetClipRect(const TRect& r) override { FClip = r; }
    int Outputs{0};

protected:
    int Advance(const html::TMyFont& font, char16_t c) override {
        return static_cast<int>(c % 5) + (font.Style.Has(html::TFontStyle::Bold) ? 5 : 4);
    }

private:
    TRect FClip{0, 0, 0, 0};
};

} // namespace

int HtmlBuilderFuzzOne(const std::uint8_t* data, std::size_t size) {
    static TFixedFontServices services;
    struct TRestore {
        TFontServices* Previous;
        ~TRestore() { SetFontServices(Previous); }
    } restore{SetFontServices(&services)};
    int width = 320;
    if (size > 0) {
        width = data[0] * 4;
        ++data;
        --size;
    }
    std::u16string text;
    text.reserve(size / 2 + 1);
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));

    html::TSectionList doc;
    doc.SetDefaults(u"Times New Roman", u"Courier New", 10, 5, RUSSIAN_CHARSET, true, false,
                    clWindow, 0xFF, 0x800080, 0xFF0000, clWindowText, 12);
    html::ParseDocument(text, doc);

    TCheckingCanvas canvas;
    for (int w : {0, 1, width}) {
        int pos = 0, maxWidth = 0;
        const int height = doc.Layout(canvas, 0, pos, maxWidth, w, 600);
        if (height < 0)
            std::abort();
        // Every character of every section is on some line.
        for (html::TSection* s : doc.SearchList) {
            std::size_t chars = 0;
            for (const html::LineRec& l : s->LineList)
                chars += static_cast<std::size_t>(l.CharCount);
            if (chars != s->Text.size())
                std::abort();
        }
        for (int top : {0, height / 2}) {
            doc.ViewTop = top;
            const TRect clip{0, 0, std::max(w, 1), 600};
            canvas.SetClipRect(clip);
            doc.Paint(canvas, clip, 0);
        }
    }
    return 0;
}
