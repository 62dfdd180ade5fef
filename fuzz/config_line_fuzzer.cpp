// Feeds arbitrary text to the registry configuration file's line parser. A
// line either parses into a prefix and a value name (neither empty, the
// prefix without "_"), a value without backtick or line feed and one of the
// four types, or is refused; and every value the writer can format parses
// back to itself.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "silentpackage/config_line.h"

namespace {

using veltra::silentpackage::ConfigLine;
using veltra::silentpackage::FormatConfigLine;
using veltra::silentpackage::ParseConfigLine;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    if (const std::optional<ConfigLine> line = ParseConfigLine(text)) {
        Check(!line->prefix.empty() && line->prefix.find('_') == std::string::npos);
        Check(line->prefix.find('=') == std::string::npos);
        Check(!line->valueName.empty() && line->valueName.find('=') == std::string::npos);
        Check(!line->value.empty() && line->value.find_first_of("`\n") == std::string::npos);
        Check(line->type >= 1 && line->type <= 4);
        Check(text.starts_with(line->prefix + "_" + line->valueName + "=" + line->value + "`"));
    }

    // The input's first byte picks a type, the rest up to a zero is a string
    // value: what the writer makes of it must parse back.
    if (size < 1) return 0;
    const auto type = static_cast<veltra::platform::Dword>(1 + data[0] % 4);
    const std::span<const std::uint8_t> value(data + 1, size - 1);
    const std::optional<std::string> formatted = FormatConfigLine("LAC_", "Name", type, value);
    if (!formatted) {
        Check(value.empty());
        return 0;
    }
    const std::optional<ConfigLine> back = ParseConfigLine(*formatted + "\n");
    const bool stringType = type == 1 || type == 2;
    const std::string_view asText(reinterpret_cast<const char*>(value.data()), value.size());
    const std::string_view stored = asText.substr(0, asText.find('\0'));
    if (stringType && (stored.empty() || stored.find_first_of("`\n") != std::string_view::npos)) return 0;
    Check(back.has_value());
    Check(back->prefix == "LAC" && back->valueName == "Name" && back->type == type);
    if (stringType) Check(back->value == stored);
    return 0;
}
