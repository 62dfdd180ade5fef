#include "platform/sim/faults.h"

#include <charconv>

#include "platform/sim/registry_tree.h"

namespace veltra::sim {

std::optional<FaultRule> ParseFaultRule(std::string_view text, std::string* error) {
    FaultRule rule;
    auto fail = [&](const char* why) -> std::optional<FaultRule> {
        if (error != nullptr) *error = why;
        return std::nullopt;
    };
    if (const auto eq = text.rfind('='); eq != std::string_view::npos) {
        const std::string_view number = text.substr(eq + 1);
        unsigned long value = 0;
        const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (ec != std::errc() || end != number.data() + number.size() || value > 0xFFFFFFFFul) {
            return fail("the code after '=' must be a decimal number");
        }
        rule.code = static_cast<Dword>(value);
        text = text.substr(0, eq);
    }
    if (const auto hash = text.rfind('#'); hash != std::string_view::npos) {
        const std::string_view number = text.substr(hash + 1);
        const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), rule.nth);
        if (ec != std::errc() || end != number.data() + number.size() || rule.nth == 0) {
            return fail("the count after '#' must be a number from 1");
        }
        text = text.substr(0, hash);
    }
    if (const auto colon = text.find(':'); colon != std::string_view::npos) {
        rule.subject = std::string(text.substr(colon + 1));
        text = text.substr(0, colon);
    }
    if (text.empty()) return fail("an operation name is needed, such as RegSetValueExA");
    rule.operation = std::string(text);
    return rule;
}

std::optional<Dword> Faults::Check(std::string_view operation, std::string_view subject) {
    for (FaultRule& rule : rules_) {
        if (FoldCase(rule.operation) != FoldCase(operation)) continue;
        if (!rule.subject.empty() && FoldCase(rule.subject) != FoldCase(subject)) continue;
        ++rule.seen;
        if (rule.nth == 0 || rule.nth == rule.seen) return rule.code;
    }
    return std::nullopt;
}

}  // namespace veltra::sim
