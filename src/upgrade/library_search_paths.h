// The maker's list of library search paths, shared with its sibling
// products: the agent's installation folder is on it while the agent is
// installed, with the two shared folders its libraries need.
#pragma once

#include <string_view>

#include "platform/platform.h"

namespace veltra::upgrade {

// Brings HKEY_LOCAL_MACHINE\SOFTWARE\Veltra Security "LibrarySearchPaths"
// (REG_MULTI_SZ) in line with whether the agent is installed (its marker
// file in the repository folder of installFolder): the installation folder
// is taken off the list and, when the agent is there, put back at the end
// followed by the framework and back-end folders unless the list has them.
// Other entries keep their order; a list that already holds the installation
// folder once and both shared folders is left as it is, so that running again
// changes nothing. A list that cannot be read is left alone, and one of any
// length is read whole.
void UpdateLibrarySearchPaths(platform::Platform& platform, std::string_view installFolder,
                              std::string_view frameworkFolder, std::string_view backEndFolder);

}  // namespace veltra::upgrade
