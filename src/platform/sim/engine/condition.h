// Windows Installer conditions: the grammar of the Condition columns of the
// sequence, feature and component tables.
#pragma once

#include <string>
#include <string_view>

#include "platform/sim/engine/session_view.h"

namespace veltra::sim::engine {

struct ConditionResult {
    bool value = false;
    // Empty when the condition parsed; otherwise what is wrong and where, so
    // that a malformed condition is reported, never taken as false.
    std::string error;
    bool ok() const { return error.empty(); }
};

// An empty (or all-blank) condition is true.
ConditionResult EvaluateCondition(std::string_view condition, const SessionView& session);

}  // namespace veltra::sim::engine
