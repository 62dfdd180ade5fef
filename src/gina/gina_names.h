// The names the Winlogon GINA chain is made of: the Winlogon key and its
// values, the agent's own GINA and mutex, and the identity rule by which one
// GINA is told from another.
#pragma once

#include <string_view>

#include "platform/system.h"

#include "runtime/agent_keys.h"

namespace veltra::gina {

// Winlogon reads GinaDLL at start-up; KVSupercededGina is ours: the GINA the
// agent GINA displaced from the end of the chain, put back when it leaves.
inline constexpr const char* kWinlogonKey =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
inline constexpr const char* kGinaDllValue = "GinaDLL";
inline constexpr const char* kSupercededGinaValue = "KVSupercededGina";

// The agent's installation folder (ending with a backslash) lives here.
using runtime::kAgentCommonKey;
using runtime::kInstallPathValue;

inline constexpr const char* kAgentGinaFile = "KeshGina.dll";
inline constexpr const char* kLegacyGinaFile = "kvgina.dll";
inline constexpr const char* kMicrosoftGinaFile = "MSGina.dll";

// The agent GINA holds this mutex for as long as it is loaded in Winlogon.
inline constexpr const char* kAgentGinaLoadedMutex = "Global\\DETECT_KVGINASA_LOADED";

// A GINA is named by whatever a link stores, a bare file name or a full
// path; its identity is the file-name part. "" is Winlogon, the chain's head.
std::string_view GinaIdentity(platform::System& system, std::string_view gina);

// "KeshGina" or "KeshGina.dll", in any case.
bool IsAgentGina(platform::System& system, std::string_view identity);
// "kvgina" or "kvgina.dll": the GINA of the agents before this one.
bool IsLegacyGina(platform::System& system, std::string_view identity);
// The GINAs the agent GINA may follow or replace at the end of the chain
// without asking: Microsoft's, the legacy agent's and its own.
bool IsAcceptedAtChainEnd(platform::System& system, std::string_view identity);

}  // namespace veltra::gina
