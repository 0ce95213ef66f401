#pragma once
// The property record every element of a document gets: 60 style values with their Explicit
// flags, what the record was made for, its character set and its font.
#include "html/style/myfont.h"
#include "html/style/propvalue.h"
#include "platform/types.h"

#include <array>
#include <bitset>
#include <memory>
#include <string>

namespace html {

enum TPropIndex : int {
    FontFamily,
    FontSize,
    FontStyle,
    FontWeight,
    TextAlign,
    TextDecoration,
    LetterSpacing,
    BorderStyle,
    Color,
    BackgroundColor,
    BorderColor,
    MarginTop,
    MarginRight,
    MarginBottom,
    MarginLeft,
    PaddingTop,
    PaddingRight,
    PaddingBottom,
    PaddingLeft,
    BorderTopWidth,
    BorderRightWidth,
    BorderBottomWidth,
    BorderLeftWidth,
    BorderTopColor,
    BorderRightColor,
    BorderBottomColor,
    BorderLeftColor,
    BorderTopStyle,
    BorderRightStyle,
    BorderBottomStyle,
    BorderLeftStyle,
    piWidth,
    piHeight,
    TopPos,
    BottomPos,
    RightPos,
    LeftPos,
    Visibility,
    LineHeight,
    BackgroundImage,
    BackgroundPosition,
    BackgroundRepeat,
    BackgroundAttachment,
    VerticalAlign,
    psPosition,
    ZIndex,
    ListStyleType,
    ListStyleImage,
    psFloat,
    psClear,
    TextIndent,
    PageBreakBefore,
    PageBreakAfter,
    PageBreakInside,
    TextTransform,
    WordWrap,
    FontVariant,
    BorderCollapse,
    OverFlow,
    piDisplay,
};
constexpr int PropertyCount = 60;
static_assert(piDisplay == PropertyCount - 1);

// The style property names, by index ("font-family" ... "display").
extern const std::array<const char16_t*, PropertyCount> PropertyNames;
// Whether a child's record copies the value from its parent's record.
bool IsInheritedProperty(int index);
inline bool IsBoxProperty(int index) {
    return index >= MarginTop && index <= LeftPos;
}

// Special integer values of box properties.
constexpr int NoValue = -12345678;   // not given
constexpr int ParaSpace = -12348766; // automatic paragraph margin: 14 pixels, dropped at cell edges
constexpr int AutoValue = -12348765; // auto width, height or offset
// Layout keeps the lengths a page gives within this many pixels either way, so that sums of
// margins, widths and heights cannot overflow however large the page's numbers are.
constexpr int MaxLayoutLength = 1000000;
// The most letter spacing a page may ask for, in pixels either way.
constexpr int MaxLetterSpacing = 100;
// v clamped to -MaxLayoutLength..MaxLayoutLength; AutoValue stays as it is.
constexpr int ClampLayoutLength(int v) {
    return v == AutoValue ? v
                          : (v < -MaxLayoutLength ? -MaxLayoutLength
                                                  : (v > MaxLayoutLength ? MaxLayoutLength : v));
}
constexpr int ParaSpacePixels = 14;

// Alignment codes of vertical-align and float.
enum TAlignCode : int {
    ANone = 0,
    ATop = 1,
    AMiddle = 2,
    ABaseline = 3,
    ABottom = 4,
    ALeft = 5,
    ARight = 6,
    ASub = 8,
    ASuper = 9,
};
enum TClearCode : int { clrNone = 0, clrLeft = 1, clrRight = 2, clrAll = 3 };
enum TBorderStyleCode : int {
    bssNone,
    bssSolid,
    bssInset,
    bssOutset,
    bssGroove,
    bssRidge,
    bssDashed,
    bssDotted,
    bssDouble,
};
int BorderStyleCode(std::u16string_view name);

// Properties 9 (background-color) to 36 (left), as values and as pixels.
template <typename T> struct TBoxArray {
    std::array<T, LeftPos - BackgroundColor + 1> V{};
    T& operator[](int prop) { return V[prop - BackgroundColor]; }
    const T& operator[](int prop) const { return V[prop - BackgroundColor]; }
};
using TVMarginArray = TBoxArray<TPropValue>;
using TMarginArray = TBoxArray<int>;

struct TBoxValues {
    TMarginArray M;
    int AutoCount{0};    // auto left/right margins and width
    bool TopAuto{false}; // margin-top was ParaSpace
    bool BottomAuto{false};
};

class TProperties {
public:
    TProperties();
    ~TProperties();
    TProperties(const TProperties&) = delete;
    TProperties& operator=(const TProperties&) = delete;

    std::array<TPropValue, PropertyCount> Values;
    std::bitset<PropertyCount> Explicit;

    std::u16string ElementTag, ElementClass, ElementId, PseudoClass, ElementTitle;
    TProperties* InlineStyle{nullptr}; // owned by the attribute list, valid while the tag is read
    std::u16string DefaultFontName;
    TColor InlineBackground{clNone};
    int CharSet{DEFAULT_CHARSET};
    int CodePage{0}; // 0: the narrow code page
    int EmHeight{0};
    int ExHeight{0};
    std::unique_ptr<TMyFont> FontCache;
    bool HasLinkFonts{false};
    TFontInfoArray LinkFonts;
    int Serial{0};

    // Sets the value unless the element already set it itself.
    void SetProperty(int index, const TPropValue& value);
    // A new copy of the record's font (made on the first call).
    std::unique_ptr<TMyFont> GetFont();
    void GetFontInfo(ThtFontInfo& info) const;
    void AssignCharSet(int charSet);
    // Rewrites the link font descriptions from the record's current values.
    void RefreshLinkFonts();

    // Accessors the layout uses.
    TColor GetBackgroundColor() const;
    TColor GetOwnColor() const;
    bool GetVerticalAlign(int& align) const;
    bool GetFloat(int& align) const;
    bool GetClear(int& clear); // empties the value
    int GetLineHeight(int normal) const;
    int GetTextIndent(bool& isPercent) const;
    bool GetPageBreaks(bool& before, bool& after, bool& intact) const;
    bool IsDisplayNone() const;
    bool IsOverflowHidden() const;
    bool IsBorderCollapse() const;
    int GetPosition() const;
    int GetVisibility() const;
    int GetZIndex() const;
    int GetTextTransform() const;
    std::u16string GetFontVariant() const;
    std::u16string GetListStyleType() const;
    std::u16string GetListStyleImage() const;
    std::u16string GetBackgroundImage() const;
    std::u16string GetBackgroundPosition() const;
    int GetBorderStyleCode() const;
    void GetBoxValues(TVMarginArray& box) const;

    // Font size in points as the record holds it (12 when it holds none).
    double FontPoints() const;
};

// Box values for block layout: 28 pixel values from TVMarginArray (see TBoxValues).
TBoxValues ConvertBoxValues(const TVMarginArray& box, int baseWidth, int baseHeight, int emHeight,
                            int exHeight);
// Table cells: only the paddings; a percentage as minus the percentage, -1 when not given.
TMarginArray ConvertCellPaddings(const TVMarginArray& box, int baseWidth, int emHeight,
                                 int exHeight);
// Inline boxes: margins, border widths as for blocks, width and height defaulting to AutoValue.
TMarginArray ConvertInlineBoxValues(const TVMarginArray& box, int baseWidth, int baseHeight,
                                    int emHeight, int exHeight);

} // namespace html
