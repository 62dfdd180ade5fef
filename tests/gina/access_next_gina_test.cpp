// One link of the chain at a time: where each product keeps its link, how
// it is written, and what its product's default is.
#include <gtest/gtest.h>

#include "gina/chain_walk.h"
#include "gina_fixture.h"

namespace veltra::testing {
namespace {

using gina::GinaAccess;
using platform::Dword;

class AccessNextGinaTest : public GinaFixture {
protected:
    struct Outcome {
        Dword result = 0;
        std::string next;
        bool known = false;
        bool chainEnd = false;
    };

    Outcome Access(GinaAccess mode, const std::string& gina, const std::string& newNext = {}) {
        Outcome outcome;
        outcome.next = "untouched";
        outcome.result = gina::AccessNextGina(Registry(), Ports().system, mode, gina, &outcome.next, newNext,
                                              &outcome.known, &outcome.chainEnd);
        return outcome;
    }
};

// Where each chaining GINA keeps the name of the next GINA.
struct LinkPlace {
    const char* gina;  // as a link names it
    const char* key;
    const char* link;
};

constexpr LinkPlace kLinkPlaces[] = {
    {"", kWinlogon, "GinaDLL"},
    {"awgina.dll", kPcAnywhere, "GinaDLL"},
    {"C:\\Program Files\\Symantec\\pcAnywhere\\AWGINA.DLL", kPcAnywhere, "GinaDLL"},
    {"csgina.dll", kCisco, "PreviousGinaPath"},
    {"ctxgina.dll", kWinlogon, "CtxGinaDLL"},
    {"CkpGinaShim.dll", kCheckPoint, "ThirdPartyGina"},
    {"odygina.dll", kWinlogon, "OdysseyPreviousGinaDLL"},
    {"nngina.dll", kNortel, "NextGinaToChain"},
};

TEST_F(AccessNextGinaTest, ReadsEachProductsLinkWhereItKeepsIt) {
    for (const LinkPlace& place : kLinkPlaces) {
        SCOPED_TRACE(place.gina);
        SetString(place.key, place.link, "next.dll");
        const Outcome read = Access(GinaAccess::Read, place.gina);
        EXPECT_EQ(read.result, 0u);
        EXPECT_EQ(read.next, "next.dll");
        EXPECT_TRUE(read.known);
        EXPECT_FALSE(read.chainEnd);
        machine.registry.FindKey(place.key)->DeleteValue(place.link);
    }
}

TEST_F(AccessNextGinaTest, ALinkThatIsMissingEndsTheChainWithoutError) {
    for (const LinkPlace& place : kLinkPlaces) {
        SCOPED_TRACE(place.gina);
        machine.registry.CreateKey(place.key);
        const Outcome read = Access(GinaAccess::Read, place.gina);
        EXPECT_EQ(read.result, 0u);
        EXPECT_EQ(read.next, "");
        EXPECT_TRUE(read.known);
        EXPECT_TRUE(read.chainEnd);
    }
}

// Link lengths around the limits: a link needs 4 bytes with its zero, and
// must fit 260 bytes.
TEST_F(AccessNextGinaTest, ALinkCountsOnlyWithinItsLengthLimits) {
    struct Case {
        std::string value;
        bool isLink;
    };
    const Case cases[] = {
        {"ab", false},                   // 3 bytes
        {"a.d", true},                   // 4 bytes
        {std::string(259, 'g'), true},   // 260 bytes
        {std::string(260, 'g'), false},  // 261 bytes: does not fit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.size());
        SetString(kNortel, "NextGinaToChain", c.value);
        const Outcome read = Access(GinaAccess::Read, "NnGina.dll");
        EXPECT_EQ(read.result, 0u);
        EXPECT_EQ(read.chainEnd, !c.isLink);
        EXPECT_EQ(read.next, c.isLink ? c.value : "");
        // Only Winlogon's own value is removed for being short.
        EXPECT_EQ(GetString(kNortel, "NextGinaToChain"), c.value);
    }
}

TEST_F(AccessNextGinaTest, AGinaDllTooShortToNameAGinaIsDeletedInEveryMode) {
    for (const GinaAccess mode : {GinaAccess::Read, GinaAccess::Restore}) {
        SetString(kWinlogon, "GinaDLL", "ab");
        const Outcome outcome = Access(mode, "");
        EXPECT_FALSE(Winlogon("GinaDLL"));
        EXPECT_TRUE(outcome.chainEnd);
        // In a restore the deletion is what was restored.
        EXPECT_EQ(outcome.result, 0u);
    }
    // A short link in the same key that is not GinaDLL stays.
    SetString(kWinlogon, "CtxGinaDLL", "ab");
    EXPECT_TRUE(Access(GinaAccess::Read, "ctxgina.dll").chainEnd);
    EXPECT_EQ(Winlogon("CtxGinaDLL"), "ab");
}

TEST_F(AccessNextGinaTest, AnUnknownGinaEndsTheChainAndIsLeftAlone) {
    const Outcome read = Access(GinaAccess::Read, "C:\\Apps\\other.dll");
    EXPECT_EQ(read.result, 0u);
    EXPECT_FALSE(read.known);
    EXPECT_TRUE(read.chainEnd);
    EXPECT_EQ(read.next, "");
    EXPECT_EQ(Access(GinaAccess::Write, "other.dll", "x.dll").result, 0u);
    EXPECT_EQ(Access(GinaAccess::Restore, "other.dll").result, 2u);
    // Microsoft's GINA and the agent GINA carry nothing on either.
    EXPECT_FALSE(Access(GinaAccess::Read, "msgina.dll").known);
    EXPECT_FALSE(Access(GinaAccess::Read, kAgentGina).known);
}

TEST_F(AccessNextGinaTest, WritesEachProductsLinkTheWayItsProductWantsIt) {
    machine.registry.CreateKey(kPcAnywhere);
    machine.registry.CreateKey(kCisco);
    machine.registry.CreateKey(kCheckPoint);
    machine.registry.CreateKey(kNortel);
    machine.registry.CreateKey(kOdysseyList);

    for (const LinkPlace& place : kLinkPlaces) {
        SCOPED_TRACE(place.gina);
        const Outcome write = Access(GinaAccess::Write, place.gina, kAgentGina);
        EXPECT_EQ(write.result, 0u);
        EXPECT_FALSE(write.chainEnd);
        EXPECT_EQ(write.next, "");
        const auto value = GetValue(place.key, place.link);
        ASSERT_TRUE(value);
        EXPECT_EQ(value->type, platform::kRegSz);
        EXPECT_EQ(GetString(place.key, place.link), kAgentGina);
        EXPECT_EQ(value->data.size(), std::string(kAgentGina).size() + 1) << "terminator counted";
    }
    // Cisco and CheckPoint follow their link only with their switch on.
    EXPECT_EQ(GetDword(kCisco, "GinaInstalled"), 1u);
    EXPECT_EQ(GetDword(kCheckPoint, "Support3rdPartyGina"), 1u);
    // Odyssey loads only the GINAs on its list.
    EXPECT_EQ(GetString(kOdysseyList, "KeshGina.dll"), "1");
}

TEST_F(AccessNextGinaTest, OdysseysListIsUsedOnlyWhenItIsThere) {
    EXPECT_EQ(Access(GinaAccess::Write, "odyGina.dll", kAgentGina).result, 0u);
    EXPECT_EQ(Winlogon("OdysseyPreviousGinaDLL"), kAgentGina);
    EXPECT_FALSE(KeyExists(kOdysseyList));

    // A list that cannot be written does not fail the link.
    machine.registry.CreateKey(kOdysseyList);
    Fail(std::string("RegSetValueExA:") + kOdysseyList + "\\KeshGina.dll=5");
    EXPECT_EQ(Access(GinaAccess::Write, "odyGina.dll", kAgentGina).result, 0u);
}

TEST_F(AccessNextGinaTest, ALinkIsWrittenOnlyOnceItsSwitchIsOn) {
    machine.registry.CreateKey(kCisco);
    Fail(std::string("RegSetValueExA:") + kCisco + "\\GinaInstalled=5");
    const Outcome write = Access(GinaAccess::Write, "csgina.dll", kAgentGina);
    EXPECT_EQ(write.result, 5u);
    EXPECT_TRUE(write.chainEnd);
    EXPECT_FALSE(GetValue(kCisco, "PreviousGinaPath"));
}

TEST_F(AccessNextGinaTest, AWriteToAProductThatIsGoneFails) {
    const Outcome write = Access(GinaAccess::Write, "NnGina.dll", kAgentGina);
    EXPECT_EQ(write.result, platform::kErrorFileNotFound);
    EXPECT_TRUE(write.chainEnd);
    EXPECT_FALSE(KeyExists(kNortel));
}

// What each product's link goes back to.
struct RestoreCase {
    const char* gina;
    const char* key;
    const char* link;
    std::optional<std::string> restored;  // nullopt: deleted
};

TEST_F(AccessNextGinaTest, RestorePutsEachProductsDefaultBack) {
    const RestoreCase cases[] = {
        {"", kWinlogon, "GinaDLL", std::nullopt},
        {"awgina.dll", kPcAnywhere, "GinaDLL", "MSGina.dll"},
        {"csgina.dll", kCisco, "PreviousGinaPath", "MSGina.dll"},
        {"ctxgina.dll", kWinlogon, "CtxGinaDLL", "MSGina.dll"},
        {"ckpginashim.dll", kCheckPoint, "ThirdPartyGina", std::nullopt},
        {"odyGina.dll", kWinlogon, "OdysseyPreviousGinaDLL", std::nullopt},
        {"NnGina.dll", kNortel, "NextGinaToChain", std::nullopt},
    };
    for (const RestoreCase& c : cases) {
        SCOPED_TRACE(c.gina);
        SetString(c.key, c.link, kAgentGina);
        const Outcome restore = Access(GinaAccess::Restore, c.gina);
        EXPECT_EQ(restore.result, 0u);
        EXPECT_EQ(restore.next, "") << "a restore reports no next GINA";
        EXPECT_EQ(GetString(c.key, c.link), c.restored);
    }
    EXPECT_EQ(GetDword(kCisco, "GinaInstalled"), 1u);
    EXPECT_EQ(GetDword(kCheckPoint, "Support3rdPartyGina"), 0u);
}

TEST_F(AccessNextGinaTest, RestoringALinkThatIsNotThereRestoresOnlyWhatTheProductSets) {
    machine.registry.CreateKey(kPcAnywhere);
    machine.registry.CreateKey(kCheckPoint);
    machine.registry.CreateKey(kNortel);
    // Nothing to delete: nothing restored.
    EXPECT_EQ(Access(GinaAccess::Restore, "").result, 2u);
    EXPECT_EQ(Access(GinaAccess::Restore, "NnGina.dll").result, 2u);
    // Defaults that are values are set all the same.
    EXPECT_EQ(Access(GinaAccess::Restore, "awgina.dll").result, 0u);
    EXPECT_EQ(GetString(kPcAnywhere, "GinaDLL"), "MSGina.dll");
    EXPECT_EQ(Access(GinaAccess::Restore, "ckpginashim.dll").result, 0u);
    EXPECT_EQ(GetDword(kCheckPoint, "Support3rdPartyGina"), 0u);
}

TEST_F(AccessNextGinaTest, CheckPointsLinkStaysWhenItsSwitchCannotBeTurnedOff) {
    SetString(kCheckPoint, "ThirdPartyGina", kAgentGina);
    Fail(std::string("RegSetValueExA:") + kCheckPoint + "\\Support3rdPartyGina=5");
    EXPECT_EQ(Access(GinaAccess::Restore, "ckpginashim.dll").result, 5u);
    EXPECT_EQ(GetString(kCheckPoint, "ThirdPartyGina"), kAgentGina);
}

TEST_F(AccessNextGinaTest, WinlogonsKeyThatCannotBeOpenedIsAnError) {
    Fail(std::string("RegOpenKeyExA:") + kWinlogon + "=5");
    for (const char* gina : {"", "ctxgina.dll", "odyGina.dll"}) {
        SCOPED_TRACE(gina);
        const Outcome read = Access(GinaAccess::Read, gina);
        EXPECT_EQ(read.result, 5u);
        EXPECT_TRUE(read.chainEnd);
        EXPECT_EQ(Access(GinaAccess::Write, gina, kAgentGina).result, 5u);
        // A restore reports what it restored, which is nothing.
        EXPECT_EQ(Access(GinaAccess::Restore, gina).result, 2u);
    }
}

TEST_F(AccessNextGinaTest, AnotherProductsKeyThatCannotBeOpenedEndsTheChainQuietly) {
    machine.registry.CreateKey(kNortel);
    Fail(std::string("RegOpenKeyExA:") + kNortel + "=5");
    const Outcome read = Access(GinaAccess::Read, "NnGina.dll");
    EXPECT_EQ(read.result, 0u);
    EXPECT_TRUE(read.known);
    EXPECT_TRUE(read.chainEnd);
    EXPECT_EQ(Access(GinaAccess::Write, "NnGina.dll", kAgentGina).result, 5u);
}

TEST_F(AccessNextGinaTest, FlagsAndNextMayBeLeftOut) {
    SetString(kWinlogon, "GinaDLL", "awgina.dll");
    EXPECT_EQ(gina::AccessNextGina(Registry(), Ports().system, GinaAccess::Read, "", nullptr, {}, nullptr, nullptr),
              0u);
    EXPECT_EQ(
        gina::AccessNextGina(Registry(), Ports().system, GinaAccess::Read, "x.dll", nullptr, {}, nullptr, nullptr),
        0u);
}

}  // namespace
}  // namespace veltra::testing
