#include "model/Autostart.h"

#include "model/Paths.h"
#include "platform/Autostart.h"

namespace orlinda {

bool IsAutostart()
{
    return IsAutostartEntry(AppPaths().ExecutablePath);
}

void SetAutostart(bool on)
{
    SetAutostartEntry(on, AppPaths().ExecutablePath);
}

} // namespace orlinda
