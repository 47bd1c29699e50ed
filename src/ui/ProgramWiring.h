#pragma once
// What the desktop program plugs into its main window: the workers of the greeting layer,
// the auto-updater of the configuration, the feedback sender's events, and the editors
// in use. main() builds the window with these.
#include "model/ProjectWorkers.h"
#include "ui/MainWindowHooks.h"

namespace orlinda {

class TfrmMain;

// The project's workers: e-mail, feedback and greeting service from the greeting layer,
// the updater's proxy from the networking layer.
TProjectWorkers ProgramWorkers();

// The hooks of the main window: the editors, the updater's requests and the restart.
TMainWindowHooks ProgramHooks();

// Connects the updater's and the feedback sender's events to the window, and the
// feedback hooks to the sender. Call once after the window exists.
void ConnectProgramEvents(TfrmMain& window);

// The updater finished a staged update at this start and it went well.
bool StagedUpdateSucceeded();

} // namespace orlinda
