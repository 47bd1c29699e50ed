#pragma once
// The demo data set: a few people with birthdays in the coming days, reminders (one due
// a minute after the start) and the delivered holiday calendar, written into the user
// folder of the folders in force, so that a newcomer sees the lists, the tray and a
// notification within a minute.
#include "core/DateTime.h"

#include <string>

namespace orlinda {

// Makes a fresh temporary folder for the demo's data root ("/tmp/orlinda-demo-XXXXXX");
// empty when it cannot be made.
std::string MakeDemoDataRoot();

// Writes users.dat and reminders.dat of the demo into AppPaths().UserFolder, dated from
// now; the people are greeted on the calendar's holidays (holidays.dat of the shared
// folder, when it is there). False when a file could not be written.
bool WriteDemoData(TDateTime now);

// Removes a demo data root with everything in it (only folders named like the ones
// MakeDemoDataRoot makes).
void RemoveDemoDataRoot(const std::string& root);

} // namespace orlinda
