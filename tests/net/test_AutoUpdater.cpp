// The auto-updater against an update folder served by nginx on loopback: files compressed
// with the bzip2 tool, staged files partly or wholly there, sections that need a restart,
// optional sections, wrong CRCs and names that would leave their folders; the start-up
// path "/autoupdate" and "orlinda-cli update".
#include "net/AutoUpdater.h"

#include "core/Digest.h"
#include "core/Log.h"
#include "core/Logging.h"
#include "core/MainThread.h"
#include "model/Paths.h"
#include "model/StartUp.h"
#include "net/UpdateStartUp.h"
#include "net/support/Servers.h"
#include "support/RunCli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>

using namespace orlinda;
using namespace orlinda::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

std::string Pattern(size_t size, uint32_t seed)
{
    std::string s(size, '\0');
    uint32_t x = seed;
    for (auto& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

uint32_t Crc(const std::string& bytes)
{
    return static_cast<uint32_t>(Crc32(bytes));
}

// Compressed by the bzip2 tool itself.
std::string Bzip2(const std::string& bytes)
{
    TempDir t;
    WriteFile(t.File("f"), bytes);
    RunCommand("bzip2 -9 '" + t.File("f") + "'");
    return ReadFile(t.File("f.bz2"));
}

std::string Entry(const std::string& installed, const std::string& stored, const std::string& name)
{
    return std::to_string(installed.size()) + "|" + std::to_string(Crc(installed)) + "|" +
           std::to_string(stored.size()) + "|" + std::to_string(Crc(stored)) + "|" + name;
}

struct UpdateFile {
    std::string name;
    std::string content;
};

TAutoUpdater::TTimings Quick()
{
    TAutoUpdater::TTimings t;
    t.IndexLimit = 5000;
    t.IndexTimeout = 5000;
    t.RetryPause = 50;
    t.OpenPause = 50;
    t.InstallPause = 50;
    t.PrunePause = 0;
    t.Download.Budget = 20000;
    t.Download.RetryPause = 50;
    t.Download.OpenPause = 50;
    return t;
}

Nginx::Options LoggedNginx(const std::string& logFile)
{
    Nginx::Options o;
    o.httpConfig = "  log_format ranges '$uri $status [$http_range]';\n";
    o.serverConfig = "    access_log " + logFile + " ranges;\n"
                     "    location /update/appdir/slow/ { limit_rate 8k; }\n";
    return o;
}

std::vector<std::string> FilesUnder(const std::string& folder)
{
    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file())
            files.push_back(fs::relative(e.path(), folder).string());
    std::sort(files.begin(), files.end());
    return files;
}

class UpdaterTest : public ::testing::Test {
protected:
    UpdaterTest() : nginx(LoggedNginx(logs.File("access.log")))
    {
        folders.AppDir = root.File("app/");
        folders.CommonDir = root.File("common/");
        folders.UserDir = root.File("user/");
        folders.StagingFolder = root.File("user/Tarvell/Orlinda/update/");
        folders.BaseAddress = nginx.Url("/update/");
        for (const std::string* f : {&folders.AppDir, &folders.CommonDir, &folders.UserDir})
            fs::create_directories(*f);
        SetMainThread(&mainThread);
        SetLogWriter([this](const std::string& m) {
            std::lock_guard lock(mutex);
            logLines.push_back(m);
        });
    }
    ~UpdaterTest() override
    {
        SetMainThread(nullptr);
        SetLogWriter(DefaultLogWriter);
    }

    // Adds an update section to the index and puts its files on the server.
    TOptionsList& AddSection(const std::string& name, const std::string& path, const std::vector<UpdateFile>& files,
                             bool compressed = false)
    {
        TOptionsList* s = index.FindOrAdd(name);
        s->SetValue("Path", path);
        if (compressed)
            s->SetValue("Compression", "bzip2");
        int n = 0;
        for (const UpdateFile& f : files) {
            const std::string stored = compressed ? Bzip2(f.content) : f.content;
            s->SetValue("File_" + std::to_string(++n), Entry(f.content, stored, f.name));
            nginx.Put(ServerPath(*s, f.name), stored);
        }
        return *s;
    }
    std::string ServerPath(const TOptionsList& section, const std::string& name) const
    {
        return folders.FileAddress(section, name).substr(nginx.Url("/").size());
    }
    void Publish() { nginx.Put("update/index.dat", index.Text()); }

    std::unique_ptr<TAutoUpdater> NewUpdater(const TUpdateFolders& f)
    {
        auto u = std::make_unique<TAutoUpdater>(f);
        u->SetTimings(Quick());
        TAutoUpdater* p = u.get();
        u->OnStart = [this, p] { Event("start:" + std::to_string(p->Phase())); };
        u->OnDone = [this, p] { Event("done:" + std::to_string(p->Phase())); };
        u->OnError = [this, p] { Event("error:" + std::to_string(p->ResultCode())); };
        u->OnConfirm = [this](TMultiOptions& idx) {
            Event("confirm");
            return confirm(idx);
        };
        return u;
    }
    std::unique_ptr<TAutoUpdater> NewUpdater() { return NewUpdater(folders); }

    // Runs the request and pumps the events until the updater is idle again.
    void Run(TAutoUpdater& u, bool install = false, bool silent = false)
    {
        ASSERT_TRUE(install ? u.Install(silent) : u.Check());
        ASSERT_TRUE(mainThread.PumpUntil([&] { return u.Suspended() || u.Finished(); }, 60s));
    }

    void Event(const std::string& e)
    {
        std::lock_guard lock(mutex);
        events.push_back(e);
    }
    std::vector<std::string> Events()
    {
        std::lock_guard lock(mutex);
        return events;
    }
    bool Logged(const std::string& line)
    {
        std::lock_guard lock(mutex);
        return std::find(logLines.begin(), logLines.end(), line) != logLines.end();
    }
    std::vector<std::string> Requests()
    {
        std::this_thread::sleep_for(100ms);  // nginx logs a request just after answering it
        std::vector<std::string> lines;
        std::string log = ReadFile(logs.File("access.log"));
        for (size_t start = 0; start < log.size();) {
            size_t end = log.find('\n', start);
            lines.push_back(log.substr(start, end - start));
            start = end == std::string::npos ? log.size() : end + 1;
        }
        return lines;
    }
    bool Requested(const std::string& what)
    {
        auto r = Requests();
        return std::any_of(r.begin(), r.end(), [&](const std::string& l) { return l.find(what) != std::string::npos; });
    }
    std::string File(const std::string& relative) const { return ReadFile(root.File(relative)); }
    bool Exists(const std::string& relative) const { return fs::exists(root.File(relative)); }
    void Put(const std::string& relative, const std::string& bytes) const
    {
        fs::create_directories(fs::path(root.File(relative)).parent_path());
        WriteFile(root.File(relative), bytes);
    }
    // Writes the staging index and staged files as a check would have left them.
    void Stage(const TMultiOptions& staged) const { Put("user/Tarvell/Orlinda/update/index.dat", staged.Text()); }

    TempDir logs;
    Nginx nginx;
    TempDir root;
    TUpdateFolders folders;
    TMultiOptions index;
    TQueuedMainThread mainThread;
    std::function<bool(TMultiOptions&)> confirm = [](TMultiOptions&) { return true; };
    std::mutex mutex;
    std::vector<std::string> events, logLines;
};

} // namespace

TEST_F(UpdaterTest, ChecksDownloadsAndInstalls)
{
    const std::string program = Pattern(50000, 1), same = "unchanged", holidays = Pattern(300000, 2);
    Put("app/orlinda.txt", "old program");
    Put("app/same.txt", same);
    AddSection("Section_Program", "{{AppDir}}", {{"orlinda.txt", program}, {"same.txt", same}});
    AddSection("Section_Data", "{{UserDir}}Tarvell\\Orlinda\\", {{"holidays.dat", holidays}, {"sub\\deep.txt", "deep"}},
               true);
    Publish();
    // An earlier run stopped half way through the compressed calendar.
    const std::string packed = Bzip2(holidays);
    Put("user/Tarvell/Orlinda/update/userdir/Tarvell/Orlinda/holidays.dat", packed.substr(0, packed.size() / 2));

    auto updater = NewUpdater();
    Run(*updater);

    EXPECT_EQ(Events(), (std::vector<std::string>{"start:1", "confirm", "done:2", "start:3", "done:6"}));
    EXPECT_EQ(updater->PhaseReached(), TAutoUpdater::PhaseInstalled);
    EXPECT_EQ(updater->Phase(), TAutoUpdater::PhaseIdle);
    EXPECT_EQ(updater->ResultKind(), 0);
    EXPECT_EQ(updater->ResultCode(), 0);
    EXPECT_EQ(updater->ResultMessage(), "OK");
    EXPECT_EQ(updater->InstalledCount(), 2);
    EXPECT_EQ(File("app/orlinda.txt"), program);
    EXPECT_EQ(File("app/same.txt"), same);
    EXPECT_EQ(File("user/Tarvell/Orlinda/holidays.dat"), holidays);
    EXPECT_EQ(File("user/Tarvell/Orlinda/sub/deep.txt"), "deep");
    // The staged copies and the staging index are gone once installed.
    EXPECT_EQ(FilesUnder(folders.StagingFolder), std::vector<std::string>{});
    // The half-downloaded file was resumed; the unchanged one was never fetched.
    EXPECT_TRUE(Requested("/update/userdir/Tarvell/Orlinda/holidays.dat 206 [bytes=" +
                          std::to_string(packed.size() / 2) + "-]"));
    EXPECT_TRUE(Requested("/update/appdir/orlinda.txt 200 [-]"));
    EXPECT_FALSE(Requested("same.txt"));
    // Idle again: a second check finds nothing to do.
    events.clear();
    Run(*updater);
    EXPECT_EQ(Events(), (std::vector<std::string>{"start:1", "error:3116"}));
}

TEST_F(UpdaterTest, NothingToUpdateEndsBeforeAsking)
{
    Put("app/a.txt", "same");
    Put("user/settings.ini", "the user's own");
    AddSection("Section_A", "{{AppDir}}", {{"a.txt", "same"}});
    AddSection("Section_Config", "{{UserDir}}", {{"settings.ini", "the vendor's"}}).SetValue("RewriteMode",
                                                                                           "If Not Exists");
    Publish();
    auto updater = NewUpdater();
    Run(*updater);
    EXPECT_EQ(Events(), (std::vector<std::string>{"start:1", "error:3116"}));
    EXPECT_EQ(updater->ResultKind(), 100);
    EXPECT_EQ(updater->ResultMessage(), "There`s nothing to update");
    EXPECT_EQ(File("user/settings.ini"), "the user's own");
}

TEST_F(UpdaterTest, DecliningIsAUserAbort)
{
    AddSection("Section_A", "{{AppDir}}", {{"a.txt", "new"}});
    Publish();
    confirm = [](TMultiOptions&) { return false; };
    auto updater = NewUpdater();
    Run(*updater);
    EXPECT_EQ(Events(), (std::vector<std::string>{"start:1", "confirm", "error:2"}));
    EXPECT_EQ(updater->ResultKind(), 100);
    EXPECT_EQ(updater->ResultCode(), 2);
    EXPECT_EQ(updater->ResultMessage(), "User abort");
    EXPECT_TRUE(Logged("AutoUpdater Confirmation: Aborted by the user"));
    EXPECT_FALSE(Exists("app/a.txt"));
    EXPECT_FALSE(Requested("a.txt"));
}

TEST_F(UpdaterTest, OptionalSectionsAreTakenOnlyWhenChecked)
{
    AddSection("Section_Required", "{{AppDir}}", {{"req.txt", "required"}});
    AddSection("Section_Opt1", "{{AppDir}}", {{"opt1.txt", "first"}}).SetBool("Optional", true);
    AddSection("Section_Opt2", "{{AppDir}}", {{"opt2.txt", "second"}}).SetBool("Optional", true);
    Publish();
    // Staged completely by an earlier run: not fetched again, but still installed.
    Put("user/Tarvell/Orlinda/update/appdir/req.txt", "required");
    confirm = [](TMultiOptions& idx) {
        idx.Find("Section_Opt1")->SetBool("Checked", true);
        return true;
    };
    auto updater = NewUpdater();
    Run(*updater);
    EXPECT_EQ(updater->ResultCode(), 0) << updater->ResultMessage();
    EXPECT_EQ(File("app/req.txt"), "required");
    EXPECT_EQ(File("app/opt1.txt"), "first");
    EXPECT_FALSE(Exists("app/opt2.txt"));
    EXPECT_FALSE(Requested("opt2.txt"));
    EXPECT_FALSE(Requested("req.txt"));
    EXPECT_EQ(updater->InstalledCount(), 2);
}

TEST_F(UpdaterTest, RestartSectionsKeepBackupsAndTheRestFollowsTheRestart)
{
    const std::string exe = Pattern(70000, 3);
    Put("app/orlinda.bin", "old exe");
    ::chmod(root.File("app/orlinda.bin").c_str(), 0755);
    Put("app/orlinda.bin.bak", "from an update long ago");
    AddSection("Section_Exe", "{{AppDir}}", {{"orlinda.bin", exe}}).SetValue("RestartMode", "Restart");
    AddSection("Section_Help", "{{UserDir}}", {{"help.dat", "help pages"}});
    Publish();

    auto updater = NewUpdater();
    Run(*updater);
    EXPECT_EQ(Events(), (std::vector<std::string>{"start:1", "confirm", "done:2", "start:3", "done:5"}));
    EXPECT_TRUE(updater->Finished());
    EXPECT_EQ(updater->PhaseReached(), TAutoUpdater::PhaseRestartNeeded);
    EXPECT_FALSE(updater->Check());
    EXPECT_EQ(File("app/orlinda.bin"), exe);
    EXPECT_EQ(File("app/orlinda.bin.bak"), "old exe");
    struct stat st {};
    ASSERT_EQ(::stat(root.File("app/orlinda.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
    EXPECT_FALSE(Exists("user/help.dat"));
    EXPECT_TRUE(Exists("user/Tarvell/Orlinda/update/index.dat"));

    // The restarted program finishes the update silently: events come on the updater's
    // own thread, nobody pumps the main thread.
    events.clear();
    auto restarted = NewUpdater();
    ASSERT_TRUE(PerformStagedUpdate(*restarted, 20000));
    EXPECT_EQ(Events(), (std::vector<std::string>{"start:3", "done:6"}));
    EXPECT_EQ(File("user/help.dat"), "help pages");
    EXPECT_EQ(File("app/orlinda.bin"), exe);
    EXPECT_EQ(File("app/orlinda.bin.bak"), "old exe");
    EXPECT_FALSE(Exists("user/Tarvell/Orlinda/update/index.dat"));
    EXPECT_TRUE(Logged("Updating program files..."));
    EXPECT_TRUE(Logged("OK (0)"));
}

TEST_F(UpdaterTest, AFailedRestartSectionGetsItsFilesBack)
{
    Put("app/a.bin", "old a");
    Put("app/b.bin", "old b");
    TMultiOptions staged;
    TOptionsList* s = staged.FindOrAdd("Section_Exe");
    s->SetValue("Path", "{{AppDir}}");
    s->SetValue("RestartMode", "Restart");
    s->SetValue("File_1", Entry("new a", "new a", "a.bin"));
    s->SetValue("File_2", Entry("new b", "new b", "b.bin"));
    Stage(staged);
    Put("user/Tarvell/Orlinda/update/appdir/a.bin", "new a");
    Put("user/Tarvell/Orlinda/update/appdir/b.bin", "bad b");

    auto updater = NewUpdater();
    Run(*updater, true, false);
    EXPECT_EQ(Events(), (std::vector<std::string>{"start:3", "error:3113"}));
    EXPECT_EQ(updater->ResultMessage(), "CRC mismatch");
    EXPECT_EQ(File("app/a.bin"), "old a");
    EXPECT_EQ(File("app/b.bin"), "old b");
    EXPECT_FALSE(Exists("app/a.bin.bak"));
    EXPECT_FALSE(Exists("app/b.bin.bak"));
    EXPECT_TRUE(updater->Suspended());
}

TEST_F(UpdaterTest, InstallationChecksWhatItInstalls)
{
    const std::string content = Pattern(100000, 4);
    const std::string packed = Bzip2(content);
    const std::string cut = packed.substr(0, packed.size() / 2);
    struct Case {
        const char* what;
        bool compressed;
        std::string stagedBytes;  // what lies in the staging folder
        std::string entry;
        int code;
    } cases[] = {
        {"a staged file with another CRC", false, "wrong", Entry("right", "right", "f.dat"), 3113},
        // The cut file is what the index describes, so only unpacking finds the fault.
        {"a cut bzip2 file", true, cut, Entry(content, cut, "f.dat"), 3114},
        {"bzip2 data that unpacks to something else", true, packed, Entry("other", packed, "f.dat"), 3113},
        {"a staged file that is not there", false, "", Entry("x", "x", "missing.dat"), 3108},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        events.clear();
        Put("app/f.dat", "installed");
        TMultiOptions staged;
        TOptionsList* s = staged.FindOrAdd("Section_F");
        s->SetValue("Path", "{{AppDir}}");
        if (c.compressed)
            s->SetValue("Compression", "bzip2");
        s->SetValue("File_1", c.entry);
        Stage(staged);
        if (!c.stagedBytes.empty())
            Put("user/Tarvell/Orlinda/update/appdir/f.dat", c.stagedBytes);
        auto updater = NewUpdater();
        auto t = Quick();
        t.InstallLimit = 300;
        updater->SetTimings(t);
        Run(*updater, true, true);
        EXPECT_EQ(updater->ResultKind(), 100);
        EXPECT_EQ(updater->ResultCode(), c.code) << updater->ResultMessage();
        EXPECT_EQ(Events(), (std::vector<std::string>{"start:3", "error:" + std::to_string(c.code)}));
        // The installed file is untouched and nothing is left beside it.
        EXPECT_EQ(File("app/f.dat"), "installed");
        EXPECT_EQ(FilesUnder(folders.AppDir), std::vector<std::string>{"f.dat"});
        EXPECT_TRUE(Exists("user/Tarvell/Orlinda/update/index.dat"));
        fs::remove_all(folders.StagingFolder);
    }
}

TEST_F(UpdaterTest, NamesThatLeaveTheirFolderAreRefused)
{
    struct Case {
        const char* path;
        const char* name;
        int code;
        const char* message;
    } cases[] = {
        {"{{AppDir}}", "..\\..\\evil.txt", 3105, "Cannot create file ..\\..\\evil.txt"},
        {"{{AppDir}}", "sub/../../../evil.txt", 3105, "Cannot create file sub/../../../evil.txt"},
        {"{{AppDir}}", "/tmp/evil.txt", 3105, "Cannot create file /tmp/evil.txt"},
        {"{{AppDir}}..\\", "evil.txt", 3104, nullptr},
        {"/tmp/", "evil.txt", 3104, "Cannot create folder /tmp/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + c.name);
        for (bool install : {false, true}) {
            events.clear();
            TMultiOptions evil;
            TOptionsList* s = evil.FindOrAdd("Section_Evil");
            s->SetValue("Path", c.path);
            s->SetValue("File_1", Entry("evil", "evil", c.name));
            auto updater = NewUpdater();
            if (install) {
                // A staging index changed behind the updater's back.
                Stage(evil);
                Run(*updater, true, true);
                EXPECT_EQ(Events(), (std::vector<std::string>{"start:3", "error:" + std::to_string(c.code)}));
            } else {
                nginx.Put("update/index.dat", evil.Text());
                nginx.Put("update/evil.txt", "evil");
                nginx.Put("evil.txt", "evil");
                Run(*updater);
                EXPECT_EQ(Events(), (std::vector<std::string>{"start:1", "error:" + std::to_string(c.code)}));
                EXPECT_FALSE(Requested("evil.txt"));
            }
            EXPECT_EQ(updater->ResultKind(), 100);
            EXPECT_EQ(updater->ResultCode(), c.code);
            if (c.message) {
                EXPECT_EQ(updater->ResultMessage(), c.message);
            }
            for (const std::string& f : FilesUnder(root.Path()))
                EXPECT_EQ(f.find("evil"), std::string::npos) << f;
            EXPECT_FALSE(fs::exists("/tmp/evil.txt"));
        }
    }
}

TEST_F(UpdaterTest, IndexAndEntryFailures)
{
    TUpdateFolders dead = folders;
    dead.BaseAddress = "http://127.0.0.1:" + std::to_string(FreePort()) + "/update/";
    struct Case {
        const char* what;
        std::string index;  // served as index.dat; empty: none
        bool deadServer;
        int kind, code;
        const char* message;
    } cases[] = {
        {"no index on the server", "", false, 2, 404, "Object not found"},
        {"no server", "", true, 100, 204, "Timeout"},
        {"a size that is not a number", "[Section_A]\r\nPath={{AppDir}}\r\nFile_1=big|1|1|1|a.txt\r\n", false, 100,
         3111, "Incorrect filesize field format"},
        {"a CRC that is not a number", "[Section_A]\r\nPath={{AppDir}}\r\nFile_1=1|crc|1|1|a.txt\r\n", false, 100,
         3112, "Incorrect CRC field format"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(nginx.Root() + "/update");
        if (!c.index.empty())
            nginx.Put("update/index.dat", c.index);
        auto updater = NewUpdater(c.deadServer ? dead : folders);
        auto t = Quick();
        t.IndexLimit = 400;
        updater->SetTimings(t);
        Run(*updater);
        EXPECT_EQ(updater->ResultKind(), c.kind);
        EXPECT_EQ(updater->ResultCode(), c.code);
        EXPECT_EQ(updater->ResultMessage(), c.message);
    }
}

TEST_F(UpdaterTest, ADownloadWithTheWrongCrcInstallsNothing)
{
    Put("app/a.txt", "old");
    AddSection("Section_A", "{{AppDir}}", {{"a.txt", "expected"}});
    Publish();
    nginx.Put("update/appdir/a.txt", "deceived");
    auto updater = NewUpdater();
    Run(*updater);
    EXPECT_EQ(Events(), (std::vector<std::string>{"start:1", "confirm", "error:203"}));
    EXPECT_EQ(updater->ResultMessage(), "Max retries count exceeded");
    EXPECT_EQ(File("app/a.txt"), "old");
}

TEST_F(UpdaterTest, TerminatingEndsADownloadInProgress)
{
    AddSection("Section_Slow", "{{AppDir}}slow\\", {{"big.bin", Pattern(4000000, 5)}});
    Publish();
    auto updater = NewUpdater();
    ASSERT_TRUE(updater->Check());
    ASSERT_TRUE(mainThread.PumpUntil([&] { return updater->Phase() == TAutoUpdater::PhaseDownloading; }, 20s));
    std::this_thread::sleep_for(200ms);
    auto start = std::chrono::steady_clock::now();
    updater.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_FALSE(Exists("app/slow/big.bin"));
}

TEST_F(UpdaterTest, RestartProgramStartsItInItsFolder)
{
    Put("bin/run.sh", "#!/bin/sh\necho \"$(pwd -P) $1 $2\" > \"$3\"\n");
    ::chmod(root.File("bin/run.sh").c_str(), 0755);
    fs::create_directories(root.File("work"));
    const std::string out1 = root.File("out1"), out2 = root.File("out2");
    ASSERT_TRUE(TAutoUpdater::RestartProgram(root.File("bin/run.sh"), "/autoupdate x " + out1, root.File("work")));
    ASSERT_TRUE(TAutoUpdater::RestartProgram(root.File("bin/run.sh"), "/autoupdate y " + out2));
    EXPECT_FALSE(TAutoUpdater::RestartProgram(root.File("bin/none.sh"), ""));
    for (int i = 0; i < 100 && (ReadFile(out1).empty() || ReadFile(out2).empty()); ++i)
        std::this_thread::sleep_for(50ms);
    EXPECT_EQ(ReadFile(out1), fs::canonical(root.File("work")).string() + " /autoupdate x\n");
    EXPECT_EQ(ReadFile(out2), fs::canonical(root.File("bin")).string() + " /autoupdate y\n");
}

TEST(UpdaterOverHttps, TheServerCertificateIsVerified)
{
    Nginx::Options o;
    o.tls = true;
    Nginx nginx(o);
    TempDir root;
    TUpdateFolders folders;
    folders.AppDir = root.File("app/");
    folders.CommonDir = folders.UserDir = root.File("user/");
    folders.StagingFolder = root.File("user/update/");
    folders.BaseAddress = nginx.TlsUrl("/update/");
    TMultiOptions index;
    TOptionsList* s = index.FindOrAdd("Section_A");
    s->SetValue("Path", "{{AppDir}}");
    s->SetValue("File_1", Entry("secure", "secure", "a.txt"));
    nginx.Put("update/index.dat", index.Text());
    nginx.Put("update/appdir/a.txt", "secure");

    const char* saved = std::getenv(CAFileVariable);
    const std::string savedValue = saved ? saved : "";
    auto run = [&] {
        auto updater = std::make_unique<TAutoUpdater>(folders);
        updater->SetTimings(Quick());
        EXPECT_TRUE(updater->Check());
        EXPECT_TRUE(updater->WaitUntilIdle(30000));
        return updater;
    };
    // Not signed by an authority the system trusts: refused at once, and said so.
    ::unsetenv(CAFileVariable);
    auto refused = run();
    EXPECT_EQ(refused->ResultKind(), 3);
    EXPECT_EQ(refused->ResultCode(), SocketError::CertificateRejected);
    EXPECT_EQ(refused->ResultMessage(), "Socket Error 20003: The server's certificate was not accepted");
    EXPECT_FALSE(fs::exists(root.File("app/a.txt")));

    ::setenv(CAFileVariable, nginx.CA().CAFile.c_str(), 1);
    auto trusted = run();
    EXPECT_EQ(trusted->ResultCode(), 0) << trusted->ResultMessage();
    EXPECT_EQ(ReadFile(root.File("app/a.txt")), "secure");
    if (saved)
        ::setenv(CAFileVariable, savedValue.c_str(), 1);
    else
        ::unsetenv(CAFileVariable);
}

// "/autoupdate" at start: the configuration's hook installs what was staged before the
// program goes on starting.
TEST(UpdateStartUp, AutoUpdateArgumentInstallsTheStagedUpdate)
{
    TempDir root;
    StartLogging();
    SetDataRoot(root.Path());
    InstallUpdaterStartUp();

    const std::string update = root.File("Tarvell/Orlinda/update/");
    TMultiOptions staged;
    TOptionsList* s = staged.FindOrAdd("Section_Greetings");
    s->SetValue("Path", "{{UserDir}}Tarvell\\Orlinda\\");
    s->SetValue("File_1", Entry("greetings", "greetings", "greetings.txt"));
    fs::create_directories(update + "userdir/Tarvell/Orlinda");
    WriteFile(update + "index.dat", staged.Text());
    WriteFile(update + "userdir/Tarvell/Orlinda/greetings.txt", "greetings");

    StartConfiguration({"/autoupdate"});
    ASSERT_NE(ProgramUpdater(), nullptr);
    EXPECT_TRUE(ProgramUpdater()->Suspended());
    EXPECT_EQ(ReadFile(root.File("Tarvell/Orlinda/greetings.txt")), "greetings");
    EXPECT_FALSE(fs::exists(update + "index.dat"));
    StopConfiguration();
    EXPECT_EQ(ProgramUpdater(), nullptr);

    const std::string log = ReadFile(AppPaths().LogFile);
    EXPECT_NE(log.find("Updating program files..."), std::string::npos);
    EXPECT_NE(log.find("OK (0)"), std::string::npos);

    // A normal start creates the updater and installs nothing.
    StartConfiguration({});
    ASSERT_NE(ProgramUpdater(), nullptr);
    EXPECT_EQ(ProgramUpdater()->PhaseReached(), TAutoUpdater::PhaseIdle);
    StopConfiguration();

    SetUpdaterHook(nullptr);
    StopLogging();
    SetDataRoot("");
}

namespace {

} // namespace

TEST_F(UpdaterTest, TheCommandLineUpdatesAndFinishesAfterTheRestart)
{
    TempDir data, app;
    AddSection("Section_Exe", "{{AppDir}}", {{"orlinda.bin", "new exe"}}).SetValue("RestartMode", "Restart");
    AddSection("Section_Data", "{{UserDir}}Tarvell\\Orlinda\\", {{"extra.dat", "extra"}}, true);
    AddSection("Section_Sounds", "{{AppDir}}sounds\\", {{"chime.wav", "RIFF"}}).SetBool("Optional", true);
    Publish();
    WriteFile(app.File("orlinda.bin"), "old exe");

    CliResult first = RunCli({"--data", data.Path(), "update", "--base", nginx.Url("/update/"), "--app-dir", app.Path()});
    EXPECT_EQ(first.code, 0) << first.err;
    EXPECT_NE(first.out.find("Phase: 5 (installed, a restart finishes the update)"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("Result: OK (0)"), std::string::npos) << first.out;
    EXPECT_EQ(ReadFile(app.File("orlinda.bin")), "new exe");
    EXPECT_EQ(ReadFile(app.File("orlinda.bin.bak")), "old exe");
    EXPECT_FALSE(fs::exists(app.File("sounds/chime.wav")));

    CliResult second = RunCli({"--data", data.Path(), "update", "--install", "--app-dir", app.Path()});
    EXPECT_EQ(second.code, 0) << second.err;
    EXPECT_NE(second.out.find("Phase: 6 (installed)"), std::string::npos) << second.out;
    EXPECT_EQ(ReadFile(data.File("Tarvell/Orlinda/extra.dat")), "extra");

    CliResult third = RunCli(
        {"--data", data.Path(), "update", "--base", nginx.Url("/update/"), "--app-dir", app.Path(), "--optional"});
    EXPECT_EQ(third.code, 0) << third.err;
    EXPECT_EQ(ReadFile(app.File("sounds/chime.wav")), "RIFF");

    CliResult none = RunCli(
        {"--data", data.Path(), "update", "--base", nginx.Url("/update/"), "--app-dir", app.Path(), "--optional"});
    EXPECT_EQ(none.code, 0) << none.err;
    EXPECT_NE(none.out.find("Result: There`s nothing to update (3116)"), std::string::npos) << none.out;

    CliResult missing = RunCli({"--data", data.Path(), "update", "--base", nginx.Url("/nothing/"), "--app-dir", app.Path()});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.out.find("Result: Object not found (404)"), std::string::npos) << missing.out;
}
