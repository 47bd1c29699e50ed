#include "model/Paths.h"

#include "platform/Folders.h"
#include "platform/IniFile.h"

#include <filesystem>

namespace orlinda {

namespace {

struct PathState {
    bool settled = false;
    std::string dataRoot;
    std::string deliveredOverride;
    TAppPaths paths;
};

PathState& State()
{
    static PathState state;
    return state;
}

// A folder from the INI file: "~/" stands for the home folder; anything that is not an
// absolute path then is ignored, since it would depend on the working folder.
std::string OverrideFolder(const TIniFile& ini, const char* name)
{
    std::string value = ini.ReadString("", name);
    if (value.empty())
        value = ini.ReadString("Orlinda", name);
    if (value == "~" || value.rfind("~/", 0) == 0)
        value = HomeFolder() + value.substr(1);
    if (value.empty() || value[0] != '/')
        return {};
    return WithTrailingSlash(value);
}

std::string ParentFolder(const std::string& folder)
{
    std::string f = folder;
    while (f.size() > 1 && f.back() == '/')
        f.pop_back();
    return FolderOfPath(f);
}

} // namespace

std::string IniFilePath()
{
    return XdgConfigHome() + "/Tarvell/Orlinda.ini";
}

std::string FindDeliveredDataFolder(const std::string& exeFolder)
{
    std::string dir = WithTrailingSlash(exeFolder);
    for (int level = 0; level < 4 && !dir.empty(); ++level) {
        std::string candidate = dir + "share/orlinda/";
        if (IsExistingFolder(candidate))
            return candidate;
        if (dir == "/")
            break;
        dir = ParentFolder(dir);
    }
    return {};
}

void SettleFolders()
{
    PathState& s = State();
    TAppPaths p;
    p.ExecutablePath = ExecutablePath();
    p.ProgramFolder = FolderOfPath(p.ExecutablePath);

    if (!s.dataRoot.empty()) {
        p.UserDataRoot = p.CommonDataRoot = WithTrailingSlash(s.dataRoot);
    } else {
        TIniFile ini(IniFilePath());
        if (!ini.Load() && !IsExistingFile(ini.FileName())
            && CreateFolderWithParents(FolderOfPath(ini.FileName())))
            ini.Save();
        const std::string dataHome = WithTrailingSlash(XdgDataHome());
        p.UserDataRoot = OverrideFolder(ini, "AppData");
        if (p.UserDataRoot.empty())
            p.UserDataRoot = dataHome;
        p.CommonDataRoot = OverrideFolder(ini, "Common AppData");
        if (p.CommonDataRoot.empty())
            p.CommonDataRoot = dataHome;
    }

    p.UserFolder = p.UserDataRoot + "Tarvell/Orlinda/";
    p.SharedFolder = p.CommonDataRoot + "Tarvell/Orlinda/";
    p.SkinsFolder = p.CommonDataRoot + "Tarvell/Skins/";
    p.UpdateFolder = p.UserFolder + "update/";
    p.HistoryFolder = p.SharedFolder + "history/";
    p.DataFolder = !s.deliveredOverride.empty() ? WithTrailingSlash(s.deliveredOverride)
                                                : FindDeliveredDataFolder(p.ProgramFolder);
    p.MediaFolder = p.DataFolder.empty() ? std::string() : p.DataFolder + "media/";

    p.ConfigFile = p.UserFolder + "config.dat";
    p.LogFile = p.UserFolder + "assertions.dat";
    p.UsersFile = p.UserFolder + "users.dat";
    p.RemindersFile = p.UserFolder + "reminders.dat";
    p.HolidayBindingsFile = p.UserFolder + "holidays.tmp";
    p.HistoryFile = p.UserFolder + "history.dat";
    p.SoundsFile = p.UserFolder + "sounds.dat";
    p.HolidaysFile = p.SharedFolder + "holidays.dat";
    p.SmtpFile = p.SharedFolder + "smtp.dat";
    p.HelpFile = p.SharedFolder + "help.dat";

    s.paths = std::move(p);
    s.settled = true;
}

const TAppPaths& AppPaths()
{
    if (!State().settled)
        SettleFolders();
    return State().paths;
}

bool CreateFolders()
{
    const TAppPaths& p = AppPaths();
    bool ok = CreateFolderWithParents(p.UserFolder);
    ok = CreateFolderWithParents(p.SharedFolder) && ok;
    ok = CreateFolderWithParents(p.SkinsFolder) && ok;
    return ok;
}

void SetDataRoot(const std::string& dir)
{
    // A relative root means the working folder of the moment it was given.
    std::error_code ec;
    std::string root = dir;
    if (!root.empty() && root[0] != '/') {
        auto absolute = std::filesystem::absolute(root, ec);
        if (!ec)
            root = absolute.lexically_normal().string();
    }
    State().dataRoot = root;
    SettleFolders();
}

const std::string& DataRoot()
{
    return State().dataRoot;
}

void SetDeliveredDataFolder(const std::string& dir)
{
    State().deliveredOverride = dir;
    SettleFolders();
}

} // namespace orlinda
