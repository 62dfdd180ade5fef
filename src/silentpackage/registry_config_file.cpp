// Writing the registry configuration file into the package folder: one line
// per value of the chosen components' settings keys, in the order the
// registry lists them, then the whole text scrambled into
// "registryConfigFile.bin" and the clear text deleted, so that the package
// never carries the settings (the reserve password's digest among them) in
// plain text.
#include "silentpackage/registry_config_file.h"

#include <memory>
#include <string>
#include <vector>

#include "configfiles/file_placement.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "settings/key_paths.h"
#include "silentpackage/config_line.h"
#include "silentpackage/scrambling.h"
#include "silentpackage/text_mode_lines.h"

namespace veltra::silentpackage {
namespace {

using platform::Dword;

enum class Component { LocalClient, RemoteServer };

struct DumpedKey {
    std::string path;
    const char* prefix;
    Component component;
};

const DumpedKey kDumpedKeys[] = {
    {settings::kGinaSettingsKey, "LAC_", Component::LocalClient},
    {settings::kRasSettingsKey, "RAS_", Component::RemoteServer},
    {std::string(settings::kRasSettingsKey) + "\\15", "RAS15_", Component::RemoteServer},
};

// A name of up to 1019 characters and data of up to 1020 bytes; a value that
// does not fit ends its key's dump, as any other enumeration error does.
constexpr Dword kNameRoom = 1020;
constexpr Dword kDataRoom = 1020;

void DumpKey(platform::Platform& platform, platform::FileStream& file, const DumpedKey& dumped) {
    platform::Registry& registry = platform.registry;
    const std::string where = runtime::RegistryPath(platform::kHkeyLocalMachine, dumped.path);
    platform::RegKey key;
    const Dword opened =
        runtime::OpenKey(registry, platform::kHkeyLocalMachine, dumped.path.c_str(), platform::kKeyAllAccess, key);
    if (opened != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegOpenKeyExA", where, opened);
        return;
    }
    std::vector<char> name(kNameRoom);
    std::vector<std::uint8_t> data(kDataRoom);
    for (Dword index = 0;; ++index) {
        Dword nameLength = kNameRoom;
        Dword dataSize = kDataRoom;
        Dword type = 0;
        const Dword status =
            registry.EnumValue(key.get(), index, name.data(), &nameLength, &type, data.data(), &dataSize);
        if (status != platform::kErrorSuccess) {
            if (status != platform::kErrorNoMoreItems) runtime::LogFailure(platform, "RegEnumValueA", where, status);
            return;
        }
        const std::optional<std::string> line =
            FormatConfigLine(dumped.prefix, std::string_view(name.data(), nameLength), type,
                             std::span(data.data(), dataSize));
        if (line && !WriteTextLine(file, *line)) {
            runtime::LogFailure(platform, "fwrite", where, platform.system.GetLastError());
        }
    }
}

// The package folder then lacks what the builder asked for.
void MarkPackageIncomplete(platform::Installer& installer) {
    installer.SetProperty("PACKAGE_CREATE_ERROR", "1");
}

}  // namespace

Dword RecordRegistryConfiguration(platform::Platform& platform, bool localClientSelected,
                                  bool remoteServerSelected) {
    platform::Files& files = platform.files;
    const std::string folder = configfiles::PackageFolder(platform.installer);
    const std::string clearText = folder + kRegistryConfigTextName;
    const std::string scrambled = folder + kRegistryConfigScrambledName;

    configfiles::NormaliseFile(files, clearText);
    {
        const std::unique_ptr<platform::FileStream> file =
            files.Open(clearText.c_str(), platform::OpenMode::Write);
        if (!file) {
            runtime::LogLastError(platform, "fopen", clearText);
            MarkPackageIncomplete(platform.installer);
            return platform::kErrorInstallFailure;
        }
        for (const DumpedKey& dumped : kDumpedKeys) {
            const bool selected =
                dumped.component == Component::LocalClient ? localClientSelected : remoteServerSelected;
            if (selected) DumpKey(platform, *file, dumped);
        }
    }

    configfiles::NormaliseFile(files, scrambled);
    if (!ScrambleFile(platform, clearText, scrambled)) MarkPackageIncomplete(platform.installer);

    if (!files.DeleteFile(clearText.c_str())) runtime::LogLastError(platform, "DeleteFileA", clearText);
    return platform::kErrorInstallFailure;
}

}  // namespace veltra::silentpackage
