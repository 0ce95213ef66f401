// The viewer control on the offscreen platform: the scroll bar rule, resizing, scrolling by
// keys, wheel and bar, painting, and mouse selection through synthetic toolkit events.
#include "html/layout/block.h"
#include "html/layout/section.h"
#include "html/viewer.h"
#include "platform/application.h"
#include "platform/qt/control_bridge.h"

#include "text/scopeexit.h"
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace mkb::text;

namespace {

using namespace html;

// A page of n paragraphs, one per line, each its own text section.
std::u16string Paragraphs(int n) {
    std::u16string page = u"<html><body>";
    for (int i = 0; i < n; ++i)
        page += u"Строка " + std::u16string(1, char16_t(u'A' + i % 26)) + u" номер<br>";
    return page + u"</body></html>";
}

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        V = std::make_unique<THTMLViewer>();
        V->SetBorderStyle(htNone);
        V->SetScrollBars(ssVertical);
        V->CharSet = RUSSIAN_CHARSET;
        V->SetBounds(0, 0, 300, 200);
        V->Show();
        ProcessMessages();
    }
    QAbstractScrollArea* Host() { return qobject_cast<QAbstractScrollArea*>(ControlWidget(*V)); }
    QWidget* Surface() { return Host()->viewport(); }
    void Load(const std::u16string& html) {
        V->ClearDocument();
        V->LoadHtmlText(html);
        ProcessMessages();
    }
    void Resize(int w, int h) {
        V->SetBounds(0, 0, w, h);
        ProcessMessages();
    }
    void Key(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent e(QEvent::KeyPress, qtKey, mods);
        QApplication::sendEvent(Host(), &e);
    }
    void Wheel(int delta) {
        QWheelEvent e(QPointF(50, 50), Surface()->mapToGlobal(QPointF(50, 50)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Surface(), &e);
    }
    void Mouse(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QMouseEvent e(type, QPointF(p), Surface()->mapToGlobal(QPointF(p)), button, held, mods);
        QApplication::sendEvent(Surface(), &e);
    }
    // A clock that advances by each wait, and a wait that records the view's position and
    // then lets the test act as the user at that step (counted from 1).
    const std::vector<int>& PaceSteps(std::function<void(std::size_t step)> atStep) {
        V->Clock = [this] { return Now; };
        V->WaitForMessages = [this, atStep = std::move(atStep)](unsigned ms) {
            Now += ms;
            Steps.push_back(V->Position());
            atStep(Steps.size());
        };
        return Steps;
    }
    std::uint32_t Now{0};
    std::vector<int> Steps;

    // Paints the surface as the platform would, so that hit testing knows the lines' places.
    QImage Grab() { return Surface()->grab().toImage(); }

    TSection* SectionWith(std::u16string_view text) {
        for (TSection* s : V->Document.SearchList)
            if (s->Text.find(text) != std::u16string::npos)
                return s;
        return nullptr;
    }
    // The surface point of the middle of character i of the section.
    QPoint PointOf(TSection* s, int i) {
        int x = 0, y = 0;
        V->Document.PointOfCursor(Measure, s->FirstPos + i, x, y);
        int x2 = 0, y2 = 0;
        V->Document.PointOfCursor(Measure, s->FirstPos + i + 1, x2, y2);
        const int mid = y2 == y ? (x + x2) / 2 : x + 2;
        return QPoint(mid, y - V->Document.ViewTop + 3);
    }

    TMeasureCanvas Measure;
    std::unique_ptr<THTMLViewer> V;
};

} // namespace

TEST_F(ViewerTest, AFreshViewerShowsAPageAsOneGivenTheDocumentedDefaults) {
    // The defaults are checked by what they show: a page in a fresh viewer paints as in one
    // given the documented values by hand, and differs from one given other values.
    const auto shown = [](THTMLViewer& v) {
        v.SetBounds(0, 0, 260, 120);
        v.Show();
        v.LoadHtmlText(
            u"<html><body>Текст <a href=\"#x\">ссылка</a><pre>J10.1</pre></body></html>");
        ProcessMessages();
        auto* host = qobject_cast<QAbstractScrollArea*>(ControlWidget(v));
        return host->viewport()->grab().toImage();
    };
    THTMLViewer fresh, byHand, other;
    for (THTMLViewer* v : {&byHand, &other}) {
        v->SetBorderStyle(htFocused);
        v->SetScrollBars(ssBoth);
        v->DefFontName = u"Times New Roman";
        v->DefPreFontName = u"Courier New";
        v->DefFontSize = 12;
        v->DefFontColor = SystemColor(COLOR_BTNTEXT);
        v->DefHotSpotColor = 0xFF0000u;
        v->MarginWidth = 10;
        v->MarginHeight = 5;
        v->CharSet = DEFAULT_CHARSET;
    }
    other.MarginWidth = 20;
    const QImage expected = shown(byHand);
    EXPECT_EQ(shown(fresh), expected);
    EXPECT_NE(shown(other), expected);
    // The frame of the focused style is blank space until the viewer has the focus.
    EXPECT_EQ(fresh.Border(), bkBlank);
    EXPECT_EQ(V->Border(), bkNone);
}

TEST_F(ViewerTest, TextGoesThroughUtf8WithAByteOrderMark) {
    Load(u"<html><body>Код \U0001F600 \xD800x</body></html>");
    ASSERT_FALSE(V->Source.empty());
    EXPECT_EQ(V->Source[0], 0xFEFF);
    EXPECT_EQ(V->Source.substr(1, 19), u"<html><body>Код \U0001F600 ");
    // An unpaired surrogate cannot be encoded: it comes back as the replacement character.
    EXPECT_EQ(V->Source.substr(20, 2), u"\xFFFDx");
    // To the reader U+FEFF is an ordinary character, not the mark of a UTF-8 byte text.
    EXPECT_EQ(V->CodePage, 1251);

    V->ClearDocument();
    V->LoadHtmlLines({u"<html>", u"<body>a</body>", u"</html>"});
    EXPECT_EQ(V->Source, u"<html>\r\n<body>a</body>\r\n</html>\r\n");
    EXPECT_NE(SectionWith(u"a"), nullptr);
}

TEST_F(ViewerTest, StartPageIsEmptyInThePageColour) {
    Load(u"<html><body bgColor=\"#f7f8fa\"></body></html>");
    EXPECT_EQ(V->Document.Background & 0xFFFFFF, RGBColor(0xF7, 0xF8, 0xFA));
    EXPECT_TRUE(V->Document.SearchList.empty());
    EXPECT_FALSE(V->VertScrollBar().Visible());
    QImage img = Grab();
    EXPECT_EQ(img.pixelColor(0, 0), QColor(0xF7, 0xF8, 0xFA));
    EXPECT_EQ(img.pixelColor(299, 199), QColor(0xF7, 0xF8, 0xFA));
}

TEST_F(ViewerTest, ScrollBarRuleForPagesThatFitAndThatDoNot) {
    const int s = V->ScrollBarWidth();
    // Fits: no bar, laid out at the full width.
    Load(Paragraphs(2));
    ASSERT_GT(V->DocHeight, 0);
    ASSERT_LT(V->DocHeight, 200);
    auto* body = dynamic_cast<TBlock*>(V->Document[0]);
    ASSERT_NE(body, nullptr);
    EXPECT_FALSE(V->VScrollBarShown());
    EXPECT_FALSE(V->VertScrollBar().Visible());
    EXPECT_EQ(V->SurfaceWidth(), 300);
    EXPECT_EQ(body->ContentWidth, 300 - 20);

    // Exactly as tall as the pane: still no bar.
    const int h = V->DocHeight;
    Resize(300, h);
    EXPECT_EQ(V->DocHeight, h);
    EXPECT_FALSE(V->VScrollBarShown());
    EXPECT_EQ(V->SurfaceWidth(), 300);
    Resize(300, h - 1);
    EXPECT_TRUE(V->VScrollBarShown());
    Resize(300, 200);

    // Taller: laid out beside the bar; the bar's range reaches DocHeight - surface height.
    Load(Paragraphs(40));
    body = dynamic_cast<TBlock*>(V->Document[0]);
    ASSERT_NE(body, nullptr);
    EXPECT_GT(V->DocHeight, 200);
    EXPECT_TRUE(V->VScrollBarShown());
    EXPECT_TRUE(V->VertScrollBar().Visible());
    EXPECT_EQ(V->SurfaceWidth(), 300 - s);
    EXPECT_EQ(Surface()->width(), 300 - s); // the platform agrees on the surface
    EXPECT_EQ(body->ContentWidth, 300 - s - 20);
    EXPECT_EQ(V->LargeChange(), 200 - 16);
    TScrollInfo info = V->VertScrollBar().GetScrollInfo();
    EXPECT_EQ(info.Max, V->DocHeight);
    EXPECT_EQ(info.Page, 201);
    V->ScrollTo(1 << 30);
    EXPECT_EQ(V->Position(), V->DocHeight - 200);
    EXPECT_EQ(V->VertScrollBar().Position(), V->DocHeight - 200);
    EXPECT_EQ(V->Document.ViewTop, V->DocHeight - 200);
    V->ScrollTo(-5);
    EXPECT_EQ(V->Position(), 0);
}

TEST_F(ViewerTest, LongSourceIsLaidOutBesideTheBarAtOnce) {
    // Short enough to fit, but its source is longer than 9999 characters.
    std::u16string page = u"<html><body>x<!--" + std::u16string(10000, u'-') + u"--></body></html>";
    Load(page);
    auto* body = dynamic_cast<TBlock*>(V->Document[0]);
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->ContentWidth, 300 - V->ScrollBarWidth() - 20);
    // It fits, so no bar is shown; the surface keeps the full width.
    EXPECT_FALSE(V->VScrollBarShown());
    EXPECT_EQ(V->SurfaceWidth(), 300);
}

TEST_F(ViewerTest, ResizingKeepsTheTextAtTheTop) {
    Load(Paragraphs(60));
    TSection* target = V->Document.SearchList[20];
    V->ScrollTo(target->LayoutTop + 3);
    const std::u16string text = target->Text;
    Resize(220, 160);
    EXPECT_EQ(V->Position(), target->LayoutTop + 3);
    EXPECT_EQ(V->Document.SearchList[20]->Text, text);
    Resize(400, 260);
    EXPECT_EQ(V->Position(), V->Document.SearchList[20]->LayoutTop + 3);
    // Growing until the page fits scrolls back to the top.
    Resize(400, V->DocHeight + 50);
    EXPECT_EQ(V->Position(), 0);
    EXPECT_FALSE(V->VScrollBarShown());
}

TEST_F(ViewerTest, ANewPageStartsAtTheTopAndClearingEmptiesThePane) {
    Load(Paragraphs(60));
    V->ScrollTo(300);
    ASSERT_EQ(V->Position(), 300);
    V->Document.SelStart = 3;
    V->Document.SelEnd = 9;
    Load(Paragraphs(50));
    EXPECT_EQ(V->Position(), 0);
    EXPECT_EQ(V->Document.ViewTop, 0);
    EXPECT_EQ(V->Document.SelStart, V->Document.SelEnd);
    EXPECT_EQ(V->Pointer.SelAnchor, -1);
    EXPECT_EQ(V->Pointer.CaretPos, 0);
    V->ClearDocument();
    EXPECT_TRUE(V->Document.Items.empty());
    EXPECT_FALSE(V->VertScrollBar().Visible());
    EXPECT_EQ(V->SurfaceWidth(), 300);
}

TEST_F(ViewerTest, LoadsAreIgnoredWhileProcessing) {
    Load(Paragraphs(3));
    int events = 0;
    V->OnProcessing = [&](THTMLViewer* v, bool on) {
        ++events;
        if (on) {
            // Re-entrant calls change nothing.
            v->ClearDocument();
            v->LoadHtmlText(u"<html><body>other</body></html>");
            v->ReLayoutKeepingView();
        }
    };
    V->LoadHtmlText(Paragraphs(4));
    EXPECT_EQ(events, 2);
    EXPECT_FALSE(V->Processing);
    EXPECT_EQ(V->Document.SearchList.size(), 4u);
    EXPECT_EQ(SectionWith(u"other"), nullptr);
}

TEST_F(ViewerTest, KeysScrollAndModifiersDoNothing) {
    Load(Paragraphs(60));
    const int max = V->DocHeight - 200;
    Key(Qt::Key_Down);
    EXPECT_EQ(V->Position(), 16);
    Key(Qt::Key_Down, Qt::AltModifier); // Shift selects (below)
    EXPECT_EQ(V->Position(), 16);
    Key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(V->Position(), 16);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(V->Position(), 16 + V->LargeChange());
    Key(Qt::Key_Up);
    EXPECT_EQ(V->Position(), V->LargeChange());
    Key(Qt::Key_PageUp);
    EXPECT_EQ(V->Position(), 0);
    Key(Qt::Key_Up); // at the top
    EXPECT_EQ(V->Position(), 0);
    Key(Qt::Key_End);
    EXPECT_EQ(V->Position(), max);
    EXPECT_EQ(V->Document.ViewTop, max);
    Key(Qt::Key_Down); // at the bottom
    EXPECT_EQ(V->Position(), max);
    Key(Qt::Key_Home);
    EXPECT_EQ(V->Position(), 0);
    // Nothing is wider than the pane: the horizontal keys have nowhere to go.
    Key(Qt::Key_Right);
    EXPECT_EQ(V->HScrollPosition(), 0);
}

TEST_F(ViewerTest, WideContentIsReachedWithTheHorizontalKeys) {
    Load(u"<html><body>" + std::u16string(80, u'Ш') + u"</body></html>");
    ASSERT_GT(V->DocWidth, V->SurfaceWidth());
    const int max = V->DocWidth - V->SurfaceWidth();
    Key(Qt::Key_Right);
    EXPECT_EQ(V->HScrollPosition(), std::min(15, max));
    for (int i = 0; i < 200; ++i)
        Key(Qt::Key_Right);
    EXPECT_EQ(V->HScrollPosition(), max);
    Key(Qt::Key_Left);
    EXPECT_EQ(V->HScrollPosition(), max - 15);
}

TEST_F(ViewerTest, WheelMovesThreeLinesPerNotch) {
    Load(Paragraphs(60));
    Wheel(-120);
    EXPECT_EQ(V->Position(), 48);
    Wheel(-30); // any size of turn is one notch
    EXPECT_EQ(V->Position(), 96);
    Wheel(120);
    EXPECT_EQ(V->Position(), 48);
    Wheel(120);
    Wheel(120);
    EXPECT_EQ(V->Position(), 0);
    V->htOptions |= htNoWheelMouse;
    Wheel(-120);
    EXPECT_EQ(V->Position(), 0);
}

TEST_F(ViewerTest, ScrollBarRequests) {
    Load(Paragraphs(60));
    QScrollBar* bar = Host()->verticalScrollBar();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(V->Position(), 16);
    EXPECT_EQ(bar->value(), 16);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(V->Position(), 16 + 184);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(V->Position(), V->DocHeight - 200);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(V->Position(), V->DocHeight - 216);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(V->Position(), 0);
}

TEST_F(ViewerTest, PaintsTextOnThePageBackground) {
    Load(u"<html><body bgcolor=\"#f7f8fa\"><font color=\"#871f1c\">ШШШШ</font></body></html>");
    QImage img = Grab();
    const QColor page(0xF7, 0xF8, 0xFA), ink(0x87, 0x1F, 0x1C);
    EXPECT_EQ(img.pixelColor(0, 0), page);
    int inked = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x)
            inked += img.pixelColor(x, y) == ink;
    EXPECT_GT(inked, 10);
    // A selection paints the run opaque in its text colour.
    TSection* s = SectionWith(u"ШШ");
    ASSERT_NE(s, nullptr);
    V->Document.SelStart = s->FirstPos;
    V->Document.SelEnd = s->FirstPos + 4;
    img = Grab();
    int filled = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x)
            filled += img.pixelColor(x, y) == ink;
    EXPECT_GT(filled, inked * 2);
    // A scrolled view paints the same pixels higher up.
    Load(Paragraphs(60));
    QImage top = Grab();
    V->ScrollTo(16);
    QImage down = Grab();
    EXPECT_EQ(down.copy(0, 0, 250, 150), top.copy(0, 16, 250, 150));
}

TEST_F(ViewerTest, DragSelectsFromTheAnchorAndShiftExtendsFromTheCaret) {
    Load(u"<html><body>альфа бета гамма дельта</body></html>");
    Grab();
    TSection* s = SectionWith(u"альфа");
    ASSERT_NE(s, nullptr);
    const int first = s->FirstPos;
    const QPoint a = PointOf(s, 0), b = PointOf(s, 8);
    Mouse(QEvent::MouseButtonPress, a - QPoint(2, 0), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(V->Pointer.SelAnchor, first);
    EXPECT_TRUE(V->Pointer.Selecting);
    Mouse(QEvent::MouseMove, b, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(V->Document.SelStart, first);
    EXPECT_TRUE(V->Document.SelEnd == first + 8 || V->Document.SelEnd == first + 9);
    Mouse(QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(V->Pointer.Selecting);
    EXPECT_FALSE(V->Pointer.LeftDown);
    const int end = V->Document.SelEnd;
    EXPECT_EQ(V->Pointer.CaretPos, end);
    // Moving without the button extends nothing.
    Mouse(QEvent::MouseMove, PointOf(s, 14), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(V->Document.SelEnd, end);
    // Shift+click runs the selection from the caret to the click.
    const QPoint c = PointOf(s, 17) - QPoint(4, 0);
    Mouse(QEvent::MouseButtonPress, c, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(V->Document.SelStart, end);
    EXPECT_GT(V->Document.SelEnd, end + 5);
    EXPECT_EQ(V->Pointer.CaretPos, end);
    Mouse(QEvent::MouseButtonRelease, c, Qt::LeftButton, Qt::NoButton, Qt::ShiftModifier);
    // A plain click collapses it.
    Mouse(QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(V->Document.SelStart, V->Document.SelEnd);
    Mouse(QEvent::MouseButtonRelease, a, Qt::LeftButton, Qt::NoButton);
    // NoSelect keeps the caret moving but selects nothing.
    V->NoSelect = true;
    Mouse(QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, b, Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(V->Document.SelStart, V->Document.SelEnd);
}

TEST_F(ViewerTest, DoubleClickSelectsACyrillicWordAndASpaceNothing) {
    Load(u"<html><body>МКБ-10 Холера ёж 42x J45.9 A17.0† конец.</body></html>");
    Grab();
    TSection* s = SectionWith(u"Холера");
    ASSERT_NE(s, nullptr);
    const int first = s->FirstPos;
    const int word = static_cast<int>(s->Text.find(u"Холера"));
    // On either half of any letter of the word.
    for (int i : {0, 2, 5}) {
        V->Document.SelStart = V->Document.SelEnd = 0;
        const QPoint p = PointOf(s, word + i);
        for (int dx : {-1, 1}) {
            Mouse(QEvent::MouseButtonDblClick, p + QPoint(dx, 0), Qt::LeftButton, Qt::LeftButton);
            EXPECT_EQ(V->Document.SelStart, first + word) << i << " " << dx;
            EXPECT_EQ(V->Document.SelEnd, first + word + 6) << i << " " << dx;
            EXPECT_EQ(V->Pointer.CaretPos, first + word);
            Mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
        }
    }
    // "-" is no word character: МКБ alone.
    Mouse(QEvent::MouseButtonDblClick, PointOf(s, 1), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(V->Document.SelStart, first);
    EXPECT_EQ(V->Document.SelEnd, first + 3);
    Mouse(QEvent::MouseButtonRelease, PointOf(s, 1), Qt::LeftButton, Qt::NoButton);
    // Digits and Latin letters are word characters.
    const int num = static_cast<int>(s->Text.find(u"42x"));
    Mouse(QEvent::MouseButtonDblClick, PointOf(s, num + 1), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(V->Document.SelStart, first + num);
    EXPECT_EQ(V->Document.SelEnd, first + num + 3);
    Mouse(QEvent::MouseButtonRelease, PointOf(s, num + 1), Qt::LeftButton, Qt::NoButton);
    // A code is taken whole, with its full stop and its mark; a final full stop is not.
    for (std::u16string word : {u"J45.9", u"A17.0†", u"конец"}) {
        const int at = static_cast<int>(s->Text.find(word));
        Mouse(QEvent::MouseButtonDblClick, PointOf(s, at + 1), Qt::LeftButton, Qt::LeftButton);
        EXPECT_EQ(V->Document.SelStart, first + at);
        EXPECT_EQ(V->Document.SelEnd, first + at + static_cast<int>(word.size()));
        Mouse(QEvent::MouseButtonRelease, PointOf(s, at + 1), Qt::LeftButton, Qt::NoButton);
    }
    // A space selects nothing, on either half.
    V->Document.SelStart = V->Document.SelEnd = 0;
    const QPoint space = PointOf(s, word - 1);
    for (int dx : {-1, 1}) {
        Mouse(QEvent::MouseButtonDblClick, space + QPoint(dx, 0), Qt::LeftButton, Qt::LeftButton);
        EXPECT_EQ(V->Document.SelStart, V->Document.SelEnd);
        Mouse(QEvent::MouseButtonRelease, space, Qt::LeftButton, Qt::NoButton);
    }
}

TEST(ViewerWords, WordCharacters) {
    for (char16_t c : std::u16string(u"09AZaz\u0410\u044F\u0451"))
        EXPECT_TRUE(THTMLViewer::IsWordChar(c)) << int(c);
    for (char16_t c : std::u16string(u" -.,/:@[`{\u00C0\u0401\u040F"))
        EXPECT_FALSE(THTMLViewer::IsWordChar(c)) << int(c);
}

TEST_F(ViewerTest, DraggingAboveThePaneScrollsUpWhileTheSelectionFollows) {
    Load(Paragraphs(200));
    V->ScrollTo(2000);
    const int start = V->Position();
    ASSERT_EQ(start, 2000);
    Grab();
    // A clock that advances 100 ms per step, and a wait that records each step and moves
    // the pointer as a user would: 5 above the top, then 20 above, then the button is let go.
    const std::vector<int>& positions = PaceSteps([&](std::size_t step) {
        if (step == 3)
            Mouse(QEvent::MouseMove, QPoint(40, -20), Qt::NoButton, Qt::LeftButton);
        if (step == 5)
            Mouse(QEvent::MouseButtonRelease, QPoint(40, -20), Qt::LeftButton, Qt::NoButton);
    });
    const QPoint p(40, 100);
    Mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    const int anchor = V->Pointer.SelAnchor;
    ASSERT_GE(anchor, 0);
    Mouse(QEvent::MouseMove, QPoint(40, -5), Qt::NoButton, Qt::LeftButton);
    EXPECT_FALSE(V->Pointer.AutoScrolling); // posted, not run inside the notification
    ProcessMessages();
    EXPECT_EQ(positions,
              (std::vector<int>{start - 16, start - 32, start - 48, start - 176, start - 304}));
    EXPECT_FALSE(V->Pointer.AutoScrolling);
    // The selection runs from the anchor up to the text at the top of the view.
    EXPECT_EQ(V->Document.SelEnd, anchor);
    EXPECT_LT(V->Document.SelStart, anchor);
    EXPECT_EQ(V->Document.SelStart, V->Pointer.CaretPos);
}

TEST_F(ViewerTest, MiddleButtonPansTowardsThePointer) {
    Load(Paragraphs(80));
    V->ScrollTo(1000);
    const std::vector<int>& positions = PaceSteps([&](std::size_t step) {
        if (step == 2)
            Mouse(QEvent::MouseMove, QPoint(40, 100 - 70), Qt::NoButton, Qt::MiddleButton);
        if (step == 4)
            Mouse(QEvent::MouseMove, QPoint(40, 110), Qt::NoButton, Qt::MiddleButton);
    });
    Mouse(QEvent::MouseButtonPress, QPoint(40, 100), Qt::MiddleButton, Qt::MiddleButton);
    EXPECT_TRUE(V->Pointer.Panning);
    Mouse(QEvent::MouseMove, QPoint(40, 125), Qt::NoButton, Qt::MiddleButton);
    ProcessMessages();
    // 25 below the start: 8 down; 70 above: 32 up; back within 20: the loop ends.
    EXPECT_EQ(positions, (std::vector<int>{1008, 1016, 984, 952}));
    EXPECT_TRUE(V->Pointer.Panning);
    // A release at another place than the start ends panning.
    Mouse(QEvent::MouseButtonRelease, QPoint(40, 110), Qt::MiddleButton, Qt::NoButton);
    EXPECT_FALSE(V->Pointer.Panning);
    // A middle click that does not move leaves panning on until a key or the next click.
    Mouse(QEvent::MouseButtonPress, QPoint(40, 100), Qt::MiddleButton, Qt::MiddleButton);
    Mouse(QEvent::MouseButtonRelease, QPoint(40, 100), Qt::MiddleButton, Qt::NoButton);
    EXPECT_TRUE(V->Pointer.Panning);
    const int at = V->Position();
    Key(Qt::Key_Down); // ends panning and does not scroll
    EXPECT_FALSE(V->Pointer.Panning);
    EXPECT_EQ(V->Position(), at);
}

TEST_F(ViewerTest, PaintsAtTheRatioOfTheSurfaceItIsShownOn) {
    Load(u"<html><body><b>Код</b><br>A17.0† Туберкулезный менингит</body></html>");
    // The window's own paint, onto a surface of ratio 2 as a high-density screen gives it.
    QImage two(Surface()->width() * 2, Surface()->height() * 2, QImage::Format_RGB32);
    two.setDevicePixelRatio(2);
    Surface()->render(&two);
    const QImage one = Grab();
    ASSERT_EQ(one.width() * 2, two.width());
    int ink = 0, fineBlocks = 0;
    for (int y = 0; y + 1 < two.height(); y += 2)
        for (int x = 0; x + 1 < two.width(); x += 2) {
            const QRgb c = two.pixel(x, y);
            if (qGray(c) < 128)
                ++ink;
            if (two.pixel(x + 1, y) != c || two.pixel(x, y + 1) != c ||
                two.pixel(x + 1, y + 1) != c)
                ++fineBlocks;
        }
    EXPECT_GT(ink, 20);
    // A 1x picture stretched would repeat each pixel in a 2 x 2 block.
    EXPECT_GT(fineBlocks, 50);
}

TEST_F(ViewerTest, PlainTextReadsLinesAndCellsInOrderWithoutMarkup) {
    Load(u"<html><body><p>Первая <b>строка</b> &amp; &laquo;знаки&raquo;</p><table><tr><td>Код"
         u"</td><td>A15.0</td></tr><tr><td><i>Туберкулез</i><br>легких</td></tr></table></body>");
    const std::u16string all = u"Первая строка & «знаки»\nКод\nA15.0\nТуберкулез\nлегких";
    EXPECT_EQ(V->TextRange(-5, 1'000'000), all);
    EXPECT_EQ(V->TextRange(3, 3) + V->TextRange(9, 2) + V->SelectedText(), u"");
    V->SelectAll();
    EXPECT_EQ(V->SelectedText(), all);
}

// ---- screen readers and keyboard selection ----

namespace {
std::pair<QAccessible::Event, QString> LastViewerEvent; // with the text a page brought
int TextUpdates = 0;

void RecordViewerEvent(QAccessibleEvent* e) {
    LastViewerEvent = {e->type(), e->type() == QAccessible::TextUpdated
                                      ? static_cast<QAccessibleTextUpdateEvent*>(e)->textInserted()
                                      : QString()};
    TextUpdates += e->type() == QAccessible::TextUpdated;
}
} // namespace

TEST_F(ViewerTest, ReadersSeeThePageAsReadOnlyTextWithItsSelection) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(Host());
    SetAccessibleEventSink(&RecordViewerEvent);
    TScopeExit stop([] { SetAccessibleEventSink(nullptr); });
    Load(u"<html><body><b>Код</b><br>A15.0<p><b>Наименование</b><br>Туберкулез легких</p>"
         u"</body></html>");
    EXPECT_TRUE(iface->role() == QAccessible::EditableText && iface->state().readOnly);
    QAccessibleTextInterface* text = iface->textInterface();
    ASSERT_NE(text, nullptr);
    const QString all = QStringLiteral("Код\nA15.0\nНаименование\nТуберкулез легких");
    EXPECT_EQ(text->text(0, text->characterCount()), all);
    EXPECT_EQ(LastViewerEvent, std::make_pair(QAccessible::TextUpdated, all));
    EXPECT_EQ(text->selectionCount(), 0);
    // The pane cleared and loaded again, as a focus change does: readers hear one change.
    TextUpdates = 0;
    Load(u"<html><body>A15.1</body></html>");
    EXPECT_EQ(TextUpdates, 1);
    Load(u"<html><body><b>Код</b><br>A15.0<p><b>Наименование</b><br>Туберкулез легких</p>"
         u"</body></html>");

    // Shift+Right from the start selects one character, Shift+End the rest of the page.
    Key(Qt::Key_Right, Qt::ShiftModifier);
    int start = -1, end = -1;
    text->selection(0, &start, &end);
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(0, 1));
    EXPECT_EQ(LastViewerEvent.first, QAccessible::TextSelectionChanged);
    Key(Qt::Key_End, Qt::ShiftModifier);
    text->selection(0, &start, &end);
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(0, int(all.size())));
    Key(Qt::Key_Home, Qt::ShiftModifier); // back to the anchor
    EXPECT_EQ(text->selectionCount(), 0);
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(V->SelectedText(), all.toStdU16String());
}

TEST_F(ViewerTest, ShiftPageDownSelectsWhatComesIntoView) {
    Load(Paragraphs(40));
    Grab();
    Key(Qt::Key_PageDown, Qt::ShiftModifier);
    const std::u16string selected = V->SelectedText();
    ASSERT_FALSE(selected.empty());
    EXPECT_EQ(selected.rfind(u"Строка A номер", 0), 0u);
    EXPECT_LT(selected.size(), V->TextRange(0, 1'000'000).size());
}
