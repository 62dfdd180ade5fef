// The seven value primitives at their edges: arguments, types, sizes, what a
// failure leaves behind, and that no key stays open.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "settings/registry_primitives.h"
#include "settings_fixture.h"

namespace veltra::testing {
namespace {

using namespace veltra::settings;
using platform::Dword;

constexpr const char* kPath = "SOFTWARE\\Veltra Security\\Probe";
const std::string kKey = kHklm + kPath;

class PrimitivesTest : public SettingsFixture {};

// --- ReadRegString --------------------------------------------------------------

struct StringReadCase {
    const char* title;
    Dword type;
    std::vector<std::uint8_t> stored;
    Dword capacity;
    Dword result;
    Dword sizeAfter;  // on success
};

TEST_F(PrimitivesTest, ReadRegStringTakesRawBytesOfAnyTypeWithinTheCapacity) {
    const std::vector<StringReadCase> cases = {
        {"text with its terminator", platform::kRegSz, Bytes("abc"), 260, 0, 4},
        {"exactly the capacity", platform::kRegSz, Bytes("abc"), 4, 0, 4},
        {"one byte over the capacity", platform::kRegSz, Bytes("abcd"), 4, 5001, 0},
        {"expand string, unexpanded", platform::kRegExpandSz, Bytes("%SystemRoot%\\x"), 260, 0, 15},
        {"binary data", platform::kRegBinary, {0xde, 0xad, 0x00, 0xbe}, 260, 0, 4},
        {"a DWORD's four bytes", platform::kRegDword, {1, 0, 0, 0}, 260, 0, 4},
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

TEST_F(PrimitivesTest, ReadRegStringRefusesMissingArgumentsBeforeTouchingTheRegistry) {
    SetString(kKey, "V", "abc");
    char buffer[16] = {};
    Dword size = sizeof buffer;
    Dword zero = 0;
    Mark();
    EXPECT_EQ(ReadRegString(registry(), platform::kHkeyLocalMachine, nullptr, "V", buffer, &size), 5002u);
    EXPECT_EQ(ReadRegString(registry(), platform::kHkeyLocalMachine, kPath, nullptr, buffer, &size), 5002u);
    EXPECT_EQ(ReadRegString(registry(), platform::kHkeyLocalMachine, kPath, "V", nullptr, &size), 5002u);
    EXPECT_EQ(ReadRegString(registry(), platform::kHkeyLocalMachine, kPath, "V", buffer, nullptr), 5002u);
    EXPECT_EQ(ReadRegString(registry(), platform::kHkeyLocalMachine, kPath, "V", buffer, &zero), 5002u);
    EXPECT_TRUE(machine.trace.lines().empty());
}

TEST_F(PrimitivesTest, ReadRegStringOfAMissingKeyOrValueIsARegistryError) {
    char buffer[16] = {};
    Dword size = sizeof buffer;
    EXPECT_EQ(ReadRegString(registry(), kPath, "V", buffer, &size), 5001u);
    SetString(kKey, "Other", "x");
    size = sizeof buffer;
    EXPECT_EQ(ReadRegString(registry(), kPath, "V", buffer, &size), 5001u);
    EXPECT_EQ(OpenHandles(), 0u);
}

TEST_F(PrimitivesTest, ReadRegStringOpensForQueryOnlyAndClosesOnEveryPath) {
    SetString(kKey, "V", "abc");
    Mark();
    char buffer[2] = {};
    Dword size = sizeof buffer;
    EXPECT_EQ(ReadRegString(registry(), kPath, "V", buffer, &size), 5001u);  // too small
    EXPECT_EQ(Calls("RegOpenKeyExA"), std::vector<std::string>{kKey});
    EXPECT_EQ(Calls("RegCloseKey"), std::vector<std::string>{kKey});
    EXPECT_EQ(OpenHandles(), 0u);
}

// --- ReadRegDecimal -------------------------------------------------------------

struct DecimalReadCase {
    const char* title;
    Dword type;
    std::vector<std::uint8_t> stored;
    Dword result;
    Dword value;  // the target afterwards (it starts at 777)
};

TEST_F(PrimitivesTest, ReadRegDecimalParsesTheBytesAsAtoiWithoutCheckingTheType) {
    const std::vector<DecimalReadCase> cases = {
        {"plain number", platform::kRegSz, Bytes("17"), 0, 17},
        {"zero", platform::kRegSz, Bytes("0"), 0, 0},
        {"leading blanks and trailing text", platform::kRegSz, Bytes(" \t42abc"), 0, 42},
        {"plus sign", platform::kRegSz, Bytes("+5"), 0, 5},
        {"minus one wraps", platform::kRegSz, Bytes("-1"), 0, 0xFFFFFFFFu},
        {"largest unsigned", platform::kRegSz, Bytes("4294967295"), 0, 4294967295u},
        {"one past the largest wraps", platform::kRegSz, Bytes("4294967296"), 0, 0},
        {"no digits", platform::kRegSz, Bytes("abc"), 0, 0},
        {"empty text", platform::kRegSz, Bytes(""), 0, 0},
        {"DWORD 1 reads its bytes as text", platform::kRegDword, {1, 0, 0, 0}, 0, 0},
        {"DWORD 49 is the text \"1\"", platform::kRegDword, {'1', 0, 0, 0}, 0, 1},
        {"binary digits", platform::kRegBinary, {'2', '5'}, 0, 25},
        {"64 bytes fit", platform::kRegSz, Bytes(std::string(62, ' ') + "7"), 0, 7},
        {"65 bytes do not", platform::kRegSz, Bytes(std::string(63, ' ') + "7"), 5001, 777},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        machine.registry.CreateKey(kKey)->SetValue("V", c.type, c.stored);
        Dword target = 777;
        EXPECT_EQ(ReadRegDecimal(registry(), platform::kHkeyLocalMachine, kPath, "V", &target), c.result);
        EXPECT_EQ(target, c.value);
    }
}

TEST_F(PrimitivesTest, ReadRegDecimalLeavesTheTargetAloneOnFailure) {
    Dword target = 777;
    EXPECT_EQ(ReadRegDecimal(registry(), kPath, "V", &target), 5001u);
    EXPECT_EQ(target, 777u);
    EXPECT_EQ(ReadRegDecimal(registry(), nullptr, "V", &target), 5002u);
    EXPECT_EQ(ReadRegDecimal(registry(), kPath, nullptr, &target), 5002u);
    EXPECT_EQ(ReadRegDecimal(registry(), kPath, "V", nullptr), 5002u);
    EXPECT_EQ(target, 777u);
}

// --- ReadRegDword ---------------------------------------------------------------

TEST_F(PrimitivesTest, ReadRegDwordAcceptsOnlyAFourByteDword) {
    const std::vector<DecimalReadCase> cases = {
        {"REG_DWORD", platform::kRegDword, {0x78, 0x56, 0x34, 0x12}, 0, 0x12345678u},
        {"decimal text", platform::kRegSz, Bytes("1"), 5001, 777},
        {"four bytes of binary", platform::kRegBinary, {1, 0, 0, 0}, 5001, 777},
        {"a short DWORD", platform::kRegDword, {1, 0}, 5001, 777},
        {"a long DWORD", platform::kRegDword, {1, 0, 0, 0, 0, 0, 0, 0}, 5001, 777},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        machine.registry.CreateKey(kKey)->SetValue("V", c.type, c.stored);
        Dword target = 777;
        EXPECT_EQ(ReadRegDword(registry(), platform::kHkeyLocalMachine, kPath, "V", &target), c.result);
        EXPECT_EQ(target, c.value);
        EXPECT_EQ(OpenHandles(), 0u);
    }
    Dword target = 777;
    machine.registry.DeleteKeyTree(kKey);
    EXPECT_EQ(ReadRegDword(registry(), kPath, "V", &target), 5001u);
    EXPECT_EQ(ReadRegDword(registry(), kPath, nullptr, &target), 5002u);
    EXPECT_EQ(ReadRegDword(registry(), nullptr, "V", &target), 5002u);
    EXPECT_EQ(ReadRegDword(registry(), kPath, "V", nullptr), 5002u);
    EXPECT_EQ(target, 777u);
}

// --- writes ---------------------------------------------------------------------

// The whole key path is created; only the given length and a terminator are
// written, with the writer's own type.
TEST_F(PrimitivesTest, StringWritesCreateThePathAndWriteTheGivenLengthWithATerminator) {
    const std::string deep = std::string(kPath) + "\\A\\B";
    EXPECT_EQ(WriteRegString(registry(), platform::kHkeyLocalMachine, deep.c_str(), "V", "abcdef", 3), 0u);
    EXPECT_EQ(GetValue(kHklm + deep, "V"), (sim::RegValue{"V", platform::kRegSz, Bytes("abc")}));
    EXPECT_EQ(WriteRegExpandString(registry(), kPath, "E", "%ProgramFiles%\\x", 16), 0u);
    EXPECT_EQ(GetValue(kKey, "E"), (sim::RegValue{"E", platform::kRegExpandSz, Bytes("%ProgramFiles%\\x")}));
    EXPECT_EQ(OpenHandles(), 0u);
}

TEST_F(PrimitivesTest, AnEmptyOrMissingStringIsNeverWrittenAndTheOldValueStays) {
    SetString(kKey, "V", "old");
    Mark();
    EXPECT_EQ(WriteRegString(registry(), kPath, "V", "", 0), 5002u);
    EXPECT_EQ(WriteRegExpandString(registry(), kPath, "V", "", 0), 5002u);
    EXPECT_EQ(WriteRegString(registry(), kPath, "V", nullptr, 3), 5002u);
    EXPECT_EQ(WriteRegString(registry(), kPath, nullptr, "x", 1), 5002u);
    EXPECT_EQ(WriteRegString(registry(), nullptr, "V", "x", 1), 5002u);
    EXPECT_TRUE(Changes().empty());
    EXPECT_TRUE(machine.trace.lines().empty());
}

TEST_F(PrimitivesTest, AStringReplacesADwordByDeletingItFirst) {
    SetDword(kKey, "V", 5);
    SetDword(kKey, "After", 1);
    EXPECT_EQ(WriteRegString(registry(), kPath, "V", "text", 4), 0u);
    const auto node = machine.registry.FindKey(kKey);
    ASSERT_EQ(node->values().size(), 2u);
    // Deleted and created again: it now comes after the value that followed it.
    EXPECT_EQ(node->values()[0].name, "After");
    EXPECT_EQ(node->values()[1].name, "V");
    EXPECT_EQ(node->values()[1].type, platform::kRegSz);
}

TEST_F(PrimitivesTest, ADwordOverwritesAStringInPlace) {
    SetString(kKey, "V", "text");
    SetDword(kKey, "After", 1);
    EXPECT_EQ(WriteRegDword(registry(), kPath, "V", 0x01020304), 0u);
    const auto node = machine.registry.FindKey(kKey);
    EXPECT_EQ(node->values()[0].name, "V");
    EXPECT_EQ(node->values()[0].type, platform::kRegDword);
    EXPECT_EQ(node->values()[0].data, (std::vector<std::uint8_t>{4, 3, 2, 1}));
    EXPECT_EQ(Calls("RegDeleteValueA").size(), 0u);
}

TEST_F(PrimitivesTest, WriteRegBinaryWritesExactlyTheBytesAndRefusesNone) {
    const std::uint8_t data[] = {0, 1, 0, 2};
    EXPECT_EQ(WriteRegBinary(registry(), kPath, "V", data, 3), 0u);
    EXPECT_EQ(GetValue(kKey, "V")->type, platform::kRegBinary);
    EXPECT_EQ(GetValue(kKey, "V")->data, (std::vector<std::uint8_t>{0, 1, 0}));
    EXPECT_EQ(WriteRegBinary(registry(), kPath, "V", data, 0), 5002u);
    EXPECT_EQ(WriteRegBinary(registry(), kPath, "V", nullptr, 3), 5002u);
    EXPECT_EQ(WriteRegBinary(registry(), kPath, nullptr, data, 3), 5002u);
    EXPECT_EQ(WriteRegDword(registry(), kPath, nullptr, 1), 5002u);
    EXPECT_EQ(WriteRegDword(registry(), nullptr, "V", 1), 5002u);
    EXPECT_EQ(GetValue(kKey, "V")->data, (std::vector<std::uint8_t>{0, 1, 0}));
}

TEST_F(PrimitivesTest, TheRootChoosesTheHive) {
    EXPECT_EQ(WriteRegDword(registry(), platform::kHkeyCurrentUser, kPath, "V", 1), 0u);
    EXPECT_EQ(GetDword(kHkcu + kPath, "V"), 1u);
    EXPECT_FALSE(KeyExists(kKey));
    Dword value = 0;
    EXPECT_EQ(ReadRegDword(registry(), kPath, "V", &value), 5001u);
    EXPECT_EQ(ReadRegDword(registry(), platform::kHkeyCurrentUser, kPath, "V", &value), 0u);
    EXPECT_EQ(value, 1u);
}

// --- failures of the registry itself --------------------------------------------

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

TEST_F(PrimitivesTest, AFailedDeleteBeforeAStringWriteIsIgnored) {
    SetString(kKey, "V", "old");
    Fail("RegDeleteValueA");
    EXPECT_EQ(WriteRegString(registry(), kPath, "V", "new", 3), 0u);
    EXPECT_EQ(GetString(kKey, "V"), "new");
}

TEST_F(PrimitivesTest, AStringWhoseSetFailsAfterTheDeleteIsGone) {
    // The replacement deletes first, so a refused set loses the old text;
    // a DWORD or binary value is written over and keeps its old content.
    SetString(kKey, "S", "old");
    SetDword(kKey, "D", 7);
    Fail("RegSetValueExA");
    EXPECT_EQ(WriteRegString(registry(), kPath, "S", "new", 3), 5001u);
    EXPECT_EQ(WriteRegDword(registry(), kPath, "D", 8), 5001u);
    EXPECT_FALSE(GetValue(kKey, "S"));
    EXPECT_EQ(GetDword(kKey, "D"), 7u);
}

// --- type names -------------------------------------------------------------------

TEST(RegTypeNameTest, NamesTheEightTypesAndNothingElse) {
    const std::vector<std::pair<Dword, std::string>> cases = {
        {0, "REG_NONE"},     {1, "REG_SZ"},   {2, "REG_EXPAND_SZ"}, {3, "REG_BINARY"},
        {4, "REG_DWORD"},    {5, "REG_DWORD_BIG_ENDIAN"},           {6, "REG_LINK"},
        {7, "REG_MULTI_SZ"}, {8, "REG_NONE"}, {11, "REG_NONE"},     {0xFFFFFFFFu, "REG_NONE"},
    };
    for (const auto& [type, name] : cases) EXPECT_EQ(RegTypeName(type), name) << type;
}

}  // namespace
}  // namespace veltra::testing
