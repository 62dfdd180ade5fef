// machine.json: everything about a simulated machine that is neither the
// registry nor the files.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "platform/sim/machine.h"

namespace veltra::cli {

// Fills the machine from the document; false with a message naming the
// offending key when the document does not describe a machine.
bool MachineFromJson(const nlohmann::json& document, sim::Machine& machine, std::string& error);

// The document for a machine, with every section present.
nlohmann::json MachineToJson(const sim::Machine& machine);

// The attribute names used in machine.json ("readonly", "hidden", "system", ...).
std::string AttributeNames(platform::Dword attributes);

}  // namespace veltra::cli
