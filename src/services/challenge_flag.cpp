#include <cstring>

#include "services/challenge.h"

namespace veltra::services {

std::optional<std::string> ReadChallengeFlag(platform::Installer& installer, const char* name) {
    char buffer[10] = {};
    platform::Dword length = sizeof buffer;
    if (installer.GetProperty(name, buffer, &length) != platform::kErrorSuccess) return std::nullopt;
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

}  // namespace veltra::services
