// The program's application object on Qt: the Russian window language and the error handler
// around every event.
#include "platform/application.h"
#include "platform/bitmap.h"
#include "platform/qt/qtconvert.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include <algorithm>
#include <exception>

std::function<void(const std::string&)> ApplicationErrorHandler;

namespace {

// Qt's Russian catalogue leaves the OK button in Latin letters; a Russian desktop writes it in
// Cyrillic.
class TCyrillicOk : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override {
        if (qstrcmp(source, "OK") == 0)
            return QStringLiteral("ОК");
        if (qstrcmp(source, "&OK") == 0)
            return QStringLiteral("&ОК");
        return {};
    }
};

class TProgramApplication : public QApplication {
public:
    TProgramApplication(int& argc, char** argv) : QApplication(argc, argv) {
        // The window is Russian whatever the system's locale: so are the toolkit's own
        // dialogs, buttons and context menus.
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        for (const char* name : {"qtbase_ru", "qt_ru"}) {
            auto* translator = new QTranslator(this);
            if (translator->load(QString::fromLatin1(name), folder))
                installTranslator(translator);
            else
                delete translator;
        }
        // Installed last, so asked first.
        installTranslator(new TCyrillicOk(this));
    }

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            ShowApplicationError(e.what());
        } catch (...) {
            ShowApplicationError("Unknown error");
        }
        return true;
    }
};

} // namespace

void StartApplication(int& argc, char** argv, const std::u16string& displayName,
                      const char* desktopName, const std::vector<const char*>& iconPictures) {
    if (QApplication::instance() == nullptr) {
        // The application object lives as long as the process.
        new TProgramApplication(argc, argv);
    }
    QApplication::setApplicationDisplayName(ToQString(displayName));
    if (desktopName != nullptr)
        QGuiApplication::setDesktopFileName(QString::fromLatin1(desktopName));
    QIcon icon;
    for (const char* picture : iconPictures)
        if (picture != nullptr)
            icon.addFile(QString::fromLatin1(picture));
    if (!icon.isNull())
        QApplication::setWindowIcon(icon);
}

int RunApplication() {
    return QApplication::exec();
}

void ShowApplicationError(const std::string& message) {
    if (ApplicationErrorHandler) {
        ApplicationErrorHandler(message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(),
                    QString::fromStdString(message), QMessageBox::Ok);
    box.exec();
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}
