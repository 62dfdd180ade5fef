#include "platform/sim/sim_versions.h"

#include <cstdio>
#include <cstring>

#include "platform/sim/sim_files.h"

namespace veltra::sim {

using platform::Dword;

namespace {

std::vector<std::uint8_t> Serialize(const VersionInfo& info) {
    std::vector<std::uint8_t> block = {'V', 'S', 'I', 'M',
                                       static_cast<std::uint8_t>(info.language),
                                       static_cast<std::uint8_t>(info.language >> 8),
                                       static_cast<std::uint8_t>(info.codePage),
                                       static_cast<std::uint8_t>(info.codePage >> 8)};
    for (const auto& [key, value] : info.strings) {
        block.insert(block.end(), key.begin(), key.end());
        block.push_back(0);
        block.insert(block.end(), value.begin(), value.end());
        block.push_back(0);
    }
    return block;
}

}  // namespace

const VersionInfo* SimVersions::Find(const std::string& path, Dword& error) {
    const auto normal = NormalizeWindowsPath(path);
    if (!normal || !DriveFileExists(machine_, *normal)) {
        error = platform::kErrorFileNotFound;
        return nullptr;
    }
    const auto it = machine_.versions.find(*normal);
    if (it == machine_.versions.end()) {
        error = platform::kErrorResourceTypeNotFound;
        return nullptr;
    }
    return &it->second;
}

Dword SimVersions::GetFileVersionInfoSize(const char* path) {
    const std::string subject = path != nullptr ? path : "";
    if (gate_.Injected("GetFileVersionInfoSizeA", subject)) return 0;
    Dword error = 0;
    const VersionInfo* info = Find(subject, error);
    if (info == nullptr) {
        gate_.Fail("GetFileVersionInfoSizeA", subject, error);
        return 0;
    }
    gate_.Succeed("GetFileVersionInfoSizeA", subject);
    return static_cast<Dword>(Serialize(*info).size());
}

bool SimVersions::GetFileVersionInfo(const char* path, std::vector<std::uint8_t>& block) {
    const std::string subject = path != nullptr ? path : "";
    if (gate_.Injected("GetFileVersionInfoA", subject)) return false;
    Dword error = 0;
    const VersionInfo* info = Find(subject, error);
    if (info == nullptr) return gate_.Fail("GetFileVersionInfoA", subject, error);
    const std::vector<std::uint8_t> data = Serialize(*info);
    if (block.size() < data.size()) return gate_.Fail("GetFileVersionInfoA", subject, platform::kErrorInsufficientBuffer);
    std::copy(data.begin(), data.end(), block.begin());
    return gate_.Succeed("GetFileVersionInfoA", subject);
}

bool SimVersions::VerQueryValue(const std::vector<std::uint8_t>& block, const char* subBlock, const void** value,
                                unsigned* length) {
    const std::string query = subBlock != nullptr ? subBlock : "";
    if (gate_.Injected("VerQueryValueA", query)) return false;
    const bool found = Query(block, query, value, length);
    gate_.Finish("VerQueryValueA", query, found ? 1 : 0);
    return found;
}

bool SimVersions::Query(const std::vector<std::uint8_t>& block, const std::string& query, const void** value,
                        unsigned* length) {
    if (block.size() < 8 || std::memcmp(block.data(), "VSIM", 4) != 0 || query.empty()) return false;
    if (FoldCase(query) == FoldCase("\\VarFileInfo\\Translation")) {
        *value = block.data() + 4;
        *length = 4;
        return true;
    }
    const std::uint16_t language = static_cast<std::uint16_t>(block[4] | (block[5] << 8));
    const std::uint16_t codePage = static_cast<std::uint16_t>(block[6] | (block[7] << 8));
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04X%04X\\", language, codePage);
    if (FoldCase(query).rfind(FoldCase(prefix), 0) != 0) return false;
    const std::string key = query.substr(std::strlen(prefix));
    std::size_t pos = 8;
    while (pos < block.size()) {
        const char* k = reinterpret_cast<const char*>(block.data() + pos);
        const std::size_t keyLength = strnlen(k, block.size() - pos);
        const std::size_t valuePos = pos + keyLength + 1;
        if (valuePos > block.size()) break;
        const char* v = reinterpret_cast<const char*>(block.data() + valuePos);
        const std::size_t valueLength = strnlen(v, block.size() - valuePos);
        if (FoldCase(std::string_view(k, keyLength)) == FoldCase(key)) {
            *value = v;
            *length = static_cast<unsigned>(valueLength + 1);
            return true;
        }
        pos = valuePos + valueLength + 1;
    }
    return false;
}

}  // namespace veltra::sim
