#include "runtime/session.h"

#include <vector>

#include "runtime/deferred_data.h"
#include "runtime/log.h"

namespace veltra::runtime {
namespace {

using platform::Dword;
using Reader = Dword (platform::Installer::*)(const char*, char*, Dword*);

// Ask with an empty buffer for the length, then read with room for the
// terminator. Any failure gives "".
std::string ReadGrowing(platform::Installer& installer, Reader read, const char* name) {
    char empty[1] = {0};
    Dword length = 0;
    if ((installer.*read)(name, empty, &length) != platform::kErrorMoreData) return {};
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    Dword capacity = length + 1;
    if ((installer.*read)(name, buffer.data(), &capacity) != platform::kErrorSuccess) return {};
    return std::string(buffer.data());
}

}  // namespace

std::string GetMsiProperty(platform::Installer& installer, const char* name) {
    return ReadGrowing(installer, &platform::Installer::GetProperty, name);
}

std::string GetMsiSourcePath(platform::Installer& installer, const char* folder) {
    return ReadGrowing(installer, &platform::Installer::GetSourcePath, folder);
}

std::string GetMsiTargetPath(platform::Installer& installer, const char* folder) {
    return ReadGrowing(installer, &platform::Installer::GetTargetPath, folder);
}

std::optional<std::vector<std::string>> DeferredFields(platform::Installer& installer) {
    const std::string data = GetMsiProperty(installer, "CustomActionData");
    if (data.empty()) {
        Log(installer, "no CustomActionData");
        return std::nullopt;
    }
    return SplitDeferredData(data);
}

std::string GetMsiPropertyFixed(platform::Installer& installer, const char* name,
                                std::size_t capacity) {
    std::vector<char> buffer(capacity + 1, '\0');
    Dword cch = static_cast<Dword>(capacity);
    installer.GetProperty(name, buffer.data(), &cch);
    return std::string(buffer.data());
}

bool FindFileInFolder(platform::Files& files, const std::string& folder, const char* fileName) {
    char found[512] = {0};
    return files.SearchPath(folder.c_str(), fileName, nullptr, found, sizeof found) != 0;
}

}  // namespace veltra::runtime
