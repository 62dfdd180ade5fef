// The bench's subcommands. Each registers itself on the app and, when it runs,
// stores the process exit status:
//   0 the action ran and returned 0; 1 it returned anything else;
//   2 bad usage or a malformed machine; 3 a dialog had no scripted answer.
#pragma once

#include <CLI/CLI.hpp>

namespace veltra::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitActionFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitUnansweredDialog = 3;

void RegisterInitCommand(CLI::App& app, int& exitStatus);
void RegisterActionsCommand(CLI::App& app, int& exitStatus);
void RegisterRunCommand(CLI::App& app, int& exitStatus);
void RegisterRoadCommand(CLI::App& app, int& exitStatus);
void RegisterSweepCommand(CLI::App& app, int& exitStatus);

}  // namespace veltra::cli
