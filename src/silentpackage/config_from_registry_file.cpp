// ConfigFromRegistryFile (deferred): applies the registry configuration file
// of a silent installation package to the new machine. Fields: repository
// folder; clear-text path; scrambled path; "REGISTRY_CONFIG_GROUP";
// "REGISTRY_CONFIG_PASSWD".
//
// The file carries every value of the builder's settings keys, but only four
// of the local client's are applied, each pair only when the builder chose to
// pass it on: the challenge group with its switch, and the reserve password
// option with the password's digest. Both temporary files are deleted
// whatever happened, so the settings do not stay behind in clear text.
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "configfiles/file_placement.h"
#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "runtime/session.h"
#include "settings/decimal_text.h"
#include "settings/key_paths.h"
#include "silentpackage/config_line.h"
#include "silentpackage/hex_text.h"
#include "silentpackage/scrambling.h"
#include "silentpackage/text_mode_lines.h"

namespace veltra::actions {
namespace {

using platform::Dword;
using silentpackage::ConfigLine;

// The local client's settings carry the prefix "LAC"; the remote access
// server's lines are never applied.
constexpr std::string_view kLocalClientPrefix = "LAC";
constexpr const char* kLocalClientMarker = "LocalClientKEY.txt";
// fgets with a buffer of 1020: longer lines arrive in pieces that do not parse.
constexpr std::size_t kLineRoom = 1019;

struct Choices {
    bool group = false;
    bool password = false;
};

bool IsChosen(const ConfigLine& line, const Choices& choices) {
    if (line.valueName == "ReserveOption" || line.valueName == "ReservePassword") return choices.password;
    if (line.valueName == "ChallengeGroup" || line.valueName == "Enabled") return choices.group;
    return false;
}

Dword WriteValue(platform::Registry& registry, platform::HKey key, const ConfigLine& line) {
    const char* name = line.valueName.c_str();
    switch (line.type) {
        case platform::kRegBinary: {
            const std::vector<std::uint8_t> bytes = silentpackage::DecodeHex(line.value);
            return registry.SetValueEx(key, name, platform::kRegBinary, bytes.data(),
                                       static_cast<Dword>(bytes.size()));
        }
        case platform::kRegDword: {
            const auto* text = reinterpret_cast<const std::uint8_t*>(line.value.data());
            return runtime::WriteDword(registry, key, name,
                                       settings::ParseDecimalText(std::span(text, line.value.size())));
        }
        default:
            return runtime::WriteString(registry, key, name, line.value, line.type);
    }
}

void ApplyClearText(platform::Platform& platform, const std::string& clearText, const Choices& choices,
                    bool localClientInstalled) {
    const std::unique_ptr<platform::FileStream> file =
        platform.files.Open(clearText.c_str(), platform::OpenMode::Read);
    if (!file) {
        runtime::LogLastError(platform, "fopen", clearText);
        return;
    }
    platform::RegKey key;
    const Dword opened = runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine,
                                          settings::kGinaSettingsKey, platform::kKeyAllAccess, key);
    if (opened != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegOpenKeyExA",
                            runtime::RegistryPath(platform::kHkeyLocalMachine, settings::kGinaSettingsKey), opened);
    }

    for (const std::string& piece : silentpackage::ReadTextLines(*file, kLineRoom)) {
        const std::optional<ConfigLine> line = silentpackage::ParseConfigLine(piece);
        if (!line || line->prefix != kLocalClientPrefix) continue;
        if (!IsChosen(*line, choices) || !localClientInstalled || !key) continue;
        const Dword written = WriteValue(platform.registry, key.get(), *line);
        if (written != platform::kErrorSuccess) {
            runtime::LogFailure(platform, "RegSetValueExA",
                                runtime::RegistryPath(platform::kHkeyLocalMachine, settings::kGinaSettingsKey,
                                                      line->valueName),
                                written);
        }
    }
}

void RemoveTemporaryFile(platform::Platform& platform, const std::string& path) {
    if (path.empty() || !configfiles::FileExists(platform.files, path)) return;
    configfiles::NormaliseFile(platform.files, path);
    if (!platform.files.DeleteFile(path.c_str())) runtime::LogLastError(platform, "DeleteFileA", path);
}

}  // namespace

Dword ConfigFromRegistryFile(platform::Platform& platform) {
    const std::string data = runtime::GetMsiProperty(platform.installer, "CustomActionData");
    if (data.empty()) return platform::kErrorInstallFailure;

    const std::vector<std::string> fields = runtime::SplitDeferredData(data);
    const std::string repositoryFolder = runtime::FieldOrEmpty(fields, 0);
    const std::string clearText = runtime::FieldOrEmpty(fields, 1);
    const std::string scrambled = runtime::FieldOrEmpty(fields, 2);
    const Choices choices{runtime::FieldOrEmpty(fields, 3) == "True", runtime::FieldOrEmpty(fields, 4) == "True"};

    const bool localClientInstalled =
        configfiles::FileExists(platform.files, repositoryFolder + kLocalClientMarker);

    // Unscrambling is the scrambling done again.
    configfiles::NormaliseFile(platform.files, clearText);
    silentpackage::ScrambleFile(platform, scrambled, clearText);

    ApplyClearText(platform, clearText, choices, localClientInstalled);

    RemoveTemporaryFile(platform, clearText);
    RemoveTemporaryFile(platform, scrambled);
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
