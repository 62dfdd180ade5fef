// Linking the agent GINA in at the end of the chain and taking it out again,
// without the dialogs: results, reported names and the registry after.
#include <gtest/gtest.h>

#include "gina/gina_chain.h"
#include "gina_fixture.h"

namespace veltra::testing {
namespace {

using gina::NameBuffer;
using platform::Dword;

class SetAgentGinaInChainTest : public GinaFixture {
protected:
    Dword Enable(NameBuffer* name = nullptr, bool force = false) {
        return gina::SetAgentGinaInChain(Ports(), true, name, force, kAgentGina);
    }
    Dword Disable(NameBuffer* name = nullptr) {
        return gina::SetAgentGinaInChain(Ports(), false, name, false, "");
    }
};

TEST_F(SetAgentGinaInChainTest, AnEmptyChainGetsTheAgentGinaFromWinlogon) {
    NameBuffer name;
    EXPECT_EQ(Enable(&name), 0u);
    EXPECT_EQ(Winlogon("GinaDLL"), kAgentGina);
    EXPECT_EQ(name.text, "");
    EXPECT_EQ(name.capacity, 0u);
    EXPECT_FALSE(Winlogon("KVSupercededGina"));
}

TEST_F(SetAgentGinaInChainTest, TheAgentGinaFollowsTheLastChainingProduct) {
    PutSystemFile("ctxgina.dll");
    SetString(kWinlogon, "GinaDLL", "ctxgina.dll");
    SetString(kWinlogon, "CtxGinaDLL", "msgina.dll");
    NameBuffer name;
    EXPECT_EQ(Enable(&name), 0u);
    EXPECT_EQ(Winlogon("CtxGinaDLL"), kAgentGina);
    EXPECT_EQ(Winlogon("GinaDLL"), "ctxgina.dll");
    // The name reported is the GINA the agent GINA took the place of.
    EXPECT_EQ(name.text, "msgina.dll");
    EXPECT_EQ(name.capacity, 10u);
}

TEST_F(SetAgentGinaInChainTest, EnablingTwiceChangesNothingMore) {
    InstallChainingProducts();
    ASSERT_EQ(Enable(), 0u);
    const sim::RegistryTree once = machine.registry;
    EXPECT_EQ(Enable(), 0u);
    EXPECT_TRUE(machine.registry == once);
}

TEST_F(SetAgentGinaInChainTest, AnotherProductsGinaAtTheEndIsAConflict) {
    PutFile("C:\\Program Files\\Other\\othergina.dll");
    SetString(kWinlogon, "GinaDLL", "C:\\Program Files\\Other\\othergina.dll");
    const sim::RegistryTree before = machine.registry;
    NameBuffer name;
    EXPECT_EQ(Enable(&name), gina::kGinaConflict);
    // Reported as the chain stores it, path and all.
    EXPECT_EQ(name.text, "C:\\Program Files\\Other\\othergina.dll");
    EXPECT_EQ(name.capacity, name.text.size());
    EXPECT_TRUE(machine.registry == before);
}

TEST_F(SetAgentGinaInChainTest, ForceDisplacesTheOtherGinaAndDisablingPutsItBack) {
    PutSystemFile("othergina.dll");
    SetString(kWinlogon, "GinaDLL", "othergina.dll");
    NameBuffer name;
    EXPECT_EQ(Enable(&name, true), 0u);
    EXPECT_EQ(Winlogon("GinaDLL"), kAgentGina);
    EXPECT_EQ(Winlogon("KVSupercededGina"), "othergina.dll");
    EXPECT_EQ(name.text, "othergina.dll");

    EXPECT_EQ(Disable(), 0u);
    EXPECT_EQ(Winlogon("GinaDLL"), "othergina.dll");
    EXPECT_FALSE(Winlogon("KVSupercededGina"));
}

TEST_F(SetAgentGinaInChainTest, ADisplacedGinaWhoseFileIsGoneIsForgotten) {
    PutSystemFile("othergina.dll");
    SetString(kWinlogon, "GinaDLL", "othergina.dll");
    ASSERT_EQ(Enable(nullptr, true), 0u);
    ASSERT_TRUE(Ports().files.DeleteFile("C:\\WINDOWS\\system32\\othergina.dll"));

    EXPECT_EQ(Disable(), 0u);
    EXPECT_FALSE(Winlogon("GinaDLL"));
    EXPECT_FALSE(Winlogon("KVSupercededGina"));
}

TEST_F(SetAgentGinaInChainTest, TheLegacyAgentGinaIsReplacedWithoutAskingAndRemembered) {
    for (const char* legacy : {"kvgina.dll", "C:\\WINDOWS\\system32\\KVGINA.DLL"}) {
        SCOPED_TRACE(legacy);
        PutSystemFile("kvgina.dll");
        SetString(kWinlogon, "GinaDLL", legacy);
        EXPECT_EQ(Enable(), 0u);
        EXPECT_EQ(Winlogon("GinaDLL"), kAgentGina);
        EXPECT_EQ(Winlogon("KVSupercededGina"), "kvgina.dll");

        EXPECT_EQ(Disable(), 0u);
        EXPECT_EQ(Winlogon("GinaDLL"), "kvgina.dll");
        EXPECT_FALSE(Winlogon("KVSupercededGina"));
    }
}

TEST_F(SetAgentGinaInChainTest, TheGinasAcceptedAtTheEndAreFollowedWithoutAsking) {
    for (const char* accepted : {"msgina.dll", "MSGINA", "KeshGina", "keshgina.DLL"}) {
        SCOPED_TRACE(accepted);
        PutSystemFile(accepted);
        SetString(kWinlogon, "GinaDLL", accepted);
        EXPECT_EQ(Enable(), 0u);
        EXPECT_EQ(Winlogon("GinaDLL"), kAgentGina);
        EXPECT_FALSE(Winlogon("KVSupercededGina"));
    }
}

TEST_F(SetAgentGinaInChainTest, ALinkThatCannotBeWrittenIsAConflictAtTheInsertionPoint) {
    PutSystemFile("NnGina.dll");
    SetString(kWinlogon, "GinaDLL", "NnGina.dll");
    SetString(kNortel, "NextGinaToChain", "msgina.dll");
    Fail(std::string("RegSetValueExA:") + kNortel + "\\NextGinaToChain=5");
    NameBuffer name;
    EXPECT_EQ(Enable(&name), gina::kGinaConflict);
    EXPECT_EQ(name.text, "NnGina.dll");
    EXPECT_EQ(GetString(kNortel, "NextGinaToChain"), "msgina.dll");
}

TEST_F(SetAgentGinaInChainTest, AProductWhoseKeyIsGoneCannotTakeTheAgentGina) {
    PutSystemFile("awgina.dll");
    SetString(kWinlogon, "GinaDLL", "awgina.dll");
    NameBuffer name;
    EXPECT_EQ(Enable(&name), gina::kGinaConflict);
    EXPECT_EQ(name.text, "awgina.dll");
    EXPECT_FALSE(KeyExists(kPcAnywhere));
}

TEST_F(SetAgentGinaInChainTest, AWinlogonKeyThatCannotBeReadFailsWithItsError) {
    Fail(std::string("RegOpenKeyExA:") + kWinlogon + "=5");
    NameBuffer name;
    EXPECT_EQ(Enable(&name), 5u);
    EXPECT_EQ(Disable(&name), 5u);
}

// --- taking the agent GINA out ----------------------------------------------

TEST_F(SetAgentGinaInChainTest, DisablingUnlinksTheAgentGinaFromTheLastProduct) {
    InstallChainingProducts(kAgentGina);
    NameBuffer name;
    EXPECT_EQ(Disable(&name), 0u);
    EXPECT_FALSE(GetValue(kNortel, "NextGinaToChain"));
    EXPECT_EQ(Winlogon("OdysseyPreviousGinaDLL"), "NnGina.dll");
    // Disabling reports the GINA the walk ended at.
    EXPECT_EQ(name.text, "KeshGina.dll");
}

TEST_F(SetAgentGinaInChainTest, DisablingLeavesAChainThatDoesNotEndAtTheAgentGina) {
    PutSystemFile("othergina.dll");
    SetString(kWinlogon, "GinaDLL", "othergina.dll");
    SetString(kWinlogon, "KVSupercededGina", "msgina.dll");
    const sim::RegistryTree before = machine.registry;
    EXPECT_EQ(Disable(), 0u);
    EXPECT_TRUE(machine.registry == before);
}

TEST_F(SetAgentGinaInChainTest, DisablingALoadedAgentGinaUnlinksItAndSaysItIsStillLoaded) {
    SetString(kWinlogon, "GinaDLL", kAgentGina);
    LoadAgentGina();
    EXPECT_EQ(Disable(), gina::kGinaStillLoaded);
    EXPECT_FALSE(Winlogon("GinaDLL"));
    EXPECT_TRUE(machine.mutexes.contains(kLoadedMutex)) << "the agent GINA's mutex is not ours";
}

TEST_F(SetAgentGinaInChainTest, AnUnlinkThatFailedIsReportedEvenWhenTheAgentGinaIsLoaded) {
    SetString(kWinlogon, "GinaDLL", kAgentGina);
    LoadAgentGina();
    Fail(std::string("RegDeleteValueA:") + kWinlogon + "\\GinaDLL=5");
    EXPECT_EQ(Disable(), 5u);
    EXPECT_EQ(Winlogon("GinaDLL"), kAgentGina);
}

// --- the name buffer ----------------------------------------------------------

// The conflict over "C:\Apps\othergina.dll" reports, in turn, the identity of
// the last GINA ("othergina.dll", 13), the same for the last existing GINA,
// then the whole stored string (21). Each report is copied only when it fits.
TEST_F(SetAgentGinaInChainTest, TheNameBufferTakesOnlyReportsThatFit) {
    struct Case {
        std::size_t capacity;
        std::string text;
        std::size_t capacityAfter;
    };
    const Case cases[] = {
        {0, "", 0},
        {1, "", 0},
        {13, "", 0},
        {14, "othergina.dll", 13},
        {21, "othergina.dll", 13},
        {22, "C:\\Apps\\othergina.dll", 21},
        {260, "C:\\Apps\\othergina.dll", 21},
    };
    PutFile("C:\\Apps\\othergina.dll");
    SetString(kWinlogon, "GinaDLL", "C:\\Apps\\othergina.dll");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.capacity);
        NameBuffer name{"stale", c.capacity};
        EXPECT_EQ(Enable(&name), gina::kGinaConflict);
        EXPECT_EQ(name.text, c.text);
        EXPECT_EQ(name.capacity, c.capacityAfter);
    }
    EXPECT_EQ(Enable(nullptr), gina::kGinaConflict);
}

// --- SetAgentGina: the agent GINA of this installation ------------------------

TEST_F(SetAgentGinaInChainTest, SetAgentGinaLinksTheInstalledAgentGina) {
    SetString(kAgentCommon, "InstallPath", kInstallDir);
    EXPECT_EQ(gina::SetAgentGina(Ports(), true, nullptr, false), 0u);
    EXPECT_EQ(Winlogon("GinaDLL"), kAgentGina);
    EXPECT_TRUE(gina::IsAgentGinaChained(Ports()));
    EXPECT_EQ(gina::SetAgentGina(Ports(), false, nullptr, false), 0u);
    EXPECT_FALSE(Winlogon("GinaDLL"));
}

TEST_F(SetAgentGinaInChainTest, SetAgentGinaFallsBackToTheBareNameWithoutAnInstalledFile) {
    const std::string longFolder = "C:\\" + std::string(250, 'f') + "\\";
    PutFile(longFolder + "KeshGina.dll");  // fits no 260-byte path
    const std::string installPaths[] = {"C:\\Elsewhere\\", longFolder};
    for (const std::string& installPath : installPaths) {
        SCOPED_TRACE(installPath);
        SetString(kAgentCommon, "InstallPath", installPath);
        EXPECT_EQ(gina::SetAgentGina(Ports(), true, nullptr, false), 0u);
        EXPECT_EQ(Winlogon("GinaDLL"), "KeshGina.dll");
    }
    machine.registry.DeleteKeyTree(kAgentCommon);
    EXPECT_EQ(gina::SetAgentGina(Ports(), true, nullptr, false), 0u);
    EXPECT_EQ(Winlogon("GinaDLL"), "KeshGina.dll");
}

}  // namespace
}  // namespace veltra::testing
