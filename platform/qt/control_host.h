#pragma once
// The toolkit side of TControl: a scroll area whose viewport is the client area. Private to
// platform/ and its tests.
#include "platform/control.h"
#include <QAbstractScrollArea>
#include <QCursor>
#include <map>

class TControlHost : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TControlHost(TControl& owner);
    ~TControlHost() override;

    void Detach() { Owner = nullptr; }
    TControl* OwnerControl() const { return Owner; }
    QScrollBar* Bar(TScrollBarKind kind) const {
        return kind == sbHorizontal ? horizontalScrollBar() : verticalScrollBar();
    }
    void StartTimer(unsigned id, unsigned milliseconds);
    void StopTimer(unsigned id);
    bool HasTimer(unsigned id) const { return TimerIds.count(id) != 0; }

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // An unused wheel turn goes to the parent window, never to the scroll bars.
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void timerEvent(QTimerEvent* event) override;
    void scrollContentsBy(int, int) override {}

private:
    void BarAction(TScrollBarKind kind, int action);
    void BarReleased(TScrollBarKind kind);
    TScrollBar& OwnerBar(TScrollBarKind kind) const;

    TControl* Owner;
    double PaintedRatio{0};
    std::map<unsigned, int> TimerIds; // control's number -> toolkit's timer id
};

// Makes the toolkit ask platform/accessible.cpp for the accessibility objects of control hosts;
// once per process.
void InstallControlAccessibility();

// The toolkit's pointer shape for a control's cursor.
QCursor QtCursor(TCursor cursor);

// Exposed for the platform tests.
TVirtualKey VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers);
TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
