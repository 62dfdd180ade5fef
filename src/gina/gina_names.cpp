#include "gina/gina_names.h"

#include "runtime/text.h"

namespace veltra::gina {

using runtime::EqualsIgnoreCase;

std::string_view GinaIdentity(platform::System& system, std::string_view gina) {
    return runtime::FileNamePart(system, gina);
}

bool IsAgentGina(platform::System& system, std::string_view identity) {
    return EqualsIgnoreCase(system, identity, "KeshGina") || EqualsIgnoreCase(system, identity, kAgentGinaFile);
}

bool IsLegacyGina(platform::System& system, std::string_view identity) {
    return EqualsIgnoreCase(system, identity, "kvgina") || EqualsIgnoreCase(system, identity, kLegacyGinaFile);
}

bool IsAcceptedAtChainEnd(platform::System& system, std::string_view identity) {
    const bool microsoft =
        EqualsIgnoreCase(system, identity, "msgina") || EqualsIgnoreCase(system, identity, kMicrosoftGinaFile);
    return microsoft || IsLegacyGina(system, identity) || IsAgentGina(system, identity);
}

}  // namespace veltra::gina
