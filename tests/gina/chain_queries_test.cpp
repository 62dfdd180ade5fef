// The small questions other parts of the installation ask about the chain.
#include <gtest/gtest.h>

#include "gina/gina_chain.h"
#include "gina_fixture.h"

namespace veltra::testing {
namespace {

using gina::NameBuffer;

class ChainQueriesTest : public GinaFixture {};

// ReadWinlogonGinaDll wants the stored bytes with one to spare, and reports
// the stored byte count, terminator included.
TEST_F(ChainQueriesTest, ReadWinlogonGinaDllCopiesOnlyWhatFitsWithRoomToSpare) {
    struct Case {
        std::string value;  // "" absent
        std::size_t capacity;
        platform::Dword result;
        std::string text;
        std::size_t capacityAfter;
    };
    const Case cases[] = {
        {"", 260, platform::kErrorFileNotFound, "", 0},
        {std::string(260, 'g'), 300, platform::kErrorMoreData, "", 0},  // past the 260-byte read
        {"ctxgina.dll", 12, gina::kGinaNameTooSmall, "", 0},            // exactly the 12 stored bytes
        {"ctxgina.dll", 13, 0, "ctxgina.dll", 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.capacity);
        machine.registry.FindKey(kWinlogon)->DeleteValue("GinaDLL");
        if (!c.value.empty()) SetString(kWinlogon, "GinaDLL", c.value);
        NameBuffer buffer{"stale", c.capacity};
        EXPECT_EQ(gina::ReadWinlogonGinaDll(Registry(), &buffer), c.result);
        EXPECT_EQ(buffer.text, c.text);
        EXPECT_EQ(buffer.capacity, c.capacityAfter);
    }
    EXPECT_EQ(gina::ReadWinlogonGinaDll(Registry(), nullptr), gina::kGinaNameTooSmall);
}

TEST_F(ChainQueriesTest, RemoveLegacyGinaValuesDeletesOnlyTheLegacyAgentsGina) {
    struct Case {
        std::string value;
        bool deleted;
    };
    const Case cases[] = {
        {"KVGINA", true},
        {"C:\\WINDOWS\\system32\\KvGina.dll", true},
        {"kvgina2.dll", false},
        {"C:\\kvgina.dll\\other.dll", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        for (const char* name : {"GinaDLL", "KVSupercededGina"}) {
            SetString(kWinlogon, name, c.value);
        }
        gina::RemoveLegacyGinaValues(Registry(), Ports().system);
        for (const char* name : {"GinaDLL", "KVSupercededGina"}) {
            EXPECT_EQ(Winlogon(name).has_value(), !c.deleted) << name;
        }
    }
}

TEST_F(ChainQueriesTest, RemoveLegacyGinaValuesLeavesTheOtherValueAlone) {
    SetString(kWinlogon, "GinaDLL", kAgentGina);
    SetString(kWinlogon, "KVSupercededGina", "kvgina.dll");
    gina::RemoveLegacyGinaValues(Registry(), Ports().system);
    EXPECT_EQ(Winlogon("GinaDLL"), kAgentGina);
    EXPECT_FALSE(Winlogon("KVSupercededGina"));

    machine.registry.DeleteKeyTree(kWinlogon);
    gina::RemoveLegacyGinaValues(Registry(), Ports().system);
    EXPECT_FALSE(KeyExists(kWinlogon));
}

// Chained when it is the last existing GINA; a chain ending at an agent GINA
// whose file is gone is not, and its link is reset.
TEST_F(ChainQueriesTest, TheAgentGinaIsChainedWhenItIsTheLastExistingGina) {
    EXPECT_FALSE(gina::IsAgentGinaChained(Ports()));
    SetString(kWinlogon, "GinaDLL", kAgentGina);
    EXPECT_TRUE(gina::IsAgentGinaChained(Ports()));
    InstallChainingProducts(kAgentGina);
    EXPECT_TRUE(gina::IsAgentGinaChained(Ports()));
    InstallChainingProducts("msgina.dll");
    EXPECT_FALSE(gina::IsAgentGinaChained(Ports()));
    InstallChainingProducts("C:\\Gone\\KeshGina.dll");
    EXPECT_FALSE(gina::IsAgentGinaChained(Ports()));
    EXPECT_FALSE(GetValue(kNortel, "NextGinaToChain"));
}

}  // namespace
}  // namespace veltra::testing
