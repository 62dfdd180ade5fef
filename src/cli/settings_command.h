// agentca settings --machine DIR [CLASS] [--json]: what each settings class
// loads from a machine (value name, type, value), secrets masked. Read-only:
// nothing is saved, and the machine folder is opened on a private copy.
#pragma once

#include <CLI/CLI.hpp>

namespace veltra::cli {

// A machine folder that cannot be opened fails the parse with a
// CLI::ValidationError naming the problem (the bench's usage status, 2).
void RegisterSettingsCommand(CLI::App& app);

}  // namespace veltra::cli
