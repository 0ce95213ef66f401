#pragma once
// The application object: its default error handler shows what escapes any event handler in a
// message box and lets the program run on with the state built so far.
#include <QApplication>

#include <functional>
#include <string>

class TMkbApplication : public QApplication {
public:
    TMkbApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows an error's text; replaceable so tests need not answer a modal box.
    static void ShowError(const std::string& message);
    static std::function<void(const std::string&)> ErrorHandler;
};
