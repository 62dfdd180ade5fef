#include "settings/component_settings.h"

#include <array>
#include <cstdint>

#include "settings/key_paths.h"
#include "settings/registry_primitives.h"

namespace veltra::settings {

ComponentSettings::ComponentSettings(SettingsContext& context) : context_(context) {}

void ComponentSettings::SetRoot(std::string_view keyPath, bool useCurrentUser) {
    context_.component.root = RootFor(useCurrentUser);
    context_.component.keyPath.assign(keyPath.begin(), keyPath.end());
}

bool ComponentSettings::ComponentMarked(Component component) const {
    Dword value = 0;
    const Dword result = ReadRegDword(context_.registry, place().root, place().keyPath.c_str(),
                                      kComponentValueNames[static_cast<std::size_t>(component)], &value);
    return result == kRegResultSuccess && value == 1;
}

Dword ComponentSettings::Load(std::string_view keyPath, bool useCurrentUser) {
    SetRoot(keyPath, useCurrentUser);
    for (std::size_t i = 0; i < kComponentValueNames.size(); ++i) {
        flags_[i] = ComponentMarked(static_cast<Component>(i)) ? 1 : 0;
    }
    std::array<std::uint8_t, 260> utilityDir{};
    Dword size = static_cast<Dword>(utilityDir.size());
    flags_[static_cast<std::size_t>(Component::AuthenticatorUtility)] =
        ReadRegString(context_.registry, place().root, kAuthenticatorUtilityKey, "InstallDir",
                      utilityDir.data(), &size) == kRegResultSuccess
            ? 1
            : 0;

    std::array<std::uint8_t, kInstallPathCapacity> path{};
    size = kInstallPathCapacity;
    const Dword result = GetInstallPath(path.data(), &size);
    if (result == kRegResultSuccess) installPath_.StoreRead(std::span(path).first(size));
    return result;
}

Dword ComponentSettings::LoadCurrent() {
    const std::string keyPath = place().keyPath;
    return Load(keyPath, false);
}

Dword ComponentSettings::GetInstallPath(void* buffer, Dword* size) const {
    return ReadRegString(context_.registry, place().root, kAgentCommonKey, "InstallPath", buffer, size);
}

Dword ComponentSettings::GetDayfileDir(void* buffer, Dword* size) const {
    if (!ComponentMarked(Component::LocalAuthenticationClient)) return kRegResultSuccess;
    return ReadRegString(context_.registry, place().root, kLocalOfflineServiceKey, "DayfileDir", buffer, size);
}

}  // namespace veltra::settings
