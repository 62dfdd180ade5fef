// Feeds arbitrary bytes to the reader of the agent's version file, read in
// text mode as the installation reads it. Whatever the text, the reading
// ends; a file made of one line per number, written back from what was read,
// gives the same numbers again.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "silentpackage/text_mode.h"
#include "upgrade/version_file.h"

namespace {

using namespace veltra::upgrade;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The file is read in text mode, as the installation reads it.
    const std::string text = veltra::silentpackage::FromTextModeBytes(
        std::string_view(reinterpret_cast<const char*>(data), size));
    const AgentVersion version = ReadAgentVersion(text);
    // Numbers are written as the signed values they were read from.
    const auto line = [](const char* name, veltra::platform::Dword value) {
        return std::string("#define ") + name + " " + std::to_string(static_cast<std::int32_t>(value)) + "\n";
    };
    const std::string rewritten =
        line("__VMAJOR__", version.major) + line("__VMINOR__", version.minor) + line("__PLEVEL__", version.patchLevel);
    Check(ReadAgentVersion(rewritten) == version);
    // What follows the file cannot undo a line it already had.
    Check(ReadAgentVersion(text + "\n" + rewritten) == version);
    return 0;
}
