// Feeds arbitrary bytes to the registry configuration file's reader, as the
// silent installation reads it: in text mode, in pieces of at most 1019
// characters (which must put the text read back together, and agree with the
// other text-mode reader), each piece given to the line parser. A piece
// either parses into a prefix and a value name (neither empty, the
// prefix without "_"), a value without backtick or line feed and one of the
// four types, or is refused; and every value the writer can format parses
// back to itself.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "silentpackage/config_line.h"
#include "silentpackage/text_mode.h"
#include "silentpackage/text_mode_lines.h"

namespace {

using veltra::silentpackage::ConfigLine;
using veltra::silentpackage::FormatConfigLine;
using veltra::silentpackage::ParseConfigLine;

// The room the silent installation reads each line with.
constexpr std::size_t kLineRoom = 1019;

// The input as an open file, read from memory.
class InputFile final : public veltra::platform::FileStream {
public:
    explicit InputFile(std::string_view bytes) : rest_(bytes) {}
    std::size_t Read(void* buffer, std::size_t size) override {
        const std::size_t count = std::min(size, rest_.size());
        std::memcpy(buffer, rest_.data(), count);
        rest_.remove_prefix(count);
        return count;
    }
    std::size_t Write(const void*, std::size_t) override { return 0; }
    bool ReadLine(char*, std::size_t) override { return false; }
    bool AtEnd() const override { return rest_.empty(); }

private:
    std::string_view rest_;
};

void CheckLine(std::string_view text) {
    const std::optional<ConfigLine> line = ParseConfigLine(text);
    if (!line) return;
    Check(!line->prefix.empty() && line->prefix.find('_') == std::string::npos);
    Check(line->prefix.find('=') == std::string::npos);
    Check(!line->valueName.empty() && line->valueName.find('=') == std::string::npos);
    Check(!line->value.empty() && line->value.find_first_of("`\n") == std::string::npos);
    Check(line->type >= 1 && line->type <= 4);
    Check(text.starts_with(line->prefix + "_" + line->valueName + "=" + line->value + "`"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    InputFile file(bytes);
    const std::vector<std::string> pieces = veltra::silentpackage::ReadTextLines(file, kLineRoom);
    std::string joined;
    for (const std::string& piece : pieces) {
        Check(!piece.empty() && piece.size() <= kLineRoom);
        const std::size_t lineFeed = piece.find('\n');
        Check(lineFeed == std::string::npos || lineFeed + 1 == piece.size());
        joined += piece;
        CheckLine(piece);
    }
    Check(joined == veltra::silentpackage::FromTextModeBytes(bytes));

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
