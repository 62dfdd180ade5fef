// The chain below the actions: each product's link, linking the agent GINA in
// without the dialogs, and what other parts of the installation ask.
#include <gtest/gtest.h>

#include "gina/chain_walk.h"
#include "gina/gina_chain.h"
#include "gina_fixture.h"

namespace veltra::testing {
namespace {

using gina::GinaAccess;
using gina::NameBuffer;
using platform::Dword;

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
    Set(Chain(kAgentGina), kChainFiles);
    EXPECT_TRUE(gina::IsAgentGinaChained(Ports()));
    Set(Chain("msgina.dll"), kChainFiles);
    EXPECT_FALSE(gina::IsAgentGinaChained(Ports()));
    Set(Chain("C:\\Gone\\KeshGina.dll"), kChainFiles);
    EXPECT_FALSE(gina::IsAgentGinaChained(Ports()));
    EXPECT_FALSE(GetValue(kNortel, "NextGinaToChain"));
}


class SetAgentGinaInChainTest : public GinaFixture {
protected:
    Dword Enable(NameBuffer* name = nullptr, bool force = false) {
        return gina::SetAgentGinaInChain(Ports(), true, name, force, kAgentGina);
    }
};

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
        {13, "", 0},
        {14, "othergina.dll", 13},
        {21, "othergina.dll", 13},
        {22, "C:\\Apps\\othergina.dll", 21},
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

// The installed agent GINA by its path; without an installed file that fits
// a path, or without an install path, by its bare name.
TEST_F(SetAgentGinaInChainTest, SetAgentGinaLinksTheInstalledAgentGina) {
    const std::string longFolder = "C:\\" + std::string(250, 'f') + "\\";
    PutFile(longFolder + "KeshGina.dll");  // fits no 260-byte path
    const std::pair<std::optional<std::string>, std::string> cases[] = {
        {kInstallDir, kAgentGina}, {"C:\\Elsewhere\\", "KeshGina.dll"}, {longFolder, "KeshGina.dll"},
        {std::nullopt, "KeshGina.dll"}};
    for (const auto& [installPath, linked] : cases) {
        SCOPED_TRACE(installPath.value_or("(none)"));
        machine.registry.DeleteKeyTree(kAgentCommon);
        machine.registry.DeleteKeyTree(kWinlogon);
        machine.registry.CreateKey(kWinlogon);
        if (installPath) SetString(kAgentCommon, "InstallPath", *installPath);
        EXPECT_EQ(gina::SetAgentGina(Ports(), true, nullptr, false), 0u);
        EXPECT_EQ(Winlogon("GinaDLL"), linked);
    }
    SetString(kAgentCommon, "InstallPath", kInstallDir);
    SetString(kWinlogon, "GinaDLL", kAgentGina);
    EXPECT_EQ(gina::SetAgentGina(Ports(), false, nullptr, false), 0u);
    EXPECT_FALSE(Winlogon("GinaDLL"));
}

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
