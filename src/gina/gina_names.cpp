#include "gina/gina_names.h"

#include "runtime/text.h"

namespace veltra::gina {

using runtime::EqualsIgnoreCase;

std::string_view GinaIdentity(std::string_view gina) {
    return runtime::FileNamePart(gina);
}

bool IsAgentGina(std::string_view identity) {
    return EqualsIgnoreCase(identity, "KeshGina") || EqualsIgnoreCase(identity, kAgentGinaFile);
}

bool IsLegacyGina(std::string_view identity) {
    return EqualsIgnoreCase(identity, "kvgina") || EqualsIgnoreCase(identity, kLegacyGinaFile);
}

bool IsAcceptedAtChainEnd(std::string_view identity) {
    const bool microsoft =
        EqualsIgnoreCase(identity, "msgina") || EqualsIgnoreCase(identity, kMicrosoftGinaFile);
    return microsoft || IsLegacyGina(identity) || IsAgentGina(identity);
}

}  // namespace veltra::gina
