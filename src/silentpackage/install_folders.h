// The installation folder and the day-file roots an earlier installation of
// the agent uses: set up by their own actions before the folders are laid
// out, and by the silent installation before it reads its options.
#pragma once

#include "platform/platform.h"

namespace veltra::silentpackage {

// "INSTALLDIR" from the agent's recorded install path on a maintenance run;
// "INSTALLDIR_SYS32" from "SystemFolder" in every case.
void SetupInstallDir(platform::Platform& platform);

// "DAYFILE_LOCAL_ROOT" and "DAYFILE_GLOBAL_ROOT" from the offline services'
// keys, or their defaults.
void SetupDayfileInstallDirs(platform::Platform& platform);

}  // namespace veltra::silentpackage
