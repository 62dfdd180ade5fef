// Changing the GINA chain with the administrator in the loop: the question
// before the agent GINA displaces another product's GINA, and the choice
// when the agent GINA stays loaded after it was taken out. Used by the
// EnableGina and DisableGina actions, and by the install options and the
// rollback that change the chain the same way.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace veltra::gina {

// Links the agent GINA (agentPath) in, or takes it out (enable false, agentPath
// ""). quiet: no questions; another product's GINA is displaced and a GINA
// still loaded is left to the next restart. 0 on success; 170 when the
// administrator cancelled over a GINA still loaded; 1603 when the
// administrator refused to displace another GINA; or the chain's error code
// after the unexpected-error message.
platform::Dword SetGinaWithDialogs(platform::Platform& platform, bool enable, bool quiet,
                                   std::string_view agentPath);

// Asks whether the agent GINA may displace gina. kIdContinue (11) to go on,
// kIdCancel (2) to stop.
int ShowGinaConflictDialog(platform::Platform& platform, std::string_view gina);

// Says that the agent GINA (gina) stays loaded; the button pressed: Cancel,
// Try Again or Continue.
int ShowGinaStillLoadedDialog(platform::Platform& platform, std::string_view gina);

// Version strings are read into buffers of this size.
inline constexpr std::size_t kVersionStringSize = 256;

// A string of file's version resource ("ProductName", "FileDescription",
// "CompanyName") in its first language, cut to size - 1 characters as a
// buffer of size bytes holds it. False when the file has no such string.
bool GetFileVersionString(platform::Versions& versions, const std::string& file, const char* key,
                          std::string& value, std::size_t size);

// The dialog text that names a GINA file: opening, the file as the search
// path finds it, and its product, description and company ("N/A" for a
// string the file does not have).
std::string DescribeGinaFile(platform::Platform& platform, std::string_view opening,
                             std::string_view gina);

}  // namespace veltra::gina
