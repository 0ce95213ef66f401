#include "app/aboutbox.h"

#include "browser/records.h"
#include "platform/bitmap.h"
#include "platform/errors.h"
#include "platform/shell.h"
#include "resources/pictures/pictures.h"

#include "mkb_version.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <string>

void TBevel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(0, 0, width() - 1, 0);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(0, 1, width() - 1, 1);
}

void TClickLabel::mousePressEvent(QMouseEvent* event) {
    Pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void TClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = Pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    Pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click && OnClick)
        OnClick(this);
}

namespace {

// The window's fonts are asked for by name; where a face is not installed the font system
// substitutes its closest match. Heights are character heights in pixels (11 px is 8 pt).
QFont DesignFont(const char* face, int pixels, bool bold) {
    QFont font(QString::fromLatin1(face));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont DefaultFont(bool bold = false) {
    return DesignFont("MS Sans Serif", 11, bold);
}

void SetTextColour(QWidget* w, const QColor& colour) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, colour);
    w->setPalette(pal);
}

enum class TAnchor { Left, Right };

// Labels size themselves to their text. Those of the right-hand column are right-justified
// and keep their right edge, so the column stays flush whatever face the font system picks.
template <typename TLabel>
TLabel* MakeLabel(QWidget* parent, const char* name, int x, int y, int designWidth,
                  const QString& text, const QFont& font, TAnchor anchor) {
    auto* label = new TLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    label->setText(text);
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(text);
    const int left = anchor == TAnchor::Right ? x + designWidth - width : x;
    label->setAlignment((anchor == TAnchor::Right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
    label->setGeometry(left, y, width, fm.height());
    return label;
}

int KeyChar(const QKeyEvent* event) {
    if (!event->text().isEmpty())
        return event->text().at(0).unicode();
    switch (event->key()) {
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
        return 9;
    default:
        return 0;
    }
}

} // namespace

TAboutBox::TAboutBox(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName("AboutBox");
    setWindowTitle(QString::fromUtf8("О программе"));
    setFixedSize(ClientWidth, ClientHeight);
    setSizeGripEnabled(false);
    // Button face behind everything; the children keep their usual text roles.
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);
    setFont(DefaultFont());

    // A 2-pixel sunken edge around the logo leaves it the 125 x 157 window of the picture.
    panLogo = new QFrame(this);
    panLogo->setObjectName("panLogo");
    panLogo->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    panLogo->setGeometry(8, 8, 129, 161);
    imgLogo = new QLabel(panLogo);
    imgLogo->setObjectName("imgLogo");
    imgLogo->setGeometry(panLogo->contentsRect());
    imgLogo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPixmap logo(QString::fromStdString(PictureForRatio(MkbPictures::Logo, devicePixelRatioF())));
    if (logo.isNull())
        logo = QPixmap(QString::fromLatin1(MkbPictures::Logo));
    else if (devicePixelRatioF() > 1)
        logo.setDevicePixelRatio(2);
    if (logo.isNull())
        throw EResNotFound(std::string("Resource ") + MkbPictures::Logo + " not found");
    imgLogo->setPixmap(logo);

    const QColor accent(0x5A, 0x7F, 0xAD);
    lbProductName =
        MakeLabel<QLabel>(this, "lbProductName", 158, 8, 213, QString::fromUtf8("Verolin МКБ 10"),
                          DesignFont("Verdana", 21, true), TAnchor::Right);
    SetTextColour(lbProductName, accent);
    lbVersion = MakeLabel<QLabel>(this, "lbVersion", 305, 36, 66,
                                  QString::fromUtf8("Версия " MKB_VERSION_SHORT), DefaultFont(true),
                                  TAnchor::Right);
    lbFree = MakeLabel<QLabel>(this, "lbFree", 220, 56, 151,
                               QString::fromUtf8("Распространяется бесплатно"), DefaultFont(),
                               TAnchor::Right);
    Bevel1 = new TBevel(this);
    Bevel1->setObjectName("Bevel1");
    Bevel1->setGeometry(158, 78, 213, 2);
    lbSiteCaption =
        MakeLabel<QLabel>(this, "lbSiteCaption", 158, 88, 95, QString::fromUtf8("Онлайн версия:"),
                          DefaultFont(true), TAnchor::Left);

    QFont linkFont = DefaultFont();
    linkFont.setUnderline(true);
    const QColor linkBlue(0x00, 0x00, 0xFF);
    lbSite =
        MakeLabel<TClickLabel>(this, "lbSite", 257, 105, 114,
                               QString::fromStdU16String(SiteAddress), linkFont, TAnchor::Right);
    lbSupportCaption =
        MakeLabel<QLabel>(this, "lbSupportCaption", 158, 128, 118,
                          QString::fromUtf8("Служба поддержки:"), DefaultFont(true), TAnchor::Left);
    lbSupport =
        MakeLabel<TClickLabel>(this, "lbSupport", 269, 152, 102,
                               QString::fromStdU16String(SupportAddress), linkFont, TAnchor::Right);
    for (TClickLabel* link : {lbSite, lbSupport}) {
        SetTextColour(link, linkBlue);
        link->setCursor(Qt::PointingHandCursor);
    }
    lbSite->OnClick = [this](QObject* sender) { lbSiteClick(sender); };
    lbSupport->OnClick = [this](QObject* sender) { lbSupportClick(sender); };

    Bevel2 = new TBevel(this);
    Bevel2->setObjectName("Bevel2");
    Bevel2->setGeometry(8, 176, 363, 2);

    lbEdition = new QLabel(this);
    lbEdition->setObjectName("lbEdition");
    lbEdition->setTextFormat(Qt::PlainText);
    lbEdition->setWordWrap(true);
    lbEdition->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lbEdition->setText(QString::fromStdU16String(EditionText()));
    lbEdition->setGeometry(8, 182, 280, 30);

    btnOK = new QPushButton(QString::fromUtf8("&OK"), this);
    btnOK->setObjectName("btnOK");
    btnOK->setGeometry(296, 184, 75, 25);
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(btnOK); });
    // The button is the only control that takes focus, so it is first in the tab order.
    btnOK->setFocus();

    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

int TAboutBox::ShowModal() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(width() / 2, height() / 2));
    btnOK->setFocus();
    return exec();
}

void TAboutBox::btnOKClick(QObject*) {
    reject();
}

void TAboutBox::FormKeyPress(QObject*, char16_t& Key) {
    if (Key == 27)
        reject();
}

void TAboutBox::lbSiteClick(QObject*) {
    ShellExecuteOpen(lbSite->text().toStdU16String());
}

void TAboutBox::lbSupportClick(QObject*) {
    ShellExecuteOpen(u"mailto:" + lbSupport->text().toStdU16String());
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    // Only the first receiver previews; an unhandled key climbing to the parents is the same
    // press again.
    QWidget* first = focusWidget() ? focusWidget() : this;
    if (watched != first)
        return QDialog::eventFilter(watched, event);
    const int ch = KeyChar(static_cast<QKeyEvent*>(event));
    if (ch == 0)
        return QDialog::eventFilter(watched, event);
    char16_t key = static_cast<char16_t>(ch);
    FormKeyPress(this, key);
    // The handler took the key (zeroed it) or closed the window with it.
    if (key == 0 || !isVisible())
        return true;
    return QDialog::eventFilter(watched, event);
}
