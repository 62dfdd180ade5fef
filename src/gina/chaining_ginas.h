// The GINAs that carry the chain on: each loads a next GINA whose name its
// product keeps in a registry value of its own. Any GINA not in this table
// ends the chain.
#pragma once

#include <string_view>

#include "platform/system.h"
#include "platform/types.h"

namespace veltra::gina {

// What a product's link goes back to when the chain no longer needs it.
enum class LinkDefault {
    MicrosoftGina,  // the link is set to "MSGina.dll"
    NoLink,         // the link value is deleted (only when it was read)
};

// A REG_DWORD switch some products test before they follow their link: it is
// set before the link is written, and the link is touched only when that worked.
struct LinkSwitch {
    const char* name;
    platform::Dword whenLinked;
    platform::Dword whenRestored;
};

struct ChainingGina {
    std::string_view identity;  // matched ignoring case; "" is Winlogon itself
    std::string_view product;
    const char* key;   // under HKEY_LOCAL_MACHINE
    const char* link;  // the value naming the next GINA
    const LinkSwitch* linkSwitch;
    LinkDefault linkDefault;
    // Funk Odyssey also keeps a list of the GINAs it lets follow it.
    bool registersAgentWithOdyssey;

    // Winlogon's own row, whose GinaDLL a too-short value is removed from.
    bool IsWinlogon() const { return identity.empty(); }
    // Three rows keep their link in Winlogon's key; a failure to open it is a
    // failure of the machine, not the absence of a product.
    bool LinksInWinlogonKey() const;
};

// The row of that identity, or null for a GINA that ends the chain.
const ChainingGina* FindChainingGina(platform::System& system, std::string_view identity);

// Odyssey's list of GINAs allowed behind it, and the agent's entry in it.
inline constexpr const char* kOdysseyGinaListKey =
    "SOFTWARE\\Funk Software, Inc.\\odyssey\\client\\configuration\\ginaDLLs";

}  // namespace veltra::gina
