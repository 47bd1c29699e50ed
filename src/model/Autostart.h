#pragma once

namespace orlinda {

// Whether the desktop session starts this program: its XDG autostart entry names the
// running executable's full path in double quotes (compared without regard to letter case).
bool IsAutostart();
// On: writes the entry for the running executable; off: removes it. Failures are ignored.
void SetAutostart(bool on);

} // namespace orlinda
