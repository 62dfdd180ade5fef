// A previous Authentication Agent: where it registered itself decides how its
// settings are found later, and its product code tells which features it had.
// It counts only while the installer can still remove it.
#include <string_view>

#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "upgrade/upgrade_state.h"

namespace veltra::upgrade {
namespace {

constexpr const char* kLegacyAgentRootKey = "SOFTWARE\\Morvane\\Veltra Authentication Agent\\CurrentVersion";
constexpr const char* kCurrentAgentRootKey = "SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion";
constexpr std::string_view kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

platform::Dword OpenForReading(platform::Platform& platform, platform::HKey root, const char* path, platform::RegKey& key) {
    const platform::Dword status = runtime::OpenKey(platform.registry, root, path, platform::kKeyRead, key);
    if (status != platform::kErrorSuccess && status != platform::kErrorFileNotFound) {
        runtime::LogFailure(platform, "RegOpenKeyExA", runtime::RegistryPath(root, path), status);
    }
    return status;
}

bool StillRegistered(platform::Platform& platform, const std::string& productCode) {
    const std::string path = std::string(kUninstallKey) + productCode;
    if (path.size() >= kUpgradeBuffer) {
        runtime::Log(platform.installer, "the Uninstall key of " + productCode + " does not fit in 260 bytes");
        return false;
    }
    platform::RegKey key;
    return OpenForReading(platform, platform::kHkeyLocalMachine, path.c_str(), key) == platform::kErrorSuccess;
}

UpgradeId DetectPreviousAgent(platform::Platform& platform, std::string& productCode) {
    UpgradeId candidate = UpgradeIdLegacyKey;
    const char* rootKey = kLegacyAgentRootKey;
    platform::RegKey key;
    if (OpenForReading(platform, platform::kHkeyLocalMachine, rootKey, key) != platform::kErrorSuccess) {
        candidate = UpgradeIdCurrentKey;
        rootKey = kCurrentAgentRootKey;
        if (OpenForReading(platform, platform::kHkeyLocalMachine, rootKey, key) != platform::kErrorSuccess) {
            return UpgradeIdNone;
        }
    }
    // The version numbers decide nothing, but an agent that never wrote them
    // never finished installing.
    if (!runtime::ReadDword(platform.registry, key.get(), "MajorVersion") ||
        !runtime::ReadDword(platform.registry, key.get(), "MinorVersion")) {
        runtime::Log(platform.installer, std::string("no MajorVersion and MinorVersion under ") + rootKey);
        return UpgradeIdNone;
    }
    std::string code = kLegacyKeyProductCode;
    if (candidate == UpgradeIdCurrentKey) {
        const auto registered = runtime::ReadString(platform.registry, key.get(), "ProductID", kUpgradeBuffer);
        if (!registered) {
            runtime::Log(platform.installer, std::string("no ProductID under ") + rootKey);
            return UpgradeIdNone;
        }
        code = *registered;
    }
    key.reset();
    if (!StillRegistered(platform, code)) return UpgradeIdNone;
    productCode = code;
    return candidate;
}

UpgradeId RecordedPreviousAgent(platform::Platform& platform, std::string& productCode) {
    platform::RegKey key;
    if (OpenForReading(platform, platform::kHkeyCurrentUser, kUpgradeKey, key) != platform::kErrorSuccess) {
        return UpgradeIdNone;
    }
    const auto id = runtime::ReadDword(platform.registry, key.get(), kUpgradeVersionIdValue);
    const auto code = runtime::ReadString(platform.registry, key.get(), kUpgradeProductIdValue, kUpgradeBuffer);
    if (!id || !code) return UpgradeIdNone;
    productCode = *code;
    return *id;
}

}  // namespace

UpgradeId GetPreviousAgentVersion(platform::Platform& platform, AgentVersionMode mode, std::string& productCode) {
    productCode.clear();
    return mode == AgentVersionMode::Record ? RecordedPreviousAgent(platform, productCode)
                                            : DetectPreviousAgent(platform, productCode);
}

}  // namespace veltra::upgrade
