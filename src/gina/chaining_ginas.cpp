#include "gina/chaining_ginas.h"

#include <cstring>

#include "gina/gina_names.h"
#include "runtime/text.h"

namespace veltra::gina {
namespace {

constexpr LinkSwitch kCiscoSwitch{"GinaInstalled", 1, 1};
constexpr LinkSwitch kCheckPointSwitch{"Support3rdPartyGina", 1, 0};

constexpr ChainingGina kChainingGinas[] = {
    {"", "Winlogon", kWinlogonKey, kGinaDllValue, nullptr, LinkDefault::NoLink, false},
    {"awgina.dll", "Symantec pcAnywhere", "SOFTWARE\\Symantec\\pcANYWHERE\\CurrentVersion\\System",
     "GinaDLL", nullptr, LinkDefault::MicrosoftGina, false},
    {"csgina.dll", "Cisco VPN Client", "SOFTWARE\\Cisco Systems\\VPN Client", "PreviousGinaPath",
     &kCiscoSwitch, LinkDefault::MicrosoftGina, false},
    {"ctxgina.dll", "the product of ctxgina.dll", kWinlogonKey, "CtxGinaDLL", nullptr,
     LinkDefault::MicrosoftGina, false},
    {"ckpginashim.dll", "CheckPoint SecuRemote", "SOFTWARE\\CheckPoint\\SecuRemote",
     "ThirdPartyGina", &kCheckPointSwitch, LinkDefault::NoLink, false},
    {"odyGina.dll", "Funk Odyssey", kWinlogonKey, "OdysseyPreviousGinaDLL", nullptr,
     LinkDefault::NoLink, true},
    {"NnGina.dll", "Nortel Contivity", "SOFTWARE\\Nortel Networks\\Contivity\\Client",
     "NextGinaToChain", nullptr, LinkDefault::NoLink, false},
};

}  // namespace

bool ChainingGina::LinksInWinlogonKey() const {
    return std::strcmp(key, kWinlogonKey) == 0;
}

const ChainingGina* FindChainingGina(platform::System& system, std::string_view identity) {
    for (const ChainingGina& row : kChainingGinas) {
        if (runtime::EqualsIgnoreCase(system, row.identity, identity)) return &row;
    }
    return nullptr;
}

}  // namespace veltra::gina
