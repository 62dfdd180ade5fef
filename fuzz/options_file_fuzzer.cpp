// Feeds arbitrary bytes to the reader of the package's options file, as the
// silent installation reads them in text mode. Every entry it gives has a
// name without "=" or line end and a value without line-break marks, and fits
// one line read; writing the entries out again and reading them back gives
// the same entries, up to the first that filled a whole line read (its line
// end then reads as a blank line, which stops the reading). Text mode keeps
// any text free of Ctrl-Z through a write and a read.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "silentpackage/options_file.h"
#include "silentpackage/text_mode.h"

namespace {

using namespace veltra::silentpackage;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = FromTextModeBytes(bytes);
    Check(text.find('\x1A') == std::string::npos);
    Check(FromTextModeBytes(ToTextModeBytes(text)) == text);

    const std::vector<OptionEntry> entries = ReadOptionEntries(text);
    std::vector<OptionEntry> expected;
    std::string rewritten;
    for (const OptionEntry& entry : entries) {
        Check(!entry.name.empty() && !entry.value.empty());
        Check(entry.name.find_first_of(std::string("=\n\0", 3)) == std::string::npos);
        Check(entry.value.find_first_of(std::string("\x01\0", 2)) == std::string::npos);
        const std::size_t lineLength = entry.name.size() + 1 + entry.value.size();
        Check(lineLength <= kOptionsLinePiece);
        expected.push_back(entry);
        rewritten += OptionLine(entry.name, entry.value);
        if (lineLength == kOptionsLinePiece) break;
    }
    Check(ReadOptionEntries(FromTextModeBytes(ToTextModeBytes(rewritten))) == expected);
    return 0;
}
