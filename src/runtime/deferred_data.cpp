#include "runtime/deferred_data.h"

namespace veltra::runtime {
namespace {

template <class Range>
std::string Join(std::string_view separator, const Range& pieces) {
    std::string result;
    bool first = true;
    for (std::string_view piece : pieces) {
        if (!first) {
            const bool endsWithSeparator =
                result.size() >= separator.size() &&
                std::string_view(result).substr(result.size() - separator.size()) == separator;
            if (!endsWithSeparator) result += separator;
        }
        result += piece;
        first = false;
    }
    return result;
}

}  // namespace

std::string JoinStrings(std::string_view separator, std::initializer_list<std::string_view> pieces) {
    return Join(separator, pieces);
}

std::string JoinStrings(std::string_view separator, const std::vector<std::string>& pieces) {
    return Join(separator, pieces);
}

std::vector<std::string> SplitDeferredData(std::string_view data) {
    // ";" is below 0x40, so it can never be the trail byte of a double-byte
    // character: a byte-wise split is what the multibyte tokenizer does.
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (start <= data.size()) {
        const std::size_t end = data.find(';', start);
        const std::string_view field =
            data.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!field.empty()) fields.emplace_back(field);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return fields;
}

}  // namespace veltra::runtime
