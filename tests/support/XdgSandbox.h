#pragma once
// Points HOME, XDG_DATA_HOME and XDG_CONFIG_HOME at fresh temporary folders for the life
// of the object, so that tests of folders, settings and autostart never touch the real
// home folder. The variables are restored afterwards.
#include "support/TempDir.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace orlinda::test {

class XdgSandbox {
public:
    XdgSandbox()
    {
        Save("HOME");
        Save("XDG_DATA_HOME");
        Save("XDG_CONFIG_HOME");
        ::mkdir(DataHome().c_str(), 0777);
        ::mkdir(ConfigHome().c_str(), 0777);
        ::setenv("HOME", root_.Path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", DataHome().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", ConfigHome().c_str(), 1);
    }
    ~XdgSandbox()
    {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }
    XdgSandbox(const XdgSandbox&) = delete;
    XdgSandbox& operator=(const XdgSandbox&) = delete;

    const std::string& Root() const { return root_.Path(); }
    std::string DataHome() const { return root_.File("data"); }
    std::string ConfigHome() const { return root_.File("config"); }

private:
    void Save(const char* name)
    {
        const char* value = std::getenv(name);
        saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }

    TempDir root_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

} // namespace orlinda::test
