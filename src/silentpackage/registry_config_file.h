// The registry configuration file of a silent installation package: the
// agent's settings exported, scrambled, into "registryConfigFile.bin" when
// the package is made, and applied again by the silent installation.
#pragma once

#include "platform/platform.h"

namespace veltra::silentpackage {

// The clear text exists only while the file is written or applied.
inline constexpr const char* kRegistryConfigTextName = "registryConfigFile.txt";
inline constexpr const char* kRegistryConfigScrambledName = "registryConfigFile.bin";

// The second half of package creation, after the options file: writes the
// registry configuration file for the components the package builder chose
// (the local client unless its choice was "0", the remote access server
// likewise). Ends package creation: returns 1603 on every path.
platform::Dword RecordRegistryConfiguration(platform::Platform& platform, bool localClientSelected,
                                            bool remoteServerSelected);

}  // namespace veltra::silentpackage
