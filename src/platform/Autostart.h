#pragma once
#include <string>

namespace orlinda {

// Starting the program with the desktop session: an XDG autostart entry
// $XDG_CONFIG_HOME/autostart/Orlinda.desktop whose Exec= line holds the executable's
// full path in double quotes.

std::string AutostartEntryPath();

// The text that Exec= holds for an executable: its path in double quotes, with the
// characters that the desktop entry format reserves escaped.
std::string AutostartCommand(const std::string& executable);

// True when the entry exists, is not hidden or disabled, and its Exec= value contains
// AutostartCommand(executable), compared without regard to letter case.
bool IsAutostartEntry(const std::string& executable);

// On: writes the entry (atomically, creating the autostart folder); off: deletes it.
// False on failure.
bool SetAutostartEntry(bool on, const std::string& executable);

} // namespace orlinda
