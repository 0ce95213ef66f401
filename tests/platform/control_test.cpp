// The control base: events reach the virtual methods, scroll bars keep the platform's model,
// timers fire by number.
#include "platform/application.h"
#include "platform/canvas.h"
#include "platform/control.h"
#include "platform/qt/control_bridge.h"
#include "platform/qt/control_host.h"
#include "platform/timing.h"
#include <QApplication>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class TRecordingControl : public TControl {
public:
    std::vector<std::string> Log;
    std::vector<TRect> PaintRects;
    std::vector<unsigned> Timers;
    std::vector<std::pair<TScrollCode, int>> Scrolls;
    TVirtualKey LastKey = 0;
    char16_t LastKeyChar = 0;
    bool AcceptDrops = false;
    TShiftState LastShift;
    char16_t LastChar = 0;
    bool UseWheel = true;

protected:
    void Paint(TCanvas& canvas, const TRect& r) override {
        EXPECT_EQ(canvas.ClipRect(), r);
        PaintRects.push_back(r);
    }
    void Resize() override { Log.push_back("resize " + std::to_string(ClientWidth())); }
    void FocusIn() override { Log.push_back("focus in"); }
    void FocusOut() override { Log.push_back("focus out"); }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
        LastShift = s;
        Log.push_back("down " + std::to_string(static_cast<int>(b)) + " " + std::to_string(x) +
                      "," + std::to_string(y));
    }
    void MouseMove(TShiftState s, int x, int y) override {
        Log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    }
    void MouseUp(TMouseButton b, TShiftState, int x, int y) override {
        Log.push_back("up " + std::to_string(static_cast<int>(b)));
    }
    void DoubleClick(TMouseButton b, TShiftState s, int x, int y) override {
        EXPECT_TRUE(s.Contains(ssDouble));
        Log.push_back("dbl " + std::to_string(x) + "," + std::to_string(y));
    }
    bool MouseWheel(TShiftState s, int delta, TPoint p) override {
        LastShift = s;
        Log.push_back("wheel " + std::to_string(delta));
        return UseWheel;
    }
    bool DragEnter(TShiftState, TPoint p) override {
        Log.push_back("drag enter " + std::to_string(p.X) + "," + std::to_string(p.Y));
        return AcceptDrops;
    }
    bool DragOver(TShiftState, TPoint p) override {
        Log.push_back("drag over " + std::to_string(p.X) + "," + std::to_string(p.Y));
        return AcceptDrops;
    }
    void DragLeave() override { Log.push_back("drag leave"); }
    bool DragDrop(TShiftState, TPoint) override {
        Log.push_back("drop");
        return AcceptDrops;
    }
    void KeyDown(TVirtualKey& key, TShiftState shift) override {
        LastKey = key;
        LastKeyChar = KeyChar();
        LastShift = shift;
    }
    void KeyPress(char16_t& ch) override { LastChar = ch; }
    void Timer(unsigned id) override { Timers.push_back(id); }
    void Message(unsigned id, std::uintptr_t a, std::intptr_t b) override {
        Log.push_back("message " + std::to_string(id) + " " + std::to_string(a) + " " +
                      std::to_string(b));
    }
    void Scroll(TScrollBarKind bar, TScrollCode code, int pos) override {
        Scrolls.emplace_back(code, pos);
        if (code == scLineDown) {
            // The control decides: two lines at a time.
            TScrollInfo info = VertScrollBar().GetScrollInfo();
            info.Pos += 2;
            VertScrollBar().SetScrollInfo(info, true);
        }
    }
};

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        Control.SetBounds(0, 0, 300, 200);
        Control.Show();
        ProcessMessages();
    }
    QWidget* Viewport() { return Control.Host()->viewport(); }
    TRecordingControl Control;
};

} // namespace

TEST_F(ControlTest, MouseEventsReachTheControlInClientCoordinates) {
    Control.Log.clear();
    const QPointF p(10, 20);
    QMouseEvent press(QEvent::MouseButtonPress, p, Viewport()->mapToGlobal(p), Qt::LeftButton,
                      Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(Viewport(), &press);
    EXPECT_TRUE(Control.LastShift.ContainsAll({ssShift, ssLeft}));
    EXPECT_FALSE(Control.LastShift.Contains(ssCtrl));
    QMouseEvent move(QEvent::MouseMove, QPointF(15, 25), Viewport()->mapToGlobal(QPointF(15, 25)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Viewport(), &move);
    QMouseEvent release(QEvent::MouseButtonRelease, p, Viewport()->mapToGlobal(p), Qt::RightButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Viewport(), &release);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, p, Viewport()->mapToGlobal(p), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Viewport(), &dbl);
    EXPECT_EQ(Control.Log,
              (std::vector<std::string>{"down 0 10,20", "move 15,25", "up 1", "dbl 10,20"}));
}

TEST_F(ControlTest, WheelReportsDeltaAndWhetherItWasUsed) {
    Control.Log.clear();
    QWheelEvent wheel(QPointF(5, 5), Viewport()->mapToGlobal(QPointF(5, 5)), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Viewport(), &wheel);
    EXPECT_TRUE(wheel.isAccepted());
    EXPECT_TRUE(Control.LastShift.Contains(ssCtrl));
    Control.UseWheel = false;
    QWheelEvent back(QPointF(5, 5), Viewport()->mapToGlobal(QPointF(5, 5)), QPoint(),
                     QPoint(0, -240), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Viewport(), &back);
    EXPECT_FALSE(back.isAccepted());
    EXPECT_EQ(Control.Log, (std::vector<std::string>{"wheel 120", "wheel -240"}));
}

TEST_F(ControlTest, KeysArriveAsVirtualKeyCodes) {
    struct TCase {
        int QtKey;
        Qt::KeyboardModifiers Mods;
        QString Text;
        TVirtualKey Expected;
    } cases[] = {
        {Qt::Key_Down, Qt::NoModifier, "", vk::Down},
        {Qt::Key_PageDown, Qt::ControlModifier, "", vk::Next},
        {Qt::Key_Backspace, Qt::NoModifier, "\b", vk::Back},
        {Qt::Key_A, Qt::ShiftModifier, "A", 0x41},
        {Qt::Key_5, Qt::NoModifier, "5", 0x35},
        {Qt::Key_5, Qt::KeypadModifier, "5", vk::Numpad0 + 5},
        {Qt::Key_Plus, Qt::KeypadModifier, "+", vk::Add},
        {Qt::Key_Minus, Qt::NoModifier, "-", vk::OemMinus},
        {Qt::Key_Asterisk, Qt::KeypadModifier, "*", vk::Multiply},
        {Qt::Key_Slash, Qt::KeypadModifier, "/", vk::Divide},
        {Qt::Key_F2, Qt::NoModifier, "", vk::F(2)},
        {Qt::Key_Menu, Qt::NoModifier, "", vk::Apps},
    };
    for (const TCase& c : cases) {
        Control.LastKey = 0;
        QKeyEvent e(QEvent::KeyPress, c.QtKey, c.Mods, c.Text);
        QApplication::sendEvent(Control.Host(), &e);
        EXPECT_EQ(Control.LastKey, c.Expected) << c.QtKey;
    }
    QKeyEvent cyr(QEvent::KeyPress, 0x0411, Qt::ShiftModifier, QString(QChar(0x0411)));
    QApplication::sendEvent(Control.Host(), &cyr);
    // A key without a virtual key code still produces its character.
    EXPECT_EQ(Control.LastChar, u'\u0411');
}

TEST_F(ControlTest, PaintForwardsTheUpdateRectangle) {
    Control.PaintRects.clear();
    Viewport()->repaint(QRect(10, 20, 30, 40));
    ASSERT_FALSE(Control.PaintRects.empty());
    EXPECT_EQ(Control.PaintRects.back(), (TRect{10, 20, 40, 60}));
    Control.InvalidateRect({0, 0, 5, 5});
    Control.InvalidateRect({}); // empty: nothing to do
    Control.PaintRects.clear();
    ProcessMessages();
    ASSERT_EQ(Control.PaintRects.size(), 1u);
    EXPECT_EQ(Control.PaintRects[0], (TRect{0, 0, 5, 5}));
}

TEST_F(ControlTest, ScrollBarsFollowThePlatformModel) {
    TScrollBar& bar = Control.VertScrollBar();
    EXPECT_FALSE(bar.Visible());
    const int widthWithout = Control.ClientWidth();
    bar.SetScrollInfo({0, 720, 201, 600}, true);
    EXPECT_TRUE(bar.Visible());
    EXPECT_LT(Control.ClientWidth(), widthWithout); // the bar takes its place
    // The position cannot go beyond Max - Page + 1.
    EXPECT_EQ(bar.Position(), 520);
    EXPECT_EQ(bar.GetScrollInfo(), (TScrollInfo{0, 720, 201, 520}));
    bar.SetScrollInfo({0, 720, 201, 100}, true, false);
    EXPECT_FALSE(bar.Enabled());
    bar.SetScrollInfo({0, 720, 201, 100}, true);
    // A user action goes to the control, and the bar shows what the control set.
    Control.Scrolls.clear();
    Control.Host()->Bar(sbVertical)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    ASSERT_EQ(Control.Scrolls.size(), 1u);
    EXPECT_EQ(Control.Scrolls[0].first, scLineDown);
    EXPECT_EQ(bar.Position(), 102);
    Control.Host()->Bar(sbVertical)->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(Control.Scrolls.back().first, scTop);
    EXPECT_EQ(bar.Position(), 102); // the control ignored it
    // A wheel turn over the bar is a finished move, not a drag that never ends.
    Control.Scrolls.clear();
    QScrollBar* qbar = Control.Host()->Bar(sbVertical);
    QWheelEvent wheel(QPointF(2, 2), qbar->mapToGlobal(QPointF(2, 2)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(qbar, &wheel);
    ASSERT_EQ(Control.Scrolls.size(), 2u);
    EXPECT_EQ(Control.Scrolls[0].first, scPosition);
    EXPECT_GT(Control.Scrolls[0].second, 102);
    EXPECT_EQ(Control.Scrolls[1].first, scEndScroll);
    bar.SetScrollInfo({}, false);
    EXPECT_FALSE(bar.Visible());
    EXPECT_EQ(Control.ClientWidth(), widthWithout);
}

TEST_F(ControlTest, NumberedTimersFireUntilKilled) {
    Control.SetTimer(7, 5);
    Control.SetTimer(9, 5);
    EXPECT_TRUE(Control.TimerActive(7));
    const std::uint32_t start = GetTickCount();
    while ((Control.Timers.size() < 4) && GetTickCount() - start < 2000)
        ProcessMessages();
    Control.KillTimer(7);
    Control.KillTimer(9);
    EXPECT_FALSE(Control.TimerActive(7));
    ASSERT_GE(Control.Timers.size(), 4u);
    for (unsigned id : Control.Timers)
        EXPECT_TRUE(id == 7 || id == 9);
    Control.Timers.clear();
    const std::uint32_t after = GetTickCount();
    while (GetTickCount() - after < 30)
        ProcessMessages();
    EXPECT_TRUE(Control.Timers.empty());
}

TEST_F(ControlTest, ResizeAndBridge) {
    Control.Log.clear();
    Control.SetBounds(0, 0, 250, 150);
    ProcessMessages();
    ASSERT_FALSE(Control.Log.empty());
    EXPECT_EQ(Control.Log.back(), "resize " + std::to_string(Control.ClientWidth()));
    EXPECT_EQ(ControlWidget(Control), Control.Host());
}

TEST_F(ControlTest, BorderTakesOnePixelOnEachSide) {
    Control.SetBorder(bkNone);
    ProcessMessages();
    EXPECT_EQ(Control.Border(), bkNone);
    EXPECT_EQ(Control.Width(), 300);
    EXPECT_EQ(Control.ClientWidth(), 300);
    Control.SetBorder(bkSingle);
    ProcessMessages();
    EXPECT_EQ(Control.ClientWidth(), 298);
    EXPECT_EQ(Control.ClientHeight(), 198);
    // Blank space of the same width keeps the client area where the line had it.
    Control.SetBorder(bkBlank);
    ProcessMessages();
    EXPECT_EQ(Control.ClientWidth(), 298);
    // The vertical bar takes its width from the client area, not from the control.
    Control.VertScrollBar().SetScrollInfo({0, 1000, 100, 0}, true);
    ProcessMessages();
    EXPECT_EQ(Control.ClientWidth(), 298 - VerticalScrollBarWidth());
    EXPECT_EQ(Control.Width(), 300);
}

TEST_F(ControlTest, PostedMessagesArriveLaterInOrder) {
    Control.Log.clear();
    Control.PostMessage(7, 1, -2);
    Control.PostMessage(8);
    EXPECT_TRUE(Control.Log.empty()); // not from inside the call
    ProcessMessages();
    EXPECT_EQ(Control.Log, (std::vector<std::string>{"message 7 1 -2", "message 8 0 0"}));
}

TEST(ControlLifetime, ParentWidgetMayDestroyTheHostFirst) {
    EnsureApplication();
    auto* parent = new QWidget;
    TRecordingControl control;
    ControlWidget(control)->setParent(parent);
    delete parent; // takes the host with it
    EXPECT_EQ(control.Host(), nullptr);
    // The control answers neutrally from now on, and its destruction frees nothing twice.
    EXPECT_EQ(control.ClientWidth(), 0);
    EXPECT_FALSE(control.Showing());
    control.Invalidate();
    control.InvalidateRect({0, 0, 5, 5});
    control.SetTimer(1, 10);
    EXPECT_FALSE(control.TimerActive(1));
    control.KillTimer(1);
    control.VertScrollBar().SetScrollInfo({0, 100, 10, 5}, true);
    EXPECT_FALSE(control.VertScrollBar().Visible());
    EXPECT_EQ(control.VertScrollBar().Position(), 5);
}

TEST(Timing, TickAdvancesInMilliseconds) {
    const std::uint32_t a = GetTickCount();
    std::uint32_t b = a;
    while (b - a < 20)
        b = GetTickCount();
    EXPECT_GE(b - a, 20u);
    EXPECT_LT(b - a, 1000u);
}

TEST_F(ControlTest, KeysCarryTheirCharacterWithCtrlIgnored) {
    struct TCase {
        int QtKey;
        Qt::KeyboardModifiers Mods;
        QString Text;
        char16_t Expected;
    } cases[] = {
        {Qt::Key_Plus, Qt::KeypadModifier, "+", u'+'},
        {Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier, "", u'+'},
        {Qt::Key_Minus, Qt::ControlModifier, QString(QChar(0x1F)), u'-'},
        {Qt::Key_Asterisk, Qt::NoModifier, "*", u'*'},
        {Qt::Key_A, Qt::ControlModifier, QString(QChar(1)), u'a'},
        {Qt::Key_Down, Qt::NoModifier, "", 0},
    };
    for (const TCase& c : cases) {
        Control.LastKeyChar = 0xFFFF;
        QKeyEvent e(QEvent::KeyPress, c.QtKey, c.Mods, c.Text);
        QApplication::sendEvent(Control.Host(), &e);
        EXPECT_EQ(Control.LastKeyChar, c.Expected) << c.QtKey;
    }
}

TEST_F(ControlTest, DragsFromOutsideAreForwardedAndMayBeRefused) {
    Control.RegisterDropTarget(true);
    EXPECT_TRUE(Control.IsDropTarget());
    QMimeData mime;
    mime.setText("dragged");
    Control.Log.clear();
    QDragEnterEvent enter(QPoint(10, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Viewport(), &enter);
    // A refused enter is still taken, so that the moves keep coming, but with no action.
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::IgnoreAction);
    QDragMoveEvent move(QPoint(15, 25), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Viewport(), &move);
    EXPECT_FALSE(move.isAccepted());
    QDragLeaveEvent leave;
    QApplication::sendEvent(Viewport(), &leave);
    QDragEnterEvent again(QPoint(10, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Viewport(), &again);
    QDropEvent drop(QPointF(15, 25), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Viewport(), &drop);
    EXPECT_FALSE(drop.isAccepted());
    EXPECT_EQ(Control.Log, (std::vector<std::string>{"drag enter 10,20", "drag over 15,25",
                                                     "drag leave", "drag enter 10,20", "drop"}));
    // A control that takes the drop gets the proposed action.
    Control.AcceptDrops = true;
    QDragEnterEvent taken(QPoint(15, 25), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Viewport(), &taken);
    EXPECT_TRUE(taken.isAccepted());
    EXPECT_EQ(taken.dropAction(), Qt::CopyAction);
    Control.RegisterDropTarget(false);
    EXPECT_FALSE(Control.IsDropTarget());
}

TEST_F(ControlTest, CursorCaptureAndScreenPositions) {
    EXPECT_EQ(Control.Cursor(), crDefault);
    Control.SetCursor(crMoveNE);
    EXPECT_EQ(Control.Cursor(), crMoveNE);
    EXPECT_EQ(Viewport()->cursor().shape(), Qt::BitmapCursor);
    Control.SetCursor(crDefault);
    EXPECT_EQ(Viewport()->cursor().shape(), Qt::ArrowCursor);
    const TPoint screen = Control.ClientToScreen({7, 9});
    const QPoint expected = Viewport()->mapToGlobal(QPoint(7, 9));
    EXPECT_EQ(screen, (TPoint{expected.x(), expected.y()}));
    EXPECT_EQ(Control.ScreenToClient(screen), (TPoint{7, 9}));
    EXPECT_FALSE(Control.MouseCaptured());
    Control.SetCapture();
    EXPECT_TRUE(Control.MouseCaptured());
    Control.ReleaseCapture();
    EXPECT_FALSE(Control.MouseCaptured());
}

TEST(PanningWindow, ShowsItsPictureWhereAsked) {
    EnsureApplication();
    for (TCursor kind : {crMoveAll, crMoveEW, crMoveNS}) {
        TPanningWindow window(kind);
        EXPECT_EQ(window.Kind(), kind);
        EXPECT_FALSE(window.Visible());
        window.ShowAt({100, 120});
        EXPECT_TRUE(window.Visible());
        EXPECT_EQ(window.ScreenPos(), (TPoint{100, 120}));
    }
}
