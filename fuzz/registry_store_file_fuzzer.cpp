// Feeds arbitrary bytes to the reader of the legacy settings file, as the
// restoration reads it: in text mode. Every entry has a name without "="
// or line end and a value without blank, comma or line end; writing the
// entries out again and reading them back gives the same entries.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "silentpackage/text_mode.h"
#include "upgrade/registry_store_file.h"

namespace {

using namespace veltra::upgrade;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The file is read in text mode, as the installation reads it.
    const std::string text = veltra::silentpackage::FromTextModeBytes(
        std::string_view(reinterpret_cast<const char*>(data), size));
    const std::vector<RegistryStoreEntry> entries = ReadRegistryStoreEntries(text);
    std::string rewritten;
    for (const RegistryStoreEntry& entry : entries) {
        Check(!entry.name.empty() && !entry.value.empty());
        Check(entry.name.find_first_of("=\n") == std::string::npos);
        Check(entry.value.find_first_of(" ,\r\n") == std::string::npos);
        rewritten += RegistryStoreLine(entry.name, entry.value);
    }
    Check(ReadRegistryStoreEntries(rewritten) == entries);
    return 0;
}
