// Where each settings class reads and writes: one root and key path per
// class, shared by every object of that class.
//
// The settings classes keep that place per class rather than per object: the
// last Load, Save or SetRoot of any object of a class decides where the
// accessors of every object of that class go. The upgrade steps build on it:
// after a forced save into the per-user upgrade key, the accessors write into
// that copy; a GinaSettings object keeps "AllowLocalAuth" under the key the
// NetworkSettings class last named.
//
// That shared state belongs to one caller's run, not to the process, so it
// lives in a SettingsContext the caller owns and hands to every settings
// object it builds. Objects built on one context share the class-wide places;
// objects on two contexts never see each other's, so two runs (or two tests)
// cannot leak a root into each other. A fresh context has every class at
// HKEY_LOCAL_MACHINE and its default key path.
//
// Key paths are copied into the context: a caller that wants a class's
// accessors to follow a key (for instance to send GinaSettings'
// "AllowLocalAuth" to the key the GINA values go to) says so by naming that
// key through SetRoot, or by setting the class's location here directly.
#pragma once

#include <string>

#include "platform/registry.h"
#include "settings/key_paths.h"
#include "settings/result_codes.h"

namespace veltra::settings {

struct SettingsLocation {
    platform::HKey root = platform::kHkeyLocalMachine;
    std::string keyPath;
};

// The root a settings call names with its useCurrentUser flag.
inline platform::HKey RootFor(bool useCurrentUser) {
    return useCurrentUser ? platform::kHkeyCurrentUser : platform::kHkeyLocalMachine;
}

struct SettingsContext {
    explicit SettingsContext(platform::Registry& port) : registry(port) {}
    SettingsContext(const SettingsContext&) = delete;
    SettingsContext& operator=(const SettingsContext&) = delete;

    platform::Registry& registry;
    SettingsLocation ras{platform::kHkeyLocalMachine, kRasSettingsKey};
    SettingsLocation gina{platform::kHkeyLocalMachine, kGinaSettingsKey};
    SettingsLocation network{platform::kHkeyLocalMachine, kNetworkSettingsKey};
    SettingsLocation client{platform::kHkeyLocalMachine, kClientSettingsKey};
    SettingsLocation trace{platform::kHkeyLocalMachine, kTraceSettingsKey};
    SettingsLocation component{platform::kHkeyLocalMachine, kComponentSettingsKey};
};

}  // namespace veltra::settings
