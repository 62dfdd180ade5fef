#include "settings/ras_settings.h"

#include <array>
#include <cstdint>
#include <string>

#include "settings/component_settings.h"
#include "settings/key_paths.h"
#include "settings/registry_primitives.h"

namespace veltra::settings {

static_assert(kRasValues.size() == RowIndex(RasValue::UseInnerName) + 1);

RasSettings::RasSettings(SettingsContext& context, bool withBuffers)
    : SettingsRows(context, &SettingsContext::ras, kRasValues, withBuffers), withBuffers_(withBuffers) {
    // Until a Load says otherwise, "NASAgentCheck" counts as 1 in the
    // registry: an unforced save of a fresh object writes it unless it is 1.
    core_.values().snapshot(RowIndex(RasValue::NASAgentCheck)).number = 1;
}

Dword RasSettings::Load(KeyPathRef keyPath, bool useCurrentUser) {
    if (!withBuffers_) return kRegResultNoBuffers;
    core_.SetPlace(keyPath, useCurrentUser);
    core_.LoadRows();
    return kRegResultSuccess;
}

void RasSettings::Save(KeyPathRef keyPath, bool force, bool useCurrentUser) {
    core_.SetPlace(keyPath, useCurrentUser);
    const ValueStore& values = core_.values();
    for (std::size_t row = 0; row < values.size(); ++row) {
        if (!values.ShouldSave(row, force)) continue;
        if (row == RowIndex(RasValue::DialMode)) {
            WriteDialMode(values.field(row).number);
        } else {
            core_.WriteRow(row);
        }
    }
}

Dword RasSettings::LoadCurrent() {
    return Load(place().current(), false);
}

void RasSettings::SaveChanged() {
    Save(place().current(), false, false);
}

void RasSettings::SaveAll() {
    Save(place().current(), true, false);
}

Dword RasSettings::Set(RasValue row, Dword value) const {
    if (row == RasValue::DialMode) return WriteDialMode(value);
    return core_.Set(RowIndex(row), value);
}

Dword RasSettings::WriteDialMode(Dword value) const {
    SettingsContext& context = core_.context();
    if (value == 1) {
        // Dial mode 1 has the remote-access service call the agent's security
        // host, which lives in the agent's installation folder.
        std::array<char, ComponentSettings::kInstallPathCapacity> installPath{};
        Dword size = ComponentSettings::kInstallPathCapacity;
        if (ComponentSettings(context).GetInstallPath(installPath.data(), &size) == kRegResultSuccess) {
            const std::string_view buffer(installPath.data(), installPath.size());
            const std::string_view folder = buffer.substr(0, buffer.find('\0'));
            const std::string_view dll = kRasSecurityHostDll;
            if (folder.size() + dll.size() < installPath.size()) {
                // Appended directly: the recorded install path ends in a backslash.
                const std::string dllPath = std::string(folder) + std::string(dll);
                WriteRegString(context.registry, core_.root(), kRasSecurityHostKey, "DLLPath", dllPath.c_str(),
                               static_cast<Dword>(dllPath.size()));
            }
        }
    }
    return core_.Set(RowIndex(RasValue::DialMode), value);
}

}  // namespace veltra::settings
