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
        outcome.result = gina::AccessNextGina(Ports(), mode, gina, &outcome.next, newNext,
                                              &outcome.known, &outcome.chainEnd);
        return outcome;
    }
};

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

// Restoring a link that is not there reports it, unless the product has a
// default value to set all the same.
TEST_F(AccessNextGinaTest, RestoringALinkThatIsNotThereReportsIt) {
    machine.registry.CreateKey(kPcAnywhere);
    machine.registry.CreateKey(kNortel);
    EXPECT_EQ(Access(GinaAccess::Restore, "").result, 2u);
    EXPECT_EQ(Access(GinaAccess::Restore, "msgina.dll").result, 2u);
    EXPECT_EQ(Access(GinaAccess::Restore, "NnGina.dll").result, 2u);
    EXPECT_EQ(Access(GinaAccess::Restore, "awgina.dll").result, 0u);
}

// A product's key or value the registry refuses: the link stays as it was.
TEST_F(AccessNextGinaTest, ARefusedWriteLeavesTheLinkAsItWas) {
    struct Case {
        std::string label;
        GinaAccess mode;
        const char* gina;
        std::vector<const char*> keys;  // created first
        std::string fault;
        Dword result;
        bool chainEnd;
        const char* key;  // the link that must stay as it was
        const char* link;
        std::optional<std::string> stays;  // the link afterwards
    };
    const Case cases[] = {
        {"the switch comes before the link", GinaAccess::Write, "csgina.dll", {kCisco},
         std::string("RegSetValueExA:") + kCisco + "\\GinaInstalled=5", 5, true, kCisco, "PreviousGinaPath",
         std::nullopt},
        {"a switch that cannot be turned off keeps the link", GinaAccess::Restore, "ckpginashim.dll", {kCheckPoint},
         std::string("RegSetValueExA:") + kCheckPoint + "\\Support3rdPartyGina=5", 5, false, kCheckPoint,
         "ThirdPartyGina", kAgentGina},
        // Odyssey's list is used only when it is there, and a list that
        // cannot be written does not fail the link.
        {"an Odyssey list that cannot be written", GinaAccess::Write, "odyGina.dll", {kOdysseyList},
         std::string("RegSetValueExA:") + kOdysseyList + "\\KeshGina.dll=5", 0, false, kWinlogon,
         "OdysseyPreviousGinaDLL", kAgentGina},
        {"no Odyssey list", GinaAccess::Write, "odyGina.dll", {}, "", 0, false, kWinlogon, "OdysseyPreviousGinaDLL",
         kAgentGina},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine.registry = sim::RegistryTree();
        machine.registry.CreateKey(kWinlogon);
        machine.faults = sim::Faults();
        for (const char* key : c.keys) machine.registry.CreateKey(key);
        if (c.mode == GinaAccess::Restore) SetString(c.key, c.link, *c.stays);
        if (!c.fault.empty()) Fail(c.fault);
        const Outcome outcome = Access(c.mode, c.gina, kAgentGina);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.chainEnd, c.chainEnd);
        EXPECT_EQ(GetString(c.key, c.link), c.stays);
    }
    EXPECT_FALSE(KeyExists(kOdysseyList));
}

}  // namespace
}  // namespace veltra::testing
