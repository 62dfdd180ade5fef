#include "platform/sim/machine.h"

#include <array>
#include <utility>

#include "platform/ui.h"

namespace veltra::sim {

Machine::Machine() {
    // A fresh account domain: S-1-5-21-1004399068-1177246595-681986434.
    accountDomainSid = {1, 4, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 0xDC, 0xE9, 0xDD, 0x3B,
                        0x83, 0x5B, 0x2B, 0x46, 0x82, 0x49, 0xA6, 0x28};
}

namespace {

constexpr std::array<std::pair<std::string_view, int>, 9> kButtons = {{
    {"OK", platform::kIdOk},
    {"CANCEL", platform::kIdCancel},
    {"ABORT", platform::kIdAbort},
    {"RETRY", platform::kIdRetry},
    {"IGNORE", platform::kIdIgnore},
    {"YES", platform::kIdYes},
    {"NO", platform::kIdNo},
    {"TRYAGAIN", platform::kIdTryAgain},
    {"CONTINUE", platform::kIdContinue},
}};

}  // namespace

std::optional<int> ButtonFromName(std::string_view name) {
    const std::string folded = FoldCase(name);
    for (const auto& [text, id] : kButtons) {
        if (text == folded) return id;
    }
    return std::nullopt;
}

std::string ButtonName(int button) {
    for (const auto& [text, id] : kButtons) {
        if (id == button) return std::string(text);
    }
    return std::to_string(button);
}

}  // namespace veltra::sim
