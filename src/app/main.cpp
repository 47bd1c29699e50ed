// Orlinda, the desktop program: the start-up and shut-down order of the whole program.
//
//   Orlinda                 with the user's own data
//   Orlinda --demo          on a fresh temporary data folder with a few people, reminders
//                           and the delivered calendar (removed again at the end)
//   Orlinda --demo --screenshots DIR
//                           the demo, writing pictures of its windows into DIR, then ends
//   Orlinda --data DIR      with the data root DIR in place of the user's folders
//   Orlinda --startup-time  prints the milliseconds from the process start to the main
//                           window on screen, then ends (bench/bench_startup.cpp)
//   Orlinda /autoupdate     restarted by the updater to finish a staged update
#include "core/ExceptionTrace.h"
#include "core/Clock.h"
#include "core/Log.h"
#include "core/Logging.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/StartUp.h"
#include "ui/AlphaDialog.h"
#include "ui/DemoData.h"
#include "net/UpdateStartUp.h"
#include "ui/MainWindow.h"
#include "ui/ProgramWiring.h"
#include "ui/QtMainThread.h"
#include "ui/Screenshots.h"
#include "ui/SingleInstance.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

// SIGTERM, SIGINT and SIGHUP end the program as a shut-down of the system does: the
// handler only writes a byte, the event loop does the rest.
int signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[0], &byte, 1);
}

void InstallShutdownSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(s, &sa, nullptr);
}

void PrintUsage()
{
    std::puts("Usage: Orlinda [--demo [--screenshots DIR]] [--data DIR] [--startup-time] [/autoupdate]\n"
              "  --demo              start on a fresh temporary data folder filled with a few people,\n"
              "                      reminders and the delivered calendar\n"
              "  --screenshots DIR   with --demo: write pictures of the windows into DIR and end\n"
              "  --data DIR          keep the data in DIR/Tarvell/Orlinda/ instead of the user's folder\n"
              "  --startup-time      print the milliseconds from the start to the main window shown, end");
}

// Milliseconds since this process started (its start time in /proc against the boot clock).
long long MillisecondsSinceStart()
{
    FILE* f = std::fopen("/proc/self/stat", "r");
    if (!f)
        return -1;
    char buffer[1024] = {};
    const size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
    std::fclose(f);
    buffer[n] = 0;
    // Field 22 (starttime, in clock ticks), counted after the ")" that ends field 2.
    const char* p = std::strrchr(buffer, ')');
    if (!p)
        return -1;
    int field = 2;
    unsigned long long start = 0;
    for (const char* q = p + 1; *q; ++q) {
        if (*q == ' ' && ++field == 22) {
            start = std::strtoull(q + 1, nullptr, 10);
            break;
        }
    }
    timespec now {};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    const long long ticks = ::sysconf(_SC_CLK_TCK);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000 - static_cast<long long>(start) * 1000 / ticks;
}

// Tells the time of the main window's first paint and ends the program.
class TStartupTimer : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            std::printf("startup-ms %lld\n", MillisecondsSinceStart());
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, [] { QCoreApplication::quit(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool done_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    using namespace orlinda;
    InstallExceptionTrace();
    StartLogging();

    bool demo = false;
    bool startupTime = false;
    std::string screenshots;
    std::string dataRoot;
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--demo") {
            demo = true;
        } else if (a == "--screenshots" && i + 1 < argc) {
            screenshots = argv[++i];
        } else if (a == "--data" && i + 1 < argc) {
            dataRoot = argv[++i];
        } else if (a == "--startup-time") {
            startupTime = true;
        } else if (a == "--help" || a == "-h") {
            PrintUsage();
            return 0;
        } else {
            arguments.push_back(a);
        }
    }
    if (!screenshots.empty() && !demo) {
        std::fputs("Orlinda: --screenshots works with --demo only\n", stderr);
        return 2;
    }

    if (!dataRoot.empty() && !demo)
        SetDataRoot(dataRoot);
    std::string demoRoot;
    if (demo) {
        demoRoot = MakeDemoDataRoot();
        if (demoRoot.empty()) {
            std::fputs("Orlinda: cannot make a temporary folder for the demo\n", stderr);
            return 1;
        }
        SetDataRoot(demoRoot);
    }

    // The folders, the log, the delivered data, the settings, the sounds, the updater
    // (which first finishes a staged update when started with "/autoupdate").
    InstallUpdaterStartUp();
    StartConfiguration(arguments);

    // One instance per user; the demo has one of its own beside the real program.
    TSingleInstance instance(demo ? "Orlinda-demo" : "Orlinda", demo ? "Orlinda-demo_Mapping" : "Orlinda_Mapping");
    if (instance.Run(arguments) != TSingleInstance::TResult::Primary) {
        StopConfiguration();
        StopLogging();
        if (!demoRoot.empty())
            RemoveDemoDataRoot(demoRoot);
        return 0;
    }

    if (demo) {
        WriteDemoData(Now());
        // The demo stays off the network: no update check against the vendor's server.
        Settings().SetBool(SettingsKey::CheckForUpdates, false);
    }

    int result = 0;
    {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Orlinda"));
        QApplication::setApplicationDisplayName(QStringLiteral("Orlinda"));
        QApplication::setQuitOnLastWindowClosed(false);

        TQtMainThread mainThread;
        SetMainThread(&mainThread);
        RegisterMessageLog();

        InstallShutdownSignals();
        std::unique_ptr<QSocketNotifier> signalNotifier;
        std::unique_ptr<TfrmMain> window;
        if (signalPipe[1] >= 0) {
            signalNotifier = std::make_unique<QSocketNotifier>(signalPipe[1], QSocketNotifier::Read);
            QObject::connect(signalNotifier.get(), &QSocketNotifier::activated, [&window] {
                char byte;
                [[maybe_unused]] ssize_t n = ::read(signalPipe[1], &byte, 1);
                if (window)
                    window->SystemShutdown();
                else
                    QCoreApplication::quit();
            });
        }

        TfrmMain::TOptions options;
        options.instance = &instance;
        options.updatedOnStart = IsAutoUpdateStart(arguments) && StagedUpdateSucceeded();
        options.workers = ProgramWorkers();
        options.hooks = ProgramHooks();
        window = std::make_unique<TfrmMain>(std::move(options));
        ConnectProgramEvents(*window);
        const bool minimized =
            !FirstRun() && Settings().GetBool(SettingsKey::MinimizeOnStartup) && !demo && !startupTime;
        TStartupTimer startupTimer;
        if (startupTime)
            window->installEventFilter(&startupTimer);
        if (!minimized)
            window->show();
        if (!screenshots.empty())
            StartScreenshots(*window, QString::fromStdString(screenshots));

        result = app.exec();
        // Workers blocked in a synchronised call go on and end.
        mainThread.Close();
        window.reset();
        SetMainThread(nullptr);
    }

    StopConfiguration();
    StopLogging();
    if (!demoRoot.empty())
        RemoveDemoDataRoot(demoRoot);
    return result;
}
