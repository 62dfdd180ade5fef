// Single RAS values remembered through the accessors and written back later,
// when the class's place has moved: the EAP type 15 configuration of a
// legacy-key agent, and the new installation's versions and EAP paths.
#pragma once

#include <array>
#include <cstddef>

#include "settings/ras_settings.h"

namespace veltra::upgrade {

// A string value read into a zero-filled 260-byte buffer; one that does not
// fit stays empty, and an empty text is never written back.
class RasText {
public:
    static constexpr std::size_t kCapacity = 260;
    void Read(const settings::RasSettings& ras, settings::RasValue row);
    void Write(const settings::RasSettings& ras, settings::RasValue row) const;

private:
    std::array<char, kCapacity + 1> bytes_{};  // one more: always terminated
};

// The nine values of an EAP method: four strings, five switches.
class EapMethodCopy {
public:
    void ReadType15(const settings::RasSettings& ras);
    void WriteAsType32(const settings::RasSettings& ras) const;

private:
    std::array<RasText, 4> texts_{};
    std::array<platform::Dword, 5> switches_{};
};

}  // namespace veltra::upgrade
