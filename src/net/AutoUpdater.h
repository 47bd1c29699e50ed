#pragma once
#include "core/MultiOptions.h"
#include "net/Downloader.h"
#include "net/HttpClient.h"
#include "net/UpdateIndex.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orlinda {

struct TProxySettings;

// The program's auto-updater: a background thread that fetches the update index,
// works out which files differ from the installed ones, asks (OnConfirm) which
// sections to take, downloads the files into the staging folder and installs them.
// Sections that need a restart are installed with ".bak" backups of the files they
// replace, then the program is to restart with "/autoupdate", which installs the rest
// (Install(true)).
//
// Life cycle: the thread is created suspended. Check and Install resume it with a mode;
// after the run it clears mode and phase and suspends itself again, except after an
// installation that needs a restart (phase 5), after which the thread ends. The
// destructor terminates, aborts and waits for the thread.
//
// Events run on the main thread through Synchronize (core/MainThread.h), so the updater
// waits for them; during a Silent installation they are called directly on the updater
// thread. The main-thread implementation must be shut down before the updater is
// destroyed while the updater may be waiting in an event.
//
// Results: a kind and a code (ResultText kinds; kind 100 with the updater codes of
// UpdaterCode), and the file they concern.
class TAutoUpdater {
public:
    enum Mode { ModeIdle = 0, ModeCheck = 1, ModeInstall = 2 };
    enum Phase {
        PhaseIdle = 0,
        PhaseChecking = 1,
        PhaseDownloading = 2,
        PhaseInstalling = 3,
        PhaseInstallingLoaded = 4,  // installing, the staging index loaded
        PhaseRestartNeeded = 5,     // installed; a restart finishes the update
        PhaseInstalled = 6,
    };

    struct TTimings {
        int IndexLimit = 180000;    // ms for fetching the index, retries included
        int IndexTimeout = 20000;   // ms for each wait of an index request
        int PruneLimit = 240000;    // ms for comparing the files of the index
        int InstallLimit = 60000;   // ms for installing one section
        int RetryPause = 10000;     // ms before asking the server again
        int OpenPause = 10000;      // ms before opening a busy file again while comparing
        int InstallPause = 5000;    // ms before opening or creating a file again while installing
        int PrunePause = 200;       // ms after each file found up to date
        TDownloader::TTimings Download;
    };

    // The index is refused when it is larger than this.
    static constexpr int64_t MaxIndexSize = 16 * 1024 * 1024;

    explicit TAutoUpdater(const TUpdateFolders& folders);
    ~TAutoUpdater();
    TAutoUpdater(const TAutoUpdater&) = delete;
    TAutoUpdater& operator=(const TAutoUpdater&) = delete;

    // Requests ---------------------------------------------------------------------------

    // Check and download, then install: only when suspended; false otherwise.
    bool Check();
    // Install the staged update: only when suspended; false otherwise.
    bool Install(bool silent);
    // Thread-safe: ends the run in progress with kind 100, code 2.
    void Abort();

    // The proxy of both HTTP clients; empty host: none. Thread-safe.
    void SetProxy(const std::string& host, const std::string& port, const std::string& user,
                  const std::string& password);
    void SetProxy(const TProxySettings& proxy);

    // Thread life cycle ------------------------------------------------------------------

    // Waiting for Check or Install.
    bool Suspended() const;
    // The thread has ended (after phase 5, or terminated).
    bool Finished() const;
    // Raises the terminate flag, aborts what runs and lets a suspended thread end.
    void Terminate();
    // Waits for the thread to end (Terminate first).
    void WaitFor();
    // Waits up to timeoutMs until the updater is suspended or has ended.
    bool WaitUntilIdle(int timeoutMs) const;

    // State and results ------------------------------------------------------------------

    int Mode() const { return mode_.load(); }
    int Phase() const { return phase_.load(); }
    // The last phase the last run reached (kept after the run).
    int PhaseReached() const { return phaseReached_.load(); }
    bool Silent() const { return silent_.load(); }
    int ResultKind() const { return resultKind_.load(); }
    int ResultCode() const { return resultCode_.load(); }
    std::string ResultFileName() const;
    // Sections installed by the last installation.
    int InstalledCount() const { return installed_.load(); }
    // The text of the last result, the file name in place of "%s".
    std::string ResultMessage() const;

    const TUpdateFolders& Folders() const { return folders_; }

    // Events (set them before the first request) ----------------------------------------

    std::function<void()> OnStart;
    // Gets the index to be downloaded; may set "Checked" on optional sections. False
    // declines the update.
    std::function<bool(TMultiOptions& index)> OnConfirm;
    std::function<void()> OnDone;
    std::function<void()> OnError;

    // For tests and tools: shorter waits, and the clients themselves.
    void SetTimings(const TTimings& timings);
    const TTimings& Timings() const { return timings_; }
    TDownloader& Downloader() { return downloader_; }
    THTTPClient& IndexClient() { return indexClient_; }

    // Starts a program with its window shown: the parameters (split at blanks) follow
    // the path; the working folder is folder, or the path's folder when it is empty.
    static bool RestartProgram(const std::string& path, const std::string& parameters,
                               const std::string& folder = std::string());

private:
    struct TProxy {
        std::string Host, Port, User, Password;
    };

    void Execute();
    // True when the thread is to end.
    bool Run();
    bool RunCheck();
    bool RunInstall(bool& endThread);
    bool DownloadIndex();
    bool Prune(bool staged);
    bool DownloadAll();
    bool InstallSection(TOptionsList& section);
    bool BackUpSection(TOptionsList& section, std::vector<std::string>& backedUp);
    void RestoreSection(const std::vector<std::string>& backedUp);
    bool SaveStagingIndex(const TMultiOptions& index);

    bool Aborted() const { return abort_.load() || terminated_.load(); }
    // Sleeps up to ms in 50 ms steps; ends early on abort or when the limit (since
    // `since`) has passed.
    void Pause(int ms, uint32_t since, int limit) const;
    static bool LimitPassed(uint32_t since, int limit);
    void SetPhase(int phase);
    void SetResult(int kind, int code, const std::string& fileName = std::string());
    // Sets the result and fires OnError; returns false.
    bool Fail(int kind, int code, const std::string& fileName = std::string());
    // Fires OnError for the result already set; returns false.
    bool Failed();
    void Fire(const std::function<void()>& handler);
    bool Confirm();
    TProxy Proxy() const;

    const TUpdateFolders folders_;
    TTimings timings_;
    TMultiOptions index_;         // what is still to be done
    TMultiOptions installIndex_;  // what the installation gets: the index before the staged files were compared
    THTTPClient indexClient_;
    TDownloader downloader_;

    mutable std::mutex proxyMutex_;
    TProxy proxy_;

    std::atomic<int> mode_{ModeIdle};
    std::atomic<int> phase_{PhaseIdle};
    std::atomic<int> phaseReached_{PhaseIdle};
    std::atomic<bool> silent_{false};
    std::atomic<bool> abort_{false};
    std::atomic<bool> terminated_{false};
    std::atomic<int> resultKind_{-1};
    std::atomic<int> resultCode_{-1};
    std::atomic<int> installed_{0};
    mutable std::mutex resultMutex_;
    std::string resultFile_;

    mutable std::mutex stateMutex_;
    mutable std::condition_variable stateChanged_;
    bool suspended_ = true;
    bool finished_ = false;
    std::thread thread_;
};

} // namespace orlinda
