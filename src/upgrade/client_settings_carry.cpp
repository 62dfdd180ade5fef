// The client key travels with the logon and remote components: its event-log
// and trace switches through the settings classes, and the node secret as
// raw bytes. The secret is opaque to the installer: it is padded, carried
// and wiped, never shown or logged.
#include "upgrade/client_settings_carry.h"

#include <array>
#include <cstdint>
#include <string>

#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "settings/client_settings.h"
#include "settings/key_paths.h"
#include "settings/trace_settings.h"
#include "upgrade/upgrade_state.h"

namespace veltra::upgrade {
namespace {

using platform::Dword;
using platform::HKey;

// A zero-filled buffer of the carried size, wiped when it goes.
class NodeSecret {
public:
    NodeSecret() = default;
    NodeSecret(const NodeSecret&) = delete;
    NodeSecret& operator=(const NodeSecret&) = delete;
    ~NodeSecret() {
        volatile std::uint8_t* bytes = bytes_.data();
        for (std::size_t i = 0; i < bytes_.size(); ++i) bytes[i] = 0;
    }

    // Reads the value of any type into the buffer; one that does not fit is
    // not read. Whether it was read.
    bool Read(platform::Platform& platform, HKey root, const std::string& keyPath) {
        platform::RegKey key;
        Dword status = runtime::OpenKey(platform.registry, root, keyPath.c_str(), platform::kKeyRead, key);
        if (status == platform::kErrorSuccess) {
            Dword size = static_cast<Dword>(bytes_.size());
            status = platform.registry.QueryValueEx(key.get(), kNodeSecretValue, nullptr, bytes_.data(), &size);
        }
        if (status != platform::kErrorSuccess) {
            runtime::LogFailure(platform, "RegQueryValueExA", runtime::RegistryPath(root, keyPath, kNodeSecretValue),
                                status);
            bytes_.fill(0);
            return false;
        }
        return true;
    }

    // Sets the value as REG_BINARY of exactly the carried size in an existing key.
    void Write(platform::Platform& platform, HKey root, const std::string& keyPath) const {
        platform::RegKey key;
        Dword status = runtime::OpenKey(platform.registry, root, keyPath.c_str(), platform::kKeyAllAccess, key);
        if (status == platform::kErrorSuccess) {
            status = platform.registry.SetValueEx(key.get(), kNodeSecretValue, platform::kRegBinary, bytes_.data(),
                                                  static_cast<Dword>(bytes_.size()));
        }
        if (status != platform::kErrorSuccess) {
            runtime::LogFailure(platform, "RegSetValueExA", runtime::RegistryPath(root, keyPath, kNodeSecretValue),
                                status);
        }
    }

private:
    std::array<std::uint8_t, kNodeSecretSize> bytes_{};
};

// A saved trace level other than 0 asks for tracing.
bool TraceLevelSaved(platform::Platform& platform, const std::string& keyPath) {
    platform::RegKey key;
    const Dword opened =
        runtime::OpenKey(platform.registry, platform::kHkeyCurrentUser, keyPath.c_str(), platform::kKeyRead, key);
    if (opened != platform::kErrorSuccess) return false;
    const auto level = runtime::ReadDword(platform.registry, key.get(), "TraceLevel");
    return level.has_value() && *level != 0;
}

void EnableTracing(platform::Platform& platform) {
    const char* keyPath = settings::kClientSettingsKey;
    platform::RegKey key;
    Dword status =
        runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, keyPath, platform::kKeyAllAccess, key);
    if (status == platform::kErrorSuccess) status = runtime::WriteDword(platform.registry, key.get(), "EnableTrace", 1);
    if (status != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegSetValueExA",
                            runtime::RegistryPath(platform::kHkeyLocalMachine, keyPath, "EnableTrace"), status);
    }
}

}  // namespace

void CaptureClientSettings(platform::Platform& platform, settings::SettingsContext& context,
                           settings::SharedKeyPath& path) {
    settings::ClientSettings client(context);
    settings::TraceSettings trace(context);
    path.Assign(settings::kClientSettingsKey);
    client.Load(path, false);
    trace.Load(path, false);

    NodeSecret secret;
    const bool secretRead = secret.Read(platform, platform::kHkeyLocalMachine, settings::kClientSettingsKey);

    // The forced saves create the per-user copy of the key.
    path.Assign(kUpgradeKey, kUpgradeClientSubkey);
    client.Save(path, true, true);
    trace.Save(path, true, true);
    if (secretRead) secret.Write(platform, platform::kHkeyCurrentUser, path.text());
}

void RestoreClientSettings(platform::Platform& platform, settings::SettingsContext& context,
                           settings::SharedKeyPath& path) {
    settings::ClientSettings client(context);
    settings::TraceSettings trace(context);
    path.Assign(kUpgradeKey, kUpgradeClientSubkey);
    const std::string savedKey = path.text();
    client.Load(path, true);
    trace.Load(path, true);

    NodeSecret secret;
    const bool secretRead = secret.Read(platform, platform::kHkeyCurrentUser, savedKey);
    const bool tracing = TraceLevelSaved(platform, savedKey);

    path.Assign(settings::kClientSettingsKey);
    client.Save(path, true, false);
    trace.Save(path, true, false);
    if (secretRead) secret.Write(platform, platform::kHkeyLocalMachine, settings::kClientSettingsKey);
    if (tracing) EnableTracing(platform);
}

}  // namespace veltra::upgrade
