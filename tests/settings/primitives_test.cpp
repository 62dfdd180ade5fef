// The value primitives at their edges, and decimal text: _ultoa out, atoi in.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "settings/decimal_text.h"
#include "settings/registry_primitives.h"
#include "settings_fixture.h"

namespace veltra::testing {
namespace {

using namespace veltra::settings;
using platform::Dword;

constexpr const char* kPath = "SOFTWARE\\Veltra Security\\Probe";
const std::string kKey = kHklm + kPath;

class PrimitivesTest : public SettingsFixture {};

TEST_F(PrimitivesTest, ReadRegStringTakesRawBytesOfAnyTypeWithinTheCapacity) {
    struct Case {
        const char* title;
        Dword type;
        std::vector<std::uint8_t> stored;
        Dword capacity, result, sizeAfter;
    };
    const std::vector<Case> cases = {
        {"text with its terminator", platform::kRegSz, Bytes("abc"), 260, 0, 4},
        {"exactly the capacity", platform::kRegSz, Bytes("abc"), 4, 0, 4},
        {"one byte over the capacity", platform::kRegSz, Bytes("abcd"), 4, 5001, 0},
        {"expand string, unexpanded", platform::kRegExpandSz, Bytes("%SystemRoot%\\x"), 260, 0, 15},
        {"binary data", platform::kRegBinary, {0xde, 0xad, 0x00, 0xbe}, 260, 0, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        machine.registry.CreateKey(kKey)->SetValue("V", c.type, c.stored);
        std::array<std::uint8_t, 300> buffer{};
        Dword size = c.capacity;
        EXPECT_EQ(ReadRegString(registry(), platform::kHkeyLocalMachine, kPath, "V", buffer.data(), &size),
                  c.result);
        if (c.result == 0) {
            EXPECT_EQ(size, c.sizeAfter);
            EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + size), c.stored);
        }
        EXPECT_EQ(OpenHandles(), 0u);
    }
}

// A missing argument is refused (5002) before the registry is touched, and
// leaves a read's target as it was.
TEST_F(PrimitivesTest, MissingArgumentsAreRefusedBeforeTouchingTheRegistry) {
    SetString(kKey, "V", "abc");
    char buffer[16] = {};
    Dword size = sizeof buffer;
    Dword zero = 0;
    Mark();
    const std::vector<Dword> results = {
        ReadRegString(registry(), platform::kHkeyLocalMachine, nullptr, "V", buffer, &size),
        ReadRegString(registry(), platform::kHkeyLocalMachine, kPath, "V", buffer, &zero),
        ReadRegDecimal(registry(), kPath, "V", nullptr),
        ReadRegDword(registry(), kPath, "V", nullptr),
        WriteRegString(registry(), kPath, "V", "", 0),
        WriteRegExpandString(registry(), kPath, "V", "", 0),
        WriteRegString(registry(), nullptr, "V", "x", 1),
        WriteRegBinary(registry(), kPath, "V", "x", 0),
        WriteRegDword(registry(), nullptr, "V", 1),
    };
    EXPECT_EQ(results, std::vector<Dword>(results.size(), 5002u));
    EXPECT_TRUE(machine.trace.lines().empty());
    EXPECT_EQ(GetString(kKey, "V"), "abc");
}

// A missing key or value is a registry error (5001).
TEST_F(PrimitivesTest, AMissingKeyOrValueIsARegistryError) {
    char buffer[2] = {};
    Dword size = sizeof buffer;
    EXPECT_EQ(ReadRegString(registry(), kPath, "V", buffer, &size), 5001u);
    SetString(kKey, "Other", "x");
    EXPECT_EQ(ReadRegString(registry(), kPath, "V", buffer, &size), 5001u);
    EXPECT_EQ(OpenHandles(), 0u);
}

// ReadRegDecimal parses the bytes as atoi does whatever their type, within 64
// bytes; ReadRegDword takes only a REG_DWORD of exactly four bytes.
TEST_F(PrimitivesTest, NumberReadersAtTheirTypesAndSizes) {
    struct Case {
        const char* title;
        bool dword;
        Dword type;
        std::vector<std::uint8_t> stored;
        Dword result;
        Dword value;  // the target afterwards (it starts at 777)
    };
    const std::vector<Case> cases = {
        {"decimal text", false, platform::kRegSz, Bytes("17"), 0, 17},
        {"DWORD 1 read as text", false, platform::kRegDword, {1, 0, 0, 0}, 0, 0},
        {"DWORD 49 is the text \"1\"", false, platform::kRegDword, {'1', 0, 0, 0}, 0, 1},
        {"64 bytes fit", false, platform::kRegSz, Bytes(std::string(62, ' ') + "7"), 0, 7},
        {"65 bytes do not", false, platform::kRegSz, Bytes(std::string(63, ' ') + "7"), 5001, 777},
        {"REG_DWORD", true, platform::kRegDword, {0x78, 0x56, 0x34, 0x12}, 0, 0x12345678u},
        {"decimal text as DWORD", true, platform::kRegSz, Bytes("1"), 5001, 777},
        {"four bytes of binary", true, platform::kRegBinary, {1, 0, 0, 0}, 5001, 777},
        {"a short DWORD", true, platform::kRegDword, {1, 0}, 5001, 777},
        {"a long DWORD", true, platform::kRegDword, {1, 0, 0, 0, 0, 0, 0, 0}, 5001, 777},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        machine.registry.CreateKey(kKey)->SetValue("V", c.type, c.stored);
        Dword target = 777;
        EXPECT_EQ(c.dword ? ReadRegDword(registry(), platform::kHkeyLocalMachine, kPath, "V", &target)
                          : ReadRegDecimal(registry(), platform::kHkeyLocalMachine, kPath, "V", &target),
                  c.result);
        EXPECT_EQ(target, c.value);
        EXPECT_EQ(OpenHandles(), 0u);
    }
}

// The whole key path is created under the given root; only the given length
// and a terminator are written, with the writer's own type.
TEST_F(PrimitivesTest, WritesCreateThePathAndWriteTheGivenLength) {
    const std::string deep = std::string(kPath) + "\\A\\B";
    EXPECT_EQ(WriteRegString(registry(), platform::kHkeyLocalMachine, deep.c_str(), "V", "abcdef", 3), 0u);
    EXPECT_EQ(GetValue(kHklm + deep, "V"), (sim::RegValue{"V", platform::kRegSz, Bytes("abc")}));
    EXPECT_EQ(WriteRegExpandString(registry(), kPath, "E", "%ProgramFiles%\\x", 16), 0u);
    EXPECT_EQ(GetValue(kKey, "E"), (sim::RegValue{"E", platform::kRegExpandSz, Bytes("%ProgramFiles%\\x")}));
    // The root chooses the hive.
    EXPECT_EQ(WriteRegDword(registry(), platform::kHkeyCurrentUser, kPath, "D", 1), 0u);
    EXPECT_EQ(GetDword(kHkcu + kPath, "D"), 1u);
    EXPECT_FALSE(GetValue(kKey, "D"));
    EXPECT_EQ(OpenHandles(), 0u);
}

// A string replaces a DWORD by deleting it first (it moves behind the value
// that followed it); a DWORD overwrites a string in place.
TEST_F(PrimitivesTest, AStringIsWrittenAnewADwordInPlace) {
    SetDword(kKey, "S", 5);
    SetString(kKey, "D", "text");
    SetDword(kKey, "After", 1);
    Mark();
    EXPECT_EQ(WriteRegString(registry(), kPath, "S", "text", 4), 0u);
    EXPECT_EQ(WriteRegDword(registry(), kPath, "D", 0x01020304), 0u);
    const auto& values = machine.registry.FindKey(kKey)->values();
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0], (sim::RegValue{"D", platform::kRegDword, {4, 3, 2, 1}}));
    EXPECT_EQ(values[1].name, "After");
    EXPECT_EQ(values[2], (sim::RegValue{"S", platform::kRegSz, Bytes("text")}));
    EXPECT_EQ(Calls("RegDeleteValueA"), std::vector<std::string>{kKey + "\\S"});
}

TEST_F(PrimitivesTest, RegistryFailuresBecome5001AndLeaveNoKeyOpen) {
    SetString(kKey, "V", "old");
    struct Case {
        const char* rule;
        bool write;
    };
    const std::vector<Case> cases = {
        {"RegOpenKeyExA", false},
        {"RegQueryValueExA", false},
        {"RegCreateKeyExA", true},
        {"RegSetValueExA", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        machine.faults = sim::Faults();
        Fail(c.rule);
        Dword number = 0;
        char buffer[16] = {};
        Dword size = sizeof buffer;
        if (c.write) {
            EXPECT_EQ(WriteRegDword(registry(), kPath, "N", 1), 5001u);
            EXPECT_EQ(WriteRegBinary(registry(), kPath, "N", "x", 1), 5001u);
        } else {
            EXPECT_EQ(ReadRegString(registry(), kPath, "V", buffer, &size), 5001u);
            EXPECT_EQ(ReadRegDword(registry(), kPath, "V", &number), 5001u);
            EXPECT_EQ(ReadRegDecimal(registry(), kPath, "V", &number), 5001u);
        }
        EXPECT_EQ(OpenHandles(), 0u);
    }
    EXPECT_FALSE(GetValue(kKey, "N"));
}

// A string is deleted before it is set: a refused delete is ignored, a refused
// set loses the old text; a DWORD is written over and keeps its old content.
TEST_F(PrimitivesTest, AStringIsDeletedBeforeItIsSet) {
    SetString(kKey, "S", "old");
    SetDword(kKey, "D", 7);
    Fail("RegDeleteValueA#1");
    EXPECT_EQ(WriteRegString(registry(), kPath, "S", "new", 3), 0u);
    EXPECT_EQ(GetString(kKey, "S"), "new");
    Fail("RegSetValueExA");
    EXPECT_EQ(WriteRegString(registry(), kPath, "S", "newer", 5), 5001u);
    EXPECT_EQ(WriteRegDword(registry(), kPath, "D", 8), 5001u);
    EXPECT_FALSE(GetValue(kKey, "S"));
    EXPECT_EQ(GetDword(kKey, "D"), 7u);
}

TEST(RegTypeNameTest, NamesTheEightTypesAndNothingElse) {
    const std::vector<std::pair<Dword, std::string>> cases = {
        {0, "REG_NONE"},  {1, "REG_SZ"},   {2, "REG_EXPAND_SZ"}, {3, "REG_BINARY"}, {4, "REG_DWORD"},
        {5, "REG_DWORD_BIG_ENDIAN"}, {6, "REG_LINK"}, {7, "REG_MULTI_SZ"}, {8, "REG_NONE"}, {0xFFFFFFFFu, "REG_NONE"},
    };
    for (const auto& [type, name] : cases) EXPECT_EQ(RegTypeName(type), name) << type;
}


platform::Dword Parse(const std::string& text) {
    return ParseDecimalText({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

// Unsigned base ten without padding or sign, and every written number reads back.
TEST(DecimalTextTest, WritesUnsignedBaseTenThatReadsBack) {
    const std::vector<std::pair<platform::Dword, std::string>> cases = {
        {0, "0"}, {9, "9"}, {10, "10"}, {0x80000000u, "2147483648"}, {0xFFFFFFFFu, "4294967295"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(FormatDecimal(value), text);
        EXPECT_EQ(Parse(text), value) << text;
    }
}

TEST(DecimalTextTest, ReadsAsAtoi) {
    const std::vector<std::pair<std::string, platform::Dword>> cases = {
        {"", 0},           {"abc", 0},        {"12abc", 12},  {" \t\n\v\f\r5", 5}, {"+8", 8},
        {"-2", 0xFFFFFFFEu}, {"--2", 0},      {"- 2", 0},     {"0012", 12},        {"1 2", 1},
        {std::string("3\0" "4", 3), 3},       {"4294967296", 0}, {"\x01", 0},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(Parse(text), value) << '"' << text << '"';
    // The reading stops at the end of the bytes it is given.
    EXPECT_EQ(ParseDecimalText({reinterpret_cast<const std::uint8_t*>("123"), 2}), 12u);
}

}  // namespace
}  // namespace veltra::testing
