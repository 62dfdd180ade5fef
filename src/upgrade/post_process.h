// The steps of PostProcessAgentInstall, the last action of every
// installation, maintenance and removal script: what it finds in its data,
// the installation branch's pieces, the removal clean-up, and the tail both
// branches end with. None of them reports a failure to its caller: each is
// logged and the next step runs.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "upgrade/agent_folders.h"

namespace veltra::upgrade {

// The folders the action is given, and those formed from them; every path
// ends with a backslash.
struct PostProcessFolders {
    AgentFolders agent;          // system, Windows, installation, help, repository, legacy store
    std::string programMenu;     // ProgramMenuFolder
    std::string legacyMenu;      // the legacy agent's menu folder in the program menu
    std::string framework;       // the shared authentication framework folder
    std::string backEnd;         // the shared back-end user-interface folder
    std::string shared;          // the maker's shared folder
    std::string temp;            // TempFolder
    bool firstInstallation = false;
};

// The fields as SetDeferredPostProcessData packs them (split deferred data).
PostProcessFolders FormPostProcessFolders(const std::vector<std::string>& fields);

// The legacy Kesh/Agent's settings applied from registryStoreFile.txt (when
// the challenge mode recorded first is the default one), then its stored
// files, folders, shortcuts and Add/Remove Programs entries removed.
void RestoreLegacyKeshAgent(platform::Platform& platform, const PostProcessFolders& folders);

// MajorVersion, MinorVersion and PatchVersion of the agent's root key, from
// the repository folder's "version.h" (6.0.0 without it). The key is never
// created.
void RecordAgentVersion(platform::Platform& platform, const std::string& repositoryFolder);

// "Logon" of the Tokara Brevin's desktop key: 1 while the agent GINA is not
// chained, else 0. Only when that key exists.
void SetBrevinLogonFlag(platform::Platform& platform, bool agentGinaChained);

// The day-file folders of the offline services the feature change dropped,
// as their removal markers in the volatile environment name them.
void RemoveDayFiles(platform::Platform& platform);

// After the agent's removal: the GINA unlinked, older shared files and the
// saved server files put back, the agent's folders and registry keys
// removed, the shared entries of sibling products kept.
void CleanUpAfterRemoval(platform::Platform& platform, const PostProcessFolders& folders);

}  // namespace veltra::upgrade
