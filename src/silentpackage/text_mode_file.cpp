#include "silentpackage/text_mode_file.h"

#include <memory>

#include "configfiles/file_placement.h"
#include "runtime/log.h"
#include "silentpackage/text_mode.h"

namespace veltra::silentpackage {

bool WriteTextFile(platform::Platform& platform, const std::string& path, std::string_view text) {
    configfiles::NormaliseFile(platform.files, path);
    const std::unique_ptr<platform::FileStream> file =
        platform.files.Open(path.c_str(), platform::OpenMode::Write);
    if (!file) {
        runtime::LogLastError(platform, "fopen(w)", path);
        return false;
    }
    const std::string bytes = ToTextModeBytes(text);
    const std::size_t written = file->Write(bytes.data(), bytes.size());
    if (written != bytes.size()) {
        runtime::LogLastError(platform, "fwrite", path);
        return false;
    }
    return true;
}

std::optional<std::string> ReadTextFile(platform::Platform& platform, const std::string& path) {
    const std::unique_ptr<platform::FileStream> file =
        platform.files.Open(path.c_str(), platform::OpenMode::Read);
    if (!file) {
        runtime::LogLastError(platform, "fopen(r)", path);
        return std::nullopt;
    }
    std::string bytes;
    char chunk[4096];
    for (std::size_t got; (got = file->Read(chunk, sizeof chunk)) != 0;) bytes.append(chunk, got);
    return FromTextModeBytes(bytes);
}

}  // namespace veltra::silentpackage
