// The install options: the agent's logon options that the package wizard (or,
// in a silent installation, the package's options file) carries, and the
// record in which SetDeferredInstallOptions hands them to
// ProcessInstallOptions.
#pragma once

#include <array>

#include "platform/platform.h"

namespace veltra::silentpackage {

// The record: "<INSTALLDIR>;<UILevel>" and then each of these names followed
// by its property's value. Every value must be non-empty, or the pairs behind
// it shift (the package gives each one a default).
inline constexpr std::array<const char*, 8> kInstallOptionNames = {
    "AGENT_ACTIVATION_STATE",   "WINDOWS_PASSWORD_STATE", "IMPORT_CUSTOMBITMAP_STATE",
    "BITMAPFILE_SOURCE",        "PIN_UNLOCK_ENABLED_STATE", "PIN_UNLOCK_TIMEOUT",
    "PIN_UNLOCK_ATTEMPTS",      "SILENT_INSTALL_SET_GINA_ON",
};

// The flags of the install options are compared exactly: only "True" is on.
inline constexpr const char* kOptionOn = "True";

// The domain authentication client's switch, "DACEnabled" in the network
// key. Switching it on first links the agent GINA in at the end of the chain
// unless it is there already; when that fails nothing is written. True when
// the value was written.
bool SetDomainClientEnabled(platform::Platform& platform, bool enable);

// Whether the agent accepts local Windows passwords, "AllowLocalAuth" in the
// network key. True when the value was written.
bool SetLocalPasswordsAllowed(platform::Platform& platform, bool allow);

}  // namespace veltra::silentpackage
