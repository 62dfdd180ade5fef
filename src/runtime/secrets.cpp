#include "runtime/secrets.h"

#include <array>
#include <vector>

#include "runtime/text.h"

namespace veltra::runtime {
namespace {

// `needle` is upper-case ASCII. Every property read is checked, so the
// first letter is tried before the whole word.
bool ContainsIgnoreCase(std::string_view text, std::string_view needle) {
    for (std::size_t at = 0; at + needle.size() <= text.size(); ++at) {
        if ((text[at] & ~0x20) != needle[0]) continue;
        if (EqualsIgnoreCase(text.substr(at, needle.size()), needle)) return true;
    }
    return false;
}

}  // namespace

bool IsSecretValueName(std::string_view valueName) {
    static constexpr std::array<std::string_view, 5> kSecretValues = {
        "NodeSecret", "DomainSecret", "DCKey", "DCCert", "ReservePassword"};
    for (std::string_view secret : kSecretValues) {
        if (EqualsIgnoreCase(valueName, secret)) return true;
    }
    return false;
}

bool IsSecretProperty(std::string_view name, std::string_view value) {
    const bool isSwitch = value.empty() || value == "True" || value == "False" || value == "0" ||
                          value == "1";
    if (isSwitch) return false;
    return ContainsIgnoreCase(name, "PASSWORD") || ContainsIgnoreCase(name, "PASSWD") ||
           ContainsIgnoreCase(name, "SECRET");
}

std::string MaskDeferredData(std::string_view data) {
    // Split keeping empty fields: the text is shown as it was packed.
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t end = data.find(';', start);
        fields.push_back(data.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    std::string shown;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) shown += ';';
        const bool secret = i > 0 && IsSecretProperty(fields[i - 1], fields[i]);
        shown += secret ? kMasked : fields[i];
    }
    return shown;
}

}  // namespace veltra::runtime
