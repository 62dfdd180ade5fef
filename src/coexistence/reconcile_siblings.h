// The reconciliation after each installation: each sibling product's
// presence compared with the interop flag that says whether the agent has
// made room for it, and where they differ, the steps that make the agent fit
// (help files, security center pages, legacy client files, shared DLL counts)
// followed by the flag. Once a change is handled the flag agrees, so a second
// run does nothing.
#pragma once

#include "platform/platform.h"

namespace veltra::coexistence {

void ReconcileSiblingProducts(platform::Platform& platform);

// 1 when a flag disagrees with its product's presence, else 0.
int InteropStateChanged(platform::Platform& platform);

// The legacy client's control panel, and without the web agent its other
// files and their shared DLL counts. Always 1.
int CleanLegacyClientFiles(platform::Platform& platform);

// The utility's own logon switched on for its token: "TokaraLogin" and
// "TokaraMode" = 1. Always 1.
int EnableUtilityTokaraLogon(platform::Platform& platform);

}  // namespace veltra::coexistence
