// Entry point: the splash picture while the classification loads, then the main window.
#include "app/application.h"
#include "app/mainform.h"

#include <exception>

int main(int argc, char** argv) {
    TMkbApplication app(argc, argv);
    TMkbApplication::setApplicationDisplayName(QStringLiteral("МКБ-10"));
    TfrmMainForm frmMainForm;
    try {
        frmMainForm.FormCreate();
    } catch (const std::exception& e) {
        TMkbApplication::ShowError(e.what());
    }
    frmMainForm.show();
    return app.exec();
}
