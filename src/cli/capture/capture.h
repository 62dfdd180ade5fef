// The capture of a machine into the simulated machine's form, written
// against the ports: on Windows it runs over the win32 adapter, in the tests
// over a simulated machine. It makes only read calls (open for reading,
// enumerate, query, read a file), so the machine it runs on is left as it was.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/machine.h"

namespace veltra::capture {

struct CaptureSummary {
    std::size_t keys = 0;
    std::size_t values = 0;
    std::size_t maskedValues = 0;
    std::size_t files = 0;
    std::size_t bytes = 0;
    // Files left out (too large, unreadable), each with the reason.
    std::vector<std::string> skipped;
};

// A secret is never copied: a value the secret list names, or whose name
// speaks of a password or secret (Winlogon's "DefaultPassword"), keeps its
// name and type, and its data becomes the mask "********" (for string types
// as a string). True when the value was masked.
bool MaskSecretValue(sim::RegValue& value);

// Every root of RegistryRoots() that exists, with its values (and subtree),
// into `tree`.
void CaptureRegistry(platform::Registry& registry, sim::RegistryTree& tree, CaptureSummary& summary);

// The files of FileRules(), the agent's installation folders that the
// captured registry names ("InstallPath"), and the GINA files its chain
// names, into the machine's drives, with their attributes and the version
// strings the library reads.
void CaptureFiles(platform::Files& files, platform::System& system, platform::Versions& versions,
                  sim::Machine& out, CaptureSummary& summary);

}  // namespace veltra::capture
