#include "upgrade/registry_store_file.h"

namespace veltra::upgrade {

std::string RegistryStoreLine(std::string_view name, std::string_view value) {
    std::string line(name);
    line += '=';
    line += value;
    line += '\n';
    return line;
}

std::string RegistryStoreLine(std::string_view name, std::int32_t value) {
    return RegistryStoreLine(name, std::to_string(value));
}

std::vector<RegistryStoreEntry> ReadRegistryStoreEntries(std::string_view text) {
    std::vector<RegistryStoreEntry> entries;
    while (!text.empty()) {
        const std::size_t lineEnd = text.find('\n');
        const std::string_view line = text.substr(0, lineEnd);
        text = lineEnd == std::string_view::npos ? std::string_view() : text.substr(lineEnd + 1);

        const std::size_t equals = line.find('=');
        if (equals == 0 || equals == std::string_view::npos) break;
        const std::string_view rest = line.substr(equals + 1);
        const std::string_view value = rest.substr(0, rest.find_first_of(" ,\r"));
        if (value.empty()) break;
        entries.push_back({std::string(line.substr(0, equals)), std::string(value)});
    }
    return entries;
}

}  // namespace veltra::upgrade
