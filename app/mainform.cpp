#include "app/mainform.h"

#include "app/searchpopup.h"
#include "data/loader.h"
#include "platform/bitmap.h"
#include "platform/colors.h"
#include "platform/control_bridge.h"
#include "platform/dialogs.h"
#include "platform/font.h"
#include "resources/pictures/pictures.h"

#include <QApplication>
#include <QFile>
#include <QFocusEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

QString Q(std::u16string_view s) {
    return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

QColor ToQColor(TColor c) {
    TColor rgb = ColorToRGB(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

// The window's font: "MS Sans Serif", 11 pixels (8 points at 96 dpi).
QFont FormFont() {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    return f;
}

// The tree's font as the window hands it down.
TFontSpec TreeFont() {
    TFontSpec f;
    f.Name = u"MS Sans Serif";
    f.Height = 11;
    f.CharSet = RUSSIAN_CHARSET;
    return f;
}

// A picture of the application's resources; an empty bitmap when it cannot be read, so that
// a damaged build still opens its window.
TBitmap ResourcePicture(const char* name) {
    TBitmap picture;
    if (!name)
        return picture;
    QFile file(QString::fromLatin1(name));
    if (!file.open(QIODevice::ReadOnly))
        return picture;
    const QByteArray bytes = file.readAll();
    picture.LoadFromData(reinterpret_cast<const unsigned char*>(bytes.constData()),
                         static_cast<std::size_t>(bytes.size()));
    return picture;
}

constexpr TColor SelectionBlue = RGBColor(0x72, 0xA1, 0xDB);

constexpr const char* kHeadingStyle = "background-color: #5A7FAD; color: white; font-weight: bold;";

QLabel* Heading(const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setFixedHeight(24);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setStyleSheet(kHeadingStyle);
    return label;
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
    setWindowTitle(QStringLiteral("Международная классификацая болезней"));
    setFont(FormFont());
    FTree = std::make_unique<TVirtualStringTree>();
    FViewer = std::make_unique<html::THTMLViewer>();
    SetUpViewer();
    FDetails = std::make_unique<THtmlDetailsView>(*FViewer);
    FBrowser = std::make_unique<TBrowser>(MKBStore(), *FTree);
    FBrowser->Details = FDetails.get();
    FBrowser->SearchBar = this;
    FSearchResults = std::make_unique<TSearchResultsList>(MKBStore(), *FBrowser);
    FBrowser->ShowInformation = [this](const std::u16string& text) {
        QMessageBox box(QMessageBox::Information, QApplication::applicationDisplayName(), Q(text),
                        QMessageBox::Ok | QMessageBox::Cancel, this);
        box.setDefaultButton(QMessageBox::Ok);
        box.exec();
    };
    BuildWidgets();
    BuildMenu();
    ConnectTree();
    resize(1023, 713 + menuBar()->sizeHint().height());
}

TfrmMainForm::~TfrmMainForm() {
    // Closing moves the focus out of the search box; nothing may call the browser after this.
    edFastSearch->OnEnter = edFastSearch->OnExit = nullptr;
    edFastSearch->OnKeyPress = nullptr;
    edFastSearch->OnKeyDown = nullptr;
    disconnect(edFastSearch, nullptr, this, nullptr);
    disconnect(qApp, nullptr, this, nullptr);
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
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    column->addWidget(TopLineBevel(client, 2));

    panSearch = new QWidget(client);
    panSearch->setFixedHeight(29);
    // The bar's children follow the panel's own width, which is settled only after the
    // window's resize has been handled.
    panSearch->installEventFilter(this);
    edFastSearch = new TSearchEdit(Q(SearchPlaceholder), panSearch);
    edFastSearch->setFont(FormFont());
    SetTextColor(clInactiveCaption);
    btnSearch = new QPushButton(QStringLiteral("&Поиск"), panSearch);
    auto* searchBottom = TopLineBevel(panSearch, 2);
    searchBottom->setObjectName(QStringLiteral("bvlSearchBottom"));
    column->addWidget(panSearch);

    Splitter1 = new QSplitter(Qt::Horizontal, client);
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);

    panParts = new QWidget(Splitter1);
    panParts->setMinimumWidth(650);
    auto* partsColumn = new QVBoxLayout(panParts);
    partsColumn->setContentsMargins(0, 0, 0, 0);
    partsColumn->setSpacing(0);
    panPartsHeading = Heading(QStringLiteral("  Разделы МКБ 10"), panParts);
    partsColumn->addWidget(panPartsHeading);
    partsColumn->addWidget(ControlWidget(*FTree), 1);

    panRightPanel = new QWidget(Splitter1);
    panRightPanel->setMinimumWidth(24);
    auto* rightColumn = new QVBoxLayout(panRightPanel);
    rightColumn->setContentsMargins(0, 0, 0, 0);
    rightColumn->setSpacing(0);
    panDetailsHeading = Heading(QStringLiteral("  Информация о выбранном элементе"), panRightPanel);
    rightColumn->addWidget(panDetailsHeading);
    panDetails = new QFrame(panRightPanel);
    panDetails->setFrameShape(QFrame::Box);
    panDetails->setLineWidth(1);
    QPalette page = panDetails->palette();
    page.setColor(QPalette::Window, QColor(0xF7, 0xF8, 0xFA));
    panDetails->setPalette(page);
    panDetails->setAutoFillBackground(true);
    auto* detailsLayout = new QVBoxLayout(panDetails);
    // The frame's own line is the border; the viewer fills what lies inside it.
    detailsLayout->setContentsMargins(0, 0, 0, 0);
    detailsLayout->addWidget(ControlWidget(*FViewer)); // alClient
    rightColumn->addWidget(panDetails, 1);

    Splitter1->addWidget(panParts);
    Splitter1->addWidget(panRightPanel);
    // Growing the window widens the tree only; the right panel keeps its width.
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({700, 320});
    column->addWidget(Splitter1, 1);

    setCentralWidget(client);
    auto* status = new QStatusBar(this);
    status->setFixedHeight(19);
    status->setSizeGripEnabled(true);
    setStatusBar(status);

    // Tab order: the tree, the details pane, then the search box and its button.
    QWidget* treeWidget = ControlWidget(*FTree);
    QWidget* viewerWidget = ControlWidget(*FViewer);
    setTabOrder(treeWidget, viewerWidget);
    setTabOrder(viewerWidget, edFastSearch);
    setTabOrder(edFastSearch, btnSearch);
    // The tree comes first in the tab order, so it, not the search box, starts with the focus.
    treeWidget->setFocus();

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
    list.vstSearchResults().SetFont(TreeFont());
    panSearchResults = new TSearchResultsPopup(list, edFastSearch, panSearch, panParts, client);
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
    auto* next = new QShortcut(QKeySequence(Qt::Key_F3), this);
    auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this);
    connect(next, &QShortcut::activated, this, [this] { FSearchResults->OpenNextResult(false); });
    connect(previous, &QShortcut::activated, this,
            [this] { FSearchResults->OpenNextResult(true); });
}

void TfrmMainForm::BuildMenu() {
    QMenu* mkb = menuBar()->addMenu(QStringLiteral("&МКБ 10"));
    miChangeFont = mkb->addAction(QStringLiteral("&Изменить шрифт"));
    mkb->addSeparator();
    miExit = mkb->addAction(QStringLiteral("&Выйти из программы"));
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Справка"));
    miAbout = help->addAction(QStringLiteral("&О программе"));
    connect(miChangeFont, &QAction::triggered, this, [this] { miChangeFontClick(); });
    connect(miExit, &QAction::triggered, this, [this] { miExitClick(); });
    connect(miAbout, &QAction::triggered, this, [this] { miAboutClick(); });
}

void TfrmMainForm::ConnectTree() {
    TVirtualStringTree& tree = *FTree;
    TBrowser* b = FBrowser.get();
    tree.SetDefaultNodeHeight(24);
    tree.SetIndent(24);
    tree.SetMargin(2);
    tree.SetTextMargin(0);
    tree.SetFont(TreeFont());
    tree.SetLineStyle(lsSolid);
    tree.SetDrawSelectionMode(smBlendedRectangle);
    TVTColors colors = tree.Colors();
    colors.FocusedSelectionColor = colors.FocusedSelectionBorderColor = SelectionBlue;
    colors.UnfocusedSelectionColor = colors.UnfocusedSelectionBorderColor = SelectionBlue;
    colors.SelectionRectangleBlendColor = colors.SelectionRectangleBorderColor = SelectionBlue;
    tree.SetColors(colors);
    TStringTreeOptions& options = tree.TreeOptions();
    options.PaintOptions |=
        TVTPaintOptions{toShowBackground, toUseBlendedSelection, toStaticBackground};
    options.SelectionOptions |= TVTSelectionOptions{toFullRowSelect, toSimpleDrawSelection};
    for (int i = 0; i < MkbPictures::TreeImageCount; ++i)
        FTreeImages->Add(ResourcePicture(MkbPictures::TreeImage(i)));
    tree.SetImages(FTreeImages.get());
    tree.SetBackground(ResourcePicture(MkbPictures::TreeBackground));
    tree.OnResize = [b](TBaseVirtualTree* s) { b->vstPartsTreeResize(s); };
    tree.OnExpanding = [b](TBaseVirtualTree* s, PVirtualNode n, bool& allowed) {
        b->vstPartsTreeExpanding(s, n, allowed);
    };
    tree.OnGetText = [b](TBaseVirtualTree* s, PVirtualNode n, TColumnIndex c, TVSTTextType t,
                         std::u16string& text) { b->vstPartsTreeGetText(s, n, c, t, text); };
    tree.OnGetImageIndex = [b](TBaseVirtualTree* s, PVirtualNode n, TVTImageKind k, TColumnIndex c,
                               bool& ghosted, int& index) {
        b->vstPartsTreeGetImageIndex(s, n, k, c, ghosted, index);
    };
    tree.OnFocusChanged = [b](TBaseVirtualTree* s, PVirtualNode n, TColumnIndex c) {
        b->vstPartsTreeFocusChanged(s, n, c);
    };
}

void TfrmMainForm::SetUpViewer() {
    html::THTMLViewer& v = *FViewer;
    v.Align = html::alClient;
    v.SetBorderStyle(html::htNone);
    v.HistoryMaxCount = 0;
    v.DefFontName = u"Times New Roman";
    v.DefPreFontName = u"Courier New";
    v.NoSelect = false;
    v.SetScrollBars(html::ssVertical);
    v.CharSet = RUSSIAN_CHARSET;
    v.PrintMarginLeft = v.PrintMarginRight = v.PrintMarginTop = v.PrintMarginBottom = 2.0;
    v.PrintScale = 1.0;
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
    if (watched == panSearch && event->type() == QEvent::Resize)
        LayoutSearchBar();
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMainForm::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    LayoutSearchBar();
}

void TfrmMainForm::FormCreate() {
    FTree->SetNodeDataSize(4);
    LoadClassification();
    FBrowser->AddChildNodes(-1, nullptr);
    FBrowser->ShowStartPage();
    btnSearch->setEnabled(false);
    setWindowState(windowState() | Qt::WindowMaximized);
}

void TfrmMainForm::miChangeFontClick() {
    const TFontSpec& current = FTree->Font();
    TFontDialogFont chosen;
    chosen.Name = current.Name;
    chosen.Height = current.Height;
    chosen.Bold = current.Weight >= FW_BOLD;
    chosen.Italic = current.Italic;
    chosen.Underline = current.Underline;
    chosen.StrikeOut = current.StrikeOut;
    chosen.Color = FTree->FontColor();
    if (!ExecuteFontDialog(chosen))
        return;
    TFontSpec font = current;
    font.Name = chosen.Name;
    font.Height = chosen.Height;
    font.Weight = chosen.Bold ? FW_BOLD : FW_NORMAL;
    font.Italic = chosen.Italic;
    font.Underline = chosen.Underline;
    font.StrikeOut = chosen.StrikeOut;
    FTree->SetFont(font, chosen.Color);
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
    QString t = edFastSearch->text();
    return std::u16string(reinterpret_cast<const char16_t*>(t.utf16()),
                          static_cast<std::size_t>(t.size()));
}

void TfrmMainForm::SetText(const std::u16string& text) {
    edFastSearch->setText(Q(text));
}

void TfrmMainForm::SetTextColor(TColor color) {
    QPalette pal = edFastSearch->palette();
    pal.setColor(QPalette::Text, ToQColor(color));
    edFastSearch->setPalette(pal);
}

void TfrmMainForm::SetSearchEnabled(bool enabled) {
    btnSearch->setEnabled(enabled);
}
