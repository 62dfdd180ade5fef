// The installer log: every action explains itself in a verbose log
// (msiexec /l*v). Lines travel as informational messages of the session; the
// common frame puts the library's and the action's names in front, so every
// line reads
//
//   VeltraAgentCA: <action>: <text>
//
// Failure sites write "<call> <subject> failed: <code>", where the subject is
// what the call worked on: a registry key or value path, a file, a property.
// Logging never changes what an action does or returns.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace veltra::runtime {

inline constexpr std::string_view kLogSource = "VeltraAgentCA";

// The one shape of a line, written over `line` (which keeps its room, so that
// a writer reusing one string allocates once).
void WriteLogLine(std::string& line, std::string_view action, std::string_view text);

// The installer formats field 0 of a message record: "[...]" is a reference
// and "{...}" a group. Each bracket and brace is sent as "[\c]", which the
// installer turns back into the character itself.
std::string EscapeFormatted(std::string line);

// Writes a line of the running action.
void Log(platform::Installer& installer, std::string_view text);

// A call failed, and the action fails or skips a step because of it.
void LogFailure(platform::Installer& installer, std::string_view call, std::string_view subject,
                platform::Dword code);
inline void LogFailure(platform::Platform& platform, std::string_view call,
                       std::string_view subject, platform::Dword code) {
    LogFailure(platform.installer, call, subject, code);
}
// The same for calls that report their error through GetLastError.
void LogLastError(platform::Platform& platform, std::string_view call, std::string_view subject);

// "HKEY_LOCAL_MACHINE\<key>" or, with a value name, "HKEY_LOCAL_MACHINE\<key>\<value>".
std::string RegistryPath(platform::HKey root, std::string_view key, std::string_view value = {});

}  // namespace veltra::runtime
