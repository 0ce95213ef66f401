#include "platform/application.h"
#include "platform/canvas.h"
#include "platform/control.h"
#include "platform/qt/canvas_qt.h"
#include "platform/qt/control_bridge.h"
#include "platform/qt/control_host.h"
#include "platform/qt/qtconvert.h"
#include <QApplication>
#include <QCursor>
#include <QDragEnterEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QTimerEvent>
#include <QToolTip>
#include <QWheelEvent>

// ---- application and desktop settings --------------------------------------------------------

void EnsureApplication() {
    if (QApplication::instance() != nullptr)
        return;
    static int argc = 1;
    static char name[] = "mkb10";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

double ScreenPixelRatio() {
    EnsureApplication();
    return qApp->devicePixelRatio();
}

TRect ScreenWorkArea() {
    EnsureApplication();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return {0, 0, 1024, 768};
    const QRect r = screen->availableGeometry();
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

void ProcessMessages() {
    if (QApplication::instance() != nullptr)
        QApplication::processEvents(QEventLoop::AllEvents);
}

void WaitAndProcessMessages(unsigned milliseconds) {
    if (QApplication::instance() == nullptr)
        return;
    // The timer only wakes the wait; whatever arrives first ends it.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(static_cast<int>(milliseconds));
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

int WheelScrollLines() {
    return 3;
}
int DragThreshold() {
    return 5;
}
int HorizontalScrollBarHeight() {
    if (QApplication::instance() == nullptr)
        return 17;
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

int VerticalScrollBarWidth() {
    if (QApplication::instance() == nullptr)
        return 17;
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

// ---- input translation -----------------------------------------------------------------------

TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    TShiftState s;
    if (modifiers & Qt::ShiftModifier)
        s |= ssShift;
    if (modifiers & Qt::AltModifier)
        s |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        s |= ssCtrl;
    if (buttons & Qt::LeftButton)
        s |= ssLeft;
    if (buttons & Qt::RightButton)
        s |= ssRight;
    if (buttons & Qt::MiddleButton)
        s |= ssMiddle;
    return s;
}

TVirtualKey VirtualKeyFromQt(int key, Qt::KeyboardModifiers modifiers) {
    const bool keypad = (modifiers & Qt::KeypadModifier) != 0;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<TVirtualKey>((keypad ? vk::Numpad0 : 0x30) + (key - Qt::Key_0));
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<TVirtualKey>(0x41 + (key - Qt::Key_A));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return vk::F(key - Qt::Key_F1 + 1);
    switch (key) {
    case Qt::Key_Backspace:
        return vk::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return vk::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return vk::Return;
    case Qt::Key_Shift:
        return vk::Shift;
    case Qt::Key_Control:
        return vk::Control;
    case Qt::Key_Alt:
        return vk::Menu;
    case Qt::Key_Pause:
        return vk::Pause;
    case Qt::Key_CapsLock:
        return vk::Capital;
    case Qt::Key_Escape:
        return vk::Escape;
    case Qt::Key_Space:
        return vk::Space;
    case Qt::Key_PageUp:
        return vk::Prior;
    case Qt::Key_PageDown:
        return vk::Next;
    case Qt::Key_End:
        return vk::End;
    case Qt::Key_Home:
        return vk::Home;
    case Qt::Key_Left:
        return vk::Left;
    case Qt::Key_Up:
        return vk::Up;
    case Qt::Key_Right:
        return vk::Right;
    case Qt::Key_Down:
        return vk::Down;
    case Qt::Key_Insert:
        return vk::Insert;
    case Qt::Key_Delete:
        return vk::Delete;
    case Qt::Key_Menu:
        return vk::Apps;
    case Qt::Key_Asterisk:
        return keypad ? vk::Multiply : TVirtualKey{0x38}; // '8' row
    case Qt::Key_Plus:
        return keypad ? vk::Add : vk::OemPlus;
    case Qt::Key_Equal:
        return vk::OemPlus;
    case Qt::Key_Minus:
        return keypad ? vk::Subtract : vk::OemMinus;
    case Qt::Key_Slash:
        return keypad ? vk::Divide : vk::Oem2;
    case Qt::Key_Period:
        return keypad ? vk::Decimal : vk::OemPeriod;
    case Qt::Key_Comma:
        return vk::OemComma;
    default:
        return 0;
    }
}

// ---- host widget -----------------------------------------------------------------------------

TControlHost::TControlHost(TControl& owner) : Owner(&owner) {
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The control paints every pixel itself.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    viewport()->setMouseTracking(true);
    for (TScrollBarKind kind : {sbHorizontal, sbVertical}) {
        QScrollBar* bar = Bar(kind);
        connect(bar, &QAbstractSlider::actionTriggered, this,
                [this, kind](int action) { BarAction(kind, action); });
        connect(bar, &QAbstractSlider::sliderReleased, this, [this, kind] { BarReleased(kind); });
    }
}

TControlHost::~TControlHost() {
    // Destroyed by a parent widget before the control: the control must not free it again.
    if (Owner != nullptr)
        (void)Owner->FHostWidget.release();
}

TScrollBar& TControlHost::OwnerBar(TScrollBarKind kind) const {
    return kind == sbHorizontal ? *Owner->FHorzBar : *Owner->FVertBar;
}

void TControlHost::BarAction(TScrollBarKind kind, int action) {
    if (Owner == nullptr)
        return;
    QScrollBar* bar = Bar(kind);
    TScrollCode code;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        code = scLineDown;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        code = scLineUp;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        code = scPageDown;
        break;
    case QAbstractSlider::SliderPageStepSub:
        code = scPageUp;
        break;
    case QAbstractSlider::SliderToMinimum:
        code = scTop;
        break;
    case QAbstractSlider::SliderToMaximum:
        code = scBottom;
        break;
    case QAbstractSlider::SliderMove:
        if (bar->isSliderDown()) {
            Owner->Scroll(kind, scTrack, bar->sliderPosition());
            return; // the thumb follows the pointer while dragged
        }
        // Moved without the thumb being held (a wheel turn over the bar): a finished move.
        Owner->Scroll(kind, scPosition, bar->sliderPosition());
        Owner->Scroll(kind, scEndScroll, bar->sliderPosition());
        bar->setSliderPosition(OwnerBar(kind).Position());
        return;
    default:
        return;
    }
    Owner->Scroll(kind, code, bar->sliderPosition());
    // The bar shows what the control decided, not the toolkit's own step.
    bar->setSliderPosition(OwnerBar(kind).Position());
}

void TControlHost::BarReleased(TScrollBarKind kind) {
    if (Owner == nullptr)
        return;
    Owner->Scroll(kind, scPosition, Bar(kind)->sliderPosition());
    Owner->Scroll(kind, scEndScroll, Bar(kind)->sliderPosition());
}

void TControlHost::StartTimer(unsigned id, unsigned milliseconds) {
    StopTimer(id);
    TimerIds[id] = startTimer(static_cast<int>(milliseconds));
}

void TControlHost::StopTimer(unsigned id) {
    auto it = TimerIds.find(id);
    if (it == TimerIds.end())
        return;
    killTimer(it->second);
    TimerIds.erase(it);
}

void TControlHost::timerEvent(QTimerEvent* event) {
    for (const auto& [id, qtId] : TimerIds)
        if (qtId == event->timerId()) {
            if (Owner != nullptr)
                Owner->Timer(id);
            return;
        }
    QAbstractScrollArea::timerEvent(event);
}

namespace {

// A message posted to a control; the toolkit drops it with the widget.
class TPostedMessage : public QEvent {
public:
    static QEvent::Type Kind() {
        static const auto kind = static_cast<QEvent::Type>(QEvent::registerEventType());
        return kind;
    }
    TPostedMessage(unsigned id, std::uintptr_t a, std::intptr_t b)
        : QEvent(Kind()), Id(id), A(a), B(b) {}
    unsigned Id;
    std::uintptr_t A;
    std::intptr_t B;
};

TMouseButton ButtonFromQt(Qt::MouseButton b) {
    switch (b) {
    case Qt::RightButton:
        return mbRight;
    case Qt::MiddleButton:
        return mbMiddle;
    default:
        return mbLeft;
    }
}
} // namespace

bool TControlHost::event(QEvent* event) {
    if (event->type() == TPostedMessage::Kind()) {
        auto* m = static_cast<TPostedMessage*>(event);
        if (Owner != nullptr)
            Owner->Message(m->Id, m->A, m->B);
        return true;
    }
    // A control offers its own menus, on the button's release and on the menu keys; the
    // toolkit's request would otherwise reach the window behind it.
    if (event->type() == QEvent::ContextMenu && Owner != nullptr) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

bool TControlHost::viewportEvent(QEvent* event) {
    if (Owner == nullptr)
        return QAbstractScrollArea::viewportEvent(event);
    switch (event->type()) {
    case QEvent::Paint: {
        const QRect r = static_cast<QPaintEvent*>(event)->rect();
        QPainter painter(viewport());
        const TRect update{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
        TCanvas::TDevice device{painter};
        TCanvas canvas(device, update);
        Owner->Paint(canvas, update);
        // Moved to a screen of another density: what was painted before is at the old one.
        const double ratio = viewport()->devicePixelRatio();
        if (ratio != PaintedRatio) {
            PaintedRatio = ratio;
            if (r != viewport()->rect())
                viewport()->update();
        }
        return true;
    }
    case QEvent::Resize:
        Owner->Resize();
        return true;
    case QEvent::ToolTip: {
        auto* help = static_cast<QHelpEvent*>(event);
        const std::u16string hint =
            Owner->OnHint ? Owner->OnHint({help->pos().x(), help->pos().y()}) : u"";
        if (hint.empty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), ToQString(hint), viewport());
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        const QPoint p = e->position().toPoint();
        TShiftState shift = ShiftStateFromQt(e->modifiers(), e->buttons());
        if (event->type() == QEvent::MouseButtonPress)
            Owner->MouseDown(ButtonFromQt(e->button()), shift, p.x(), p.y());
        else if (event->type() == QEvent::MouseButtonRelease)
            Owner->MouseUp(ButtonFromQt(e->button()), shift, p.x(), p.y());
        else if (event->type() == QEvent::MouseButtonDblClick)
            Owner->DoubleClick(ButtonFromQt(e->button()), shift | ssDouble, p.x(), p.y());
        else
            Owner->MouseMove(shift, p.x(), p.y());
        return true;
    }
    case QEvent::Wheel: {
        auto* e = static_cast<QWheelEvent*>(event);
        const int delta = e->angleDelta().y() != 0 ? e->angleDelta().y() : e->angleDelta().x();
        const QPoint p = e->position().toPoint();
        const bool used = Owner->MouseWheel(ShiftStateFromQt(e->modifiers(), e->buttons()), delta,
                                            {p.x(), p.y()});
        e->setAccepted(used);
        return used;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(event);
        const QPoint p = e->position().toPoint();
        const TShiftState shift = ShiftStateFromQt(e->modifiers(), e->buttons());
        bool accepted;
        if (event->type() == QEvent::DragEnter)
            accepted = Owner->DragEnter(shift, {p.x(), p.y()});
        else if (event->type() == QEvent::DragMove)
            accepted = Owner->DragOver(shift, {p.x(), p.y()});
        else
            accepted = Owner->DragDrop(shift, {p.x(), p.y()});
        if (accepted) {
            e->acceptProposedAction();
        } else {
            e->setDropAction(Qt::IgnoreAction);
            // A refused enter would stop the moves, and the control still reacts to them
            // (scrolling at the edges, opening nodes).
            if (event->type() == QEvent::DragEnter)
                e->accept();
            else
                e->ignore();
        }
        return true;
    }
    case QEvent::DragLeave:
        Owner->DragLeave();
        return true;
    case QEvent::ContextMenu:
        event->accept();
        return true;
    default:
        return QAbstractScrollArea::viewportEvent(event);
    }
}

namespace {
// The character of a key with Ctrl ignored: Qt's text carries a control code instead then.
char16_t KeyCharOf(const QKeyEvent& event) {
    const QString text = event.text();
    if (text.size() == 1 && text[0].unicode() >= 32 && text[0].unicode() != 127)
        return text[0].unicode();
    const int key = event.key();
    if (key >= 0x20 && key < 0x7F) {
        if (key >= 'A' && key <= 'Z' && !(event.modifiers() & Qt::ShiftModifier))
            return static_cast<char16_t>(key - 'A' + 'a');
        return static_cast<char16_t>(key);
    }
    return 0;
}
} // namespace

void TControlHost::keyPressEvent(QKeyEvent* event) {
    if (Owner == nullptr)
        return QAbstractScrollArea::keyPressEvent(event);
    TVirtualKey key = VirtualKeyFromQt(event->key(), event->modifiers());
    Owner->FKeyChar = KeyCharOf(*event);
    if (key != 0)
        Owner->KeyDown(key, ShiftStateFromQt(event->modifiers(), Qt::NoButton));
    if (Owner == nullptr)
        return;
    Owner->FKeyChar = 0;
    const QString text = event->text();
    if (text.size() == 1 && text[0].unicode() >= 32) {
        char16_t ch = text[0].unicode();
        Owner->KeyPress(ch);
    }
    event->accept();
}

void TControlHost::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

bool TControlHost::focusNextPrevChild(bool next) {
    if (Owner != nullptr && hasFocus() && Owner->TabKey(!next))
        return true;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TControlHost::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    if (Owner != nullptr)
        Owner->FocusIn();
}

void TControlHost::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    if (Owner != nullptr)
        Owner->FocusOut();
}

QWidget* ControlWidget(TControl& control) {
    return control.Host();
}

// ---- scroll bars -----------------------------------------------------------------------------

void TScrollBar::SetScrollInfo(const TScrollInfo& info, bool visible, bool enabled) {
    Info = info;
    TControlHost* host = Owner.FHostWidget.get();
    if (host == nullptr)
        return;
    QScrollBar* bar = host->Bar(Kind);
    const int page = std::max(info.Page, 0);
    const int maxPos = std::max(info.Min, page > 0 ? info.Max - page + 1 : info.Max);
    {
        const QSignalBlocker block(bar);
        bar->setRange(info.Min, maxPos);
        bar->setPageStep(page);
        bar->setValue(info.Pos);
    }
    Info.Pos = bar->value();
    bar->setEnabled(enabled);
    // Last: showing or hiding resizes the client area, and the control may react to that by
    // setting new values, which must not be overwritten here.
    const Qt::ScrollBarPolicy policy = visible ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (Kind == sbHorizontal) {
        if (host->horizontalScrollBarPolicy() != policy)
            host->setHorizontalScrollBarPolicy(policy);
    } else if (host->verticalScrollBarPolicy() != policy) {
        host->setVerticalScrollBarPolicy(policy);
    }
}

TScrollInfo TScrollBar::GetScrollInfo() const {
    TScrollInfo r = Info;
    if (TControlHost* host = Owner.FHostWidget.get())
        r.Pos = host->Bar(Kind)->value();
    return r;
}

bool TScrollBar::Visible() const {
    TControlHost* host = Owner.FHostWidget.get();
    return host != nullptr &&
           (Kind == sbHorizontal ? host->horizontalScrollBarPolicy()
                                 : host->verticalScrollBarPolicy()) == Qt::ScrollBarAlwaysOn;
}

bool TScrollBar::Enabled() const {
    TControlHost* host = Owner.FHostWidget.get();
    return host != nullptr && host->Bar(Kind)->isEnabled();
}

// ---- control ---------------------------------------------------------------------------------

TControl::TControl() {
    EnsureApplication();
    InstallControlAccessibility();
    FHostWidget = std::make_unique<TControlHost>(*this);
    FHorzBar = std::make_unique<TScrollBar>(*this, sbHorizontal);
    FVertBar = std::make_unique<TScrollBar>(*this, sbVertical);
}

TControl::~TControl() {
    if (FHostWidget)
        FHostWidget->Detach();
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (FHostWidget)
        FHostWidget->setGeometry(left, top, width, height);
}
int TControl::ClientWidth() const {
    return FHostWidget ? FHostWidget->viewport()->width() : 0;
}
int TControl::ClientHeight() const {
    return FHostWidget ? FHostWidget->viewport()->height() : 0;
}
int TControl::Width() const {
    return FHostWidget ? FHostWidget->width() : 0;
}
int TControl::Height() const {
    return FHostWidget ? FHostWidget->height() : 0;
}
void TControl::SetBorder(TBorderKind kind) {
    if (!FHostWidget || kind == FBorderKind || kind == bkPlatform)
        return;
    FBorderKind = kind;
    FHostWidget->setFrameStyle(kind == bkNone ? QFrame::NoFrame : (QFrame::Box | QFrame::Plain));
    FHostWidget->setLineWidth(1);
    // A blank border is a line drawn in the background colour, so the client area keeps its
    // place when the line comes and goes.
    QPalette pal = FHostWidget->palette();
    const QPalette base = FHostWidget->parentWidget() ? FHostWidget->parentWidget()->palette()
                                                      : QApplication::palette();
    pal.setColor(QPalette::WindowText,
                 kind == bkBlank ? pal.color(QPalette::Window) : base.color(QPalette::WindowText));
    FHostWidget->setPalette(pal);
}
void TControl::ScrollContents(int dx, int dy) {
    if (FHostWidget)
        FHostWidget->viewport()->scroll(dx, dy);
}
void TControl::PostMessage(unsigned id, std::uintptr_t a, std::intptr_t b) {
    if (FHostWidget)
        QCoreApplication::postEvent(FHostWidget.get(), new TPostedMessage(id, a, b));
}
void TControl::Show() {
    if (FHostWidget)
        FHostWidget->show();
}
void TControl::Hide() {
    if (FHostWidget)
        FHostWidget->hide();
}
bool TControl::Showing() const {
    return FHostWidget && FHostWidget->isVisible();
}
bool TControl::Enabled() const {
    return FHostWidget && FHostWidget->isEnabled();
}
void TControl::SetEnabled(bool value) {
    if (FHostWidget)
        FHostWidget->setEnabled(value);
}
bool TControl::Focused() const {
    return FHostWidget && FHostWidget->hasFocus();
}
bool TControl::CanFocus() const {
    return FHostWidget && FHostWidget->isVisible() && FHostWidget->isEnabled();
}
void TControl::SetFocus() {
    if (FHostWidget)
        FHostWidget->setFocus(Qt::OtherFocusReason);
}
void TControl::Invalidate() {
    if (FHostWidget)
        FHostWidget->viewport()->update();
}
void TControl::InvalidateRect(const TRect& r) {
    if (FHostWidget && !r.IsEmpty())
        FHostWidget->viewport()->update(QRect(r.Left, r.Top, r.Width(), r.Height()));
}
void TControl::Repaint() {
    if (FHostWidget)
        FHostWidget->viewport()->repaint();
}
void TControl::SetTimer(unsigned id, unsigned milliseconds) {
    if (FHostWidget)
        FHostWidget->StartTimer(id, milliseconds);
}
void TControl::KillTimer(unsigned id) {
    if (FHostWidget)
        FHostWidget->StopTimer(id);
}
bool TControl::TimerActive(unsigned id) const {
    return FHostWidget && FHostWidget->HasTimer(id);
}

// ---- pointer and drag-and-drop -------------------------------------------------------------

void TControl::SetCursor(TCursor cursor) {
    FCursor = cursor;
    if (FHostWidget)
        FHostWidget->viewport()->setCursor(QtCursor(cursor));
}
void TControl::SetCapture() {
    if (FHostWidget && FHostWidget->isVisible())
        FHostWidget->viewport()->grabMouse();
}
void TControl::ReleaseCapture() {
    if (MouseCaptured())
        FHostWidget->viewport()->releaseMouse();
}
bool TControl::MouseCaptured() const {
    return FHostWidget && QWidget::mouseGrabber() == FHostWidget->viewport();
}
TPoint TControl::ClientToScreen(TPoint p) const {
    if (!FHostWidget)
        return p;
    const QPoint q = FHostWidget->viewport()->mapToGlobal(QPoint(p.X, p.Y));
    return {q.x(), q.y()};
}
TPoint TControl::ScreenToClient(TPoint p) const {
    if (!FHostWidget)
        return p;
    const QPoint q = FHostWidget->viewport()->mapFromGlobal(QPoint(p.X, p.Y));
    return {q.x(), q.y()};
}
void TControl::RegisterDropTarget(bool on) {
    if (FHostWidget)
        FHostWidget->viewport()->setAcceptDrops(on);
}
bool TControl::IsDropTarget() const {
    return FHostWidget && FHostWidget->viewport()->acceptDrops();
}
