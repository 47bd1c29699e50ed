#pragma once
#include "core/OptionsList.h"

namespace orlinda {

// The program's settings: one option list kept in config.dat (AppPaths().ConfigFile),
// read once at start and written after every change.
TOptionsList& Settings();

// Loads config.dat when it exists (a failure to read it is ignored and clears FirstRun
// all the same), or sets FirstRun when it does not; then writes the five defaults into
// every key of them that is missing or empty. True when the file was loaded.
bool LoadSettings();

// Writes the settings to config.dat atomically; false on failure.
bool SaveSettings();

// config.dat did not exist when the settings were loaded: the first start of the program.
bool FirstRun();

// Sets every key of the five defaults that is missing or empty in list.
void FillSettingsDefaults(TOptionsList& list);

} // namespace orlinda
