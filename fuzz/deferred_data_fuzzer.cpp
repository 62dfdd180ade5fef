// Feeds arbitrary bytes to the splitting of a deferred action's data. No
// field is empty or holds ";"; the fields joined with ";" again and split
// once more give the same fields (the split skips runs of separators, so a
// second pass finds nothing more to skip); and the first input byte, used as
// a field count, packs that many pieces of the input that a split gives back
// in order whenever none of them is empty or holds ";".
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "runtime/deferred_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> fields = veltra::runtime::SplitDeferredData(text);
    for (const std::string& field : fields) Check(!field.empty() && field.find(';') == std::string::npos);
    Check(veltra::runtime::SplitDeferredData(veltra::runtime::JoinStrings(";", fields)) == fields);

    if (size < 2) return 0;
    const std::size_t count = 1 + data[0] % 8;
    const std::size_t piece = (size - 1) / count;
    if (piece == 0) return 0;
    std::vector<std::string> pieces;
    for (std::size_t i = 0; i < count; ++i) pieces.emplace_back(text.substr(1 + i * piece, piece));
    bool plain = true;
    for (const std::string& p : pieces) plain = plain && p.find(';') == std::string::npos;
    if (plain) Check(veltra::runtime::SplitDeferredData(veltra::runtime::JoinStrings(";", pieces)) == pieces);
    return 0;
}
