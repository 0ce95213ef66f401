#include "app/application.h"

#include <QMessageBox>

#include <exception>

std::function<void(const std::string&)> TMkbApplication::ErrorHandler;

TMkbApplication::TMkbApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void TMkbApplication::ShowError(const std::string& message) {
    if (ErrorHandler) {
        ErrorHandler(message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(),
                    QString::fromStdString(message), QMessageBox::Ok);
    box.exec();
}

bool TMkbApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowError(e.what());
    } catch (...) {
        ShowError("Unknown error");
    }
    return true;
}
