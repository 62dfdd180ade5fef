// Building .reg file bytes and reading values back, for the .reg tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/regfile.h"

namespace veltra::sim::testing {

// An ANSI (REGEDIT4-style) file: the bytes of the text as written.
inline std::vector<std::uint8_t> Ansi(std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// A UTF-16LE file, with the byte-order mark unless told otherwise.
inline std::vector<std::uint8_t> Wide(std::u16string_view text, bool bom = true) {
    std::vector<std::uint8_t> bytes;
    if (bom) bytes = {0xFF, 0xFE};
    for (const char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

// The same ASCII text as a UTF-16LE file.
inline std::vector<std::uint8_t> WideAscii(std::string_view text, bool bom = true) {
    return Wide(std::u16string(text.begin(), text.end()), bom);
}

// A string value's data as RegSetValueExA stores it: text and terminator.
inline std::vector<std::uint8_t> Sz(std::string_view text) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return data;
}

inline std::vector<std::uint8_t> DwordBytes(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

inline std::optional<RegValue> ValueAt(const RegistryTree& tree, std::string_view key,
                                       std::string_view name) {
    const auto node = tree.FindKey(key);
    if (!node) return std::nullopt;
    const RegValue* value = node->FindValue(name);
    if (value == nullptr) return std::nullopt;
    return *value;
}

inline std::string AsText(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// A Version 5 file's bytes back to text, for comparing with expected output;
// only for files whose characters are all below 0x100.
inline std::string WideToText(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        EXPECT_EQ(bytes[i + 1], 0) << "at byte " << i;
        text.push_back(static_cast<char>(bytes[i]));
    }
    return text;
}

}  // namespace veltra::sim::testing
