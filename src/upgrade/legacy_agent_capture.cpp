// The capture of an upgradable legacy Kesh/Agent, before the new files are
// laid down: its files are copied into the legacy store folder, its logon and
// remote-access settings written into registryStoreFile.txt there, and the
// files that would stand in the new agent's way taken out of the system folder.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "silentpackage/text_mode.h"
#include "upgrade/file_moves.h"
#include "upgrade/legacy_store.h"
#include "upgrade/registry_store_file.h"

namespace veltra::upgrade {

namespace {

using platform::Dword;

constexpr const char* kLegacyGinaKey = "SOFTWARE\\Morvane\\KVGINA";
constexpr const char* kLegacyRasKey = "SOFTWARE\\Morvane\\KVRAS";
constexpr const char* kLegacyRasEap15Key = "SOFTWARE\\Morvane\\KVRAS\\15";

constexpr const char* kGinaNumbers[] = {"Enabled"};
constexpr const char* kRasNumbers[] = {"Enabled", "DialMode", "EapMode", "InitTimeOut", "RegTimeOut"};
constexpr const char* kRasStrings[] = {"ConvertEapFQNames", "ProtocolId"};
constexpr const char* kRasEap15Numbers[] = {"InvokePasswordDialog", "InvokeUsernameDialog",
                                            "MPPEEncryptionSupported", "RequireConfigUI",
                                            "StandaloneSupported"};

// The legacy agent's programs that the new agent replaces or no longer has.
constexpr const char* kReplacedSystemFiles[] = {"kvbstop.exe", "kveap.dll", "kvgina.dll", "kvras.dll"};

// The settings are only read: a key that does not open leaves its lines out.
platform::RegKey OpenLegacyKey(platform::Platform& platform, const char* path) {
    platform::RegKey key;
    runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, path, platform::kKeyRead, key);
    return key;
}

// Lines of numbers: a value of any type, read as four bytes; one that is
// missing or of another size has no line.
void AppendNumbers(platform::Platform& platform, const char* keyPath, const char* prefix,
                   std::span<const char* const> names, std::string& text) {
    const platform::RegKey key = OpenLegacyKey(platform, keyPath);
    if (!key) return;
    for (const char* name : names) {
        const std::optional<Dword> value = runtime::ReadDword(platform.registry, key.get(), name);
        if (value) text += RegistryStoreLine(std::string(prefix) + name, static_cast<std::int32_t>(*value));
    }
}

// Lines of strings: a value that does not fit a path buffer has no line.
void AppendStrings(platform::Platform& platform, const char* keyPath, const char* prefix,
                   std::span<const char* const> names, std::string& text) {
    const platform::RegKey key = OpenLegacyKey(platform, keyPath);
    if (!key) return;
    for (const char* name : names) {
        const std::optional<std::string> value = runtime::ReadString(platform.registry, key.get(), name);
        if (value) text += RegistryStoreLine(std::string(prefix) + name, *value);
    }
}

void WriteRegistryStoreFile(platform::Platform& platform, const std::string& path,
                            const std::string& challengeMode) {
    // Replaces an older one. Without the file the settings are not kept, and
    // the capture goes on with the files.
    const std::unique_ptr<platform::FileStream> file = platform.files.Open(path.c_str(), platform::OpenMode::Write);
    if (!file) {
        runtime::LogLastError(platform, "fopen(w)", path);
        return;
    }
    std::string text = RegistryStoreLine(kChallengeModeName, challengeMode);
    AppendNumbers(platform, kLegacyGinaKey, kLogonPrefix, kGinaNumbers, text);
    AppendNumbers(platform, kLegacyRasKey, kRemoteAccessPrefix, kRasNumbers, text);
    AppendStrings(platform, kLegacyRasKey, kRemoteAccessPrefix, kRasStrings, text);
    AppendNumbers(platform, kLegacyRasEap15Key, kEapType15Prefix, kRasEap15Numbers, text);

    const std::string bytes = silentpackage::ToTextModeBytes(text);
    if (file->Write(bytes.data(), bytes.size()) != bytes.size()) runtime::LogLastError(platform, "fwrite", path);
}

}  // namespace

bool CaptureLegacyKeshAgent(platform::Platform& platform, const AgentFolders& folders,
                            const std::string& challengeMode) {
    if (platform.files.GetFileAttributes(folders.legacyStore.c_str()) == platform::kInvalidFileAttributes &&
        !platform.files.CreateDirectory(folders.legacyStore.c_str(), nullptr)) {
        runtime::LogLastError(platform, "CreateDirectoryA", folders.legacyStore);
        return false;
    }
    for (const LegacyFile& file : kLegacyFiles) {
        CopyFileIfPresent(platform, LegacyFilePath(folders, file), folders.legacyStore + file.name);
    }
    WriteRegistryStoreFile(platform, folders.legacyStore + kRegistryStoreFileName, challengeMode);
    for (const char* name : kReplacedSystemFiles) RemoveOrRenameFile(platform, folders.system + name);
    return true;
}

}  // namespace veltra::upgrade
