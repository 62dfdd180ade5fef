// ComponentSettings: a read-only view of which agent components are installed
// and where the agent lives. It has no value table of its own: its flags are
// tested, not mirrored, and it never saves.
#pragma once

#include <array>
#include <string_view>

#include "settings/settings_context.h"
#include "settings/value_buffer.h"

namespace veltra::settings {

enum class Component : std::size_t {
    LocalAuthenticationClient,
    DomainAuthenticationClient,
    DomainAuthenticationServer,
    EapClient,
    RemoteAuthenticationServer,
    AuthenticatorUtility,
};

// The REG_DWORD values under the class key that mark the first five
// components (1 = installed), in Component order.
inline constexpr std::array<const char*, 5> kComponentValueNames = {
    "Local Authentication Client", "Domain Authentication Client", "Domain Authentication Server",
    "Veltra Security EAP Client", "Remote Authentication Server"};

class ComponentSettings {
public:
    static constexpr Dword kInstallPathCapacity = 260;

    explicit ComponentSettings(SettingsContext& context);

    // Sets the class's place, tests every component afresh and reads the
    // install path into the object; returns the install-path read's result,
    // whatever the component tests found.
    Dword Load(std::string_view keyPath, bool useCurrentUser);
    Dword LoadCurrent();
    void SetRoot(std::string_view keyPath, bool useCurrentUser);

    // As the last Load found it: 1 only for a REG_DWORD 1 (the utility: its
    // "InstallDir" could be read).
    bool IsInstalled(Component component) const { return flags_[static_cast<std::size_t>(component)] != 0; }
    const ValueBuffer& installPath() const { return installPath_; }

    // "InstallPath" of the agent's Common key under the class root.
    Dword GetInstallPath(void* buffer, Dword* size) const;
    // "DayfileDir" of the local offline service, when the Local
    // Authentication Client is installed (tested afresh); otherwise 0 with
    // the caller's buffer untouched.
    Dword GetDayfileDir(void* buffer, Dword* size) const;

    SettingsLocation& place() const { return context_.component; }

private:
    bool ComponentMarked(Component component) const;

    SettingsContext& context_;
    std::array<std::uint8_t, 6> flags_{};
    ValueBuffer installPath_{kInstallPathCapacity};
};

}  // namespace veltra::settings
