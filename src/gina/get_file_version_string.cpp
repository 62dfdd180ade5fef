// GetFileVersionString: one string of a file's version resource, in the
// first language and code page the resource lists.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "gina/gina_dialogs.h"

namespace veltra::gina {

bool GetFileVersionString(platform::Versions& versions, const std::string& file, const char* key,
                          std::string& value, std::size_t size) {
    value.clear();
    const platform::Dword resourceSize = versions.GetFileVersionInfoSize(file.c_str());
    if (resourceSize == 0) return false;
    std::vector<std::uint8_t> resource(resourceSize, 0);
    if (!versions.GetFileVersionInfo(file.c_str(), resource)) return false;

    // Pairs of 16-bit language and code page; the first pair names the
    // string table to read. A resource without one has no strings to offer.
    const void* translation = nullptr;
    unsigned translationBytes = 0;
    if (!versions.VerQueryValue(resource, "\\VarFileInfo\\Translation", &translation,
                                &translationBytes) ||
        translation == nullptr || translationBytes < 4) {
        return false;
    }
    const auto* pair = static_cast<const std::uint8_t*>(translation);
    const unsigned language = pair[0] | (unsigned{pair[1]} << 8);
    const unsigned codePage = pair[2] | (unsigned{pair[3]} << 8);

    char subBlock[256];
    const int written = std::snprintf(subBlock, sizeof subBlock, "\\StringFileInfo\\%04X%04X\\%s",
                                      language, codePage, key);
    if (written < 0 || static_cast<std::size_t>(written) >= sizeof subBlock) return false;

    const void* found = nullptr;
    unsigned foundLength = 0;
    if (!versions.VerQueryValue(resource, subBlock, &found, &foundLength) || found == nullptr) {
        return false;
    }
    const auto* text = static_cast<const char*>(found);
    const std::size_t length = strnlen(text, foundLength);
    // As much as a buffer of size bytes holds with its terminating zero.
    if (size > 0) value.assign(text, length < size - 1 ? length : size - 1);
    return true;
}

}  // namespace veltra::gina
