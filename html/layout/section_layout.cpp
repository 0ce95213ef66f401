// Breaking a text section into lines, and its minimum and maximum widths.
#include "html/layout/document.h"
#include "html/layout/section.h"

#include <algorithm>

namespace html {

namespace {

bool IsObj(char16_t c) {
    return c == ObjectChar || c == ObjectChar2;
}
bool IsWide(char16_t c) {
    return c > 0x2FFF;
}

} // namespace

int TSection::MeasureText(THtmlCanvas& canvas, int start, int count, bool stripTrailing) {
    const int len = static_cast<int>(Text.size());
    start = std::clamp(start, 0, len);
    count = std::clamp(count, 0, len - start);
    if (stripTrailing)
        while (count > 0 &&
               (Text[start + count - 1] == u' ' || Text[start + count - 1] == BreakChar))
            --count;
    int w = 0;
    int i = start;
    const int end = start + count;
    while (i < end) {
        const int run = RunIndexAt(i);
        const int stop = std::min(end, RunEnd(run));
        const TFontObj& f = *FontRuns[run];
        w += canvas.TextWidth(*f.Font, std::u16string_view(Text).substr(i, stop - i)) + f.Overhang;
        i = stop;
    }
    return w;
}

int TSection::NextForcedBreak(int lineStart) {
    // Lines are fitted front to back, so one scan serves a whole layout.
    if (lineStart < FBreakScanFrom || lineStart > FBreakFound) {
        const std::size_t at = Text.find(BreakChar, static_cast<std::size_t>(lineStart));
        FBreakScanFrom = lineStart;
        FBreakFound =
            at == std::u16string::npos ? static_cast<int>(Text.size()) : static_cast<int>(at);
    }
    return FBreakFound;
}

int TSection::FitChars(THtmlCanvas& canvas, IndentManager& im, int lineStart, int maxCount, int y,
                       int x) {
    (void)x;
    int avail = im.RightAt(y) - (im.LeftAt(y) + (lineStart == 0 ? FirstIndent : 0));
    bool forced = false;
    const int d = NextForcedBreak(lineStart) - lineStart;
    if (d < maxCount) {
        if (d == 0)
            return 1;
        maxCount = d;
        forced = true;
    }
    const int extra = forced ? 1 : 0;
    if (lineStart == 0 && static_cast<long long>(maxCount) * FontRuns[0]->MaxCharWidth <= avail &&
        RunEnd(0) >= maxCount)
        return maxCount + extra;
    int used = 0;
    int fitted = 0;
    int i = lineStart;
    const int end = lineStart + maxCount;
    while (i < end) {
        const int run = RunIndexAt(i);
        const int stop = std::min(end, RunEnd(run));
        const TFontObj& f = *FontRuns[run];
        int extent = 0;
        int n = canvas.FitCount(*f.Font, std::u16string_view(Text).substr(i, stop - i),
                                avail - used, extent);
        if (n > 0 && BreakCodes[i + n - 1] == 's' &&
            used + extent + canvas.TextWidth(*f.Font, u"-") > avail) {
            --n;
            extent = canvas.TextWidth(*f.Font, std::u16string_view(Text).substr(i, n));
        }
        fitted += n;
        if (fitted >= maxCount)
            return maxCount + extra;
        if (n < stop - i)
            break;
        used += extent;
        i = stop;
    }
    return fitted;
}

void TSection::FinishLine(THtmlCanvas& canvas, IndentManager& im, LineRec& line, int lineStart,
                          int n, int& y, int x, bool lastLine) {
    const int finalSpace = static_cast<int>(Text.size()) - 1;
    bool blank = true;
    int others = 0;
    for (int i = lineStart; i < lineStart + n; ++i) {
        const char16_t c = Text[i];
        if (c == ObjectChar || c == ObjectChar2 || c == BreakChar)
            continue;
        if (c == u' ' && i == finalSpace && others == 0) {
            ++others;
            continue;
        }
        blank = false;
        break;
    }
    if (n == 1 && Text[lineStart] == BreakChar)
        blank = false;
    line.BoxHeight = 0;
    line.Descent = 0;
    if (!blank) {
        const int first = RunIndexAt(lineStart);
        const int last = RunIndexAt(lineStart + n - 1);
        for (int r = first; r <= last; ++r) {
            if (RunEnd(r) <= FontRuns[r]->StartPos && r != first)
                continue; // a run that covers no character
            line.BoxHeight = std::max(line.BoxHeight, FontRuns[r]->BoxHeight);
            line.Descent = std::max(line.Descent, FontRuns[r]->Descent);
        }
    }
    if (LineHeightSetting >= 0) {
        const int d = LineHeightSetting - line.BoxHeight;
        line.SpaceAbove = d / 2;
        line.SpaceBelow = d - line.SpaceAbove;
    }
    line.Start = lineStart;
    line.CharCount = n;
    line.Hyphenated = BreakCodes[lineStart + n - 1] == 's';
    const int l = im.LeftAt(y) + (lineStart == 0 ? FirstIndent : 0);
    const int r = im.RightAt(y);
    if (Align == 1) {
        line.Indent = l - x;
    } else {
        int w = MeasureText(canvas, lineStart, n, true);
        if (line.Hyphenated)
            w += canvas.TextWidth(*RunAt(lineStart + n - 1).Font, u"-");
        if (Align == 2) {
            line.Indent = (l + r - w) / 2 - x;
        } else if (Align == 3) {
            line.Indent = r - x - w;
        } else {
            line.Indent = l - x;
            if (!lastLine && r - l - w > 0) {
                line.ExtraWidth = r - l - w;
                for (int i = lineStart; i < lineStart + n - 1; ++i)
                    if (Text[i] == u' ' || Text[i] == 0xA0)
                        ++line.SpaceCount;
                if (line.SpaceCount == 0)
                    line.ExtraWidth = 0;
            }
        }
    }
    line.AvailWidth = r - l;
    const int full = line.FullHeight();
    FlowHeight += full;
    y += full;
    line.PaintHeight = full;
}

int TSection::Layout(THtmlCanvas& canvas, int x, int& pos, int& maxWidth, IndentManager& im,
                     int width, int, int y) {
    LayoutTop = PaintTop = InnerTop = y;
    FirstPos = pos;
    FlowHeight = 0;
    LineList.clear();
    const int len = static_cast<int>(Text.size());
    if (len == 0) {
        maxWidth = 0;
        PaintHeight = 0;
        FlowBottom = PaintBottom = y;
        return 0;
    }
    if (FirstIndentPercent != 0)
        FirstIndent = FirstIndentPercent * width / 100;
    maxWidth = std::min(im.RightAt(y) - im.LeftAt(y), width);
    int lineStart = 0;
    bool done = false;
    int guard = 0;
    while (!done && lineStart < len) {
        const int left = len - lineStart;
        LineRec line;
        const int count = FitChars(canvas, im, lineStart, left, y, x);
        int n = std::max(count, 1);
        if (count == 0 && im.NextWiderY(y) > y && ++guard < 1000) {
            LineRec gap;
            gap.Start = lineStart;
            gap.BoxHeight = gap.PaintHeight = im.NextWiderY(y) - y;
            FlowHeight += gap.BoxHeight;
            y += gap.BoxHeight;
            LineList.push_back(gap);
            continue;
        }
        auto spacesAfter = [&](int k) {
            while (k < left && Text[lineStart + k] == u' ')
                ++k;
            return k;
        };
        if (n >= left) {
            n = left;
            done = true;
        } else {
            const int q = lineStart + n - 1;
            const char16_t c = Text[q];
            const char code = BreakCodes[q];
            const char16_t next = Text[q + 1];
            if (((IsObj(c) || c == u' ' || IsWide(c)) && code != 'n') || c == BreakChar) {
                n = spacesAfter(n);
                done = n >= left;
            } else if (next == u' ' && BreakCodes[q + 1] != 'n') {
                n = spacesAfter(n);
                done = n >= left;
            } else if (IsObj(next) && code != 'n') {
                // the object starts the next line
            } else {
                int b = q;
                bool found = false;
                for (; b >= lineStart; --b) {
                    const char16_t bc = Text[b];
                    const char bcode = BreakCodes[b];
                    if (bcode == 'n')
                        continue;
                    if (b == lineStart) {
                        found = IsObj(bc);
                        break;
                    }
                    if (IsObj(bc) || bc == u' ' || bc == u'-' || bc == u'?' || IsWide(bc) ||
                        IsWide(Text[b + 1]) || bcode == 'a' || bcode == 's') {
                        found = true;
                        break;
                    }
                }
                if (found) {
                    n = spacesAfter(b - lineStart + 1);
                    done = n >= left;
                } else if (!BreakWord) {
                    // The word is longer than the line: it overflows.
                    int e = q;
                    for (; e < len - 1; ++e) {
                        const char16_t ec = Text[e];
                        const char16_t en = Text[e + 1];
                        const bool stop = ((ec == u'-' || ec == u'?') && BreakCodes[e] != 'n') ||
                                          BreakCodes[e] == 'a' || BreakCodes[e] == 's' ||
                                          IsObj(en) || en == BreakChar || en == u' ' || IsWide(en);
                        if (stop && BreakCodes[e + 1] != 'n')
                            break;
                    }
                    n = spacesAfter(e - lineStart + 1);
                    if (n < left && Text[lineStart + n] == BreakChar)
                        ++n;
                    maxWidth = std::max(maxWidth, MeasureText(canvas, lineStart, n, true));
                    done = n >= left;
                }
            }
        }
        FinishLine(canvas, im, line, lineStart, n, y, x, lineStart + n >= len);
        LineList.push_back(line);
        lineStart += n;
    }
    PosCount = len;
    pos = FirstPos + PosCount;
    PaintHeight = FlowHeight;
    FlowBottom = LayoutTop + FlowHeight;
    PaintBottom = LayoutTop + PaintHeight;
    return FlowHeight;
}

void TSection::MeasureWidths(THtmlCanvas& canvas, int& minWidth, int& maxWidth) {
    const int len = static_cast<int>(Text.size());
    if (len == 0) {
        minWidth = maxWidth = 0;
        return;
    }
    if (CachedMinWidth != 0 || CachedMaxWidth != 0) {
        minWidth = CachedMinWidth;
        maxWidth = CachedMaxWidth;
        return;
    }
    auto withIndent = [&](int w) {
        if (FirstIndentPercent > 0 && FirstIndentPercent < 100)
            return w * 100 / (100 - FirstIndentPercent);
        return w + FirstIndent;
    };
    maxWidth = 0;
    int start = 0;
    for (int i = 0; i <= len; ++i) {
        if (i < len && Text[i] != BreakChar)
            continue;
        int w = i < len ? MeasureText(canvas, start, i - start, false)
                        : MeasureText(canvas, start, i - start, true);
        if (start == 0)
            w = withIndent(w);
        maxWidth = std::max(maxWidth, w);
        start = i + 1;
    }
    minWidth = 0;
    if (BreakWord) {
        for (int i = 0; i < len; ++i)
            minWidth = std::max(minWidth, MeasureText(canvas, i, 1, false));
    } else {
        int i = 0;
        while (i < len && Text[i] == u' ')
            ++i;
        const int firstWord = i;
        while (i < len) {
            const char16_t c = Text[i];
            if (IsObj(c) || c == BreakChar || c == u' ') {
                ++i;
                continue;
            }
            int e = i; // last character of the word
            if (!(IsWide(c) && BreakCodes[i] == 'y')) {
                for (; e < len - 1; ++e) {
                    const char code = BreakCodes[e];
                    if (code == 'a' || code == 's')
                        break;
                    if ((Text[e] == u'-' || Text[e] == u'?') && code == 'y' && e > i)
                        break;
                    const char16_t nx = Text[e + 1];
                    if ((IsObj(nx) || nx == BreakChar || nx == u' ' || nx == u'-' || nx == u'?' ||
                         IsWide(nx)) &&
                        BreakCodes[e + 1] == 'y' && nx != u'-' && nx != u'?')
                        break;
                }
            }
            int w = MeasureText(canvas, i, e - i + 1, true);
            if (BreakCodes[e] == 's')
                w += canvas.TextWidth(*RunAt(e).Font, u"-");
            if (i == firstWord)
                w = withIndent(w);
            minWidth = std::max(minWidth, w);
            i = e + 1;
        }
    }
    CachedMinWidth = minWidth;
    CachedMaxWidth = maxWidth;
}

} // namespace html
