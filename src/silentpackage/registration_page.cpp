#include "silentpackage/registration_page.h"

#include <vector>

namespace veltra::silentpackage {

std::string ReadPropertyWithin(platform::Installer& installer, const char* name, std::size_t capacity) {
    std::vector<char> buffer(capacity + 1, '\0');
    platform::Dword cch = static_cast<platform::Dword>(capacity);
    if (installer.GetProperty(name, buffer.data(), &cch) != platform::kErrorSuccess) return {};
    return std::string(buffer.data());
}

}  // namespace veltra::silentpackage
