// Entry point: the splash picture while the classification loads, then the main window.
#include "app/aboutbox.h"
#include "app/commandline.h"
#include "app/mainform.h"
#include "app/splash.h"
#include "platform/application.h"
#include "resources/pictures/pictures.h"
#include "text/utf.h"

#include "mkb_version.h"

#include <cstdio>
#include <exception>
#include <memory>

using namespace mkb::browser;

using namespace mkb::text;

int main(int argc, char** argv) {
    // Read before the toolkit starts, so that --help and a wrong argument need no display;
    // the toolkit's own options are therefore not taken (its environment variables are).
    const TCommandLine commandLine = ParseCommandLine(CommandLineArguments(argc, argv));
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
    StartApplication(
        toolkitArgc, argv, u"МКБ-10", "mkb10",
        {MkbPictures::AppIcon(16), MkbPictures::AppIcon(32), MkbPictures::AppIcon(48)});

    // A picture that cannot be shown must not keep the program from starting.
    std::unique_ptr<TfrmSplashScreen> frmSplashScreen;
    try {
        frmSplashScreen = std::make_unique<TfrmSplashScreen>();
        frmSplashScreen->RepaintNow();
    } catch (const std::exception& e) {
        ShowApplicationError(e.what());
    }

    TfrmMainForm frmMainForm;
    try {
        frmMainForm.FormCreate();
    } catch (const std::exception& e) {
        ShowApplicationError(e.what());
    }
    std::unique_ptr<TAboutBox> AboutBox;
    try {
        AboutBox = std::make_unique<TAboutBox>(&frmMainForm);
        frmMainForm.ShowAbout = [&AboutBox] { AboutBox->ShowModal(); };
    } catch (const std::exception& e) {
        ShowApplicationError(e.what());
    }
    frmSplashScreen.reset();
    frmMainForm.Show();
    if (!commandLine.Code.empty())
        frmMainForm.OpenCode(Utf8ToUtf16(commandLine.Code));
    TTimer selfCheck;
    if (commandLine.SelfCheck) {
        selfCheck.SetSingleShot(true);
        selfCheck.SetInterval(500);
        selfCheck.OnTimer = [&] {
            std::printf("%u\n", frmMainForm.vstPartsTree().RootNodeCount());
            std::fflush(stdout);
            frmMainForm.Close();
        };
        selfCheck.Start();
    }
    const int result = RunApplication();
    AboutBox.reset();
    return result;
}
