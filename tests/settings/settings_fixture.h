// A simulated machine with a settings context, the agent's settings keys, the
// registry diff of a step, and a distinct value and a change per table row.
#pragma once

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/regfile.h"
#include "platform/sim/sim_registry.h"
#include "settings/decimal_text.h"
#include "settings/key_paths.h"
#include "settings/settings_context.h"
#include "settings/value_info.h"
#include "settings/value_store.h"
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

// The key a row lives in, for a class key (full name) and a network key.
inline std::string RowKey(const settings::ValueInfo& info, const std::string& classKey,
                          const std::string& networkKey) {
    switch (info.key) {
        case settings::ValueKey::kClassKey: return classKey;
        case settings::ValueKey::kEap15: return classKey + "\\15";
        case settings::ValueKey::kEap32: return classKey + "\\32";
        case settings::ValueKey::kNetworkKey: return networkKey;
    }
    return classKey;
}

inline bool HasField(const settings::ValueInfo& info) { return info.save != settings::SaveRule::kAccessorOnly; }

// Row `row`'s own value, as the registry holds it after a save.
inline sim::RegValue Distinct(const settings::ValueInfo& info, std::size_t row) {
    const auto number = static_cast<platform::Dword>(100 + row);
    switch (info.stored) {
        case settings::StoredAs::kDword: return DwordValue(info.name, number);
        case settings::StoredAs::kDecimalText: return SzValue(info.name, settings::FormatDecimal(number));
        case settings::StoredAs::kString: return SzValue(info.name, std::string(info.name).substr(0, 4) + std::to_string(row));
        case settings::StoredAs::kExpandString:
            return SzValue(info.name, "%Dir%\\" + std::to_string(row), platform::kRegExpandSz);
        case settings::StoredAs::kBinary:
            return {info.name, platform::kRegBinary,
                    {static_cast<std::uint8_t>(row), 0xAA, 0x00, 0x55, static_cast<std::uint8_t>(row + 1)}};
    }
    return {};
}

// The row whose value Populate leaves for this row's name and key: the last
// row of that name (two fields may be bound to one value).
inline std::size_t StoredRow(std::span<const settings::ValueInfo> table, std::size_t row) {
    std::size_t stored = row;
    for (std::size_t other = row + 1; other < table.size(); ++other) {
        if (std::string_view(table[other].name) == table[row].name && table[other].key == table[row].key) {
            stored = other;
        }
    }
    return stored;
}

// Writes every row with a field under its key.
inline void Populate(sim::RegistryTree& tree, std::span<const settings::ValueInfo> table,
                     const std::string& classKey, const std::string& networkKey) {
    for (std::size_t row = 0; row < table.size(); ++row) {
        if (!HasField(table[row])) continue;
        const sim::RegValue value = Distinct(table[row], row);
        tree.CreateKey(RowKey(table[row], classKey, networkKey))->SetValue(value.name, value.type, value.data);
    }
}

// A different value for a field; returns what the registry holds once it is written.
template <class Settings, class Row>
sim::RegValue ChangeField(Settings& settings, Row row, const settings::ValueInfo& info) {
    switch (info.stored) {
        case settings::StoredAs::kDword:
            settings.Number(row) = 0x01020304;
            return {info.name, platform::kRegDword, {4, 3, 2, 1}};
        case settings::StoredAs::kDecimalText:
            settings.Number(row) = 4000000000u;
            return {info.name, platform::kRegSz, {'4', '0', '0', '0', '0', '0', '0', '0', '0', '0', 0}};
        case settings::StoredAs::kString:
        case settings::StoredAs::kExpandString:
            settings.Buffer(row).SetText("chg");
            return {info.name, info.stored == settings::StoredAs::kString ? platform::kRegSz : platform::kRegExpandSz,
                    {'c', 'h', 'g', 0}};
        case settings::StoredAs::kBinary:
            settings.Buffer(row).SetBytes(std::vector<std::uint8_t>{9, 8, 7});
            return {info.name, platform::kRegBinary, {9, 8, 7}};
    }
    return {};
}

// Whether a loaded field holds what the registry value says.
template <class Settings>
bool FieldHolds(const Settings& settings, std::size_t row, const sim::RegValue& expected) {
    const settings::ValueInfo& info = settings.values().table()[row];
    const settings::ValueField& field = settings.values().field(row);
    switch (info.stored) {
        case settings::StoredAs::kDword: {
            platform::Dword number = 0;
            for (std::size_t i = 0; i < 4 && i < expected.data.size(); ++i) {
                number |= static_cast<platform::Dword>(expected.data[i]) << (8 * i);
            }
            return field.number == number;
        }
        case settings::StoredAs::kDecimalText: return field.number == settings::ParseDecimalText(expected.data);
        case settings::StoredAs::kString:
        case settings::StoredAs::kExpandString:
            return field.buffer.Text() ==
                   std::string_view(reinterpret_cast<const char*>(expected.data.data()), expected.data.size() - 1);
        case settings::StoredAs::kBinary: {
            const auto data = field.buffer.Data();
            return std::vector<std::uint8_t>(data.begin(), data.end()) == expected.data;
        }
    }
    return false;
}

// Whether a forced save writes this row (given a value that fits).
inline bool SavedWhenForced(const settings::ValueInfo& info) {
    using settings::SaveRule;
    return info.save != SaveRule::kNever && info.save != SaveRule::kAccessorOnly;
}

}  // namespace veltra::testing
