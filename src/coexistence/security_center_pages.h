// The security center's tabs and welcome pages. The agent registers its tab
// set, and while the authenticator utility is present it takes over some of
// the utility's welcome pages; every page value of another product that it
// changes is first saved under the agent's interop backup key, so that it can
// be put back when the utility or the agent goes away.
#pragma once

#include <cstddef>
#include <string>

#include "platform/platform.h"
#include "runtime/registry_ops.h"

namespace veltra::coexistence {

// The security center's folder with a trailing backslash, read into `size`
// bytes (the backslash included: a folder that leaves no room for it counts as
// not found). Falls back on "SCA CPL path", which it then records as
// "InstallDir". False, and an empty folder, when neither can be read.
bool GetSecurityCenterDir(platform::Platform& platform, std::string& folder,
                          std::size_t size = runtime::kPathBuffer);

// Writes "PathFile" and "Title" of the two tab keys, which it never creates.
// 1 when both tab keys were written, else 0.
int RegisterSecurityCenterTabs(platform::Platform& platform);

// Moves the utility's "Page 2" and "Page 5" out of the way while the agent's
// logon components are present, and puts them back otherwise. Always 1.
int ArrangeWelcomePages(platform::Platform& platform);

// The offline-days page moved under Tab 1's welcome page, with the welcome
// pages' "PathFile" saved first. Changes nothing without the agent's install
// path. Always 0.
int InstallOfflineDaysPage(platform::Platform& platform);
// After installation: the welcome pages removed without the utility, else
// the offline-days page moved under the welcome page. Always 0.
int PlaceOfflineDaysPage(platform::Platform& platform);
// The offline-days page put back beside the welcome page, and Tab 1's welcome
// page removed with everything under it. Always 0.
int RemoveWelcomePages(platform::Platform& platform);

void BackupWelcomePathFiles(platform::Platform& platform);
void SetConfigWelcomePathFiles(platform::Platform& platform, const std::string& installPath);
void RestoreWelcomePathFiles(platform::Platform& platform);
void RestoreHomeWelcomePathFile(platform::Platform& platform);
void DeleteInteropBackup(platform::Platform& platform);

}  // namespace veltra::coexistence
