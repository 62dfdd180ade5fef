#include "runtime/text.h"

#include <algorithm>

namespace veltra::runtime {
namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Upper(x) == Upper(y); });
}

bool EqualsIgnoreCase(platform::System& system, std::string_view a, std::string_view b) {
    return system.CompareStringIgnoreCase(a, b) == platform::kCstrEqual;
}

std::size_t FindLastBackslash(platform::System& system, std::string_view path) {
    platform::CodePageInfo info;
    // Without the code page's lead bytes every byte stands alone.
    if (!system.GetCPInfo(info)) info = {};
    const auto isLead = [&](unsigned char byte) {
        for (const auto& [first, last] : info.leadByteRanges) {
            if (byte >= first && byte <= last) return true;
        }
        return false;
    };
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (isLead(static_cast<unsigned char>(path[i]))) {
            ++i;  // the second byte belongs to this character
        } else if (path[i] == '\\') {
            last = i;
        }
    }
    return last;
}

std::string_view FileNamePart(platform::System& system, std::string_view path) {
    const auto slash = FindLastBackslash(system, path);
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

void SecureWipe(std::string& text) {
    volatile char* bytes = text.data();
    for (std::size_t i = 0; i < text.size(); ++i) bytes[i] = 0;
    text.clear();
}

}  // namespace veltra::runtime
