// Fault injection and tracing, shared by every simulated port.
//
// A rule names a Win32 operation ("RegSetValueExA", "CopyFileA", ...), an
// optional subject (a full registry key path, "KEY\value" for value calls, or
// a Windows file path; compared ignoring case) and optionally the Nth matching
// call only. A matching call fails with the rule's code instead of running.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace veltra::sim {

using platform::Dword;

struct FaultRule {
    std::string operation;
    std::string subject;  // empty: any subject
    unsigned nth = 0;     // 0: every matching call; N: only the Nth (1-based)
    Dword code = platform::kErrorAccessDenied;
    unsigned seen = 0;    // matching calls so far
};

// Parses "OP[:SUBJECT][#N][=CODE]"; nullopt with a reason on bad text.
std::optional<FaultRule> ParseFaultRule(std::string_view text, std::string* error);

class Faults {
public:
    void Add(FaultRule rule) { rules_.push_back(std::move(rule)); }
    bool empty() const { return rules_.empty(); }
    // The code to fail this call with, if a rule says so.
    std::optional<Dword> Check(std::string_view operation, std::string_view subject);

private:
    std::vector<FaultRule> rules_;
};

struct TraceLine {
    std::string operation;
    std::string subject;
    Dword result = 0;
};

class Trace {
public:
    bool enabled = false;
    void Record(std::string_view operation, std::string_view subject, Dword result) {
        if (enabled) lines_.push_back({std::string(operation), std::string(subject), result});
    }
    const std::vector<TraceLine>& lines() const { return lines_; }

private:
    std::vector<TraceLine> lines_;
};

}  // namespace veltra::sim
