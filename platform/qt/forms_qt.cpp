// The window-level pieces on Qt widgets.
#include "platform/qt/forms_qt.h"

#include "platform/application.h"
#include "platform/bitmap.h"
#include "platform/control.h"
#include "platform/qt/bitmap_qt.h"
#include "platform/qt/control_bridge.h"
#include "platform/qt/control_host.h"
#include "platform/qt/qtconvert.h"
#include "platform/resources.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <map>

TWidgetImpl::~TWidgetImpl() {
    if (Owns && Widget)
        delete Widget.data();
}

QWidget* WidgetOf(const TWidget& piece) {
    return piece.Impl().Widget;
}

namespace {

QWidget* ClientOf(TWidget* parent) {
    return parent != nullptr ? parent->Impl().Client.data() : nullptr;
}

template <typename W> std::unique_ptr<TWidgetImpl> MakeImpl(W* widget) {
    auto impl = std::make_unique<TWidgetImpl>();
    impl->Widget = widget;
    impl->Client = widget;
    return impl;
}

QFont ToQFont(const TFontSpec& wanted) {
    QFont font(ToQString(wanted.Name));
    font.setPixelSize(std::max(1, std::abs(wanted.Height)));
    font.setBold(wanted.Weight >= FW_BOLD);
    font.setUnderline(wanted.Underline);
    return font;
}

TKeyStroke StrokeOf(const QKeyEvent* e) {
    TKeyStroke stroke;
    stroke.Key = VirtualKeyFromQt(e->key(), e->modifiers());
    stroke.Shift = ShiftStateFromQt(e->modifiers(), Qt::NoButton);
    if (!e->text().isEmpty())
        stroke.Char = e->text().at(0).unicode();
    return stroke;
}

// The toolkit's key for a virtual key, for the menu's shortcuts.
int QtKeyOf(TVirtualKey key) {
    if (key >= 0x30 && key <= 0x39)
        return Qt::Key_0 + (key - 0x30);
    if (key >= 0x41 && key <= 0x5A)
        return Qt::Key_A + (key - 0x41);
    if (key >= vk::F1 && key < vk::F1 + 24)
        return Qt::Key_F1 + (key - vk::F1);
    switch (key) {
    case vk::Left:
        return Qt::Key_Left;
    case vk::Right:
        return Qt::Key_Right;
    case vk::Up:
        return Qt::Key_Up;
    case vk::Down:
        return Qt::Key_Down;
    case vk::Return:
        return Qt::Key_Return;
    case vk::Escape:
        return Qt::Key_Escape;
    case vk::Delete:
        return Qt::Key_Delete;
    case vk::Insert:
        return Qt::Key_Insert;
    default:
        return 0;
    }
}

QKeySequence SequenceOf(const TShortCut& cut) {
    int combined = QtKeyOf(cut.Key);
    if (cut.Shift.Contains(ssCtrl))
        combined |= Qt::CTRL;
    if (cut.Shift.Contains(ssShift))
        combined |= Qt::SHIFT;
    if (cut.Shift.Contains(ssAlt))
        combined |= Qt::ALT;
    return QKeySequence(combined);
}

// A container that tells its piece about size changes and may draw a border line.
class TPanelWidget : public QFrame {
public:
    TPanelWidget(QWidget* parent, TPanel* owner) : QFrame(parent), Owner(owner) {}
    TPanel* Owner;

protected:
    void resizeEvent(QResizeEvent* e) override {
        QFrame::resizeEvent(e);
        if (Owner != nullptr)
            Owner->Realign();
    }
};

class TLabelWidget : public QLabel {
public:
    TLabelWidget(QWidget* parent, TLabel* owner) : QLabel(parent), Owner(owner) {}
    TLabel* Owner;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        Pressed = event->button() == Qt::LeftButton;
        QLabel::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        const bool click = Pressed && event->button() == Qt::LeftButton &&
                           rect().contains(event->position().toPoint());
        Pressed = false;
        QLabel::mouseReleaseEvent(event);
        if (click && Owner->OnClick)
            Owner->OnClick();
    }

private:
    bool Pressed{false};
};

class TBevelWidget : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(0, 0, width() - 1, 0);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(0, 1, width() - 1, 1);
    }
};

class TEditWidget : public QLineEdit {
public:
    TEditWidget(QWidget* parent, TEdit* owner) : QLineEdit(parent), Owner(owner) {}
    TEdit* Owner;

protected:
    void focusInEvent(QFocusEvent* e) override {
        QLineEdit::focusInEvent(e);
        if (Owner->OnEnter)
            Owner->OnEnter();
    }
    void focusOutEvent(QFocusEvent* e) override {
        QLineEdit::focusOutEvent(e);
        if (Owner->OnExit)
            Owner->OnExit();
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (Owner->OnKeyDown && Owner->OnKeyDown(StrokeOf(e)))
            return;
        if (Owner->OnKeyPress && !e->text().isEmpty()) {
            char16_t key = e->text().at(0).unicode();
            if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
                key = 13;
            Owner->OnKeyPress(key);
            if (key == 0)
                return;
        }
        QLineEdit::keyPressEvent(e);
    }
};

class TMemoWidget : public QPlainTextEdit {
public:
    TMemoWidget(QWidget* parent, TMemo* owner) : QPlainTextEdit(parent), Owner(owner) {
        setLineWrapMode(QPlainTextEdit::NoWrap);
        setTabChangesFocus(true);
    }
    TMemo* Owner;

    void insertFromMimeData(const QMimeData* source) override {
        QPlainTextEdit::insertFromMimeData(source);
        if (Owner->OnPaste)
            Owner->OnPaste();
    }
};

} // namespace

// ---- every piece ----
// A control's widget goes with its control, which may go before the piece that places it: every
// call below does nothing then.

TWidget::~TWidget() {
    if (auto* panel = dynamic_cast<TPanel*>(FParent))
        std::erase(panel->Children, this);
}

TWidget::TWidget(TWidget* parent, std::unique_ptr<TWidgetImpl> impl)
    : FParent(parent), FImpl(std::move(impl)) {
    if (auto* panel = dynamic_cast<TPanel*>(parent))
        panel->Children.push_back(this);
}

void TWidget::SetBounds(int left, int top, int width, int height) {
    if (!FImpl->Widget)
        return;
    FImpl->Widget->setGeometry(left, top, std::max(0, width), std::max(0, height));
}

TRect TWidget::Bounds() const {
    if (!FImpl->Widget)
        return {};
    const QRect g = FImpl->Widget->geometry();
    return {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

int TWidget::Width() const {
    if (!FImpl->Widget)
        return 0;
    return FImpl->Widget->width();
}

int TWidget::Height() const {
    if (!FImpl->Widget)
        return 0;
    return FImpl->Widget->height();
}

void TWidget::SetMinWidth(int width) {
    if (!FImpl->Widget)
        return;
    FImpl->Widget->setMinimumWidth(width);
}

void TWidget::Show() {
    if (!FImpl->Widget)
        return;
    FHidden = false;
    FImpl->Widget->show();
    if (auto* panel = dynamic_cast<TPanel*>(FParent))
        panel->Realign();
}

void TWidget::Hide() {
    if (!FImpl->Widget)
        return;
    FHidden = true;
    FImpl->Widget->hide();
    if (auto* panel = dynamic_cast<TPanel*>(FParent))
        panel->Realign();
}

bool TWidget::Visible() const {
    if (!FImpl->Widget)
        return false;
    return FImpl->Widget->isVisible();
}

void TWidget::BringToFront() {
    if (!FImpl->Widget)
        return;
    FImpl->Widget->raise();
}

bool TWidget::Enabled() const {
    if (!FImpl->Widget)
        return false;
    return FImpl->Widget->isEnabled();
}

void TWidget::SetEnabled(bool enabled) {
    if (!FImpl->Widget)
        return;
    FImpl->Widget->setEnabled(enabled);
}

bool TWidget::Focused() const {
    if (!FImpl->Widget)
        return false;
    return QApplication::focusWidget() == FImpl->Widget;
}

bool TWidget::ContainsFocus() const {
    if (!FImpl->Widget)
        return false;
    const QWidget* focus = QApplication::focusWidget();
    return focus != nullptr && (focus == FImpl->Widget || FImpl->Widget->isAncestorOf(focus));
}

void TWidget::SetFocus() {
    if (!FImpl->Widget)
        return;
    FImpl->Widget->setFocus(Qt::OtherFocusReason);
}

void TWidget::SetFont(const TFontSpec& font) {
    if (!FImpl->Widget)
        return;
    FImpl->Widget->setFont(ToQFont(font));
}

void TWidget::SetColor(TColor color) {
    if (!FImpl->Widget)
        return;
    FColor = color;
    QWidget* w = FImpl->Widget;
    if (color == clNone) {
        w->setAutoFillBackground(false);
        return;
    }
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, ToQColor(color));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void TWidget::SetTextColor(TColor color) {
    if (!FImpl->Widget)
        return;
    FTextColor = color;
    QWidget* w = FImpl->Widget;
    QPalette pal = w->palette();
    pal.setColor(qobject_cast<QLineEdit*>(w) != nullptr ? QPalette::Text : QPalette::WindowText,
                 ToQColor(color));
    w->setPalette(pal);
}

void TWidget::SetHandCursor() {
    if (!FImpl->Widget)
        return;
    FImpl->Widget->setCursor(Qt::PointingHandCursor);
}

void TWidget::SetAccessibleName(const std::u16string& name) {
    if (!FImpl->Widget)
        return;
    FImpl->Widget->setAccessibleName(ToQString(name));
}

TPoint TWidget::MapTo(const TWidget& ancestor, TPoint p) const {
    if (!FImpl->Widget)
        return p;
    const QPoint q = FImpl->Widget->mapTo(ancestor.FImpl->Client, QPoint(p.X, p.Y));
    return {q.x(), q.y()};
}

// ---- panels ----

TPanel::TPanel(TWidget* parent) : TPanel(parent, nullptr) {}

TPanel::TPanel(TWidget* parent, std::unique_ptr<TWidgetImpl> impl)
    : TWidget(parent,
              impl ? std::move(impl) : MakeImpl(new TPanelWidget(ClientOf(parent), nullptr))) {
    if (auto* w = dynamic_cast<TPanelWidget*>(Impl().Widget.data()))
        w->Owner = this;
}

void TPanel::SetBorderLine(bool on) {
    auto* frame = qobject_cast<QFrame*>(Impl().Widget);
    if (frame == nullptr)
        return;
    frame->setFrameShape(on ? QFrame::Box : QFrame::NoFrame);
    frame->setLineWidth(1);
    BorderWidth = on ? 1 : 0;
    Realign();
}

TRect TPanel::ClientArea() const {
    const QWidget* client = Impl().Client;
    if (client == nullptr)
        return {};
    return {BorderWidth, BorderWidth, client->width() - BorderWidth,
            client->height() - BorderWidth};
}

// ---- a control among the pieces ----

TControlPiece::TControlPiece(TWidget* parent, TControl& control)
    : TWidget(parent,
              [&] {
                  auto impl = MakeImpl(ControlWidget(control));
                  impl->Owns = false;
                  impl->Widget->setParent(ClientOf(parent));
                  // A widget given a new parent is hidden until shown again.
                  impl->Widget->show();
                  return impl;
              }()),
      FControl(control) {}

TControlPiece::~TControlPiece() {
    // The control's widget is its control's: it must outlive this panel's widget tree.
    if (Impl().Widget)
        Impl().Widget->setParent(nullptr);
}

// ---- labels, bevels, pictures ----

TLabel::TLabel(TWidget* parent, const std::u16string& caption)
    : TWidget(parent, MakeImpl(new TLabelWidget(ClientOf(parent), nullptr))) {
    auto* label = static_cast<TLabelWidget*>(Impl().Widget.data());
    label->Owner = this;
    label->setTextFormat(Qt::PlainText);
    SetCaption(caption);
}

void TLabel::SetCaption(const std::u16string& caption) {
    FCaption = caption;
    static_cast<QLabel*>(Impl().Widget.data())->setText(ToQString(caption));
}

void TLabel::SetAlignment(THorzAlign align, bool verticalCentre) {
    Qt::Alignment a = align == haLeft     ? Qt::AlignLeft
                      : align == haCenter ? Qt::AlignHCenter
                                          : Qt::AlignRight;
    a |= verticalCentre ? Qt::AlignVCenter : Qt::AlignTop;
    static_cast<QLabel*>(Impl().Widget.data())->setAlignment(a);
}

void TLabel::SetWordWrap(bool wrap) {
    static_cast<QLabel*>(Impl().Widget.data())->setWordWrap(wrap);
}

void TLabel::SetMargins(int left, int right) {
    Impl().Widget->setContentsMargins(left, 0, right, 0);
}

int TLabel::TextWidth() const {
    return QFontMetrics(Impl().Widget->font()).horizontalAdvance(ToQString(FCaption));
}

int TLabel::TextHeight() const {
    return QFontMetrics(Impl().Widget->font()).height();
}

TBevel::TBevel(TWidget* parent) : TWidget(parent, MakeImpl(new TBevelWidget(ClientOf(parent)))) {}

TImage::TImage(TWidget* parent)
    : TWidget(parent, MakeImpl(new QLabel(ClientOf(parent)))),
      FPicture(std::make_unique<TBitmap>()) {
    static_cast<QLabel*>(Impl().Widget.data())->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

TImage::~TImage() = default;

void TImage::SetPicture(const TBitmap& picture) {
    *FPicture = picture;
    FPicture->Impl().Flush();
    QImage image = FPicture->Impl().Image;
    image.setDevicePixelRatio(FPicture->PixelRatio());
    static_cast<QLabel*>(Impl().Widget.data())->setPixmap(QPixmap::fromImage(image));
}

TSunkenFrame::TSunkenFrame(TWidget* parent) : TPanel(parent) {
    auto* frame = static_cast<QFrame*>(Impl().Widget.data());
    frame->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
}

// ---- edit box and button ----

TEdit::TEdit(TWidget* parent) : TWidget(parent, MakeImpl(new TEditWidget(ClientOf(parent), this))) {
    QObject::connect(static_cast<QLineEdit*>(Impl().Widget.data()), &QLineEdit::textChanged,
                     [this] {
                         if (OnChange)
                             OnChange();
                     });
}

std::u16string TEdit::Text() const {
    return FromQString(static_cast<QLineEdit*>(Impl().Widget.data())->text());
}

void TEdit::SetText(const std::u16string& text) {
    static_cast<QLineEdit*>(Impl().Widget.data())->setText(ToQString(text));
}

void TEdit::SelectAll() {
    static_cast<QLineEdit*>(Impl().Widget.data())->selectAll();
}

void TEdit::TypeChar(char16_t ch) {
    const QString text(QChar{ch});
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(Impl().Widget, &typed);
}

void TEdit::SetTextHint(const std::u16string& hint) {
    static_cast<QLineEdit*>(Impl().Widget.data())->setPlaceholderText(ToQString(hint));
}

void TEdit::SetHintColor(TColor color) {
    QWidget* w = Impl().Widget;
    QPalette pal = w->palette();
    pal.setColor(QPalette::PlaceholderText, ToQColor(color));
    w->setPalette(pal);
}

// ---- text area and drop-down list ----

TMemo::TMemo(TWidget* parent) : TWidget(parent, MakeImpl(new TMemoWidget(ClientOf(parent), this))) {
    QObject::connect(static_cast<QPlainTextEdit*>(Impl().Widget.data()),
                     &QPlainTextEdit::textChanged, [this] {
                         if (OnChange)
                             OnChange();
                     });
}

std::u16string TMemo::Text() const {
    return FromQString(static_cast<QPlainTextEdit*>(Impl().Widget.data())->toPlainText());
}

void TMemo::SetText(const std::u16string& text) {
    static_cast<QPlainTextEdit*>(Impl().Widget.data())->setPlainText(ToQString(text));
}

void TMemo::Paste(const std::u16string& text) {
    QMimeData data;
    data.setText(ToQString(text));
    static_cast<TMemoWidget*>(Impl().Widget.data())->insertFromMimeData(&data);
}

void TMemo::SelectAll() {
    static_cast<QPlainTextEdit*>(Impl().Widget.data())->selectAll();
}

void TMemo::SetTextHint(const std::u16string& hint) {
    static_cast<QPlainTextEdit*>(Impl().Widget.data())->setPlaceholderText(ToQString(hint));
}

TComboBox::TComboBox(TWidget* parent) : TWidget(parent, MakeImpl(new QComboBox(ClientOf(parent)))) {
    QObject::connect(static_cast<QComboBox*>(Impl().Widget.data()), &QComboBox::currentIndexChanged,
                     [this] {
                         if (OnChange)
                             OnChange();
                     });
}

void TComboBox::SetItems(const std::vector<std::u16string>& items) {
    auto* box = static_cast<QComboBox*>(Impl().Widget.data());
    const int chosen = box->currentIndex();
    const QSignalBlocker quiet(box);
    if (box->count() == static_cast<int>(items.size())) {
        for (int i = 0; i < box->count(); ++i)
            box->setItemText(i, ToQString(items[static_cast<std::size_t>(i)]));
    } else {
        box->clear();
        for (const auto& item : items)
            box->addItem(ToQString(item));
        box->setCurrentIndex(chosen >= 0 && chosen < box->count() ? chosen : 0);
    }
}

int TComboBox::ItemCount() const {
    return static_cast<QComboBox*>(Impl().Widget.data())->count();
}

std::u16string TComboBox::Item(int index) const {
    return FromQString(static_cast<QComboBox*>(Impl().Widget.data())->itemText(index));
}

int TComboBox::ItemIndex() const {
    return static_cast<QComboBox*>(Impl().Widget.data())->currentIndex();
}

void TComboBox::SetItemIndex(int index) {
    auto* box = static_cast<QComboBox*>(Impl().Widget.data());
    if (index >= 0 && index < box->count())
        box->setCurrentIndex(index);
}

TButton::TButton(TWidget* parent, const std::u16string& caption)
    : TWidget(parent, MakeImpl(new QPushButton(ToQString(caption), ClientOf(parent)))) {
    QObject::connect(static_cast<QPushButton*>(Impl().Widget.data()), &QPushButton::clicked,
                     [this] {
                         if (OnClick)
                             OnClick();
                     });
}

void TButton::Click() {
    static_cast<QPushButton*>(Impl().Widget.data())->click();
}

// ---- splitter ----

TSplitter::TSplitter(TWidget* parent)
    : TWidget(parent, MakeImpl(new QSplitter(Qt::Horizontal, ClientOf(parent)))) {
    auto* splitter = static_cast<QSplitter*>(Impl().Widget.data());
    splitter->setChildrenCollapsible(false);
    FFirst = std::make_unique<TPanel>(this);
    FSecond = std::make_unique<TPanel>(this);
    splitter->addWidget(WidgetOf(*FFirst));
    splitter->addWidget(WidgetOf(*FSecond));
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
}

TSplitter::~TSplitter() {
    FFirst.reset();
    FSecond.reset();
}

void TSplitter::SetBarWidth(int width) {
    static_cast<QSplitter*>(Impl().Widget.data())->setHandleWidth(width);
}

void TSplitter::SetSizes(int first, int second) {
    static_cast<QSplitter*>(Impl().Widget.data())->setSizes({first, second});
}

// ---- menu ----

struct TMenuCommand::TImpl {
    QPointer<QAction> Action;
};

TMenuCommand::TMenuCommand(std::u16string caption, std::vector<TShortCut> shortCuts)
    : FCaption(std::move(caption)), FShortCuts(std::move(shortCuts)),
      FImpl(std::make_unique<TImpl>()) {}

TMenuCommand::~TMenuCommand() = default;

void TMenuCommand::SetEnabled(bool enabled) {
    FEnabled = enabled;
    if (FImpl->Action)
        FImpl->Action->setEnabled(enabled);
}

void TMenuCommand::Click() {
    if (FEnabled && OnClick)
        OnClick();
}

QAction* ActionOf(const TMenuCommand& item) {
    return item.Impl().Action;
}

// ---- status bar ----

namespace {

class TStatusWidget : public QStatusBar {
public:
    explicit TStatusWidget(QWidget* parent) : QStatusBar(parent) {
        setFixedHeight(19);
        setSizeGripEnabled(true);
        Simple = new QLabel(this);
        // A long text is cut rather than holding the window wider.
        Simple->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        addWidget(Simple, 1); // a passing message hides it
    }
    QLabel* Simple;
};

} // namespace

TStatusBar::TStatusBar(TWidget* parent)
    : TWidget(parent, MakeImpl(new TStatusWidget(ClientOf(parent)))) {}

void TStatusBar::SetSimpleText(const std::u16string& text) {
    static_cast<TStatusWidget*>(Impl().Widget.data())->Simple->setText(ToQString(text));
}

std::u16string TStatusBar::SimpleText() const {
    return FromQString(static_cast<TStatusWidget*>(Impl().Widget.data())->Simple->text());
}

void TStatusBar::ShowMessage(const std::u16string& text) {
    static_cast<QStatusBar*>(Impl().Widget.data())->showMessage(ToQString(text));
}

void TStatusBar::ClearMessage() {
    static_cast<QStatusBar*>(Impl().Widget.data())->clearMessage();
}

std::u16string TStatusBar::Message() const {
    return FromQString(static_cast<QStatusBar*>(Impl().Widget.data())->currentMessage());
}

// ---- forms ----

namespace {

// Sees the window's keys, mouse buttons, focus changes and closing for its form.
class TFormWatcher : public QObject {
public:
    TFormWatcher(TForm& form, QWidget* window) : Form(form), Window(window) {
        qApp->installEventFilter(this);
        Connection =
            QObject::connect(qApp, &QApplication::focusChanged, [this](QWidget* old, QWidget* now) {
                if ((Inside(old) || Inside(now)) && Form.OnFocusChanged)
                    Form.OnFocusChanged();
            });
    }
    ~TFormWatcher() override {
        QObject::disconnect(Connection);
        qApp->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress: {
            // Only the first receiver previews; an unused key climbing to the parents is the
            // same press again.
            QWidget* first = QApplication::focusWidget() ? QApplication::focusWidget() : Window;
            if (watched != first || !Inside(first) || !Form.OnKeyPreview)
                break;
            return Form.OnKeyPreview(StrokeOf(static_cast<QKeyEvent*>(event)));
        }
        case QEvent::MouseButtonPress: {
            const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
            auto* widget = qobject_cast<QWidget*>(watched);
            if ((button == Qt::BackButton || button == Qt::ForwardButton) && Inside(widget) &&
                Form.OnNavigateButton) {
                Form.OnNavigateButton(button == Qt::ForwardButton);
                return true;
            }
            break;
        }
        case QEvent::Close:
            if (watched == Window && Form.OnClose)
                Form.OnClose();
            break;
        default:
            break;
        }
        return false;
    }

private:
    bool Inside(const QWidget* w) const { return w != nullptr && w->window() == Window; }
    TForm& Form;
    QWidget* Window;
    QMetaObject::Connection Connection;
};

// The central widget of a main window, which places the form's aligned pieces.
class TFormClient : public QWidget {
public:
    TFormClient(QWidget* parent, TForm* owner) : QWidget(parent), Owner(owner) {}

protected:
    void resizeEvent(QResizeEvent* e) override {
        QWidget::resizeEvent(e);
        Owner->Realign();
    }

private:
    TForm* Owner;
};

class TDialogWidget : public QDialog {
public:
    TDialogWidget(QWidget* owner, TForm* form)
        : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                             Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
          Form(form) {
        setSizeGripEnabled(false);
    }

protected:
    void resizeEvent(QResizeEvent* e) override {
        QDialog::resizeEvent(e);
        Form->Realign();
    }

private:
    TForm* Form;
};

class TPlainWindow : public QWidget {
public:
    TPlainWindow(QWidget* owner, Qt::WindowFlags flags, TForm* form)
        : QWidget(owner, flags), Form(form) {}

protected:
    void resizeEvent(QResizeEvent* e) override {
        QWidget::resizeEvent(e);
        Form->Realign();
    }

private:
    TForm* Form;
};

std::unique_ptr<TWidgetImpl> FormImpl(TFormStyle style, TForm* owner, TForm* form) {
    EnsureApplication();
    QWidget* ownerWidget = owner != nullptr ? WidgetOf(*owner) : nullptr;
    auto impl = std::make_unique<TWidgetImpl>();
    switch (style) {
    case fsMain:
    case fsWindow: {
        auto* window = new QMainWindow(ownerWidget);
        auto* client = new TFormClient(window, form);
        window->setCentralWidget(client);
        impl->Widget = window;
        impl->Client = client;
        break;
    }
    case fsDialog:
        impl->Widget = impl->Client = new TDialogWidget(ownerWidget, form);
        break;
    case fsSplash:
        impl->Widget = impl->Client =
            new TPlainWindow(ownerWidget, Qt::SplashScreen | Qt::FramelessWindowHint, form);
        break;
    }
    return impl;
}

struct TFormExtras {
    std::unique_ptr<TFormWatcher> Watcher;
};

std::map<const TForm*, TFormExtras>& Extras() {
    static std::map<const TForm*, TFormExtras> extras;
    return extras;
}

} // namespace

TForm::TForm(TFormStyle style, TForm* owner) : TPanel(nullptr, FormImpl(style, owner, this)) {
    QWidget* window = Impl().Widget;
    Extras()[this].Watcher = std::make_unique<TFormWatcher>(*this, window);
    if (auto* main = qobject_cast<QMainWindow*>(window)) {
        FStatusBar = std::make_unique<TStatusBar>(nullptr);
        main->setStatusBar(static_cast<QStatusBar*>(WidgetOf(*FStatusBar)));
        // The window owns the bar's widget from here on.
        FStatusBar->Impl().Owns = false;
    }
}

TForm::~TForm() {
    Extras().erase(this);
    FMenuItems.clear();
}

void TForm::SetCaption(const std::u16string& caption) {
    Impl().Widget->setWindowTitle(ToQString(caption));
}

std::u16string TForm::Caption() const {
    return FromQString(Impl().Widget->windowTitle());
}

void TForm::SetClientSize(int width, int height) {
    QWidget* window = Impl().Widget;
    if (qobject_cast<QDialog*>(window) != nullptr ||
        (window->windowFlags() & Qt::SplashScreen) == Qt::SplashScreen) {
        window->setFixedSize(width, height);
        return;
    }
    auto* main = qobject_cast<QMainWindow*>(window);
    int extra = 0;
    if (main != nullptr) {
        if (main->menuWidget() != nullptr)
            extra += main->menuWidget()->sizeHint().height();
        if (FStatusBar)
            extra += FStatusBar->Height() > 0 ? FStatusBar->Height() : 19;
    }
    window->resize(width, height + extra);
}

int TForm::ClientWidth() const {
    return Impl().Client->width();
}

int TForm::ClientHeight() const {
    return Impl().Client->height();
}

void TForm::Maximize() {
    QWidget* w = Impl().Widget;
    w->setWindowState(w->windowState() | Qt::WindowMaximized);
}

void TForm::ShowNormal() {
    Impl().Widget->showNormal();
}

bool TForm::Maximized() const {
    return Impl().Widget->isMaximized();
}

void TForm::CenterOnScreen() {
    QWidget* w = Impl().Widget;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        w->move(screen->geometry().center() - QPoint(w->width() / 2, w->height() / 2));
}

void TForm::Activate() {
    QWidget* w = Impl().Widget;
    if (w->isMinimized())
        w->showNormal();
    else
        w->show();
    w->raise();
    w->activateWindow();
}

void TForm::RepaintNow() {
    QWidget* w = Impl().Widget;
    if (!w->isVisible())
        w->show();
    // A new window is exposed asynchronously by the window system; give it a moment.
    QElapsedTimer waited;
    waited.start();
    QWindow* window = w->windowHandle();
    while (window && !window->isExposed() && waited.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    w->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm::Close() {
    if (auto* dialog = qobject_cast<QDialog*>(Impl().Widget))
        dialog->reject();
    else
        Impl().Widget->close();
}

void TForm::ShowModal() {
    if (auto* dialog = qobject_cast<QDialog*>(Impl().Widget)) {
        dialog->exec();
        return;
    }
    QWidget* w = Impl().Widget;
    w->setWindowModality(Qt::ApplicationModal);
    w->show();
    while (w->isVisible())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

int TForm::AddMenu(const std::u16string& caption) {
    auto* main = qobject_cast<QMainWindow*>(Impl().Widget);
    if (main == nullptr)
        return -1;
    main->menuBar()->addMenu(ToQString(caption));
    return static_cast<int>(main->menuBar()->actions().size()) - 1;
}

namespace {

QMenu* MenuAt(QWidget* window, int menu) {
    auto* main = qobject_cast<QMainWindow*>(window);
    if (main == nullptr || menu < 0 || menu >= main->menuBar()->actions().size())
        return nullptr;
    return main->menuBar()->actions().at(menu)->menu();
}

} // namespace

TMenuCommand* TForm::AddMenuItem(int menu, const std::u16string& caption,
                                 std::vector<TShortCut> shortCuts) {
    QMenu* parent = MenuAt(Impl().Widget, menu);
    if (parent == nullptr)
        return nullptr;
    std::unique_ptr<TMenuCommand> item(new TMenuCommand(caption, std::move(shortCuts)));
    QAction* action = parent->addAction(ToQString(caption));
    QList<QKeySequence> keys;
    for (const TShortCut& cut : item->ShortCuts())
        keys.append(SequenceOf(cut));
    action->setShortcuts(keys);
    TMenuCommand* raw = item.get();
    QObject::connect(action, &QAction::triggered, [raw] { raw->Click(); });
    item->Impl().Action = action;
    FMenuItems.push_back(std::move(item));
    return raw;
}

void TForm::AddMenuSeparator(int menu) {
    if (QMenu* parent = MenuAt(Impl().Widget, menu))
        parent->addSeparator();
}

void TForm::SetTabOrder(const std::vector<TWidget*>& order) {
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(WidgetOf(*order[i - 1]), WidgetOf(*order[i]));
}

// ---- timers ----

struct TTimer::TImpl {
    QTimer Timer;
};

TTimer::TTimer() {
    // A timer needs the application's event loop; a program may make one before any window.
    EnsureApplication();
    FImpl = std::make_unique<TImpl>();
    QObject::connect(&FImpl->Timer, &QTimer::timeout, [this] {
        if (OnTimer)
            OnTimer();
    });
}

TTimer::~TTimer() = default;

void TTimer::SetInterval(unsigned milliseconds) {
    FImpl->Timer.setInterval(static_cast<int>(milliseconds));
}

void TTimer::SetSingleShot(bool once) {
    FImpl->Timer.setSingleShot(once);
}

void TTimer::Start() {
    FImpl->Timer.start();
}

void TTimer::Stop() {
    FImpl->Timer.stop();
}

bool TTimer::Active() const {
    return FImpl->Timer.isActive();
}

// ---- pictures ----

std::vector<unsigned char> ReadPictureResource(const char* name) {
    if (name == nullptr)
        return {};
    QFile file(QString::fromUtf8(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return {bytes.begin(), bytes.end()};
}
