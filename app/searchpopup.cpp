#include "app/searchpopup.h"

#include "platform/qt/control_bridge.h"
#include "platform/qt/qtconvert.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

constexpr int HeaderHeight = 20;

} // namespace

TSearchResultsPopup::TSearchResultsPopup(TSearchResultsList& list, QLineEdit* searchBox,
                                         QWidget* searchBar, QWidget* parent)
    : QFrame(parent), List(list), SearchBox(searchBox), SearchBar(searchBar),
      ListSurface(
          qobject_cast<QAbstractScrollArea*>(ControlWidget(list.vstSearchResults()))->viewport()) {
    setObjectName(QStringLiteral("panSearchResults"));
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(1, 1, 1, 1);
    column->setSpacing(0);
    lbSearchResultsHeader = new QLabel(this);
    lbSearchResultsHeader->setFixedHeight(HeaderHeight);
    lbSearchResultsHeader->setContentsMargins(6, 0, 6, 0);
    lbSearchResultsHeader->setAutoFillBackground(true);
    QPalette pal = lbSearchResultsHeader->palette();
    pal.setColor(QPalette::Window, QColor(0xE8, 0xEE, 0xF6));
    pal.setColor(QPalette::WindowText, QColor(0x33, 0x44, 0x55));
    lbSearchResultsHeader->setPalette(pal);
    column->addWidget(lbSearchResultsHeader);
    column->addWidget(ControlWidget(List.vstSearchResults()), 1);
    List.vstSearchResults().SetBorder(bkNone);
    List.View = this;
    hide();
    // The panel follows the window and the search box; the list's rows show their tooltips.
    for (QWidget* w : {parent, static_cast<QWidget*>(SearchBox), ListSurface})
        w->installEventFilter(this);
}

bool TSearchResultsPopup::Holds(const QWidget* widget) const {
    const QWidget* list = ControlWidget(List.vstSearchResults());
    return widget != nullptr && (widget == list || list->isAncestorOf(widget));
}

void TSearchResultsPopup::Detach() {
    for (QWidget* w : {parentWidget(), static_cast<QWidget*>(SearchBox), ListSurface})
        w->removeEventFilter(this);
    hide();
}

bool TSearchResultsPopup::SearchBoxKey(QKeyEvent* event) {
    TVirtualKey key = 0;
    if (event->key() == Qt::Key_Down)
        key = vk::Down;
    else if (event->key() == Qt::Key_Escape)
        key = vk::Escape;
    if (key == 0)
        return false;
    TShiftState shift;
    const Qt::KeyboardModifiers mods = event->modifiers();
    shift.Set(ssShift, mods.testFlag(Qt::ShiftModifier));
    shift.Set(ssCtrl, mods.testFlag(Qt::ControlModifier));
    shift.Set(ssAlt, mods.testFlag(Qt::AltModifier));
    return List.SearchBoxKeyDown(key, shift);
}

bool TSearchResultsPopup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListSurface && event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        PVirtualNode node = List.vstSearchResults().GetNodeAt(help->pos().y(), true);
        const std::u16string hint = node != nullptr ? List.RowHint(node->Index) : u"";
        if (hint.empty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), ToQString(hint), ListSurface);
        return true;
    }
    if (watched != ListSurface && isVisible() &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        Place();
    return QFrame::eventFilter(watched, event);
}

void TSearchResultsPopup::Place() {
    QWidget* parent = parentWidget();
    const QPoint left = SearchBox->mapTo(parent, QPoint(0, 0));
    const QPoint below = SearchBar->mapTo(parent, QPoint(0, SearchBar->height()));
    const int height = 2 * (frameWidth() + 1) + HeaderHeight +
                       Rows * static_cast<int>(List.vstSearchResults().DefaultNodeHeight());
    setGeometry(left.x(), below.y(), SearchBox->width(), height);
}

void TSearchResultsPopup::ShowResults(int rows) {
    Rows = rows;
    Place();
    show();
    raise();
}

void TSearchResultsPopup::HideResults() {
    // The list must not take the focus away with it.
    if (Holds(QApplication::focusWidget()))
        SearchBox->setFocus();
    hide();
}

void TSearchResultsPopup::SetResultsHeader(const std::u16string& text) {
    lbSearchResultsHeader->setText(
        QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size())));
}

void TSearchResultsPopup::FocusResults() {
    ControlWidget(List.vstSearchResults())->setFocus();
}

void TSearchResultsPopup::FocusSearchBox() {
    SearchBox->setFocus();
}
