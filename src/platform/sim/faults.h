// Fault injection and tracing, shared by every simulated port.
//
// A rule names a Win32 operation ("RegSetValueExA", "CopyFileA", ...), an
// optional subject (a full registry key path, "KEY\value" for value calls, or
// a Windows file path; compared ignoring case) and optionally the Nth matching
// call only. A matching call fails with the rule's code instead of running.
//
// Every method of every simulated port passes through a Gate: it checks the
// rules, records the trace line and leaves the last error as the real call
// would. The operations a gate knows are listed once, in KnownOperations().
#pragma once

#include <optional>
#include <span>
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
    const std::vector<FaultRule>& rules() const { return rules_; }

    // A bound on the calls of one run (0: none). Past it every call fails
    // with ERROR_NOT_ENOUGH_MEMORY, so that a run looping on the platform
    // comes to an end, and limitReached() tells the caller it was a loop.
    std::size_t callLimit = 0;
    bool limitReached() const { return callLimit != 0 && calls_ > callLimit; }

private:
    std::vector<FaultRule> rules_;
    std::size_t calls_ = 0;
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

// How the real call hands its error code to the caller.
enum class ErrorChannel {
    Result,     // the result is the code (registry, installer, network management)
    LastError,  // a false, null or zero result, the code in GetLastError
    Neither,    // the call has no error code; only its result shows the failure
};

// One operation the simulated machine knows: its name in --fail and the
// trace, the port that makes it, and what the caller sees when it fails.
struct Operation {
    std::string_view name;
    std::string_view port;
    ErrorChannel channel;
    std::string_view failure;
    // The codes the call usually fails with, most usual first (see faults.cpp).
    std::span<const Dword> codes;
};

// Every operation, port by port, in the order of the port interfaces.
std::span<const Operation> KnownOperations();
// The operation of that name, ignoring case; null when unknown.
const Operation* FindOperation(std::string_view name);
// The subject a rule names to fail a traced call: the trace shows a copy or
// a move as "SOURCE -> TARGET", a rule names the copy's target and the
// move's source; every other call is named as traced.
std::string_view RuleSubject(std::string_view operation, std::string_view tracedSubject);
// Up to three known names closest to an unknown one, closest first.
std::vector<std::string_view> NearestOperations(std::string_view name);

// The one passage of every simulated call.
class Gate {
public:
    Gate(Faults& faults, Trace& trace, Dword* lastError)
        : faults_(faults), trace_(trace), lastError_(lastError) {}

    // Before the call does anything: the code an injected fault fails it
    // with (traced, and left as the last error when the real call reports it
    // there), or nullopt when the call is to run.
    std::optional<Dword> Injected(std::string_view operation, std::string_view subject);
    // A call that failed by itself: the last error as the real call leaves
    // it, the trace line; returns false for the caller's convenience.
    bool Fail(std::string_view operation, std::string_view subject, Dword code);
    // A call that succeeded: the trace line with 0; returns true.
    bool Succeed(std::string_view operation, std::string_view subject);
    // A call whose result is its code (or a value to show in the trace).
    Dword Finish(std::string_view operation, std::string_view subject, Dword result);

    // False when no fault rule and no trace can see a call, so that a caller
    // may skip spelling out its subject.
    bool Watching() const { return !faults_.empty() || trace_.enabled; }

    // The whole passage of a call whose result is its code.
    template <class Call>
    Dword Run(std::string_view operation, std::string_view subject, Call call) {
        if (const auto code = Injected(operation, subject)) return *code;
        return Finish(operation, subject, call());
    }

private:
    void SetLastError(std::string_view operation, Dword code);

    Faults& faults_;
    Trace& trace_;
    Dword* lastError_;
};

}  // namespace veltra::sim
