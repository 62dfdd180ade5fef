// Feeds arbitrary bytes to the reader of a machine folder's machine.json.
// Text that is not JSON is the folder's problem, not the reader's; any JSON
// document either reads or is refused with a message, never a crash or an
// exception. A machine that reads writes out a document that reads back into
// the same document.
#include <cstdint>
#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "fuzz_check.h"
#include "cli/machine_json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const nlohmann::json document = nlohmann::json::parse(data, data + size, nullptr, false);
    if (document.is_discarded()) return 0;
    using veltra::cli::MachineFromJson;
    using veltra::cli::MachineToJson;
    veltra::sim::Machine machine;
    std::string error;
    if (!MachineFromJson(document, machine, error)) {
        Check(!error.empty());
        return 0;
    }
    const nlohmann::json written = MachineToJson(machine);
    veltra::sim::Machine again;
    Check(MachineFromJson(written, again, error));
    Check(MachineToJson(again) == written);
    return 0;
}
