#include "app/mainform.h"

#include "app/searchpopup.h"
#include "browser/records.h"
#include "browser/windowsetup.h"
#include "data/loader.h"
#include "platform/colors.h"
#include "platform/dialogs.h"
#include "platform/qt/control_bridge.h"
#include "platform/qt/qtconvert.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The window's font: "MS Sans Serif", 11 pixels (8 points at 96 dpi).
QFont FormFont() {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    return f;
}

// A shade darker than the design's #5A7FAD, on which white text reads only 4.1:1.
constexpr const char* kHeadingStyle = "background-color: #4F73A0; color: white; font-weight: bold;";
// The hint's colour where the desktop's inactive caption would not read on the box.
constexpr TColor HintGrey = RGBColor(0x6B, 0x6B, 0x6B);

constexpr int kRightDesignWidth = 320;
// A narrow window takes its width from the tree panel first, down to this; the details pane
// keeps a width its page can be read in.
constexpr int kPartsFloor = 120;
constexpr int kRightMinimum = 240;

QLabel* Heading(const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setFixedHeight(24);
    // A long caption is cut, rather than holding its panel wider than a narrow screen.
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setStyleSheet(kHeadingStyle);
    return label;
}

// A vertical layout whose children touch each other and the owner's edges.
QVBoxLayout* TightColumn(QWidget* owner) {
    auto* column = new QVBoxLayout(owner);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    return column;
}

// A bevel that is a single etched line along its top edge.
QFrame* TopLineBevel(QWidget* parent, int height) {
    auto* bevel = new QFrame(parent);
    bevel->setFixedHeight(height);
    bevel->setFrameShape(QFrame::NoFrame);
    bevel->setStyleSheet(QStringLiteral("border-top: 1px solid palette(mid); "
                                        "border-bottom: 1px solid palette(light);"));
    return bevel;
}

} // namespace

// ---- the search box ----

void TSearchEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    if (OnEnter)
        OnEnter();
}

void TSearchEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (OnExit)
        OnExit();
}

void TSearchEdit::keyPressEvent(QKeyEvent* e) {
    if (OnKeyDown && OnKeyDown(e))
        return;
    if (OnKeyPress && !e->text().isEmpty()) {
        char16_t key = e->text().at(0).unicode();
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            key = 13;
        OnKeyPress(key);
    }
    QLineEdit::keyPressEvent(e);
}

// ---- the window ----

TfrmMainForm::TfrmMainForm() {
    setWindowTitle(QStringLiteral("Международная классификация болезней"));
    setFont(FormFont());
    FTree = std::make_unique<TVirtualStringTree>();
    FViewer = std::make_unique<html::THTMLViewer>();
    SetUpDetailsViewer(*FViewer);
    FDetails = std::make_unique<THtmlDetailsView>(*FViewer);
    FBrowser = std::make_unique<TBrowser>(MKBStore(), *FTree);
    FBrowser->Details = FDetails.get();
    FBrowser->SearchBar = this;
    FSearchResults = std::make_unique<TSearchResultsList>(MKBStore(), *FBrowser);
    FBrowser->ShowInformation = [](const std::u16string& text) { MessageBoxInformation(text); };
    SetUpPartsTree(*FTree, *FTreeImages);
    ConnectPartsTree(*FTree, *FBrowser);
    ConnectDetailsViewer(*FViewer, *FBrowser);
    BuildWidgets();
    BuildMenu();
    FHistoryDwell = new QTimer(this);
    FHistoryDwell->setSingleShot(true);
    FHistoryDwell->setInterval(HistoryDwellMs);
    connect(FHistoryDwell, &QTimer::timeout, this, [this] { FBrowser->NoteShownRecord(); });
    FBrowser->OnRecordShown = [this](int) { FHistoryDwell->start(); };
    FBrowser->OnHistoryChanged = [this] {
        miBack->setEnabled(FBrowser->CanGoBack());
        miForward->setEnabled(FBrowser->CanGoForward());
    };
    // The mouse's back and forward buttons, wherever the pointer is in the window.
    qApp->installEventFilter(this);
    resize(1023, 713 + menuBar()->sizeHint().height());
}

TfrmMainForm::~TfrmMainForm() {
    // Closing moves the focus out of the search box; nothing may call the browser after this.
    edFastSearch->OnEnter = edFastSearch->OnExit = nullptr;
    edFastSearch->OnKeyPress = nullptr;
    edFastSearch->OnKeyDown = nullptr;
    disconnect(edFastSearch, nullptr, this, nullptr);
    FViewer->OnHotSpotClick = nullptr;
    disconnect(qApp, nullptr, this, nullptr);
    qApp->removeEventFilter(this);
    FHistoryDwell->stop();
    FBrowser->OnRecordShown = nullptr;
    FBrowser->OnHistoryChanged = nullptr;
    ControlWidget(*FTree)->removeEventFilter(this);
    panSearchResults->Detach();
    FSearchResults->View = nullptr;
    FSearchResults.reset();
    // The tree's window belongs to this window's widgets: the control goes first.
    FBrowser.reset();
    FDetails.reset();
    FViewer.reset();
    FTree.reset();
}

void TfrmMainForm::BuildWidgets() {
    auto* client = new QWidget(this);
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, ToQColor(clBtnFace));
    client->setPalette(pal);
    client->setAutoFillBackground(true);
    auto* column = TightColumn(client);

    column->addWidget(TopLineBevel(client, 2));

    panSearch = new QWidget(client);
    panSearch->setFixedHeight(29);
    // The bar's children follow the panel's own width, which is settled only after the
    // window's resize has been handled.
    panSearch->installEventFilter(this);
    edFastSearch = new TSearchEdit(ToQString(SearchPlaceholder), panSearch);
    edFastSearch->setFont(FormFont());
    SetTextColor(ReadableTextColor(clInactiveCaption, clWindow, HintGrey));
    btnSearch = new QPushButton(QStringLiteral("&Поиск"), panSearch);
    auto* searchBottom = TopLineBevel(panSearch, 2);
    searchBottom->setObjectName(QStringLiteral("bvlSearchBottom"));
    column->addWidget(panSearch);

    Splitter1 = new QSplitter(Qt::Horizontal, client);
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);

    panParts = new QWidget(Splitter1);
    panParts->setMinimumWidth(kPartsFloor);
    auto* partsColumn = TightColumn(panParts);
    panPartsHeading = Heading(QStringLiteral("  Разделы МКБ 10"), panParts);
    partsColumn->addWidget(panPartsHeading);
    partsColumn->addWidget(ControlWidget(*FTree), 1);

    panRightPanel = new QWidget(Splitter1);
    panRightPanel->setMinimumWidth(kRightMinimum);
    auto* rightColumn = TightColumn(panRightPanel);
    panDetailsHeading = Heading(QStringLiteral("  Информация о выбранном элементе"), panRightPanel);
    rightColumn->addWidget(panDetailsHeading);
    panDetails = new QFrame(panRightPanel);
    panDetails->setFrameShape(QFrame::Box);
    panDetails->setLineWidth(1);
    QPalette page = panDetails->palette();
    page.setColor(QPalette::Window, QColor(0xF7, 0xF8, 0xFA));
    panDetails->setPalette(page);
    panDetails->setAutoFillBackground(true);
    // The frame's own line is the border; the viewer fills what lies inside it.
    TightColumn(panDetails)->addWidget(ControlWidget(*FViewer)); // alClient
    rightColumn->addWidget(panDetails, 1);

    Splitter1->addWidget(panParts);
    Splitter1->addWidget(panRightPanel);
    // Growing the window widens the tree only; the right panel keeps its width.
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({700, kRightDesignWidth});
    column->addWidget(Splitter1, 1);

    setCentralWidget(client);
    auto* status = new QStatusBar(this);
    status->setFixedHeight(19);
    status->setSizeGripEnabled(true);
    lbStatus = new QLabel(status);
    // A long text is cut rather than holding the window wider.
    lbStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    status->addWidget(lbStatus, 1); // a passing message hides it
    setStatusBar(status);

    // Tab order: the tree, the details pane, then the search box and its button, and round
    // again to the tree.
    QWidget* treeWidget = ControlWidget(*FTree);
    QWidget* viewerWidget = ControlWidget(*FViewer);
    setTabOrder(treeWidget, viewerWidget);
    setTabOrder(viewerWidget, edFastSearch);
    setTabOrder(edFastSearch, btnSearch);
    // A code typed at once lands in the search box, whatever the tab order.
    edFastSearch->setFocus();
    // The hint stays in sight while the box is entered and still empty.
    edFastSearch->setPlaceholderText(ToQString(SearchPlaceholder));
    QPalette hint = edFastSearch->palette();
    hint.setColor(QPalette::PlaceholderText, ToQColor(HintGrey));
    edFastSearch->setPalette(hint);
    treeWidget->installEventFilter(this);
    // Screen readers name the controls after their headings; the search box by its purpose,
    // not by the hint it holds as text.
    edFastSearch->setAccessibleName(QStringLiteral("Поиск"));
    treeWidget->setAccessibleName(panPartsHeading->text().trimmed());
    viewerWidget->setAccessibleName(panDetailsHeading->text().trimmed());
    // The details pane has no border of its own: the frame around it shows the keyboard focus.
    connect(qApp, &QApplication::focusChanged, this, [this, viewerWidget](QWidget*, QWidget* now) {
        QPalette pal = panDetails->palette();
        pal.setColor(QPalette::WindowText,
                     now == viewerWidget ? ToQColor(clHighlight)
                                         : panRightPanel->palette().color(QPalette::WindowText));
        panDetails->setPalette(pal);
    });

    edFastSearch->OnEnter = [this] { FBrowser->edFastSearchEnter(); };
    edFastSearch->OnExit = [this] { FBrowser->edFastSearchExit(); };
    edFastSearch->OnKeyPress = [this](char16_t& key) { FBrowser->edFastSearchKeyPress(key); };
    connect(edFastSearch, &QLineEdit::textChanged, this,
            [this] { FBrowser->edFastSearchChange(); });
    connect(btnSearch, &QPushButton::clicked, this, [this] { FBrowser->btnSearchClick(); });
    ConnectSearchResults(client);
    LayoutSearchBar();
}

void TfrmMainForm::ConnectSearchResults(QWidget* client) {
    TSearchResultsList& list = *FSearchResults;
    list.vstSearchResults().SetFont(PartsTreeFont());
    panSearchResults = new TSearchResultsPopup(list, edFastSearch, panSearch, client);
    edFastSearch->OnKeyDown = [this](QKeyEvent* e) { return panSearchResults->SearchBoxKey(e); };
    connect(edFastSearch, &QLineEdit::textChanged, this, [this] {
        if (edFastSearch->hasFocus())
            FSearchResults->SearchTextChanged(Text());
    });
    // The list closes when the focus goes anywhere but the list or the search box.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (FSearchResults->Showing() && now != edFastSearch && !panSearchResults->Holds(now))
            FSearchResults->Close();
    });
}

bool TfrmMainForm::TreeKeyToSearchBox(QKeyEvent* key) {
    const QString text = key->text();
    if (text.size() != 1 || !text.at(0).isLetterOrNumber() ||
        (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    FocusSearchBox();
    QKeyEvent typed(QEvent::KeyPress, key->key(), key->modifiers(), text);
    QApplication::sendEvent(edFastSearch, &typed);
    return true;
}

void TfrmMainForm::FocusSearchBox() {
    edFastSearch->setFocus(Qt::ShortcutFocusReason);
    edFastSearch->selectAll();
}

void TfrmMainForm::BuildMenu() {
    // Every command shows its keys, so that the menu teaches them.
    QMenu* mkb = menuBar()->addMenu(QStringLiteral("&МКБ 10"));
    miFind = mkb->addAction(QStringLiteral("&Найти"));
    miFind->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_F), QKeySequence(Qt::Key_F6)});
    miFindNext = mkb->addAction(QStringLiteral("Следующий &результат"));
    miFindNext->setShortcut(QKeySequence(Qt::Key_F3));
    miFindPrevious = mkb->addAction(QStringLiteral("&Предыдущий результат"));
    miFindPrevious->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    mkb->addSeparator();
    miBack = mkb->addAction(QStringLiteral("Н&азад"));
    miBack->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    miBack->setEnabled(false);
    miForward = mkb->addAction(QStringLiteral("Впер&ёд"));
    miForward->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    miForward->setEnabled(false);
    connect(miBack, &QAction::triggered, this, [this] { FBrowser->GoBack(); });
    connect(miForward, &QAction::triggered, this, [this] { FBrowser->GoForward(); });
    mkb->addSeparator();
    miChangeFont = mkb->addAction(QStringLiteral("&Изменить шрифт"));
    mkb->addSeparator();
    miExit = mkb->addAction(QStringLiteral("&Выйти из программы"));
    miExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Справка"));
    miAbout = help->addAction(QStringLiteral("&О программе"));
    miAbout->setShortcut(QKeySequence(Qt::Key_F1));
    connect(miFind, &QAction::triggered, this, [this] { FocusSearchBox(); });
    connect(miFindNext, &QAction::triggered, this,
            [this] { FSearchResults->OpenNextResult(false); });
    connect(miFindPrevious, &QAction::triggered, this,
            [this] { FSearchResults->OpenNextResult(true); });
    connect(miChangeFont, &QAction::triggered, this, [this] { miChangeFontClick(); });
    connect(miExit, &QAction::triggered, this, [this] { miExitClick(); });
    connect(miAbout, &QAction::triggered, this, [this] { miAboutClick(); });
}

void TfrmMainForm::LayoutSearchBar() {
    // Left 1, top 3, stretching with the window; the button stays 4 pixels from the right.
    const int width = panSearch->width() > 0 ? panSearch->width() : 1023;
    btnSearch->setGeometry(width - 79, 1, 75, 25);
    edFastSearch->setGeometry(1, 3, width - 87, 21);
    if (auto* bottom = panSearch->findChild<QFrame*>(QStringLiteral("bvlSearchBottom")))
        bottom->setGeometry(0, panSearch->height() - 2, width, 2);
}

bool TfrmMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        auto* widget = qobject_cast<QWidget*>(watched);
        if ((button == Qt::BackButton || button == Qt::ForwardButton) && widget &&
            widget->window() == this) {
            if (button == Qt::BackButton)
                FBrowser->GoBack();
            else
                FBrowser->GoForward();
            return true;
        }
    }
    if (watched == panSearch && event->type() == QEvent::Resize)
        LayoutSearchBar();
    if (watched == ControlWidget(*FTree) && event->type() == QEvent::KeyPress &&
        TreeKeyToSearchBox(static_cast<QKeyEvent*>(event)))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMainForm::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    LayoutSearchBar();
}

void TfrmMainForm::FormCreate() {
    FTree->SetNodeDataSize(4);
    LoadClassification();
    FBrowser->IndexRecords();
    lbStatus->setText(QStringLiteral("Записей: %1 · %2")
                          .arg(LoadedRecordCount(MKBStore()))
                          .arg(ToQString(EditionText())));
    FBrowser->AddChildNodes(-1, nullptr);
    FBrowser->ShowStartPage();
    btnSearch->setEnabled(false);
    setWindowState(windowState() | Qt::WindowMaximized);
}

void TfrmMainForm::OpenCode(const std::u16string& code) {
    const int index = FBrowser->Records().ByCode(code);
    if (index >= 0)
        FBrowser->OpenRecord(index);
    else
        statusBar()->showMessage(QStringLiteral("Код «%1» не найден в классификации")
                                     .arg(ToQString(std::u16string(TrimText(code)))));
}

void TfrmMainForm::miChangeFontClick() {
    ChooseTreeFont(*FTree);
}

void TfrmMainForm::miExitClick() {
    close();
}

void TfrmMainForm::miAboutClick() {
    if (ShowAbout)
        ShowAbout();
}

// ---- the search bar as the browser sees it ----

std::u16string TfrmMainForm::Text() const {
    return FromQString(edFastSearch->text());
}

void TfrmMainForm::SetText(const std::u16string& text) {
    edFastSearch->setText(ToQString(text));
}

void TfrmMainForm::SetTextColor(TColor color) {
    QPalette pal = edFastSearch->palette();
    pal.setColor(QPalette::Text, ToQColor(color));
    edFastSearch->setPalette(pal);
}

void TfrmMainForm::SetSearchEnabled(bool enabled) {
    btnSearch->setEnabled(enabled);
}
