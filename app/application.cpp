#include "app/application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include <exception>

std::function<void(const std::string&)> TMkbApplication::ErrorHandler;

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

} // namespace

TMkbApplication::TMkbApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The window is Russian whatever the system's locale: so are the toolkit's own dialogs,
    // buttons and context menus.
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
