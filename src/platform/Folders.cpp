#include "platform/Folders.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlinda {

namespace {

std::string AbsoluteEnv(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || value[0] != '/')
        return {};
    std::string text(value);
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

std::string JoinHome(const char* relative)
{
    std::string home = HomeFolder();
    if (home.empty() || home.back() != '/')
        home += '/';
    return home + relative;
}

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

std::string HomeFolder()
{
    std::string home = AbsoluteEnv("HOME");
    if (!home.empty())
        return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(size > 0 ? static_cast<size_t>(size) : 16384, '\0');
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found
        && found->pw_dir && found->pw_dir[0] == '/')
        return found->pw_dir;
    return "/";
}

std::string XdgDataHome()
{
    std::string dir = AbsoluteEnv("XDG_DATA_HOME");
    return dir.empty() ? JoinHome(".local/share") : dir;
}

std::string XdgConfigHome()
{
    std::string dir = AbsoluteEnv("XDG_CONFIG_HOME");
    return dir.empty() ? JoinHome(".config") : dir;
}

std::string ExecutablePath()
{
    std::string buffer(4096, '\0');
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (static_cast<size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<size_t>(n));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string FolderOfPath(const std::string& path)
{
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string WithTrailingSlash(const std::string& folder)
{
    if (folder.empty() || folder.back() == '/')
        return folder;
    return folder + '/';
}

bool CreateFolderWithParents(const std::string& folder)
{
    if (folder.empty())
        return false;
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (IsExistingFolder(path))
        return true;
    // Create each missing parent from the top down.
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/')
            continue;
        std::string part = path.substr(0, pos);
        if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return IsExistingFolder(path);
}

bool IsExistingFile(const std::string& path)
{
    struct stat st{};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsExistingFolder(const std::string& path)
{
    struct stat st{};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> FilesInFolder(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return names;
    const std::string prefix = WithTrailingSlash(folder);
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (IsExistingFile(prefix + name))
            names.push_back(std::move(name));
    }
    ::closedir(dir);
    return names;
}

bool ReplaceFileContent(const std::string& path, const std::string& bytes)
{
    static std::atomic<unsigned> counter{0};
    std::string temp = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    std::string dir = FolderOfPath(path);
    int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool ReadFileContent(const std::string& path, std::string& bytes)
{
    bytes.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            bytes.clear();
            return false;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

} // namespace orlinda
