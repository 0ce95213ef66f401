// Painting a text section, hit testing its lines and copying its selected characters.
#include "html/layout/document.h"
#include "html/layout/section.h"
#include "platform/colors.h"

#include <algorithm>

namespace html {

namespace {

// Sections and lines this close to the clip rectangle are still painted.
constexpr int kPaintMargin = 40;
constexpr int kHitSlack = 10;

bool IsJustifiedSpace(char16_t c) {
    return c == u' ' || c == 0xA0;
}

// The share of the line's extra width that the k-th space (from 0) receives.
int SpaceShare(const LineRec& line, int k) {
    if (line.SpaceCount <= 0 || k >= line.SpaceCount)
        return 0;
    const long long e = line.ExtraWidth;
    return static_cast<int>(e * (k + 1) / line.SpaceCount - e * k / line.SpaceCount);
}

bool Dropped(char16_t c) {
    return c == ObjectChar || c == ObjectChar2 || c == BreakChar;
}

} // namespace

int TSection::PaintedCharWidth(THtmlCanvas& canvas, const LineRec& line, int i, int& spacesSeen) {
    int w = canvas.TextWidth(*RunAt(i).Font, std::u16string_view(Text).substr(i, 1));
    if (line.SpaceCount > 0 && IsJustifiedSpace(Text[i]) && i < line.Start + line.CharCount - 1)
        w += SpaceShare(line, spacesSeen++);
    return w;
}

int TSection::Paint(THtmlCanvas& canvas, const TRect& clip, int x) {
    const int below = LayoutTop + FlowHeight;
    if (Text.empty())
        return below;
    const int viewTop = Document ? Document->ViewTop : 0;
    if (LayoutTop + PaintHeight - viewTop + kPaintMargin < clip.Top ||
        LayoutTop - viewTop - kPaintMargin >= clip.Bottom)
        return below;
    int y = LayoutTop;
    for (LineRec& line : LineList) {
        line.DrawX = x + line.Indent;
        const int full = line.FullHeight();
        if (line.CharCount == 0 || y + full - viewTop + kPaintMargin < clip.Top ||
            y - viewTop - kPaintMargin >= clip.Bottom) {
            y += full;
            continue;
        }
        PaintLine(canvas, line, x, y, viewTop);
    }
    return below;
}

void TSection::PaintLine(THtmlCanvas& canvas, LineRec& line, int x, int& y, int viewTop) {
    y += line.SpaceAbove + line.BoxHeight;
    line.DrawX = x + line.Indent;
    int px = line.DrawX;
    const int len = static_cast<int>(Text.size());
    int selStart = 0, selEnd = 0;
    if (Document && Document->SelStart < Document->SelEnd) {
        selStart = std::clamp(Document->SelStart - FirstPos, 0, len);
        selEnd = std::clamp(Document->SelEnd - FirstPos, 0, len);
    }
    const int end = std::min(len, line.Start + line.CharCount);
    int spacesSeen = 0;
    for (int a = line.Start; a < end;) {
        const int run = RunIndexAt(a);
        int b = std::min(end, RunEnd(run));
        for (int cut : {selStart, selEnd})
            if (cut > a && cut < b)
                b = cut;
        const bool last = b == end;
        const TFontObj& f = *FontRuns[run];
        const TMyFont& font = *f.Font;
        std::u16string drawn = Text.substr(a, b - a);
        if (last && !drawn.empty() && (drawn.back() == u' ' || drawn.back() == BreakChar))
            drawn.pop_back();
        drawn.erase(std::remove_if(drawn.begin(), drawn.end(), Dropped), drawn.end());
        int spaces = 0;
        int extra = 0;
        if (line.SpaceCount > 0)
            for (int i = a; i < b && i < end - 1; ++i)
                if (IsJustifiedSpace(Text[i]))
                    extra += SpaceShare(line, spacesSeen + spaces++);
        spacesSeen += spaces;
        if (last && line.Hyphenated)
            drawn.push_back(u'-');

        const bool selected = a >= selStart && a < selEnd;
        TColor fg = font.Color;
        TColor bg = font.InlineBackground;
        if (selected) {
            bg = ColorToRGB(font.Color);
            fg = font.InlineBackground != clNone ? font.InlineBackground
                                                 : (ColorToRGB(font.Color) ^ 0x00FFFFFF);
        }
        int baseline = y - line.Descent - viewTop;
        if (f.VAlign == ASuper)
            baseline -= f.BoxHeight / 3;
        else if (f.VAlign == ASub)
            baseline += f.Descent / 2 + 1;
        if (!drawn.empty()) {
            canvas.TextOut(font, px, baseline, drawn, fg, bg, extra, spaces);
            px += canvas.TextWidth(font, drawn) + extra;
        }
        a = b;
    }
    y += line.SpaceBelow;
}

int TSection::CursorAt(THtmlCanvas& canvas, int x, int y, bool& atChar, int& lineHeight,
                       int& lineTop, int& caretX) {
    if (Text.empty())
        return -1;
    int top = LayoutTop;
    for (const LineRec& line : LineList) {
        const int bottom = top + line.FullHeight();
        if (bottom <= y || line.CharCount == 0) {
            top = bottom;
            continue;
        }
        if (x > line.DrawX + line.AvailWidth || x < line.DrawX - kHitSlack)
            return -1;
        atChar = true;
        lineHeight = line.BoxHeight;
        lineTop = top + line.SpaceAbove;
        caretX = line.DrawX;
        if (x < line.DrawX) {
            atChar = false;
            return FirstPos + line.Start;
        }
        const int end = line.Start + line.CharCount;
        int i = line.Start;
        int used = 0;
        int spacesSeen = 0;
        while (i < end) {
            const int w = PaintedCharWidth(canvas, line, i, spacesSeen);
            if (used + w > x - line.DrawX) {
                // Past the middle of the character: the caret goes behind it.
                if (x - line.DrawX - used > w / 2) {
                    used += w;
                    ++i;
                }
                break;
            }
            used += w;
            ++i;
        }
        caretX = line.DrawX + used;
        if (i >= end)
            atChar = false;
        return FirstPos + i;
    }
    return -1;
}

std::vector<TRect> TSection::TextRects(THtmlCanvas& canvas, int from, int to) {
    std::vector<TRect> rects;
    const int len = static_cast<int>(Text.size());
    from = std::max(from - FirstPos, 0);
    to = std::min(to - FirstPos, len);
    int top = LayoutTop;
    for (const LineRec& line : LineList) {
        const int start = line.Start, end = std::min(line.Start + line.CharCount, len);
        if (from < end && to > start) {
            int spacesSeen = 0, x = line.DrawX, left = x, right = x;
            for (int i = start; i < end && i < to; ++i) {
                const int w = PaintedCharWidth(canvas, line, i, spacesSeen);
                if (i == from || (i == start && from < start))
                    left = x;
                x += w;
                right = x;
            }
            rects.push_back(
                {left, top + line.SpaceAbove, right, top + line.SpaceAbove + line.BoxHeight});
        }
        top += line.FullHeight();
    }
    return rects;
}

int TSection::PointOfCursor(THtmlCanvas& canvas, int pos, int& x, int& y) {
    const int len = static_cast<int>(Text.size());
    if (len == 0 || pos < FirstPos || pos > FirstPos + len || LineList.empty())
        return 0;
    const int rel = pos - FirstPos;
    int top = LayoutTop;
    for (std::size_t k = 0; k < LineList.size(); ++k) {
        const LineRec& line = LineList[k];
        const bool lastLine = k + 1 == LineList.size();
        if (rel < line.Start + line.CharCount || lastLine) {
            int spacesSeen = 0;
            int w = 0;
            for (int i = line.Start; i < std::min(rel, line.Start + line.CharCount); ++i)
                w += PaintedCharWidth(canvas, line, i, spacesSeen);
            x = line.DrawX + w;
            y = top;
            return 1;
        }
        top += line.FullHeight();
    }
    return 0;
}

int TSection::CharAt(int pos, char16_t& ch, TSection*& section) {
    if (pos < FirstPos || pos >= FirstPos + static_cast<int>(Text.size()))
        return 0;
    ch = Text[pos - FirstPos];
    section = this;
    return 1;
}

void TSection::CopyText(int fromPos, int toPos, std::u16string& out) const {
    const int len = static_cast<int>(Text.size());
    const int from = std::max(fromPos - FirstPos, 0);
    int to = std::min(toPos - FirstPos, len);
    // The space that finishing appended is not part of the text on the page.
    if (to == len && to > 0 && Text[len - 1] == u' ')
        --to;
    std::u16string part;
    for (int i = from; i < to; ++i) {
        if (Text[i] == BreakChar)
            part.push_back(u'\n');
        else if (!Dropped(Text[i]))
            part.push_back(Text[i]);
    }
    if (part.empty())
        return;
    if (!out.empty())
        out.push_back(u'\n');
    out += part;
}

} // namespace html
