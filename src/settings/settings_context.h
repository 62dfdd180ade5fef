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
// A key path given as text is copied into the context. A caller may instead
// hand over a SharedKeyPath that it keeps and rewrites in place between calls
// (the upgrade steps do, one path for a whole capture or restore): a class
// given one follows it, so every rewrite also moves that class's accessors,
// and GinaSettings' "AllowLocalAuth" follows whatever the path the
// NetworkSettings class was last given names at that moment.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry.h"
#include "settings/key_paths.h"
#include "settings/result_codes.h"

namespace veltra::settings {

// A key path its owner rewrites in place. It must outlive every
// SettingsContext whose classes were handed it.
class SharedKeyPath {
public:
    SharedKeyPath() = default;
    SharedKeyPath(const SharedKeyPath&) = delete;
    SharedKeyPath& operator=(const SharedKeyPath&) = delete;

    // The path becomes the pieces one after the other ("root\" + "KVGINA").
    void Assign(std::string_view first, std::string_view second = {}) {
        text_.assign(first);
        text_.append(second);
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// What Load, Save and SetRoot are given: a text to copy, or a shared path to follow.
class KeyPathRef {
public:
    KeyPathRef(std::string_view text) : text_(text) {}
    KeyPathRef(const char* text) : text_(text) {}
    KeyPathRef(const std::string& text) : text_(text) {}
    KeyPathRef(const SharedKeyPath& shared) : text_(shared.text()), shared_(&shared) {}

    std::string_view text() const { return text_; }
    const SharedKeyPath* shared() const { return shared_; }

private:
    std::string_view text_;
    const SharedKeyPath* shared_ = nullptr;
};

struct SettingsLocation {
    platform::HKey root = platform::kHkeyLocalMachine;
    std::string keyPath;                     // the class's own copy
    const SharedKeyPath* followed = nullptr; // when set, the path in force

    const std::string& path() const { return followed != nullptr ? followed->text() : keyPath; }
    // The current key path as Load, Save and SetRoot take it: still followed
    // when it was handed over shared.
    KeyPathRef current() const { return followed != nullptr ? KeyPathRef(*followed) : KeyPathRef(keyPath); }
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
