#include "silentpackage/config_line.h"

#include <cstring>

#include "settings/registry_primitives.h"
#include "silentpackage/hex_text.h"

namespace veltra::silentpackage {
namespace {

using platform::Dword;

bool IsString(Dword type) { return type == platform::kRegSz || type == platform::kRegExpandSz; }

std::string ValueText(Dword type, std::span<const std::uint8_t> data) {
    if (IsString(type)) {
        const auto* text = reinterpret_cast<const char*>(data.data());
        return std::string(text, strnlen(text, data.size()));
    }
    if (type == platform::kRegBinary) return EncodeHex(data);
    // A DWORD as signed decimal: 4294967295 is "-1". Data shorter than four
    // bytes counts as zero-extended, longer data by its first four bytes.
    Dword value = 0;
    for (std::size_t i = 0; i < data.size() && i < 4; ++i) value |= static_cast<Dword>(data[i]) << (8 * i);
    return std::to_string(static_cast<std::int32_t>(value));
}

// strtok's step: skip leading delimiters, take the text up to the next
// delimiter, and consume that one delimiter.
std::string_view NextToken(std::string_view& rest, std::string_view delimiters) {
    const std::size_t start = rest.find_first_not_of(delimiters);
    if (start == std::string_view::npos) {
        rest = {};
        return {};
    }
    rest.remove_prefix(start);
    const std::size_t end = rest.find_first_of(delimiters);
    const std::string_view token = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    return token;
}

std::optional<Dword> TypeOfWord(std::string_view word) {
    for (const Dword type : {platform::kRegSz, platform::kRegExpandSz, platform::kRegBinary, platform::kRegDword}) {
        if (word == settings::RegTypeName(type)) return type;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> FormatConfigLine(std::string_view prefix, std::string_view valueName, Dword type,
                                            std::span<const std::uint8_t> data) {
    if (data.empty()) return std::nullopt;
    const bool carried = IsString(type) || type == platform::kRegBinary || type == platform::kRegDword;
    if (!carried) return std::string(kUnsupportedLine);
    if (IsString(type) && valueName.empty()) return std::nullopt;
    std::string line(prefix);
    line.append(valueName).append("=").append(ValueText(type, data));
    line.append("` TYPE=").append(settings::RegTypeName(type));
    return line;
}

std::optional<ConfigLine> ParseConfigLine(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) return std::nullopt;
    const std::string_view namePart = line.substr(0, equals);
    if (namePart == kUnsupportedName) return std::nullopt;

    const std::string_view afterEquals = line.substr(equals + 1);
    const std::size_t valueEnd = afterEquals.find_first_of("`\n");
    const std::string_view value = afterEquals.substr(0, valueEnd);
    if (value.empty() || valueEnd == std::string_view::npos || afterEquals[valueEnd] != '`') return std::nullopt;

    // The type follows the line's last backtick: a string that holds a
    // backtick of its own is cut there but keeps its type.
    std::string_view rest = afterEquals.substr(afterEquals.rfind('`') + 1);

    const std::string_view typeTag = NextToken(rest, " =");
    const std::string_view typeWord = NextToken(rest, " \n");
    if (typeTag.empty() || typeWord.empty()) return std::nullopt;
    const std::optional<Dword> type = TypeOfWord(typeWord);
    if (!type) return std::nullopt;

    const std::size_t underscore = namePart.find('_');
    if (underscore == std::string_view::npos || underscore == 0 || underscore + 1 == namePart.size()) {
        return std::nullopt;
    }
    return ConfigLine{std::string(namePart.substr(0, underscore)), std::string(namePart.substr(underscore + 1)),
                      std::string(value), *type};
}

}  // namespace veltra::silentpackage
