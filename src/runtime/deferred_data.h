// Packing and unpacking the data of deferred actions, and the path joins that
// share the same rule.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace veltra::runtime {

// Joins pieces, adding the separator only where the text so far does not
// already end with it. So "C:\A\" + "x" and "C:\A" + "x" both give "C:\A\x",
// and an empty piece vanishes together with its separator: a, "", b -> a;b.
std::string JoinStrings(std::string_view separator, std::initializer_list<std::string_view> pieces);
std::string JoinStrings(std::string_view separator, const std::vector<std::string>& pieces);

// Splits deferred data on ";", skipping runs of separators as the tokenizer
// does: empty fields vanish and later fields move up.
std::vector<std::string> SplitDeferredData(std::string_view data);

// Field n (0-based) of split data, or "" when there are fewer fields.
inline std::string FieldOrEmpty(const std::vector<std::string>& fields, std::size_t index) {
    return index < fields.size() ? fields[index] : std::string();
}

}  // namespace veltra::runtime
