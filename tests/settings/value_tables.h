// Table-driven helpers: a distinct value for every row of a settings class's
// value table, written in the row's stored form, and a change to each field.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/registry_tree.h"
#include "settings/decimal_text.h"
#include "settings/value_info.h"

namespace veltra::testing {

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
    const auto text = [](const std::string& t) {
        std::vector<std::uint8_t> bytes(t.begin(), t.end());
        bytes.push_back(0);
        return bytes;
    };
    switch (info.stored) {
        case settings::StoredAs::kDword:
            return {info.name, platform::kRegDword,
                    {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8), 0, 0}};
        case settings::StoredAs::kDecimalText:
            return {info.name, platform::kRegSz, text(settings::FormatDecimal(number))};
        case settings::StoredAs::kString:
            return {info.name, platform::kRegSz, text(std::string(info.name).substr(0, 4) + std::to_string(row))};
        case settings::StoredAs::kExpandString:
            return {info.name, platform::kRegExpandSz, text("%Dir%\\" + std::to_string(row))};
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
