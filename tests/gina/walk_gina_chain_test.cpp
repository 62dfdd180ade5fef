// The walk from Winlogon to the end of the chain, and the repairs it makes
// on the way.
#include <gtest/gtest.h>

#include "gina/chain_walk.h"
#include "gina_fixture.h"

namespace veltra::testing {
namespace {

class WalkGinaChainTest : public GinaFixture {
protected:
    gina::GinaChainWalk Walk() { return gina::WalkGinaChain(Ports()); }

    void RemoveFile(const std::string& path) {
        ASSERT_TRUE(Ports().files.DeleteFile(path.c_str()));
    }
};

struct Expected {
    platform::Dword status;
    std::string last;
    std::string lastExisting;
    std::string insertionPoint;
    bool exists;
    bool known;
};

void ExpectWalk(const gina::GinaChainWalk& walk, const Expected& expected) {
    EXPECT_EQ(walk.status, expected.status);
    EXPECT_EQ(walk.last, expected.last);
    EXPECT_EQ(walk.lastExisting, expected.lastExisting);
    EXPECT_EQ(walk.insertionPoint, expected.insertionPoint);
    EXPECT_EQ(walk.exists, expected.exists);
    EXPECT_EQ(walk.known, expected.known);
}

TEST_F(WalkGinaChainTest, WithoutGinaDllTheChainIsWinlogonAlone) {
    ExpectWalk(Walk(), {0, "", "", "", true, true});
}

TEST_F(WalkGinaChainTest, FollowsEveryChainingProductToMicrosoftsGina) {
    InstallChainingProducts();
    const sim::RegistryTree before = machine.registry;
    ExpectWalk(Walk(), {0, "msgina.dll", "msgina.dll", "NnGina.dll", true, false});
    EXPECT_TRUE(machine.registry == before) << "a sound chain needs no repair";
}

TEST_F(WalkGinaChainTest, LinksPastProductsWhoseGinaFileIsGone) {
    InstallChainingProducts();
    RemoveFile(kCiscoGina);
    RemoveFile(std::string(kSystem32) + "odyGina.dll");

    ExpectWalk(Walk(), {0, "msgina.dll", "msgina.dll", "NnGina.dll", true, false});

    // Each existing GINA now names the next existing one.
    EXPECT_EQ(Winlogon("GinaDLL"), "awgina.dll");
    EXPECT_EQ(GetString(kPcAnywhere, "GinaDLL"), "ctxgina.dll");
    EXPECT_EQ(Winlogon("CtxGinaDLL"), "ckpginashim.dll");
    EXPECT_EQ(GetString(kCheckPoint, "ThirdPartyGina"), "NnGina.dll");
    EXPECT_EQ(GetDword(kCheckPoint, "Support3rdPartyGina"), 1u);
    EXPECT_EQ(GetString(kNortel, "NextGinaToChain"), "msgina.dll");
    // The products that are gone have their own defaults back.
    EXPECT_EQ(GetString(kCisco, "PreviousGinaPath"), "MSGina.dll");
    EXPECT_EQ(GetDword(kCisco, "GinaInstalled"), 1u);
    EXPECT_FALSE(Winlogon("OdysseyPreviousGinaDLL"));

    // The repaired chain needs no second repair.
    const sim::RegistryTree repaired = machine.registry;
    ExpectWalk(Walk(), {0, "msgina.dll", "msgina.dll", "NnGina.dll", true, false});
    EXPECT_TRUE(machine.registry == repaired);
}

TEST_F(WalkGinaChainTest, ALastLinkToAMissingFileIsReset) {
    InstallChainingProducts("gone.dll");
    ExpectWalk(Walk(), {0, "gone.dll", "NnGina.dll", "NnGina.dll", false, false});
    EXPECT_FALSE(GetValue(kNortel, "NextGinaToChain"));
}

TEST_F(WalkGinaChainTest, AGinaDllNamingAMissingFileIsDeleted) {
    SetString(kWinlogon, "GinaDLL", "C:\\Old\\oldgina.dll");
    ExpectWalk(Walk(), {0, "C:\\Old\\oldgina.dll", "", "", false, false});
    EXPECT_FALSE(Winlogon("GinaDLL"));
}

TEST_F(WalkGinaChainTest, AGinaDllTooShortToNameAGinaIsDeleted) {
    SetString(kWinlogon, "GinaDLL", "x");
    ExpectWalk(Walk(), {0, "", "", "", true, true});
    EXPECT_FALSE(Winlogon("GinaDLL"));
}

TEST_F(WalkGinaChainTest, ABareNameIsLookedForInTheSystemFolderOnly) {
    PutFile("C:\\Apps\\appgina.dll");
    SetString(kWinlogon, "GinaDLL", "appgina.dll");
    ExpectWalk(Walk(), {0, "appgina.dll", "", "", false, false});
    EXPECT_FALSE(Winlogon("GinaDLL"));
}

TEST_F(WalkGinaChainTest, WithoutTheSystemFolderKnownNoBareNameExists) {
    machine.environment.erase("SystemRoot");
    SetString(kWinlogon, "GinaDLL", "msgina.dll");
    EXPECT_FALSE(Walk().exists);
}

TEST_F(WalkGinaChainTest, AProductWhoseKeyIsGoneEndsTheChainAtIt) {
    PutSystemFile("awgina.dll");
    SetString(kWinlogon, "GinaDLL", "awgina.dll");
    ExpectWalk(Walk(), {0, "awgina.dll", "awgina.dll", "awgina.dll", true, true});
    EXPECT_EQ(Winlogon("GinaDLL"), "awgina.dll");
}

TEST_F(WalkGinaChainTest, WinlogonsKeyThatCannotBeOpenedStopsTheWalkWithItsError) {
    Fail(std::string("RegOpenKeyExA:") + kWinlogon + "=5");
    const gina::GinaChainWalk walk = Walk();
    EXPECT_EQ(walk.status, 5u);
    EXPECT_TRUE(walk.exists);
    EXPECT_EQ(walk.insertionPoint, "");
}

// Products that name each other make a chain without an end; the walk ends
// at the GINA whose link leads back, and keeps the repairs made before it.
TEST_F(WalkGinaChainTest, TwoGinasNamingEachOtherEndTheWalk) {
    PutSystemFile("awgina.dll");
    PutSystemFile("NnGina.dll");
    SetString(kWinlogon, "GinaDLL", "awgina.dll");
    SetString(kPcAnywhere, "GinaDLL", "NnGina.dll");
    SetString(kNortel, "NextGinaToChain", "AWGINA.DLL");
    const sim::RegistryTree before = machine.registry;

    ExpectWalk(Walk(), {0, "NnGina.dll", "NnGina.dll", "NnGina.dll", true, true});
    EXPECT_TRUE(machine.registry == before);
}

TEST_F(WalkGinaChainTest, AGinaNamingItselfEndsTheWalk) {
    PutSystemFile("ctxgina.dll");
    SetString(kWinlogon, "GinaDLL", "ctxgina.dll");
    SetString(kWinlogon, "CtxGinaDLL", std::string(kSystem32) + "CTXGINA.dll");
    ExpectWalk(Walk(), {0, "ctxgina.dll", "ctxgina.dll", "ctxgina.dll", true, true});
    EXPECT_EQ(Winlogon("CtxGinaDLL"), std::string(kSystem32) + "CTXGINA.dll");
}

TEST_F(WalkGinaChainTest, ALoopThroughSeveralProductsEndsAtTheGinaThatClosesIt) {
    PutSystemFile("awgina.dll");
    PutFile(kCiscoGina);
    PutSystemFile("ctxgina.dll");
    SetString(kWinlogon, "GinaDLL", "awgina.dll");
    SetString(kPcAnywhere, "GinaDLL", kCiscoGina);
    SetString(kCisco, "PreviousGinaPath", "ctxgina.dll");
    SetString(kWinlogon, "CtxGinaDLL", "awgina.dll");
    ExpectWalk(Walk(), {0, "ctxgina.dll", "ctxgina.dll", "ctxgina.dll", true, true});
}

TEST_F(WalkGinaChainTest, AGinaDllNamingAFolderLeadsBackToWinlogon) {
    PutFolder("C:\\WINDOWS");
    SetString(kWinlogon, "GinaDLL", "C:\\WINDOWS\\");
    ExpectWalk(Walk(), {0, "", "", "", true, true});
}

TEST_F(WalkGinaChainTest, ALoopThroughAMissingGinaKeepsItsRepairs) {
    PutSystemFile("awgina.dll");
    SetString(kWinlogon, "GinaDLL", "awgina.dll");
    SetString(kPcAnywhere, "GinaDLL", "NnGina.dll");  // its file is gone
    SetString(kNortel, "NextGinaToChain", "awgina.dll");

    ExpectWalk(Walk(), {0, "NnGina.dll", "awgina.dll", "awgina.dll", true, true});
    EXPECT_EQ(Winlogon("GinaDLL"), "awgina.dll");
    EXPECT_EQ(GetString(kPcAnywhere, "GinaDLL"), "MSGina.dll");
    EXPECT_FALSE(GetValue(kNortel, "NextGinaToChain"));

    // What is left is an ordinary chain.
    const sim::RegistryTree repaired = machine.registry;
    ExpectWalk(Walk(), {0, "MSGina.dll", "MSGina.dll", "awgina.dll", true, false});
    EXPECT_TRUE(machine.registry == repaired);
}

}  // namespace
}  // namespace veltra::testing
