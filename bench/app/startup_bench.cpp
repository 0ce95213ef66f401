// Measures the time from process start to the first painted main window, the way a user sees
// it: the program re-executes itself, the child runs the application's start-up sequence and
// reports the moment the main window's first paint has finished. Run:
//   QT_QPA_PLATFORM=offscreen bench_startup [runs]
#include "app/aboutbox.h"
#include "app/mainform.h"
#include "app/splash.h"
#include "platform/application.h"
#include "platform/qt/forms_qt.h"

#include <QApplication>
#include <QMainWindow>

#include <QEvent>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace mkb::browser;

namespace {

long long NowMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Reports the end of the first paint of the watched widget, then quits.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(int fd) : Fd(fd) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !Done) {
            Done = true;
            QTimer::singleShot(0, [this] {
                std::string line = std::to_string(NowMicros()) + "\n";
                (void)!write(Fd, line.data(), line.size());
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    int Fd;
    bool Done = false;
};

int Child(int fd, int argc, char** argv) {
    StartApplication(argc, argv, u"МКБ-10", "mkb10", {});
    auto splash = std::make_unique<TfrmSplashScreen>();
    splash->RepaintNow();
    TfrmMainForm form;
    form.FormCreate();
    TAboutBox about(&form);
    splash.reset();
    FirstPaint watcher(fd);
    qobject_cast<QMainWindow*>(WidgetOf(form))->centralWidget()->installEventFilter(&watcher);
    form.Show();
    return RunApplication();
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0)
        return Child(std::atoi(argv[2]), argc, argv);
    int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        int pipefd[2];
        if (pipe(pipefd) != 0)
            return 1;
        long long start = NowMicros();
        pid_t pid = fork();
        if (pid == 0) {
            close(pipefd[0]);
            std::string fd = std::to_string(pipefd[1]);
            execl("/proc/self/exe", argv[0], "--child", fd.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipefd[1]);
        char buf[64] = {};
        ssize_t n = read(pipefd[0], buf, sizeof buf - 1);
        close(pipefd[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        if (n <= 0) {
            std::fprintf(stderr, "run %d: the child reported nothing (status %d)\n", i, status);
            return 1;
        }
        ms.push_back((std::atoll(buf) - start) / 1000.0);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("process start to first painted main window, %d runs: min %.1f ms, median %.1f ms, "
                "max %.1f ms\n",
                runs, ms.front(), ms[ms.size() / 2], ms.back());
    return 0;
}
