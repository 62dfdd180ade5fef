// The sample machine `agentca init` writes: a plain Windows XP workstation
// about to get the agent, with the package's folder and server files.
#pragma once

#include <filesystem>
#include <string>

namespace veltra::cli {

enum class SampleKind {
    Plain,     // the agent is about to be installed
    Installed  // the local logon client is installed, with its offline service
};

// Writes the machine folder; false with a message when the folder exists and
// is not empty.
bool WriteSampleMachine(const std::filesystem::path& folder, SampleKind kind, std::string& error);

}  // namespace veltra::cli
