// The folders the upgrade steps work in, formed from the folder properties
// their partners pack. Every path ends with a backslash.
#pragma once

#include <string>

#include "runtime/agent_keys.h"
#include "runtime/deferred_data.h"

namespace veltra::upgrade {

// The legacy Kesh/Agent's files and settings wait here, inside the
// repository folder, from the capture before the new files until the
// restoration after them (or a rollback).
inline constexpr const char* kLegacyStoreFolderName = "Agent_5_Store\\";

struct AgentFolders {
    std::string system;      // SystemFolder
    std::string windows;     // WindowsFolder
    std::string install;     // INSTALLDIR
    std::string help;        // the Windows folder's "Help\"
    std::string repository;  // the installation folder's repository folder
    std::string legacyStore; // the repository folder's legacy store folder
};

inline AgentFolders FormAgentFolders(std::string system, std::string windows, std::string install) {
    AgentFolders folders{std::move(system), std::move(windows), std::move(install), {}, {}, {}};
    folders.help = runtime::JoinStrings("\\", {folders.windows, "Help\\"});
    folders.repository = runtime::JoinStrings("\\", {folders.install, runtime::kRepositoryFolderName});
    folders.legacyStore = runtime::JoinStrings("\\", {folders.repository, kLegacyStoreFolderName});
    return folders;
}

}  // namespace veltra::upgrade
