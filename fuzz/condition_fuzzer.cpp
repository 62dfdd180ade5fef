// Feeds arbitrary text to the condition evaluator and the formatted-text
// expander. A condition either evaluates or is refused with an error that
// names it and a position inside it (or just past its end); a condition that
// evaluates keeps its value inside parentheses and flips under NOT. Text with
// no '[' comes out of the expander unchanged.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/sim/engine/condition.h"
#include "platform/sim/engine/format.h"

namespace {

using namespace veltra::sim::engine;

class FixedSession final : public SessionView {
public:
    std::optional<std::string> Property(std::string_view name) const override { return Find(properties_, name); }
    std::optional<std::string> Environment(std::string_view name) const override {
        return name == "PATH" ? std::optional<std::string>("C:\\Windows") : std::nullopt;
    }
    int FeatureInstalled(std::string_view name) const override { return name == "Agent" ? kStateAbsent : kStateUnknown; }
    int FeatureAction(std::string_view name) const override { return name == "Agent" ? kStateLocal : kStateUnknown; }
    int ComponentInstalled(std::string_view name) const override { return name == "Gina" ? kStateLocal : kStateUnknown; }
    int ComponentAction(std::string_view name) const override { return name == "Gina" ? kStateAbsent : kStateUnknown; }
    std::optional<std::string> FilePath(std::string_view key) const override {
        return key == "Gina.dll" ? std::optional<std::string>("C:\\Windows\\Gina.dll") : std::nullopt;
    }
    std::optional<std::string> ComponentFolder(std::string_view name) const override {
        return name == "Gina" ? std::optional<std::string>("C:\\Windows\\") : std::nullopt;
    }

private:
    static std::optional<std::string> Find(const std::map<std::string, std::string, std::less<>>& map,
                                           std::string_view key) {
        const auto it = map.find(key);
        return it == map.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    std::map<std::string, std::string, std::less<>> properties_ = {
        {"Installed", "1"}, {"REMOVE", "ALL"}, {"Five", "5"}, {"Minus", "-7"}, {"Word", "hithere"},
        {"Ref", "Word"}, {"Markup", "[Ref]{x}"}, {"Empty", ""}};
};


bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FixedSession session;
    const std::string text(reinterpret_cast<const char*>(data), size);

    const ConditionResult result = EvaluateCondition(text, session);
    Check(EvaluateCondition(text, session).value == result.value);
    bool blank = true;
    for (const char c : text) blank = blank && IsBlank(c);
    if (blank) Check(result.ok() && result.value);
    if (!result.ok()) {
        Check(!result.value);
        const std::string head = "malformed condition \"" + text + "\" at position ";
        Check(result.error.compare(0, head.size(), head) == 0);
        const std::size_t position = std::strtoul(result.error.c_str() + head.size(), nullptr, 10);
        Check(position >= 1 && position <= size + 1);
    } else if (!blank) {
        const ConditionResult wrapped = EvaluateCondition("(" + text + ")", session);
        const ConditionResult negated = EvaluateCondition("NOT (" + text + ")", session);
        if (wrapped.error.find("nested too deeply") == std::string::npos) {
            Check(wrapped.ok() && wrapped.value == result.value);
        }
        if (negated.error.find("nested too deeply") == std::string::npos) {
            Check(negated.ok() && negated.value != result.value);
        }
    }

    const std::string formatted = FormatText(text, session);
    if (text.find('[') == std::string::npos) Check(formatted == text);
    return 0;
}
