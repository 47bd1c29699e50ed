#include "model/Settings.h"

#include "model/Paths.h"
#include "model/SettingsKeys.h"
#include "platform/Folders.h"

#include <exception>

namespace orlinda {

namespace {
bool firstRun = false;
} // namespace

TOptionsList& Settings()
{
    static TOptionsList settings;
    return settings;
}

void FillSettingsDefaults(TOptionsList& list)
{
    for (const auto& entry : SettingsDefault::Written)
        if (list.GetValue(entry.key).empty())
            list.SetValue(entry.key, entry.value);
}

bool LoadSettings()
{
    TOptionsList& settings = Settings();
    const std::string& file = AppPaths().ConfigFile;
    bool loaded = false;
    if (IsExistingFile(file)) {
        firstRun = false;
        try {
            settings.LoadFromFile(file);
            loaded = true;
        } catch (const std::exception&) {
            // An unreadable file leaves the defaults to fill what is missing.
        }
    } else {
        firstRun = true;
    }
    FillSettingsDefaults(settings);
    return loaded;
}

bool SaveSettings()
{
    try {
        Settings().SaveToFile(AppPaths().ConfigFile);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool FirstRun()
{
    return firstRun;
}

} // namespace orlinda
