// What a verbose installer log (msiexec /l*v) says about the actions that
// ran: the return value of each time an action ended, and the final
// property values.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace veltra::e2e {

struct MsiLog {
    // Action name -> the "Return value N" of each "Action ended" line, in
    // order. Wine logs a deferred custom action twice: once when it is
    // scheduled (always 1) and once when the script runs it.
    std::map<std::string, std::vector<int>> returns;
    // "Property(S): NAME = value" and "Property(C): ...", the last one seen.
    std::map<std::string, std::string> properties;
    // The library's own lines ("VeltraAgentCA: <action>: ..."), in order.
    std::vector<std::string> libraryLines;
};

// The installer's "Return value": 1 success, 2 cancelled by the user, 3
// failure on Windows; Wine writes 0 for a failure.
inline constexpr int kActionSucceeded = 1;

// Reads the log's bytes (Wine writes it in the ANSI code page).
MsiLog ParseMsiLog(const std::string& bytes);

}  // namespace veltra::e2e
