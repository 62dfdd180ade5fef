// The simulated registry against the Windows behaviour it models.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "platform/sim/sim_registry.h"
#include "support/sim_fixture.h"

namespace veltra::sim {
namespace {

using platform::Dword;
using platform::HKey;
using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;

constexpr Dword kKeyCreateSubKey = 0x0004;
constexpr Dword kKeyEnumerateSubKeys = 0x0008;
constexpr Dword kDelete = 0x00010000;
constexpr Dword kGenericRead = 0x80000000;
constexpr Dword kErrorKeyDeleted = 1018;

std::vector<std::uint8_t> Sz(std::string_view text) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return data;
}

class SimRegistryTest : public ::testing::Test {
protected:
    SimRegistryTest() { trace.enabled = true; }

    HKey Open(const char* path, Dword access = platform::kKeyAllAccess, HKey parent = kHkeyLocalMachine) {
        HKey key{};
        EXPECT_EQ(reg.OpenKeyEx(parent, path, access, &key), 0u) << path;
        return key;
    }
    HKey Create(const char* path, Dword access = platform::kKeyAllAccess, HKey parent = kHkeyLocalMachine) {
        HKey key{};
        EXPECT_EQ(reg.CreateKeyEx(parent, path, access, &key, nullptr), 0u) << path;
        return key;
    }
    void Put(const char* fullKey, const char* name, Dword type, std::vector<std::uint8_t> data) {
        tree.CreateKey(fullKey)->SetValue(name, type, std::move(data));
    }

    RegistryTree tree;
    Faults faults;
    Trace trace;
    SimRegistry reg{tree, faults, trace};
};

TEST_F(SimRegistryTest, EmptyOrNullSubkeyOpensTheSameKeyAgain) {
    Put("HKEY_LOCAL_MACHINE\\SOFTWARE\\X", "v", 4, {1, 0, 0, 0});
    const HKey first = Open("SOFTWARE\\X");
    const HKey again = Open("", platform::kKeyRead, first);
    const HKey third = Open(nullptr, platform::kKeyRead, first);
    EXPECT_NE(first, again);
    EXPECT_EQ(reg.QueryValueEx(third, "v", nullptr, nullptr, nullptr), 0u);
    for (const HKey key : {first, again, third}) EXPECT_EQ(reg.CloseKey(key), 0u);
    EXPECT_EQ(reg.OpenHandleCount(), 0u);
}

TEST_F(SimRegistryTest, CreateMakesIntermediateKeysAndReportsDisposition) {
    HKey key{};
    Dword disposition = 0;
    ASSERT_EQ(reg.CreateKeyEx(kHkeyLocalMachine, "SOFTWARE\\A\\B\\C", platform::kKeyAllAccess, &key,
                              &disposition),
              0u);
    EXPECT_EQ(disposition, platform::kRegCreatedNewKey);
    EXPECT_TRUE(tree.FindKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\B\\C"));
    HKey again{};  // names ignore case and keep their first spelling
    ASSERT_EQ(reg.CreateKeyEx(kHkeyLocalMachine, "software\\a\\b\\c", platform::kKeyAllAccess, &again,
                              &disposition),
              0u);
    EXPECT_EQ(disposition, platform::kRegOpenedExistingKey);
    EXPECT_EQ(tree.FindKey("HKLM\\SOFTWARE\\A\\B\\C")->name(), "C") << "the first spelling stays";
    reg.CloseKey(key);
    reg.CloseKey(again);
}

TEST_F(SimRegistryTest, CreateRefusesOverlongNameWithoutLeavingParents) {
    const std::string name = "SOFTWARE\\New\\" + std::string(256, 'k');
    HKey key{};
    EXPECT_EQ(reg.CreateKeyEx(kHkeyLocalMachine, name.c_str(), platform::kKeyAllAccess, &key, nullptr),
              platform::kErrorInvalidParameter);
    EXPECT_FALSE(tree.FindKey("HKLM\\SOFTWARE"));
    const std::string longest = "SOFTWARE\\" + std::string(255, 'k');
    EXPECT_EQ(reg.CreateKeyEx(kHkeyLocalMachine, longest.c_str(), platform::kKeyAllAccess, &key, nullptr),
              0u);
    reg.CloseKey(key);
}

TEST_F(SimRegistryTest, BadHandlesAndArguments) {
    HKey key{0x1234};
    EXPECT_EQ(reg.OpenKeyEx(kHkeyLocalMachine, "SOFTWARE\\Absent", platform::kKeyRead, &key), 2u);
    EXPECT_FALSE(key) << "the handle is cleared on failure";
    EXPECT_EQ(reg.OpenKeyEx(HKey{0x4242}, "X", platform::kKeyRead, &key), platform::kErrorInvalidHandle);
    EXPECT_EQ(reg.OpenKeyEx(kHkeyLocalMachine, "X", platform::kKeyRead, nullptr),
              platform::kErrorInvalidParameter);
    EXPECT_EQ(reg.CloseKey(HKey{0x4242}), platform::kErrorInvalidHandle);
    EXPECT_EQ(reg.CloseKey(kHkeyLocalMachine), 0u) << "closing a predefined key is allowed";
    const HKey open = Create("SOFTWARE\\X");
    EXPECT_EQ(reg.CloseKey(open), 0u);
    EXPECT_EQ(reg.CloseKey(open), platform::kErrorInvalidHandle) << "a handle closes once";
    EXPECT_EQ(reg.QueryValueEx(open, "v", nullptr, nullptr, nullptr), platform::kErrorInvalidHandle);
}

struct QueryCase {
    const char* label;
    bool withBuffer;
    Dword capacity;
    Dword result;
    Dword size;
    bool filled;
};

class QueryValueLengths : public SimRegistryTest, public ::testing::WithParamInterface<QueryCase> {};

TEST_P(QueryValueLengths, Protocol) {
    const QueryCase& c = GetParam();
    Put("HKEY_LOCAL_MACHINE\\SOFTWARE\\X", "s", 1, Sz("abcd"));  // 5 bytes
    const HKey key = Open("SOFTWARE\\X", platform::kKeyRead);
    std::uint8_t buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    Dword size = c.capacity;
    Dword type = 99;
    EXPECT_EQ(reg.QueryValueEx(key, "s", &type, c.withBuffer ? buffer : nullptr, &size), c.result);
    EXPECT_EQ(size, c.size);
    EXPECT_EQ(type, 1u) << "the type comes back even when the data does not fit";
    if (c.filled) {
        EXPECT_EQ(std::memcmp(buffer, "abcd", 5), 0);
    } else {
        EXPECT_EQ(buffer[0], '#') << "a buffer that is too small is left alone";
    }
    EXPECT_EQ(buffer[5], '#') << "nothing is written past the data";
    reg.CloseKey(key);
}

INSTANTIATE_TEST_SUITE_P(
    Table, QueryValueLengths,
    ::testing::Values(QueryCase{"size only ignores capacity", false, 1, 0, 5, false},
                      QueryCase{"one short", true, 4, 234, 5, false},
                      QueryCase{"exact", true, 5, 0, 5, true}),
    testing::kNameByLabel);

TEST_F(SimRegistryTest, QueryValueOptionalArgumentsAndAbsence) {
    Put("HKEY_LOCAL_MACHINE\\SOFTWARE\\X", "", 4, {7, 0, 0, 0});
    const HKey key = Open("SOFTWARE\\X", platform::kKeyRead);
    Dword type = 0;
    EXPECT_EQ(reg.QueryValueEx(key, nullptr, &type, nullptr, nullptr), 0u) << "null name: the default value";
    EXPECT_EQ(type, 4u);
    EXPECT_EQ(reg.QueryValueEx(key, "", nullptr, nullptr, nullptr), 0u);
    EXPECT_EQ(reg.QueryValueEx(key, "absent", &type, nullptr, nullptr), 2u);
    std::uint8_t byte = 0;
    EXPECT_EQ(reg.QueryValueEx(key, "", nullptr, &byte, nullptr), platform::kErrorInvalidParameter);
    reg.CloseKey(key);
}

TEST_F(SimRegistryTest, SetValueStoresExactlyTheGivenBytes) {
    const HKey key = Create("SOFTWARE\\X");
    const char text[] = "abc";
    EXPECT_EQ(reg.SetValueEx(key, "with", 1, reinterpret_cast<const std::uint8_t*>(text), 4), 0u);
    EXPECT_EQ(reg.SetValueEx(key, "without", 1, reinterpret_cast<const std::uint8_t*>(text), 3), 0u);
    EXPECT_EQ(reg.SetValueEx(key, "empty", 3, nullptr, 0), 0u);
    EXPECT_EQ(reg.SetValueEx(key, "bad", 3, nullptr, 2), 998u);
    const auto node = tree.FindKey("HKLM\\SOFTWARE\\X");
    EXPECT_EQ(node->FindValue("with")->data, Sz("abc"));
    EXPECT_EQ(node->FindValue("without")->data, (std::vector<std::uint8_t>{'a', 'b', 'c'}));
    EXPECT_TRUE(node->FindValue("empty")->data.empty());
    EXPECT_EQ(node->FindValue("bad"), nullptr);
    reg.CloseKey(key);
}

TEST_F(SimRegistryTest, ValuesKeepTheirPlaceAndSpellingAndDeleteIgnoringCase) {
    const HKey key = Create("SOFTWARE\\X");
    const std::uint8_t one[] = {1, 0, 0, 0};
    for (const char* name : {"First", "Second", "Third"}) reg.SetValueEx(key, name, 4, one, 4);
    const std::uint8_t bytes[] = {0xff};
    EXPECT_EQ(reg.SetValueEx(key, "SECOND", 3, bytes, 1), 0u);
    const auto& values = tree.FindKey("HKLM\\SOFTWARE\\X")->values();
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[1], (RegValue{"Second", 3, {0xff}}));
    EXPECT_EQ(reg.DeleteValue(key, "first"), 0u);
    EXPECT_EQ(reg.DeleteValue(key, "First"), 2u);
    EXPECT_EQ(values.size(), 2u);
    reg.CloseKey(key);
}

TEST_F(SimRegistryTest, DeleteKeyRefusesKeyWithSubkeys) {
    tree.CreateKey("HKLM\\SOFTWARE\\P\\Child");
    EXPECT_EQ(reg.DeleteKey(kHkeyLocalMachine, "SOFTWARE\\P"), platform::kErrorAccessDenied);
    EXPECT_TRUE(tree.FindKey("HKLM\\SOFTWARE\\P\\Child"));
    EXPECT_EQ(reg.DeleteKey(kHkeyLocalMachine, "SOFTWARE\\P\\child"), 0u);
    EXPECT_EQ(reg.DeleteKey(kHkeyLocalMachine, "SOFTWARE\\P"), 0u);
    EXPECT_EQ(reg.DeleteKey(kHkeyLocalMachine, "SOFTWARE\\Nope\\Deeper"), 2u);
    EXPECT_EQ(reg.DeleteKey(kHkeyLocalMachine, nullptr), platform::kErrorInvalidParameter);
}

TEST_F(SimRegistryTest, DeleteTreeRemovesEverything) {
    tree.CreateKey("HKLM\\SOFTWARE\\P\\A\\B")->SetValue("v", 1, Sz("v"));
    tree.CreateKey("HKLM\\SOFTWARE\\P\\C");
    tree.CreateKey("HKLM\\SOFTWARE\\Sibling");
    EXPECT_EQ(reg.DeleteTree(kHkeyLocalMachine, "software\\p"), 0u);
    EXPECT_FALSE(tree.FindKey("HKLM\\SOFTWARE\\P"));
    EXPECT_TRUE(tree.FindKey("HKLM\\SOFTWARE\\Sibling"));
    EXPECT_EQ(reg.DeleteTree(kHkeyLocalMachine, "SOFTWARE\\P"), 2u);
}

TEST_F(SimRegistryTest, DeletingTheHandlesOwnKey) {
    tree.CreateKey("HKLM\\SOFTWARE\\P\\Leaf");
    tree.CreateKey("HKLM\\SOFTWARE\\Q\\Sub");
    const HKey leaf = Open("SOFTWARE\\P\\Leaf");
    EXPECT_EQ(reg.DeleteKey(leaf, ""), 0u);
    EXPECT_FALSE(tree.FindKey("HKLM\\SOFTWARE\\P\\Leaf"));
    const HKey q = Open("SOFTWARE\\Q");
    EXPECT_EQ(reg.DeleteKey(q, ""), platform::kErrorAccessDenied) << "it still has a subkey";
    EXPECT_EQ(reg.DeleteTree(q, ""), 0u);
    EXPECT_FALSE(tree.FindKey("HKLM\\SOFTWARE\\Q"));
    EXPECT_EQ(reg.DeleteTree(kHkeyLocalMachine, ""), platform::kErrorAccessDenied) << "roots stay";
    EXPECT_EQ(reg.DeleteKey(kHkeyLocalMachine, ""), platform::kErrorAccessDenied);
    const HKey root = Open("");
    EXPECT_EQ(reg.DeleteTree(root, ""), platform::kErrorAccessDenied) << "also through a handle";
    EXPECT_TRUE(tree.FindKey("HKLM\\SOFTWARE"));
    for (const HKey key : {leaf, q, root}) reg.CloseKey(key);
}

TEST_F(SimRegistryTest, HandleToDeletedKeyFailsWithKeyDeleted) {
    Put("HKEY_LOCAL_MACHINE\\SOFTWARE\\P\\Child", "v", 1, Sz("v"));
    const HKey child = Open("SOFTWARE\\P\\Child");
    ASSERT_EQ(reg.DeleteTree(kHkeyLocalMachine, "SOFTWARE\\P"), 0u);
    tree.CreateKey("HKLM\\SOFTWARE\\P\\Child")->SetValue("v", 1, Sz("new"));  // same name again
    Dword size = 0;
    char name[8];
    Dword cch = sizeof name;
    HKey sub{};
    const std::uint8_t byte = 1;
    EXPECT_EQ(reg.QueryValueEx(child, "v", nullptr, nullptr, &size), kErrorKeyDeleted);
    EXPECT_EQ(reg.SetValueEx(child, "v", 3, &byte, 1), kErrorKeyDeleted);
    EXPECT_EQ(reg.DeleteValue(child, "v"), kErrorKeyDeleted);
    EXPECT_EQ(reg.EnumKeyEx(child, 0, name, &cch), kErrorKeyDeleted);
    EXPECT_EQ(reg.EnumValue(child, 0, name, &cch, nullptr, nullptr, nullptr), kErrorKeyDeleted);
    EXPECT_EQ(reg.QueryInfoKey(child, nullptr, nullptr, nullptr, nullptr, nullptr), kErrorKeyDeleted);
    EXPECT_EQ(reg.OpenKeyEx(child, "", platform::kKeyRead, &sub), kErrorKeyDeleted);
    EXPECT_EQ(reg.CreateKeyEx(child, "x", platform::kKeyRead, &sub, nullptr), kErrorKeyDeleted);
    EXPECT_EQ(reg.DeleteKey(child, "x"), kErrorKeyDeleted);
    EXPECT_EQ(reg.DeleteTree(child, ""), kErrorKeyDeleted);
    EXPECT_EQ(tree.FindKey("HKLM\\SOFTWARE\\P\\Child")->FindValue("v")->data, Sz("new"));
    EXPECT_EQ(reg.CloseKey(child), 0u) << "closing still works";
    EXPECT_EQ(reg.OpenHandleCount(), 0u);
}

TEST_F(SimRegistryTest, SubkeysEnumerateInWindowsOrder) {
    // Windows compares upper-cased names: "_" (0x5F) sorts after "Z" (0x5A)
    // but before lower-case letters would, had they not been folded.
    for (const char* name : {"b", "_x", "Z", "a", "B2", "[", "a1"}) tree.CreateKey(std::string("HKLM\\S\\") + name);
    const HKey key = Open("S", platform::kKeyRead);
    std::vector<std::string> names;
    char name[8];
    for (Dword i = 0;; ++i) {
        Dword cch = sizeof name;
        const Dword result = reg.EnumKeyEx(key, i, name, &cch);
        if (result == platform::kErrorNoMoreItems) break;
        ASSERT_EQ(result, 0u);
        EXPECT_EQ(cch, std::strlen(name));
        names.emplace_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"a", "a1", "b", "B2", "Z", "[", "_x"}));
    reg.CloseKey(key);
}

TEST_F(SimRegistryTest, EnumerationFollowsChangesBetweenCalls) {
    for (const char* name : {"a", "b", "c", "d"}) tree.CreateKey(std::string("HKLM\\S\\") + name);
    const HKey key = Open("S");
    char name[8];
    Dword cch = sizeof name;
    ASSERT_EQ(reg.EnumKeyEx(key, 1, name, &cch), 0u);
    EXPECT_STREQ(name, "b");
    tree.CreateKey("HKLM\\S\\a0");
    cch = sizeof name;
    ASSERT_EQ(reg.EnumKeyEx(key, 2, name, &cch), 0u);
    EXPECT_STREQ(name, "b") << "a new key moves the others along";
    // The usual removal loop: always delete index 0 until none is left.
    int removed = 0;
    while (true) {
        cch = sizeof name;
        if (reg.EnumKeyEx(key, 0, name, &cch) != 0) break;
        ASSERT_EQ(reg.DeleteKey(key, name), 0u);
        ++removed;
    }
    EXPECT_EQ(removed, 5);
    reg.CloseKey(key);
}

// Key and value names count the terminator: one byte short is refused and
// leaves the buffer and its size alone.
TEST_F(SimRegistryTest, EnumNamesNeedRoomForTheTerminator) {
    tree.CreateKey("HKLM\\S\\abcd");
    Put("HKEY_LOCAL_MACHINE\\S", "abcd", 4, {1, 0, 0, 0});
    const HKey key = Open("S", platform::kKeyRead);
    for (const bool values : {false, true}) {
        SCOPED_TRACE(values ? "value" : "key");
        for (const Dword capacity : {4u, 5u}) {
            char name[16];
            std::memset(name, '#', sizeof name);
            Dword cch = capacity;
            Dword size = 0;
            EXPECT_EQ(values ? reg.EnumValue(key, 0, name, &cch, nullptr, nullptr, &size)
                             : reg.EnumKeyEx(key, 0, name, &cch),
                      capacity == 5 ? 0u : 234u);
            if (capacity == 5) {
                EXPECT_STREQ(name, "abcd");
                EXPECT_EQ(cch, 4u);
                EXPECT_EQ(size, values ? 4u : 0u);
            } else {
                EXPECT_EQ(cch, capacity) << "left as it was";
                EXPECT_EQ(name[0], '#');
            }
        }
    }
    reg.CloseKey(key);
}

TEST_F(SimRegistryTest, EnumValueDataBuffer) {
    Put("HKEY_LOCAL_MACHINE\\S", "first", 1, Sz("xyz"));
    Put("HKEY_LOCAL_MACHINE\\S", "second", 3, {});
    const HKey key = Open("S", platform::kKeyRead);
    char name[16];
    std::uint8_t data[8];
    std::memset(data, '#', sizeof data);
    Dword cch = sizeof name;
    Dword size = 3;  // one short
    Dword type = 0;
    EXPECT_EQ(reg.EnumValue(key, 0, name, &cch, &type, data, &size), 234u);
    EXPECT_EQ(size, 4u) << "the needed size";
    EXPECT_EQ(type, 1u);
    EXPECT_EQ(data[0], '#');
    cch = sizeof name;
    EXPECT_EQ(reg.EnumValue(key, 0, name, &cch, &type, data, &size), 0u);
    EXPECT_EQ(std::memcmp(data, "xyz", 4), 0);
    cch = sizeof name;
    size = 0;
    EXPECT_EQ(reg.EnumValue(key, 1, name, &cch, &type, data, &size), 0u) << "empty data fits anything";
    EXPECT_EQ(size, 0u);
    EXPECT_STREQ(name, "second");
    cch = sizeof name;
    EXPECT_EQ(reg.EnumValue(key, 2, name, &cch, nullptr, nullptr, nullptr), platform::kErrorNoMoreItems);
    reg.CloseKey(key);
}

TEST_F(SimRegistryTest, ValuesEnumerateInCreationOrder) {
    for (const char* name : {"z", "A", "m", ""}) Put("HKEY_CURRENT_USER\\K", name, 4, {0, 0, 0, 0});
    tree.FindKey("HKCU\\K")->DeleteValue("A");
    Put("HKEY_CURRENT_USER\\K", "a", 4, {0, 0, 0, 0});
    const HKey key = Open("K", platform::kKeyRead, kHkeyCurrentUser);
    std::vector<std::string> names;
    char name[8];
    for (Dword i = 0;; ++i) {
        Dword cch = sizeof name;
        if (reg.EnumValue(key, i, name, &cch, nullptr, nullptr, nullptr) != 0) break;
        names.emplace_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"z", "m", "", "a"}));
    reg.CloseKey(key);
}

TEST_F(SimRegistryTest, QueryInfoKeyCountsAndLongest) {
    tree.CreateKey("HKLM\\S\\short");
    tree.CreateKey("HKLM\\S\\muchlonger");
    Put("HKEY_LOCAL_MACHINE\\S", "n", 3, std::vector<std::uint8_t>(300));
    Put("HKEY_LOCAL_MACHINE\\S", "longername", 1, Sz("x"));
    const HKey key = Open("S", platform::kKeyRead);
    Dword subKeys = 99, maxSub = 99, values = 99, maxName = 99, maxData = 99;
    EXPECT_EQ(reg.QueryInfoKey(key, &subKeys, &maxSub, &values, &maxName, &maxData), 0u);
    EXPECT_EQ(std::tuple(subKeys, maxSub, values, maxName, maxData), std::tuple(2u, 10u, 2u, 10u, 300u));
    EXPECT_EQ(reg.QueryInfoKey(key, &subKeys, nullptr, nullptr, nullptr, nullptr), 0u);
    const HKey empty = Create("S\\short");
    EXPECT_EQ(reg.QueryInfoKey(empty, &subKeys, &maxSub, &values, &maxName, &maxData), 0u);
    EXPECT_EQ(subKeys + maxSub + values + maxName + maxData, 0u);
    reg.CloseKey(key);
    reg.CloseKey(empty);
}

TEST_F(SimRegistryTest, ReadOnlyHandleRefusesWrites) {
    Put("HKEY_LOCAL_MACHINE\\SOFTWARE\\X", "v", 1, Sz("v"));
    tree.CreateKey("HKLM\\SOFTWARE\\X\\Existing");
    const RegistryTree before = tree;
    for (const Dword access : {platform::kKeyRead, kGenericRead, platform::kKeyQueryValue}) {
        const HKey key = Open("SOFTWARE\\X", access);
        const std::uint8_t byte = 1;
        HKey sub{};
        Dword disposition = 0;
        EXPECT_EQ(reg.SetValueEx(key, "v", 3, &byte, 1), 5u);
        EXPECT_EQ(reg.SetValueEx(key, "new", 3, &byte, 1), 5u);
        EXPECT_EQ(reg.DeleteValue(key, "v"), 5u);
        EXPECT_EQ(reg.CreateKeyEx(key, "New", platform::kKeyAllAccess, &sub, nullptr), 5u);
        EXPECT_EQ(reg.QueryValueEx(key, "v", nullptr, nullptr, nullptr), 0u);
        // Opening an existing key through it needs no right on the parent.
        ASSERT_EQ(reg.CreateKeyEx(key, "Existing", platform::kKeyRead, &sub, &disposition), 0u);
        EXPECT_EQ(disposition, platform::kRegOpenedExistingKey);
        reg.CloseKey(sub);
        reg.CloseKey(key);
    }
    EXPECT_TRUE(tree == before);
}

TEST_F(SimRegistryTest, DeletingASubkeyDoesNotDependOnTheParentHandlesAccess) {
    // RegDeleteKeyA opens the subkey for deletion itself, as Windows does.
    tree.CreateKey("HKLM\\SOFTWARE\\X\\One");
    tree.CreateKey("HKLM\\SOFTWARE\\X\\Two\\Deep");
    const HKey key = Open("SOFTWARE\\X", platform::kKeyRead);
    EXPECT_EQ(reg.DeleteKey(key, "One"), 0u);
    EXPECT_EQ(reg.DeleteTree(key, "Two"), 0u);
    EXPECT_EQ(tree.FindKey("HKLM\\SOFTWARE\\X")->subkeys().size(), 0u);
    reg.CloseKey(key);
}

TEST_F(SimRegistryTest, EachRightAllowsItsOwnCalls) {
    Put("HKEY_LOCAL_MACHINE\\SOFTWARE\\X", "v", 1, Sz("v"));
    tree.CreateKey("HKLM\\SOFTWARE\\X\\Sub");
    const std::uint8_t byte = 1;
    char name[8];
    Dword cch = sizeof name;

    const HKey setOnly = Open("SOFTWARE\\X", platform::kKeySetValue);
    EXPECT_EQ(reg.SetValueEx(setOnly, "w", 3, &byte, 1), 0u);
    EXPECT_EQ(reg.DeleteValue(setOnly, "w"), 0u);
    EXPECT_EQ(reg.QueryValueEx(setOnly, "v", nullptr, nullptr, nullptr), 5u);
    EXPECT_EQ(reg.EnumValue(setOnly, 0, name, &cch, nullptr, nullptr, nullptr), 5u);
    EXPECT_EQ(reg.QueryInfoKey(setOnly, nullptr, nullptr, nullptr, nullptr, nullptr), 5u);
    EXPECT_EQ(reg.EnumKeyEx(setOnly, 0, name, &cch), 5u);

    const HKey queryOnly = Open("SOFTWARE\\X", platform::kKeyQueryValue);
    EXPECT_EQ(reg.EnumKeyEx(queryOnly, 0, name, &cch), 5u) << "listing subkeys is a right of its own";
    const HKey enumOnly = Open("SOFTWARE\\X", kKeyEnumerateSubKeys);
    cch = sizeof name;
    EXPECT_EQ(reg.EnumKeyEx(enumOnly, 0, name, &cch), 0u);

    HKey sub{};
    const HKey createOnly = Open("SOFTWARE\\X", kKeyCreateSubKey);
    EXPECT_EQ(reg.CreateKeyEx(createOnly, "New", platform::kKeyRead, &sub, nullptr), 0u);
    reg.CloseKey(sub);
    EXPECT_EQ(reg.DeleteKey(createOnly, "New"), 0u);
    const HKey deleteOnly = Open("SOFTWARE\\X", kDelete);
    EXPECT_EQ(reg.DeleteTree(deleteOnly, "Sub"), 0u);
    EXPECT_EQ(reg.DeleteTree(createOnly, ""), 5u) << "deleting the key itself needs DELETE";
    const HKey writeKey = Open("SOFTWARE\\X", platform::kKeyWrite);
    EXPECT_EQ(reg.SetValueEx(writeKey, "w", 3, &byte, 1), 0u);
    EXPECT_EQ(reg.DeleteTree(deleteOnly, ""), 0u);
    for (const HKey key : {setOnly, queryOnly, enumOnly, createOnly, deleteOnly, writeKey}) reg.CloseKey(key);
}

// Faults match the subject the trace shows: key calls name the key they act
// on, value calls "KEY\value".
TEST_F(SimRegistryTest, TraceRecordsEveryCallWithItsSubject) {
    tree.CreateKey("HKLM\\SOFTWARE\\Old");
    HKey key{};
    char name[8];
    Dword cch = sizeof name;
    const std::uint8_t byte = 1;
    reg.OpenKeyEx(kHkeyLocalMachine, "SOFTWARE\\Absent", platform::kKeyRead, &key);
    reg.CreateKeyEx(kHkeyCurrentUser, "Software\\\\VeltraAgentUpgrade\\", platform::kKeyAllAccess, &key, nullptr);
    reg.SetValueEx(key, "Flag", 3, &byte, 1);
    reg.QueryValueEx(key, nullptr, nullptr, nullptr, nullptr);
    reg.DeleteValue(key, "Flag");
    reg.EnumKeyEx(key, 0, name, &cch);
    reg.EnumValue(key, 0, name, &cch, nullptr, nullptr, nullptr);
    reg.QueryInfoKey(key, nullptr, nullptr, nullptr, nullptr, nullptr);
    reg.CloseKey(key);
    reg.DeleteKey(kHkeyLocalMachine, "SOFTWARE\\Old");
    reg.DeleteTree(kHkeyLocalMachine, "SOFTWARE\\Old");
    const std::string upgrade = "HKEY_CURRENT_USER\\Software\\VeltraAgentUpgrade";
    const std::vector<std::tuple<std::string, std::string, Dword>> expected = {
        {"RegOpenKeyExA", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Absent", 2},
        {"RegCreateKeyExA", upgrade, 0},
        {"RegSetValueExA", upgrade + "\\Flag", 0},
        {"RegQueryValueExA", upgrade + "\\", 2},
        {"RegDeleteValueA", upgrade + "\\Flag", 0},
        {"RegEnumKeyExA", upgrade, platform::kErrorNoMoreItems},
        {"RegEnumValueA", upgrade, platform::kErrorNoMoreItems},
        {"RegQueryInfoKeyA", upgrade, 0},
        {"RegCloseKey", upgrade, 0},
        {"RegDeleteKeyA", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Old", 0},
        {"SHDeleteKeyA", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Old", 2},
    };
    std::vector<std::tuple<std::string, std::string, Dword>> actual;
    for (const auto& line : trace.lines()) actual.emplace_back(line.operation, line.subject, line.result);
    EXPECT_EQ(actual, expected);
}

TEST_F(SimRegistryTest, OwnersCloseWhatTheyOpened) {
    tree.CreateKey("HKLM\\SOFTWARE\\X");
    {
        platform::RegKey owner(reg);
        ASSERT_EQ(reg.OpenKeyEx(kHkeyLocalMachine, "SOFTWARE\\X", platform::kKeyAllAccess, owner.put()), 0u);
        platform::RegKey second(reg);
        ASSERT_EQ(reg.CreateKeyEx(owner.get(), "Y", platform::kKeyAllAccess, second.put(), nullptr), 0u);
        EXPECT_EQ(reg.OpenHandleCount(), 2u);
        ASSERT_EQ(reg.OpenKeyEx(kHkeyLocalMachine, "SOFTWARE", platform::kKeyRead, second.put()), 0u);
        EXPECT_EQ(reg.OpenHandleCount(), 2u) << "put() closes the key it held";
    }
    EXPECT_EQ(reg.OpenHandleCount(), 0u);
}

TEST_F(SimRegistryTest, HandlesAreNotReusedAndStayOutOfThePredefinedRange) {
    tree.CreateKey("HKLM\\SOFTWARE");
    std::vector<std::uintptr_t> seen;
    for (int i = 0; i < 50; ++i) {
        const HKey key = Open("SOFTWARE");
        EXPECT_FALSE(platform::IsPredefinedKey(key));
        EXPECT_EQ(std::count(seen.begin(), seen.end(), key.value), 0);
        seen.push_back(key.value);
        reg.CloseKey(key);
    }
}

}  // namespace
}  // namespace veltra::sim
