// The desktop program's start and its idle cost, measured on the real executable:
//
//  1. From the process start to the main window on screen, with 10,000 people and 1,000
//     reminders (Orlinda --startup-time reports it; five runs, the median and the worst).
//  2. Idle in the tray with nothing due: CPU time over a minute and resident memory.
//
// Runs on the offscreen platform unless a display is there. The executable is found beside
// the build's bench folder (../src/app/Orlinda) or in $ORLINDA_EXE.
//   bench_startup [--idle-seconds N]
#include "core/DateTime.h"
#include "core/RecordKey.h"
#include "model/Identity.h"
#include "model/Reminder.h"
#include "platform/Folders.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace orlinda;
namespace fs = std::filesystem;

namespace {

std::string OrlindaPath(const char* argv0)
{
    if (const char* e = std::getenv("ORLINDA_EXE"))
        return e;
    const fs::path self = fs::canonical("/proc/self/exe");
    return (self.parent_path().parent_path() / "src/app/Orlinda").string();
    (void)argv0;
}

// users.dat and reminders.dat of the given sizes, nothing of it due.
void WriteData(const std::string& folder, int people, int reminders, TDateTime now)
{
    fs::create_directories(folder);
    TIdentityList ids;
    for (int i = 0; i < people; ++i) {
        auto p = std::make_unique<TIdentity>();
        p->FName = NewRecordKey() + std::to_string(i);
        const std::string number = std::to_string(i);
        p->FDisplayName = u"Человек номер " + std::u16string(number.begin(), number.end());
        p->FBirthday = EncodeDate(1950 + i % 50, 1 + i % 12, 1 + i % 28);
        p->FEmail = "person" + std::to_string(i) + "@example.org";
        p->FSex = i % 2 ? SexFemale : "";
        p->SetIntOption(IdentityOptions::CongratType, i % 5);
        ids.Add(std::move(p));
    }
    ids.SaveToFile(folder + "users.dat");
    TReminderList list;
    for (int i = 0; i < reminders; ++i) {
        auto r = std::make_unique<TReminder>();
        r->FName = NewRecordKey() + std::to_string(i);
        r->FText = u"Напоминание";
        r->FStart = r->FNext = now + 30 + i; // nothing due during the measurement
        r->FEnabled = 1;
        r->FKind = i % 5;
        r->FWeekDays = "135";
        r->FSound = "1|1|10|/nonexistent.wav";
        list.Add(std::move(r));
    }
    list.SaveToFile(folder + "reminders.dat");
}

pid_t Spawn(const std::string& exe, const std::vector<std::string>& args, int* out)
{
    int pipeFd[2];
    if (::pipe(pipeFd) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFd[1], 1);
        ::close(pipeFd[0]);
        ::close(pipeFd[1]);
        std::freopen("/dev/null", "w", stderr);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(exe.c_str()));
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(exe.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeFd[1]);
    *out = pipeFd[0];
    return pid;
}

std::string ReadAll(int fd)
{
    std::string s;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        s.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    return s;
}

// utime + stime of a process in clock ticks.
long long CpuTicks(pid_t pid)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::vector<std::string> fields;
    std::string field;
    for (size_t i = close + 2; i <= stat.size(); ++i) {
        if (i == stat.size() || stat[i] == ' ') {
            fields.push_back(field);
            field.clear();
        } else {
            field += stat[i];
        }
    }
    // Fields 14 and 15 of the file, counted from field 3 after the ")".
    return std::stoll(fields.at(11)) + std::stoll(fields.at(12));
}

long long RssKiB(pid_t pid)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atoll(line.c_str() + 6);
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    int idleSeconds = 60;
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--idle-seconds" && i + 1 < argc)
            idleSeconds = std::atoi(argv[++i]);
    if (!std::getenv("DISPLAY"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string exe = OrlindaPath(argv[0]);
    if (!IsExistingFile(exe)) {
        std::fprintf(stderr, "bench_startup: %s not found (build the Orlinda target, or set ORLINDA_EXE)\n",
                     exe.c_str());
        return 1;
    }
    char pattern[] = "/tmp/orlinda-bench-XXXXXX";
    const std::string root = ::mkdtemp(pattern);
    const std::string folder = root + "/Tarvell/Orlinda/";
    // Its own runtime folder, so the bench never meets a running Orlinda's lock.
    const std::string runtime = root + "/run";
    fs::create_directories(runtime);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    const auto t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    ::localtime_r(&t, &local);
    const TDateTime now = EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                         local.tm_min, local.tm_sec);
    WriteData(folder, 10000, 1000, now);

    // 1. Start to window, five times (the first also writes the settings file).
    std::vector<long long> times;
    for (int run = 0; run < 6; ++run) {
        int out = -1;
        const pid_t pid = Spawn(exe, {"--data", root, "--startup-time"}, &out);
        const std::string text = ReadAll(out);
        int status = 0;
        ::waitpid(pid, &status, 0);
        const size_t at = text.find("startup-ms ");
        if (at == std::string::npos) {
            std::fprintf(stderr, "bench_startup: no time reported (exit status %d)\n", status);
            return 1;
        }
        if (run > 0) // the first run is the cold one that installs the delivered files
            times.push_back(std::atoll(text.c_str() + at + 11));
    }
    std::sort(times.begin(), times.end());
    std::printf("start to main window shown, 10000 people and 1000 reminders: median %lld ms, worst %lld ms "
                "(target < 1500 ms)\n",
                times[times.size() / 2], times.back());

    // 2. Idle in the tray: the settings exist now, so the window starts minimized.
    int out = -1;
    const pid_t pid = Spawn(exe, {"--data", root}, &out);
    std::this_thread::sleep_for(std::chrono::seconds(8)); // past the first scan and settling
    const long long before = CpuTicks(pid);
    const auto t0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const long long after = CpuTicks(pid);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const long long rss = RssKiB(pid);
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(out);
    const double cpu = (after - before) / static_cast<double>(::sysconf(_SC_CLK_TCK)) / wall * 100.0;
    std::printf("idle in the tray over %d s: %.3f %% of one core (target < 0.5 %%), resident memory %.1f MB "
                "(target < 120 MB); clean exit on SIGTERM: %s\n",
                idleSeconds, cpu, rss / 1024.0, WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "yes" : "no");
    fs::remove_all(root);
    return 0;
}
