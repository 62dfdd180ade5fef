// The installer log of the simulated session: field 0 of an informational
// message, formatted as the installer formats it before writing it.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace veltra::sim {

// "[\c]" gives the character c and "[NAME]" the property's value ("" when
// it is not set); everything else is kept. Enough to show whether a line
// reaches the log as it was written.
std::string FormatLogText(std::string_view field0,
                          const std::map<std::string, std::string>& properties);

}  // namespace veltra::sim
