#include "silentpackage/scrambling.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

#include "runtime/log.h"

namespace veltra::silentpackage {
namespace {

// Our own key; changing it makes every package made before unreadable.
constexpr std::string_view kKey =
    "=6C6HxQ%HEi(H<Sr_AEAh]0;h%9Ly7.kX9c,$0@M[<>pc'tkJxSX^e6x|BTI0h/*"
    "Lbs2H#tzu}8(;oa.2nFvlApOW=TIMush1Gvca0KDI#RX96$w@=KvO>7>VEYGxLc)"
    "IW+Xb+Q;C0-6UC)GBW=wc$QE/lG1o*4x[rfz)j*w%BlEKB28&qPtJgd_<(nzD`3:"
    "pf$G~u;FMK)esG-_<ARbYRl!MVFGjIyF##7lBtBV)Op=(r|g#u,me8iG(L[>+8(Q"
    "FcZWIyV=dub/IJKxw(]yWYJ/8jcex9VL|9K9b---5onNjL$*-^'(-QD3-SA5}@B$"
    "vvy`rf`gs<py@/>utDAF_5KqSG(Aco7CYISY^Z#'d5rvZD}$;bgUB>B2w^nFy4G5"
    "'>6|WW*(t[_(F~-0>(H5|)VLsLTw$(uCV(xF}u;y$hOXv%~r>!=c~NR8N(qiaRgK"
    "1Ua@m|l[Ad0{yXhM>nyRl7.!x>)*Q6[Sz:D=ZIdkd<`R!nbS>,t0Y;*^J*s&],#l";
static_assert(kKey.size() == kScramblingBlock);

constexpr std::array<std::uint8_t, kScramblingBlock> kKeyBytes = [] {
    std::array<std::uint8_t, kScramblingBlock> bytes{};
    for (std::size_t i = 0; i < kScramblingBlock; ++i) bytes[i] = static_cast<std::uint8_t>(kKey[i]);
    return bytes;
}();

}  // namespace

std::span<const std::uint8_t, kScramblingBlock> ScramblingKey() { return kKeyBytes; }

void Scramble(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
    const std::size_t count = std::min({in.size(), out.size(), kScramblingBlock});
    for (std::size_t i = 0; i < count; ++i) out[i] = in[i] ^ kKeyBytes[i];
}

bool ScrambleFile(platform::Platform& platform, const std::string& from, const std::string& to) {
    const std::unique_ptr<platform::FileStream> input = platform.files.Open(from.c_str(), platform::OpenMode::Read);
    if (!input) runtime::LogLastError(platform, "fopen", from);
    const std::unique_ptr<platform::FileStream> output = platform.files.Open(to.c_str(), platform::OpenMode::Write);
    if (!output) runtime::LogLastError(platform, "fopen", to);
    if (!input || !output) return false;

    std::array<std::uint8_t, kScramblingBlock> block{};
    std::array<std::uint8_t, kScramblingBlock> scrambled{};
    for (;;) {
        const std::size_t count = input->Read(block.data(), block.size());
        if (count == 0) break;
        Scramble(std::span(block.data(), count), scrambled);
        if (output->Write(scrambled.data(), count) != count) {
            runtime::LogFailure(platform, "fwrite", to, platform.system.GetLastError());
            return false;
        }
    }
    return true;
}

}  // namespace veltra::silentpackage
