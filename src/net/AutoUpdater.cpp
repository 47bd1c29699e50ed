#include "net/AutoUpdater.h"

#include "core/Clock.h"
#include "core/Error.h"
#include "core/Log.h"
#include "core/MainThread.h"
#include "core/TextUtils.h"
#include "core/ValueEscaping.h"
#include "model/ProjectWorkers.h"
#include "net/ResultText.h"
#include "net/UpdateFiles.h"
#include "platform/Folders.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <exception>
#include <sstream>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace orlinda {

namespace {

constexpr int CodeUnknown = -1;
constexpr int CodeAborted = 2;
constexpr int CodeTimeout = 204;

bool Exists(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

// The position of the section named so in the index, or -1.
int SectionIndexByName(const TMultiOptions& index, const std::string& name)
{
    for (int i = 0; i < index.Count(); ++i)
        if (const TOptionsList* s = index.Get(i); s && s->FSectionName == name)
            return i;
    return -1;
}

} // namespace

TAutoUpdater::TAutoUpdater(const TUpdateFolders& folders)
    : folders_(folders), indexClient_(0, MaxIndexSize, 4096)
{
    thread_ = std::thread([this] { Execute(); });
}

TAutoUpdater::~TAutoUpdater()
{
    Terminate();
    WaitFor();
}

// Life cycle -------------------------------------------------------------------------

bool TAutoUpdater::Check()
{
    std::lock_guard lock(stateMutex_);
    if (!suspended_ || finished_ || terminated_)
        return false;
    mode_ = ModeCheck;
    silent_ = false;
    abort_ = false;
    downloader_.ResetAbort();
    resultKind_ = -1;
    resultCode_ = -1;
    {
        std::lock_guard r(resultMutex_);
        resultFile_.clear();
    }
    suspended_ = false;
    stateChanged_.notify_all();
    return true;
}

bool TAutoUpdater::Install(bool silent)
{
    std::lock_guard lock(stateMutex_);
    if (!suspended_ || finished_ || terminated_)
        return false;
    mode_ = ModeInstall;
    silent_ = silent;
    abort_ = false;
    downloader_.ResetAbort();
    suspended_ = false;
    stateChanged_.notify_all();
    return true;
}

void TAutoUpdater::Abort()
{
    abort_ = true;
    indexClient_.Abort();
    downloader_.Abort();
}

void TAutoUpdater::Terminate()
{
    {
        std::lock_guard lock(stateMutex_);
        terminated_ = true;
        stateChanged_.notify_all();
    }
    Abort();
}

void TAutoUpdater::WaitFor()
{
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

bool TAutoUpdater::Suspended() const
{
    std::lock_guard lock(stateMutex_);
    return suspended_ && !finished_;
}

bool TAutoUpdater::Finished() const
{
    std::lock_guard lock(stateMutex_);
    return finished_;
}

bool TAutoUpdater::WaitUntilIdle(int timeoutMs) const
{
    std::unique_lock lock(stateMutex_);
    return stateChanged_.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                                  [this] { return suspended_ || finished_; });
}

void TAutoUpdater::Execute()
{
    std::unique_lock lock(stateMutex_);
    for (;;) {
        stateChanged_.wait(lock, [this] { return !suspended_ || terminated_; });
        if (terminated_)
            break;
        lock.unlock();
        bool endThread = false;
        try {
            endThread = Run();
        } catch (const std::exception& e) {
            Log(std::string("AutoUpdater: ") + e.what());
            if (resultKind_ == 0 || resultKind_ == -1)
                SetResult(ResultKind::General, CodeUnknown);
        } catch (...) {
            if (resultKind_ == 0 || resultKind_ == -1)
                SetResult(ResultKind::General, CodeUnknown);
        }
        lock.lock();
        mode_ = ModeIdle;
        if (!endThread)
            phase_ = PhaseIdle;
        suspended_ = true;
        stateChanged_.notify_all();
        if (endThread)
            break;
    }
    finished_ = true;
    stateChanged_.notify_all();
}

bool TAutoUpdater::Run()
{
    if (mode_ == ModeCheck) {
        if (!RunCheck())
            return false;
        // Straight on to the installation, without suspending.
        mode_ = ModeInstall;
        silent_ = false;
    }
    bool endThread = false;
    if (mode_ == ModeInstall)
        RunInstall(endThread);
    return endThread;
}

// Helpers ----------------------------------------------------------------------------

void TAutoUpdater::SetTimings(const TTimings& timings)
{
    timings_ = timings;
    downloader_.SetTimings(timings.Download);
}

void TAutoUpdater::SetProxy(const std::string& host, const std::string& port, const std::string& user,
                            const std::string& password)
{
    std::lock_guard lock(proxyMutex_);
    proxy_ = {host, port, user, password};
}

void TAutoUpdater::SetProxy(const TProxySettings& proxy)
{
    SetProxy(proxy.Host, proxy.Port, proxy.User, proxy.Password);
}

TAutoUpdater::TProxy TAutoUpdater::Proxy() const
{
    std::lock_guard lock(proxyMutex_);
    return proxy_;
}

bool TAutoUpdater::LimitPassed(uint32_t since, int limit)
{
    return TickCount() - since > static_cast<uint32_t>(std::max(limit, 0));
}

void TAutoUpdater::Pause(int ms, uint32_t since, int limit) const
{
    const uint32_t from = TickCount();
    while (!Aborted() && !LimitPassed(since, limit) && TickCount() - from < static_cast<uint32_t>(std::max(ms, 0)))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(50, ms)));
}

void TAutoUpdater::SetPhase(int phase)
{
    phase_ = phase;
    phaseReached_ = phase;
}

void TAutoUpdater::SetResult(int kind, int code, const std::string& fileName)
{
    {
        std::lock_guard lock(resultMutex_);
        resultFile_ = fileName;
    }
    resultKind_ = kind;
    resultCode_ = code;
}

bool TAutoUpdater::Fail(int kind, int code, const std::string& fileName)
{
    SetResult(kind, code, fileName);
    return Failed();
}

bool TAutoUpdater::Failed()
{
    Fire(OnError);
    return false;
}

std::string TAutoUpdater::ResultFileName() const
{
    std::lock_guard lock(resultMutex_);
    return resultFile_;
}

std::string TAutoUpdater::ResultMessage() const
{
    const int kind = resultKind_;
    const int code = resultCode_;
    std::string text = kind == ResultKind::General ? UpdaterCodeText(code) : std::string();
    if (text.empty())
        return ResultText(kind, code);
    size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, ResultFileName());
    return text;
}

void TAutoUpdater::Fire(const std::function<void()>& handler)
{
    // A terminated updater tells nobody: the main thread may be waiting for it to end.
    if (!handler || terminated_)
        return;
    if (silent_)
        handler();
    else
        Synchronize(handler);
}

bool TAutoUpdater::Confirm()
{
    if (terminated_)
        return false;
    if (!OnConfirm)
        return true;
    bool answer = false;
    auto ask = [&] { answer = OnConfirm(index_); };
    if (silent_)
        ask();
    else
        Synchronize(ask);  // a main thread that has shut down answers no
    return answer;
}

bool TAutoUpdater::SaveStagingIndex(const TMultiOptions& index)
{
    try {
        index.SaveToFile(folders_.StagingIndex());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Check and download -------------------------------------------------------------------

bool TAutoUpdater::RunCheck()
{
    SetResult(-1, -1);
    installed_ = 0;
    SetPhase(PhaseChecking);
    Fire(OnStart);

    if (!CreateFolderWithParents(folders_.StagingFolder))
        return Fail(ResultKind::General, UpdaterCode::CannotCreateFolder, folders_.StagingFolder);
    const std::string stagingIndex = folders_.StagingIndex();
    if (Exists(stagingIndex) && ::unlink(stagingIndex.c_str()) != 0)
        return Fail(ResultKind::General, UpdaterCode::CannotDeleteIndex, stagingIndex);

    if (!DownloadIndex())
        return Failed();
    std::string what;
    if (int code = CheckIndex(index_, folders_, what))
        return Fail(ResultKind::General, code, what);

    if (!Prune(false))
        return Failed();
    if (!SaveStagingIndex(index_))
        return Fail(ResultKind::General, UpdaterCode::CannotSaveIndex, stagingIndex);

    auto anyFiles = [this](bool wantedOnly) {
        for (int s = 0; s < index_.Count(); ++s) {
            const TOptionsList* section = index_.Get(s);
            if (!section || !IsUpdateSection(*section) || FileEntryCount(*section) == 0)
                continue;
            if (!wantedOnly || !SectionOptional(*section) || SectionChecked(*section))
                return true;
        }
        return false;
    };
    if (!anyFiles(false))
        return Fail(ResultKind::General, UpdaterCode::NothingToUpdate);

    if (!Confirm()) {
        Log("AutoUpdater Confirmation: Aborted by the user");
        abort_ = true;
    }
    if (Aborted())
        return Fail(ResultKind::General, CodeAborted);
    if (!anyFiles(true))
        return Fail(ResultKind::General, UpdaterCode::NothingToUpdate);

    // The installation needs every entry that differs from the installed files, also
    // those whose staged copies are complete already.
    CopyIndex(index_, installIndex_);
    if (!Prune(true))
        return Failed();

    SetPhase(PhaseDownloading);
    if (!DownloadAll())
        return Failed();

    SetResult(ResultKind::Success, 0);
    Fire(OnDone);
    return true;
}

bool TAutoUpdater::DownloadIndex()
{
    const uint32_t start = TickCount();
    const std::string address = folders_.IndexAddress();
    for (;;) {
        if (Aborted()) {
            SetResult(ResultKind::General, CodeAborted);
            return false;
        }
        if (LimitPassed(start, timings_.IndexLimit)) {
            SetResult(ResultKind::General, CodeTimeout);
            return false;
        }
        const TProxy proxy = Proxy();
        indexClient_.Reset(true);
        indexClient_.SetProxyHost(proxy.Host);
        indexClient_.SetProxyPort(proxy.Port);
        indexClient_.SetProxyUser(proxy.User);
        indexClient_.SetProxyPass(proxy.Password);
        indexClient_.SetTimeout(timings_.IndexTimeout);
        if (Aborted())
            continue;  // Reset cleared the client's abort; the flag ends the loop
        if (indexClient_.SendRequest("GET", address)) {
            const int status = indexClient_.ResultCode();
            if (status == 200) {
                if (indexClient_.MaxSizeExceeded()) {
                    SetResult(ResultKind::General, UpdaterCode::CannotLoadIndex, address);
                    return false;
                }
                try {
                    index_.LoadFromStream(indexClient_.Document());
                } catch (const std::exception&) {
                    SetResult(ResultKind::General, UpdaterCode::CannotLoadIndex, address);
                    return false;
                }
                indexClient_.Reset(true);  // the index may be large: free the body
                return true;
            }
            if (status != 500 && status != 503) {
                SetResult(ResultKind::Http, status, address);
                return false;
            }
            SetResult(ResultKind::Http, status, address);
        } else if (Aborted()) {
            continue;
        } else if (indexClient_.Sock().LastError() != 0) {
            SetResult(ResultKind::Socket, indexClient_.Sock().LastError(), address);
            // An untrusted server stays untrusted: asking again would only hide why.
            if (indexClient_.Sock().LastError() == SocketError::CertificateRejected)
                return false;
        } else {
            SetResult(ResultKind::General, CodeUnknown, address);
        }
        Pause(timings_.RetryPause, start, timings_.IndexLimit);
    }
}

bool TAutoUpdater::Prune(bool staged)
{
    const uint32_t start = TickCount();
    for (int s = index_.Count() - 1; s >= 0; --s) {
        TOptionsList* section = index_.Get(s);
        if (!section || !IsUpdateSection(*section))
            continue;
        const bool compared = staged && SectionCompressed(*section);
        int count = 0;
        for (int i = section->Count() - 1; i >= 0; --i) {
            if (!IsFileKey(section->Name(i)))
                continue;
            if (Aborted()) {
                SetResult(ResultKind::General, CodeAborted);
                return false;
            }
            if (LimitPassed(start, timings_.PruneLimit)) {
                SetResult(ResultKind::General, CodeTimeout);
                return false;
            }
            ++count;
            const std::string value = UnescapeValue(section->Value(i));
            const std::string name = GetField(value, 4, '|');
            const std::string path =
                staged ? folders_.StagedFile(*section, name) : folders_.InstalledFile(*section, name);
            if (!Exists(path))
                continue;
            // "If Not Exists" is about the installed file; a staged copy is always compared,
            // so that a partly downloaded one is completed.
            if (!staged && SectionOnlyIfMissing(*section)) {
                section->Delete(i);
                --count;
                continue;
            }
            int64_t wantSize = 0;
            uint32_t wantCrc = 0;
            if (!ParseSizeField(GetField(value, compared ? 2 : 0, '|'), wantSize)) {
                SetResult(ResultKind::General, UpdaterCode::BadSizeField, path);
                return false;
            }
            if (!ParseCrcField(GetField(value, compared ? 3 : 1, '|'), wantCrc)) {
                SetResult(ResultKind::General, UpdaterCode::BadCrcField, path);
                return false;
            }
            int fd = -1;
            for (;;) {
                fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
                if (fd >= 0)
                    break;
                SetResult(ResultKind::General, UpdaterCode::CannotOpenFile, path);
                Pause(timings_.OpenPause, start, timings_.PruneLimit);
                if (Aborted()) {
                    SetResult(ResultKind::General, CodeAborted);
                    return false;
                }
                if (LimitPassed(start, timings_.PruneLimit))
                    return false;  // the file could not be opened
            }
            struct stat st {};
            bool same = false;
            if (::fstat(fd, &st) == 0 && static_cast<int64_t>(st.st_size) == wantSize) {
                uint32_t crc = 0;
                int64_t size = 0;
                same = DescriptorCrc32(fd, crc, size) && size == wantSize && crc == wantCrc;
            }
            ::close(fd);
            if (same) {
                section->Delete(i);
                --count;
                Pause(timings_.PrunePause, start, timings_.PruneLimit);
            }
        }
        if (count <= 0)
            index_.Delete(s);
    }
    return true;
}

bool TAutoUpdater::DownloadAll()
{
    // Optional sections the user left out are dropped, and the installation is told so.
    bool dropped = false;
    for (int s = installIndex_.Count() - 1; s >= 0; --s) {
        const TOptionsList* section = installIndex_.Get(s);
        if (!section || !IsUpdateSection(*section) || !SectionOptional(*section) || SectionChecked(*section))
            continue;
        int at = SectionIndexByName(index_, section->FSectionName);
        if (at >= 0)
            index_.Delete(at);
        installIndex_.Delete(s);
        dropped = true;
    }
    if (dropped && !SaveStagingIndex(installIndex_)) {
        SetResult(ResultKind::General, UpdaterCode::CannotSaveIndex, folders_.StagingIndex());
        return false;
    }

    const TProxy proxy = Proxy();
    downloader_.SetProxy(proxy.Host, proxy.Port, proxy.User, proxy.Password);
    for (int s = index_.Count() - 1; s >= 0; --s) {
        const TOptionsList* section = index_.Get(s);
        if (!section || !IsUpdateSection(*section))
            continue;
        for (int i = section->Count() - 1; i >= 0; --i) {
            if (!IsFileKey(section->Name(i)))
                continue;
            if (Aborted()) {
                SetResult(ResultKind::General, CodeAborted);
                return false;
            }
            const std::string value = UnescapeValue(section->Value(i));
            const std::string name = GetField(value, 4, '|');
            int64_t size = 0;
            uint32_t crc = 0;
            const std::string staged = folders_.StagedFile(*section, name);
            if (int code = StoredSizeAndCrc(*section, value, size, crc)) {
                SetResult(ResultKind::General, code, staged);
                return false;
            }
            if (!downloader_.Fetch(folders_.FileAddress(*section, name), staged, crc, size)) {
                if (Aborted())
                    SetResult(ResultKind::General, CodeAborted);
                else
                    SetResult(downloader_.ResultKind(), downloader_.ResultCode(), staged);
                return false;
            }
        }
    }
    return true;
}

// Installation ---------------------------------------------------------------------------

bool TAutoUpdater::RunInstall(bool& endThread)
{
    endThread = false;
    SetResult(ResultKind::Success, 0);
    installed_ = 0;
    SetPhase(PhaseInstalling);
    Fire(OnStart);

    const std::string stagingIndex = folders_.StagingIndex();
    try {
        if (!IsExistingFile(stagingIndex))
            throw Error("no staging index");
        index_.LoadFromFile(stagingIndex);
    } catch (const std::exception&) {
        return Fail(ResultKind::General, UpdaterCode::CannotLoadIndex, stagingIndex);
    }
    std::string what;
    if (int code = CheckIndex(index_, folders_, what))
        return Fail(ResultKind::General, code, what);
    SetPhase(PhaseInstallingLoaded);

    if (!silent_) {
        bool restartSections = false;
        for (int s = index_.Count() - 1; s >= 0; --s) {
            TOptionsList* section = index_.Get(s);
            if (!section || !IsUpdateSection(*section) || !SectionNeedsRestart(*section))
                continue;
            std::vector<std::string> backedUp;
            if (!BackUpSection(*section, backedUp)) {
                RestoreSection(backedUp);
                return Failed();
            }
            if (!InstallSection(*section)) {
                RestoreSection(backedUp);
                return Failed();
            }
            restartSections = true;
        }
        if (restartSections) {
            SetPhase(PhaseRestartNeeded);
            Fire(OnDone);
            endThread = true;
            return true;
        }
    }

    bool failed = false;
    int failKind = 0, failCode = 0;
    std::string failFile;
    for (int s = index_.Count() - 1; s >= 0; --s) {
        TOptionsList* section = index_.Get(s);
        if (!section || !IsUpdateSection(*section) || SectionNeedsRestart(*section))
            continue;
        if (!InstallSection(*section) && !failed) {
            failed = true;
            failKind = resultKind_;
            failCode = resultCode_;
            failFile = ResultFileName();
        }
    }
    if (failed)
        return Fail(failKind, failCode, failFile);

    SetResult(ResultKind::Success, 0);
    ::unlink(stagingIndex.c_str());  // a failure here is not worth reporting
    SetPhase(PhaseInstalled);
    Fire(OnDone);
    return true;
}

bool TAutoUpdater::BackUpSection(TOptionsList& section, std::vector<std::string>& backedUp)
{
    for (int i = section.Count() - 1; i >= 0; --i) {
        if (!IsFileKey(section.Name(i)))
            continue;
        const std::string name = GetField(UnescapeValue(section.Value(i)), 4, '|');
        const std::string installed = folders_.InstalledFile(section, name);
        if (!Exists(installed))
            continue;
        const std::string backup = installed + ".bak";
        if (Exists(backup) && ::unlink(backup.c_str()) != 0) {
            SetResult(ResultKind::General, UpdaterCode::CannotDeleteFile, backup);
            return false;
        }
        if (::rename(installed.c_str(), backup.c_str()) != 0) {
            SetResult(ResultKind::General, UpdaterCode::CannotRenameFile, installed);
            return false;
        }
        backedUp.push_back(installed);
    }
    return true;
}

void TAutoUpdater::RestoreSection(const std::vector<std::string>& backedUp)
{
    // Every file of the section goes back to the version it had, so that the section is
    // never left half old and half new.
    for (const std::string& installed : backedUp) {
        const std::string backup = installed + ".bak";
        if (Exists(backup) && ::rename(backup.c_str(), installed.c_str()) != 0)
            Log("AutoUpdater: cannot restore " + installed + " from its backup");
    }
}

bool TAutoUpdater::InstallSection(TOptionsList& section)
{
    const uint32_t start = TickCount();
    const int limit = timings_.InstallLimit;
    const bool compressed = SectionCompressed(section);
    for (int i = 0; i < section.Count(); ++i) {
        if (Aborted()) {
            SetResult(ResultKind::General, CodeAborted);
            return false;
        }
        if (LimitPassed(start, limit)) {
            SetResult(ResultKind::General, CodeTimeout);
            return false;
        }
        if (!IsFileKey(section.Name(i)))
            continue;
        TUpdateFileEntry entry;
        const std::string value = UnescapeValue(section.Value(i));
        if (int code = ParseFileEntry(value, compressed, entry)) {
            SetResult(ResultKind::General, code, entry.FileName);
            return false;
        }
        const std::string installed = folders_.InstalledFile(section, entry.FileName);
        const std::string staged = folders_.StagedFile(section, entry.FileName);
        const std::string folder = FolderOf(installed);
        if (!CreateFolderWithParents(folder)) {
            SetResult(ResultKind::General, UpdaterCode::CannotCreateFolder, folder);
            return false;
        }

        // The staged copy must be there and be the one the index describes.
        for (;;) {
            if (IsExistingFile(staged) && ::access(staged.c_str(), R_OK) == 0)
                break;
            if (SectionOptional(section)) {
                installed_ = installed_ + 1;
                return true;
            }
            SetResult(ResultKind::General, UpdaterCode::CannotOpenFile, staged);
            Pause(timings_.InstallPause, start, limit);
            if (Aborted()) {
                SetResult(ResultKind::General, CodeAborted);
                return false;
            }
            if (LimitPassed(start, limit))
                return false;  // the staged file could not be opened
        }
        uint32_t crc = 0;
        int64_t size = 0;
        if (!FileCrc32(staged, crc, size)) {
            SetResult(ResultKind::General, UpdaterCode::ReadError, staged);
            return false;
        }
        if (crc != entry.StoredCrc) {
            SetResult(ResultKind::General, UpdaterCode::CrcMismatch, staged);
            return false;
        }

        const std::string backup = installed + ".bak";
        const std::string permissionsOf = Exists(installed) ? installed : Exists(backup) ? backup : std::string();
        for (;;) {
            std::string failedFile;
            int code = WriteInstalledFile(staged, installed, compressed, entry.Size, entry.Crc, permissionsOf,
                                          failedFile);
            if (code == 0)
                break;
            SetResult(ResultKind::General, code, failedFile);
            if (code != UpdaterCode::CannotCreateFile && code != UpdaterCode::CannotOpenFile)
                return false;
            // The installed file may be held by another program for a moment.
            Pause(timings_.InstallPause, start, limit);
            if (Aborted()) {
                SetResult(ResultKind::General, CodeAborted);
                return false;
            }
            if (LimitPassed(start, limit))
                return false;
        }
        ::unlink(staged.c_str());
    }
    installed_ = installed_ + 1;
    return true;
}

// Restart ------------------------------------------------------------------------------

bool TAutoUpdater::RestartProgram(const std::string& path, const std::string& parameters, const std::string& folder)
{
    std::vector<std::string> args{path};
    std::istringstream words(parameters);
    for (std::string w; words >> w;)
        args.push_back(w);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::string dir = folder.empty() ? FolderOf(path) : folder;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!dir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, path.c_str(), &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0;
}

} // namespace orlinda
