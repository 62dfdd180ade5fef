// Feeds arbitrary text to the hexadecimal decoder of binary registry data:
// it yields one byte per pair of characters, and whatever bytes are encoded
// decode back to themselves, in either case.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "silentpackage/hex_text.h"

namespace {

using veltra::silentpackage::DecodeHex;
using veltra::silentpackage::EncodeHex;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Check(DecodeHex(text).size() == size / 2);

    const std::span<const std::uint8_t> bytes(data, size);
    const std::string encoded = EncodeHex(bytes);
    Check(encoded.size() == 2 * size);
    Check(encoded.find_first_not_of("0123456789abcdef") == std::string::npos);
    Check(DecodeHex(encoded) == std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    std::string upper = encoded;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    Check(DecodeHex(upper) == std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    return 0;
}
