// The system's Open File dialog over a path property: the property gives the
// initial file name and receives the path the administrator picks.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace veltra::configfiles {

struct FileBrowse {
    const char* pathProperty;
    // Appended to a path property that names an existing folder, so that the
    // dialog opens in that folder with the expected file name filled in.
    const char* nameInFolder;
    const char* title;
    std::vector<std::pair<std::string, std::string>> filter;  // (description, pattern)
};

// Shows the dialog; OK writes the chosen path back, Cancel changes nothing.
// Checking the choice is left to the dialog's next action.
void BrowseForFile(platform::Platform& platform, const FileBrowse& browse);

}  // namespace veltra::configfiles
