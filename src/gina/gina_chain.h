// The Winlogon GINA chain as the rest of the library uses it: linking the
// agent GINA in at the end of the chain or taking it out, and the small
// questions about the chain that installation, upgrade and removal ask.
//
// The chain lives only in the registry and Winlogon reads it when it starts:
// every change here takes effect at the next restart.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace veltra::gina {

// Results besides 0 and the Windows error codes.
// Another GINA holds the end of the chain, or the link to the agent GINA
// could not be written; the name buffer holds the GINA concerned (-1).
inline constexpr platform::Dword kGinaConflict = 0xFFFFFFFFu;
// ReadWinlogonGinaDll: GinaDLL does not fit the caller's buffer (-2).
inline constexpr platform::Dword kGinaNameTooSmall = 0xFFFFFFFEu;
// The agent GINA is out of the chain but Winlogon still has it loaded.
inline constexpr platform::Dword kGinaStillLoaded = platform::kErrorBusy;

inline constexpr std::size_t kGinaNameSize = 260;

// A caller's name buffer and its capacity in bytes, terminator included.
// On return the capacity is what the routine says it reports (the length of
// the text copied, as a rule); a report that does not fit is not copied.
struct NameBuffer {
    std::string text;
    std::size_t capacity = kGinaNameSize;
};

// Links the agent GINA (agentPath) in at the end of the chain (enable), or
// takes it out and puts back the GINA it displaced. name may be null.
// force: displace whatever GINA holds the end of the chain, remembering it.
// 0, kGinaConflict, kGinaStillLoaded or a Windows error code.
platform::Dword SetAgentGinaInChain(platform::Platform& platform, bool enable, NameBuffer* name,
                                    bool force, std::string_view agentPath);

// The same for the agent GINA of this installation: "KeshGina.dll" in the
// installation folder when it is there, otherwise the bare file name.
platform::Dword SetAgentGina(platform::Platform& platform, bool enable, NameBuffer* name,
                             bool force);

// Winlogon's GinaDLL as stored, into buffer (may be null). 0, kGinaNameTooSmall,
// or the Windows error of opening the key or reading the value.
platform::Dword ReadWinlogonGinaDll(platform::Registry& registry, NameBuffer* buffer);

// Deletes GinaDLL and KVSupercededGina where they still name the legacy
// agent's GINA.
void RemoveLegacyGinaValues(platform::Registry& registry, platform::System& system);

// Whether the agent GINA is the last existing GINA of the chain. Walks the
// chain, so it repairs links to missing GINAs as any walk does.
bool IsAgentGinaChained(platform::Platform& platform);

// Whether the agent GINA is loaded in Winlogon right now.
bool IsAgentGinaLoaded(platform::System& system);

}  // namespace veltra::gina
