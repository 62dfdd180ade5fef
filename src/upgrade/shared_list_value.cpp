#include "upgrade/shared_list_value.h"

#include "runtime/log.h"

namespace veltra::upgrade {

using platform::Dword;

namespace {

// A value that keeps growing between the size query and the read is given up
// after this many tries rather than chased for ever.
constexpr int kReadAttempts = 4;

}  // namespace

Dword QueryWholeValue(platform::Registry& registry, platform::HKey key, const char* name, Dword& type,
                      std::vector<std::uint8_t>& data) {
    data.clear();
    Dword size = 0;
    Dword status = registry.QueryValueEx(key, name, &type, nullptr, &size);
    for (int attempt = 0; attempt < kReadAttempts && status == platform::kErrorSuccess; ++attempt) {
        // One spare byte, so that an empty value still has a buffer to name.
        data.assign(static_cast<std::size_t>(size) + 1, 0);
        Dword read = size;
        status = registry.QueryValueEx(key, name, &type, data.data(), &read);
        if (status == platform::kErrorSuccess) {
            data.resize(read);
            return status;
        }
        if (status != platform::kErrorMoreData) break;
        size = read;  // the needed size, as the call reports it
        status = platform::kErrorSuccess;
    }
    data.clear();
    return status == platform::kErrorSuccess ? platform::kErrorMoreData : status;
}

std::vector<std::string> MultiStringEntries(const std::vector<std::uint8_t>& data) {
    std::vector<std::string> entries;
    std::string current;
    for (const std::uint8_t byte : data) {
        if (byte != 0) {
            current += static_cast<char>(byte);
            continue;
        }
        if (current.empty()) break;
        entries.push_back(std::move(current));
        current.clear();
    }
    // A list stored without its final zero still ends with an entry.
    if (!current.empty()) entries.push_back(std::move(current));
    return entries;
}

std::optional<ListValue> ReadListValue(platform::Platform& platform, platform::HKey key,
                                       std::string_view keyPath, const char* name) {
    Dword type = 0;
    std::vector<std::uint8_t> data;
    const Dword status = QueryWholeValue(platform.registry, key, name, type, data);
    if (status == platform::kErrorFileNotFound) return ListValue{};
    if (status != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegQueryValueExA", std::string(keyPath) + "\\" + name, status);
        return std::nullopt;
    }
    return ListValue{true, MultiStringEntries(data)};
}

void WriteListValue(platform::Platform& platform, platform::HKey key, std::string_view keyPath,
                    const char* name, const std::vector<std::string>& entries) {
    std::vector<std::uint8_t> data;
    for (const std::string& entry : entries) {
        data.insert(data.end(), entry.begin(), entry.end());
        data.push_back(0);
    }
    data.push_back(0);
    const Dword written =
        platform.registry.SetValueEx(key, name, platform::kRegMultiSz, data.data(), static_cast<Dword>(data.size()));
    if (written != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegSetValueExA", std::string(keyPath) + "\\" + name, written);
    }
}

}  // namespace veltra::upgrade
