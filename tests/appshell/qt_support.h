#pragma once
// One QApplication for the whole suite, and a way to answer a modal window from inside its
// own event loop.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "platform/qt/forms_qt.h"

#include <gtest/gtest.h>

#include <functional>

class TQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_appshell";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            App = new QApplication(argc, argv);
    }
    void TearDown() override {
        delete App;
        App = nullptr;
    }

private:
    QApplication* App{nullptr};
};

// The toolkit widget behind a window piece, to send it input or read what it shows.
inline QWidget* W(const TWidget* piece) {
    return WidgetOf(*piece);
}
template <typename Q> Q* As(const TWidget* piece) {
    return qobject_cast<Q*>(WidgetOf(*piece));
}

// Calls `act` with the modal window once `open` has shown one, then returns what `open`
// returned. Should `act` leave the window open, it is closed after a second and the test fails
// rather than hanging.
template <typename TOpen> auto AnswerModal(TOpen open, std::function<void(QWidget* modal)> act) {
    bool acted = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (acted || !modal || !modal->isVisible())
            return;
        acted = true;
        act(modal);
    });
    poll.start();
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        ADD_FAILURE() << "the modal window was not closed";
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    guard.start(1000);
    auto result = open();
    EXPECT_TRUE(acted) << "no modal window appeared";
    return result;
}
