#include "platform/sim/installer_log.h"

#include <algorithm>

namespace veltra::sim {

std::string FormatLogText(std::string_view field0,
                          const std::map<std::string, std::string>& properties) {
    if (field0.find('[') == std::string_view::npos) return std::string(field0);
    std::string text;
    text.reserve(field0.size());
    std::size_t i = 0;
    while (i < field0.size()) {
        if (field0[i] != '[') {
            const std::size_t open = std::min(field0.find('[', i), field0.size());
            text.append(field0, i, open - i);
            i = open;
            continue;
        }
        if (i + 3 < field0.size() && field0[i + 1] == '\\' && field0[i + 3] == ']') {
            text += field0[i + 2];
            i += 4;
            continue;
        }
        const std::size_t close = field0.find(']', i + 1);
        if (close == std::string_view::npos) {
            text += field0.substr(i);
            break;
        }
        const auto it = properties.find(std::string(field0.substr(i + 1, close - i - 1)));
        if (it != properties.end()) text += it->second;
        i = close + 1;
    }
    return text;
}

}  // namespace veltra::sim
