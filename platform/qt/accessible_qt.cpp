// The toolkit's accessibility objects for the system's own controls: one object per control
// host that reads the control's description on every question, and for a tree one object per
// row asked for.
#include "platform/accessible.h"
#include "platform/control.h"
#include "platform/qt/control_bridge.h"
#include "platform/qt/control_host.h"
#include "platform/qt/qtconvert.h"
#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>
#include <deque>
#include <unordered_map>

namespace {

class TRowAccessible;
class TLinkAccessible;

class TControlAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TControlAccessible(TControlHost* host)
        : QAccessibleWidget(host, QAccessible::Client), Host(host) {}
    ~TControlAccessible() override;

    TAccessibleDescription* Description() const {
        TControl* owner = Host->OwnerControl();
        return owner != nullptr ? owner->AccessibleDescription() : nullptr;
    }
    TAccessibleTree* Tree() const { return dynamic_cast<TAccessibleTree*>(Description()); }
    TAccessibleText* Text() const { return dynamic_cast<TAccessibleText*>(Description()); }
    TControlHost* HostWidget() const { return Host; }

    // The row's object of the current row generation; none outside the rows.
    TRowAccessible* RowChild(int row);
    // The same for a text's links.
    TLinkAccessible* LinkChild(int link);
    QRect RowScreenRect(const TRect& r) const {
        if (r.IsEmpty())
            return {};
        const QPoint topLeft = Host->viewport()->mapToGlobal(QPoint(r.Left, r.Top));
        return {topLeft, QSize(r.Width(), r.Height())};
    }

    // ---- QAccessibleInterface ----
    QAccessible::Role role() const override {
        if (Tree() != nullptr)
            return QAccessible::Tree;
        if (Text() != nullptr)
            return QAccessible::EditableText; // with readOnly, as the toolkit's text browsers
        return QAccessibleWidget::role();
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (Text() != nullptr) {
            s.readOnly = true;
            s.multiLine = true;
            s.selectableText = true;
        }
        return s;
    }
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* focusChild() const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface && Text() != nullptr)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // ---- QAccessibleTextInterface (read-only) ----
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        if (TAccessibleText* t = Text(); t != nullptr && selectionIndex == 0)
            t->ReadingSelection(*startOffset, *endOffset);
    }
    int selectionCount() const override {
        int start = 0, end = 0;
        selection(0, &start, &end);
        return start != end ? 1 : 0;
    }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override {
        int start = 0, end = 0;
        selection(0, &start, &end);
        return end;
    }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override {
        const QString all = FullText();
        startOffset = std::clamp(startOffset, 0, static_cast<int>(all.size()));
        endOffset = std::clamp(endOffset, startOffset, static_cast<int>(all.size()));
        return all.mid(startOffset, endOffset - startOffset);
    }
    QString text(QAccessible::Text t) const override { return QAccessibleWidget::text(t); }
    int characterCount() const override { return static_cast<int>(FullText().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = offset;
        *endOffset = offset;
        return {};
    }

    QString FullText() const {
        TAccessibleText* t = Text();
        return t != nullptr ? ToQString(t->ReadingText()) : QString();
    }
    // What the last text-changed event announced, so the next one can say what went.
    QString AnnouncedText;

private:
    void SyncRows(std::uint64_t generation);
    void Retire(QAccessibleInterface* child);

    TControlHost* Host;
    std::uint64_t RowsGeneration{0};
    std::unordered_map<int, TRowAccessible*> Rows;
    std::uint64_t LinksGeneration{0};
    std::unordered_map<int, TLinkAccessible*> Links;
    // Rows and links of older generations stay alive, answering as invalid, for readers that
    // still hold them; beyond this many the oldest are unregistered and freed.
    std::deque<QAccessibleInterface*> Retired;
    static constexpr std::size_t RetiredKept = 4096;
};

// A row or a link: an object without children of its own under the control's, read-only, that
// acts on its owner.
class TPartAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TPartAccessible(TControlAccessible& owner, std::uint64_t generation)
        : Owner(owner), Generation(generation) {}

    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return Owner.window(); }
    QAccessibleInterface* parent() const override { return &Owner; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}

protected:
    TControlAccessible& Owner;
    std::uint64_t Generation;
};

class TRowAccessible : public TPartAccessible {
public:
    TRowAccessible(TControlAccessible& tree, int row, std::uint64_t generation)
        : TPartAccessible(tree, generation), Row(row) {}

    int Row;
    // The description while this row is still the row it was made for; none after.
    TAccessibleTree* Live() const {
        TAccessibleTree* t = Owner.Tree();
        if (t == nullptr || t->RowGeneration() != Generation || Row >= t->RowCount())
            return nullptr;
        return t;
    }

    bool isValid() const override { return Live() != nullptr; }
    QAccessible::Role role() const override { return QAccessible::TreeItem; }

    QString text(QAccessible::Text t) const override {
        TAccessibleTree* tree = Live();
        if (tree == nullptr)
            return {};
        if (t == QAccessible::Name)
            return ToQString(tree->RowName(Row));
        if (t == QAccessible::Description) {
            // The toolkit passes no tree level of its own on to the desktop, so the level
            // and the number of children are read out with the row.
            QString d = QStringLiteral("уровень %1").arg(tree->RowLevel(Row));
            if (tree->RowStates(Row).Contains(arsExpandable))
                d += QStringLiteral(", подразделов: %1").arg(tree->RowChildCount(Row));
            return d;
        }
        return {};
    }
    QRect rect() const override {
        TAccessibleTree* tree = Live();
        return tree != nullptr ? Owner.RowScreenRect(tree->RowRect(Row)) : QRect();
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        TAccessibleTree* tree = Live();
        if (tree == nullptr) {
            s.invalid = true;
            return s;
        }
        const TAccessibleRowStates rs = tree->RowStates(Row);
        s.selectable = true;
        s.focusable = true;
        s.selected = rs.Contains(arsSelected);
        s.focused = rs.Contains(arsFocused) && Owner.HostWidget()->hasFocus();
        s.active = rs.Contains(arsFocused);
        s.expandable = rs.Contains(arsExpandable);
        s.expanded = rs.Contains(arsExpanded);
        s.collapsed = s.expandable && !s.expanded;
        s.invisible = tree->RowRect(Row).IsEmpty();
        s.offscreen = s.invisible;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                 : nullptr;
    }

    // ---- actions ----
    static const QString& ExpandName() {
        static const QString n = QStringLiteral("expand");
        return n;
    }
    static const QString& CollapseName() {
        static const QString n = QStringLiteral("collapse");
        return n;
    }
    static const QString& SelectName() {
        static const QString n = QStringLiteral("select");
        return n;
    }
    QStringList actionNames() const override {
        TAccessibleTree* tree = Live();
        if (tree == nullptr)
            return {};
        QStringList names;
        const TAccessibleRowStates rs = tree->RowStates(Row);
        if (rs.Contains(arsExpandable))
            names << (rs.Contains(arsExpanded) ? CollapseName() : ExpandName());
        names << SelectName();
        return names;
    }
    QString localizedActionName(const QString& name) const override {
        if (name == ExpandName())
            return QStringLiteral("развернуть");
        if (name == CollapseName())
            return QStringLiteral("свернуть");
        if (name == SelectName())
            return QStringLiteral("выбрать");
        return QAccessibleActionInterface::localizedActionName(name);
    }
    QString localizedActionDescription(const QString& name) const override {
        return localizedActionName(name);
    }
    void doAction(const QString& name) override {
        TAccessibleTree* tree = Live();
        if (tree == nullptr)
            return;
        if (name == ExpandName())
            tree->DoRowAction(Row, araExpand);
        else if (name == CollapseName())
            tree->DoRowAction(Row, araCollapse);
        else if (name == SelectName() || name == setFocusAction())
            tree->DoRowAction(Row, araSelect);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

// A link of a text: its text as name, the link role, and the action that follows it.
class TLinkAccessible : public TPartAccessible {
public:
    TLinkAccessible(TControlAccessible& text, int link, std::uint64_t generation)
        : TPartAccessible(text, generation), Link(link) {}

    int Link;
    TAccessibleText* Live() const {
        TAccessibleText* t = Owner.Text();
        if (t == nullptr || t->ReadingLinkGeneration() != Generation ||
            Link >= t->ReadingLinkCount())
            return nullptr;
        return t;
    }

    bool isValid() const override { return Live() != nullptr; }
    QAccessible::Role role() const override { return QAccessible::Link; }
    QString text(QAccessible::Text t) const override {
        TAccessibleText* text = Live();
        return text != nullptr && t == QAccessible::Name ? ToQString(text->ReadingLinkName(Link))
                                                         : QString();
    }
    QRect rect() const override {
        TAccessibleText* text = Live();
        return text != nullptr ? Owner.RowScreenRect(text->ReadingLinkRect(Link)) : QRect();
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        TAccessibleText* text = Live();
        if (text == nullptr) {
            s.invalid = true;
            return s;
        }
        s.linked = true;
        s.focusable = true;
        s.focused = text->ReadingFocusedLink() == Link && Owner.HostWidget()->hasFocus();
        s.invisible = text->ReadingLinkRect(Link).IsEmpty();
        s.offscreen = s.invisible;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                 : nullptr;
    }
    QStringList actionNames() const override {
        return Live() != nullptr ? QStringList{pressAction()} : QStringList{};
    }
    QString localizedActionName(const QString& name) const override {
        return name == pressAction() ? QStringLiteral("перейти")
                                     : QAccessibleActionInterface::localizedActionName(name);
    }
    QString localizedActionDescription(const QString& name) const override {
        return localizedActionName(name);
    }
    void doAction(const QString& name) override {
        if (TAccessibleText* text = Live(); text != nullptr && name == pressAction())
            text->ReadingFollowLink(Link);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

TControlAccessible::~TControlAccessible() {
    for (auto& [row, child] : Rows)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(child));
    for (auto& [link, child] : Links)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(child));
    for (QAccessibleInterface* child : Retired)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(child));
}

void TControlAccessible::Retire(QAccessibleInterface* child) {
    Retired.push_back(child);
    while (Retired.size() > RetiredKept) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(Retired.front()));
        Retired.pop_front();
    }
}

void TControlAccessible::SyncRows(std::uint64_t generation) {
    if (generation == RowsGeneration)
        return;
    for (auto& [row, child] : Rows)
        Retire(child);
    Rows.clear();
    RowsGeneration = generation;
}

TLinkAccessible* TControlAccessible::LinkChild(int link) {
    TAccessibleText* text = Text();
    if (text == nullptr || link < 0 || link >= text->ReadingLinkCount())
        return nullptr;
    if (text->ReadingLinkGeneration() != LinksGeneration) {
        for (auto& [n, child] : Links)
            Retire(child);
        Links.clear();
        LinksGeneration = text->ReadingLinkGeneration();
    }
    auto [it, made] = Links.try_emplace(link, nullptr);
    if (made) {
        it->second = new TLinkAccessible(*this, link, LinksGeneration);
        QAccessible::registerAccessibleInterface(it->second);
    }
    return it->second;
}

TRowAccessible* TControlAccessible::RowChild(int row) {
    TAccessibleTree* tree = Tree();
    if (tree == nullptr || row < 0 || row >= tree->RowCount())
        return nullptr;
    SyncRows(tree->RowGeneration());
    auto [it, made] = Rows.try_emplace(row, nullptr);
    if (made) {
        it->second = new TRowAccessible(*this, row, RowsGeneration);
        QAccessible::registerAccessibleInterface(it->second);
    }
    return it->second;
}

int TControlAccessible::childCount() const {
    if (TAccessibleTree* tree = Tree())
        return tree->RowCount();
    if (TAccessibleText* text = Text())
        return text->ReadingLinkCount();
    return QAccessibleWidget::childCount();
}

QAccessibleInterface* TControlAccessible::child(int index) const {
    if (Tree() != nullptr)
        return const_cast<TControlAccessible*>(this)->RowChild(index);
    if (Text() != nullptr)
        return const_cast<TControlAccessible*>(this)->LinkChild(index);
    return QAccessibleWidget::child(index);
}

int TControlAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (child != nullptr && child->parent() == this && Text() != nullptr) {
        const auto* link = static_cast<const TLinkAccessible*>(child);
        return link->Live() != nullptr ? link->Link : -1;
    }
    if (Tree() == nullptr)
        return Text() != nullptr ? -1 : QAccessibleWidget::indexOfChild(child);
    if (child == nullptr || child->parent() != this)
        return -1;
    const auto* row = static_cast<const TRowAccessible*>(child);
    return row->Live() != nullptr ? row->Row : -1;
}

QAccessibleInterface* TControlAccessible::focusChild() const {
    if (TAccessibleTree* tree = Tree()) {
        const int row = tree->FocusedRow();
        return row >= 0 ? child(row) : nullptr;
    }
    if (TAccessibleText* text = Text()) {
        const int link = text->ReadingFocusedLink();
        return link >= 0 ? child(link) : nullptr;
    }
    return QAccessibleWidget::focusChild();
}

QAccessibleInterface* TControlAccessible::childAt(int x, int y) const {
    TAccessibleTree* tree = Tree();
    if (TAccessibleText* text = Text()) {
        const QPoint p = Host->viewport()->mapFromGlobal(QPoint(x, y));
        for (int i = 0; i < text->ReadingLinkCount(); ++i)
            if (text->ReadingLinkRect(i).Contains({p.x(), p.y()}))
                return child(i);
        return nullptr;
    }
    if (tree == nullptr)
        return QAccessibleWidget::childAt(x, y);
    const QPoint p = Host->viewport()->mapFromGlobal(QPoint(x, y));
    const int row = tree->RowAt({p.x(), p.y()});
    return row >= 0 ? child(row) : nullptr;
}

QAccessibleInterface* ControlAccessibleFactory(const QString&, QObject* object) {
    if (auto* host = qobject_cast<TControlHost*>(object))
        return new TControlAccessible(host);
    return nullptr;
}

} // namespace

void InstallControlAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&ControlAccessibleFactory);
        return true;
    }();
    (void)installed;
}

namespace {
TAccessibleEventSink EventSink = nullptr;

void Raise(QAccessibleEvent& e) {
    if (EventSink != nullptr)
        EventSink(&e);
    QAccessible::updateAccessibility(&e);
}
} // namespace

void SetAccessibleEventSink(TAccessibleEventSink sink) {
    EventSink = sink;
}

bool AccessibilityActive() {
    return EventSink != nullptr || QAccessible::isActive();
}

void NotifyAccessible(TControl& control, TAccessibleEvent event, int row) {
    TControlHost* host = control.Host();
    if (host == nullptr || !AccessibilityActive())
        return;
    switch (event) {
    case aeFocus: {
        // A reader follows the focused row only while the tree has the keyboard focus;
        // otherwise the event would pull it away from the control being typed in.
        if (!host->hasFocus() || row < 0)
            return;
        QAccessibleEvent e(host, QAccessible::Focus);
        e.setChild(row);
        Raise(e);
        return;
    }
    case aeStateChanged: {
        if (row < 0)
            return;
        QAccessible::State changed;
        changed.expanded = true;
        changed.collapsed = true;
        changed.selected = true;
        QAccessibleStateChangeEvent e(host, changed);
        e.setChild(row);
        Raise(e);
        return;
    }
    case aeRowsChanged: {
        QAccessibleEvent e(host, QAccessible::ObjectReorder);
        Raise(e);
        return;
    }
    case aeTextChanged: {
        auto* iface =
            dynamic_cast<TControlAccessible*>(QAccessible::queryAccessibleInterface(host));
        if (iface == nullptr)
            return;
        const QString text = iface->FullText();
        QAccessibleTextUpdateEvent e(host, 0, iface->AnnouncedText, text);
        iface->AnnouncedText = text;
        Raise(e);
        return;
    }
    case aeSelectionChanged: {
        auto* iface =
            dynamic_cast<TControlAccessible*>(QAccessible::queryAccessibleInterface(host));
        if (iface == nullptr)
            return;
        int start = 0, end = 0;
        iface->selection(0, &start, &end);
        QAccessibleTextSelectionEvent e(host, start, end);
        Raise(e);
        return;
    }
    }
}
