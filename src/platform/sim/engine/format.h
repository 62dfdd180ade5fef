// Formatted text as MsiFormatRecord expands it for property assignments
// (custom action type 51) and deferred-action data: [PROPERTY], [%ENV],
// [#File], [$Component], [\c], [~], nested references and { } groups.
#pragma once

#include <string>
#include <string_view>

#include "platform/sim/engine/session_view.h"

namespace veltra::sim::engine {

std::string FormatText(std::string_view text, const SessionView& session);

}  // namespace veltra::sim::engine
