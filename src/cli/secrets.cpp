#include "cli/secrets.h"

#include <array>

#include "platform/sim/registry_tree.h"

namespace veltra::cli {

bool IsSecretValueName(std::string_view valueName) {
    static constexpr std::array<std::string_view, 5> kSecretValues = {
        "NODESECRET", "DOMAINSECRET", "DCKEY", "DCCERT", "RESERVEPASSWORD"};
    const std::string folded = sim::FoldCase(valueName);
    for (std::string_view secret : kSecretValues) {
        if (folded == secret) return true;
    }
    return false;
}

bool IsSecretProperty(std::string_view name, std::string_view value) {
    const std::string folded = sim::FoldCase(name);
    const bool speaksOfSecret = folded.find("PASSWORD") != std::string::npos ||
                                folded.find("PASSWD") != std::string::npos ||
                                folded.find("SECRET") != std::string::npos;
    const bool isSwitch = value.empty() || value == "True" || value == "False" || value == "0" || value == "1";
    return speaksOfSecret && !isSwitch;
}

}  // namespace veltra::cli
