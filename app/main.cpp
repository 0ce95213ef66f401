// Entry point: the splash picture while the classification loads, then the main window.
#include "app/aboutbox.h"
#include "app/application.h"
#include "app/commandline.h"
#include "app/mainform.h"
#include "app/splash.h"
#include "resources/pictures/pictures.h"

#include "mkb_version.h"

#include <QIcon>

#include <cstdio>
#include <exception>
#include <memory>

int main(int argc, char** argv) {
    // Read before the toolkit starts, so that --help and a wrong argument need no display;
    // the toolkit's own options are therefore not taken (its environment variables are).
    const TCommandLine commandLine =
        ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (commandLine.Action == TCommandLine::clHelp) {
        std::fputs(UsageText, stdout);
        return 0;
    }
    if (commandLine.Action == TCommandLine::clVersion) {
        std::puts("mkb10 " MKB_VERSION);
        return 0;
    }
    if (commandLine.Action == TCommandLine::clError) {
        std::fprintf(stderr, "mkb10: %s\nСправка: mkb10 --help\n", commandLine.Error.c_str());
        return CommandLineErrorStatus;
    }
    int toolkitArgc = 1;
    TMkbApplication app(toolkitArgc, argv);
    TMkbApplication::setApplicationDisplayName(QStringLiteral("МКБ-10"));
    TMkbApplication::setDesktopFileName(QStringLiteral("mkb10"));
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QString::fromLatin1(MkbPictures::AppIcon(size)), QSize(size, size));
    TMkbApplication::setWindowIcon(icon);

    // A picture that cannot be shown must not keep the program from starting.
    std::unique_ptr<TfrmSplashScreen> frmSplashScreen;
    try {
        frmSplashScreen = std::make_unique<TfrmSplashScreen>();
        frmSplashScreen->show();
        frmSplashScreen->RepaintNow();
    } catch (const std::exception& e) {
        TMkbApplication::ShowError(e.what());
    }

    TfrmMainForm frmMainForm;
    try {
        frmMainForm.FormCreate();
    } catch (const std::exception& e) {
        TMkbApplication::ShowError(e.what());
    }
    std::unique_ptr<TAboutBox> AboutBox;
    try {
        AboutBox = std::make_unique<TAboutBox>(&frmMainForm);
        frmMainForm.ShowAbout = [&AboutBox] { AboutBox->ShowModal(); };
    } catch (const std::exception& e) {
        TMkbApplication::ShowError(e.what());
    }
    if (frmSplashScreen) {
        frmSplashScreen->hide();
        frmSplashScreen.reset();
    }
    frmMainForm.show();
    if (!commandLine.Code.empty())
        frmMainForm.OpenCode(QString::fromLocal8Bit(commandLine.Code.c_str()).toStdU16String());
    int result = app.exec();
    AboutBox.reset();
    return result;
}
