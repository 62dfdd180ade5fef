// What the legacy Kesh/Agent (5.5 or 5.6) leaves in the legacy store folder
// when an installation captures it: its program and help files, under their
// own names, and its logon and remote-access settings in registryStoreFile.txt.
// The restoration after the new files and the rollback put back what the
// capture took, from the same lists.
#pragma once

#include <string>

#include "platform/platform.h"
#include "upgrade/agent_folders.h"

namespace veltra::upgrade {

enum class LegacyFolder { System, Help };

struct LegacyFile {
    LegacyFolder folder;  // where the legacy agent had it
    const char* name;
};

// In the order they are stored and put back.
inline constexpr LegacyFile kLegacyFiles[] = {
    {LegacyFolder::System, "keshclnt.dll"}, {LegacyFolder::System, "kvmsg.dll"},
    {LegacyFolder::System, "kvagentrt.dll"}, {LegacyFolder::System, "kvui.dll"},
    {LegacyFolder::System, "kvtest.exe"},   {LegacyFolder::System, "kvcontrl.cpl"},
    {LegacyFolder::Help, "kvcontrl.hlp"},   {LegacyFolder::Help, "kvcontrl.cnt"},
    {LegacyFolder::System, "kvbstop.exe"},  {LegacyFolder::System, "kveap.dll"},
    {LegacyFolder::System, "kvgina.dll"},   {LegacyFolder::System, "kvras.dll"},
};

// The file's path where the legacy agent keeps it.
inline std::string LegacyFilePath(const AgentFolders& folders, const LegacyFile& file) {
    return (file.folder == LegacyFolder::System ? folders.system : folders.help) + file.name;
}

inline constexpr const char* kRegistryStoreFileName = "registryStoreFile.txt";

// Keeps the legacy agent's files and settings in the legacy store folder and
// takes the files that would stand in the new agent's way out of the system
// folder. False when the legacy store folder cannot be created.
// challengeMode is the wizard's challenge choice ("AUTHCONFIGSELECTED"),
// recorded first so that the restoration knows whether to apply the rest.
bool CaptureLegacyKeshAgent(platform::Platform& platform, const AgentFolders& folders,
                            const std::string& challengeMode);

}  // namespace veltra::upgrade
