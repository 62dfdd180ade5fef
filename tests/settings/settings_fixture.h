// A simulated machine with a settings context on its registry, full key
// names for the agent's settings keys, and the registry diff of a test step.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/regfile.h"
#include "platform/sim/sim_registry.h"
#include "settings/key_paths.h"
#include "settings/settings_context.h"
#include "support/sim_fixture.h"

namespace veltra::testing {

inline const std::string kHklm = "HKEY_LOCAL_MACHINE\\";
inline const std::string kHkcu = "HKEY_CURRENT_USER\\";
inline const std::string kRasKey = kHklm + settings::kRasSettingsKey;
inline const std::string kGinaKey = kHklm + settings::kGinaSettingsKey;
inline const std::string kNetworkKey = kHklm + settings::kNetworkSettingsKey;
inline const std::string kClientKey = kHklm + settings::kClientSettingsKey;
inline const std::string kComponentKey = kHklm + settings::kComponentSettingsKey;
inline const std::string kCommonKey = kHklm + settings::kAgentCommonKey;
// The per-user copy the upgrade steps carry settings through.
inline const std::string kUpgradePath = "SOFTWARE\\VeltraAgentUpgrade";

class SettingsFixture : public SimFixture {
protected:
    platform::Registry& registry() { return sim.platform().registry; }

    // Starts a step: the registry as it is now, and the call trace from here.
    void Mark() {
        before_ = machine.registry;
        machine.trace = sim::Trace();
        machine.trace.enabled = true;
    }
    // What changed in the registry since Mark().
    std::vector<sim::RegChange> Changes() const { return sim::DiffTrees(before_, machine.registry); }

    // "KEY\name" of every value changed since Mark(), in diff order.
    std::vector<std::string> ChangedValues() const {
        std::vector<std::string> names;
        for (const auto& change : Changes()) {
            if (change.kind == sim::RegChange::ValueAdded || change.kind == sim::RegChange::ValueChanged ||
                change.kind == sim::RegChange::ValueDeleted) {
                names.push_back(change.key + "\\" + change.name);
            }
        }
        return names;
    }

    // The subjects of the traced calls of one operation, in order.
    std::vector<std::string> Calls(const std::string& operation) const {
        std::vector<std::string> subjects;
        for (const auto& line : machine.trace.lines()) {
            if (line.operation == operation) subjects.push_back(line.subject);
        }
        return subjects;
    }

    std::size_t OpenHandles() { return dynamic_cast<sim::SimRegistry&>(registry()).OpenHandleCount(); }

    void Fail(const std::string& rule) {
        std::string error;
        const auto parsed = sim::ParseFaultRule(rule, &error);
        ASSERT_TRUE(parsed) << error;
        machine.faults.Add(*parsed);
    }

    static std::vector<std::uint8_t> Bytes(const std::string& text, bool terminator = true) {
        std::vector<std::uint8_t> bytes(text.begin(), text.end());
        if (terminator) bytes.push_back(0);
        return bytes;
    }

    settings::SettingsContext context{sim.platform().registry};
    sim::RegistryTree before_;
};

}  // namespace veltra::testing
