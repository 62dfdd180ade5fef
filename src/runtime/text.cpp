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

namespace {

// The lead-byte ranges of the ANSI code page; without them every byte stands
// alone.
class LeadBytes {
public:
    explicit LeadBytes(platform::System& system) {
        if (!system.GetCPInfo(info_)) info_ = {};
    }
    bool operator()(char c) const {
        const auto byte = static_cast<unsigned char>(c);
        for (const auto& [first, last] : info_.leadByteRanges) {
            if (byte >= first && byte <= last) return true;
        }
        return false;
    }

private:
    platform::CodePageInfo info_;
};

}  // namespace

std::size_t FindLastBackslash(platform::System& system, std::string_view path) {
    const LeadBytes isLead(system);
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (isLead(path[i])) {
            ++i;  // the second byte belongs to this character
        } else if (path[i] == '\\') {
            last = i;
        }
    }
    return last;
}

std::vector<std::string> SplitAtBackslashes(platform::System& system, std::string_view path) {
    const LeadBytes isLead(system);
    std::vector<std::string> components;
    std::string current;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (isLead(path[i]) && i + 1 < path.size()) {
            current += path[i];
            current += path[++i];
        } else if (path[i] == '\\') {
            if (!current.empty()) components.push_back(std::move(current));
            current.clear();
        } else {
            current += path[i];
        }
    }
    if (!current.empty()) components.push_back(std::move(current));
    return components;
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
