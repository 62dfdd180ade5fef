// What a capture takes from a machine: the registry keys the library reads
// or writes, and the files and folders its actions look at. One list, so
// that what the capture program copies and what the tests prove complete
// are the same thing.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace veltra::capture {

// A registry key taken with its values, and with its whole subtree when
// `tree` is set. Keys such as Winlogon and Lsa hold subkeys the library never
// touches (some of them private to the system), so only their values are taken.
struct RegistryRoot {
    std::string path;  // full path: "HKEY_LOCAL_MACHINE\\SOFTWARE\\..."
    bool tree = true;
};

// Every registry key the capture copies.
std::span<const RegistryRoot> RegistryRoots();

// Whether a key (full path) lies at or below a captured root: for a
// values-only root, only the key itself. A value's subject "KEY\\name" is
// tested by its key.
bool IsCapturedKey(std::string_view fullPath);
// Whether a key lies above a captured root (HKEY_LOCAL_MACHINE\\SOFTWARE):
// the library opens such keys only to reach a captured one below them.
bool IsAboveCapturedKey(std::string_view fullPath);

// Files: a folder taken whole (every file below it), or the files of one
// folder whose names match a pattern ("kv*"), not below it. Paths may hold
// environment references ("%SystemRoot%\\Help").
struct FileRule {
    std::string folder;
    std::string pattern;  // "" takes the folder whole, with its subfolders
};
std::span<const FileRule> FileRules();

// The environment variables the installer and the library read (the
// folders they resolve, the search path, the computer and user). Only these
// are taken: a session's environment may hold anyone's tokens.
std::span<const std::string_view> EnvironmentNames();

// The features whose installed state the library asks about, for any
// product: the agent's components and its offline services.
std::span<const std::string_view> FeatureNames();

// No single file, and no capture as a whole, grows past these: a file above
// the limit is named in the summary and left out.
inline constexpr std::size_t kMaxFileBytes = 64u << 20;
inline constexpr std::size_t kMaxCaptureBytes = 512u << 20;

}  // namespace veltra::capture
