// The class-wide places: shared by every object of a class on one context,
// moved by Load, Save and SetRoot, and never shared between two contexts.
#include <gtest/gtest.h>

#include "settings/gina_settings.h"
#include "settings/network_settings.h"
#include "settings/ras_settings.h"
#include "settings_fixture.h"

namespace veltra::testing {
namespace {

using namespace veltra::settings;
using platform::Dword;

class SettingsContextTest : public SettingsFixture {};

TEST_F(SettingsContextTest, TheLastLoadOrSaveOfAnyObjectDecidesWhereTheClassAccessorsGo) {
    RasSettings first(context);
    RasSettings second(context);
    first.Load(kUpgradePath + "\\KVRAS", true);
    EXPECT_EQ(second.Set(RasValue::EapMode, 2), 0u);
    EXPECT_EQ(GetDword(kHkcu + kUpgradePath + "\\KVRAS", "EapMode"), 2u);

    second.Save(kRasSettingsKey, false, false);
    EXPECT_EQ(first.Set(RasValue::EapMode, 3), 0u);
    EXPECT_EQ(GetDword(kRasKey, "EapMode"), 3u);
}

TEST_F(SettingsContextTest, TwoContextsNeverShareAPlace) {
    SettingsContext other(registry());
    RasSettings mine(context);
    RasSettings theirs(other);
    mine.SetRoot("SOFTWARE\\Mine", true);
    EXPECT_EQ(other.ras.root, platform::kHkeyLocalMachine);
    EXPECT_EQ(other.ras.keyPath, kRasSettingsKey);
    theirs.Set(RasValue::EapMode, 1);
    EXPECT_EQ(GetDword(kRasKey, "EapMode"), 1u);
}

TEST_F(SettingsContextTest, LoadCurrentAndSaveChangedUseTheCurrentKeyOnTheMachine) {
    SetDword(kHklm + "SOFTWARE\\Moved", "EapMode", 4);
    SetDword(kHkcu + "SOFTWARE\\Moved", "EapMode", 9);
    RasSettings ras(context);
    ras.SetRoot("SOFTWARE\\Moved", true);
    EXPECT_EQ(ras.LoadCurrent(), 0u);
    EXPECT_EQ(ras.Number(RasValue::EapMode), 4u);
    EXPECT_EQ(context.ras.root, platform::kHkeyLocalMachine);
}

// A path handed over shared is followed, not copied: rewriting it moves the
// class, and GinaSettings' "AllowLocalAuth" goes wherever the path the
// NetworkSettings class last got names at that moment.
TEST_F(SettingsContextTest, ASharedPathIsFollowedAsItsOwnerRewritesIt) {
    SetDword(kNetworkKey, "AllowLocalAuth", 1);
    const std::string upgrade = kHkcu + kUpgradePath;
    struct Case {
        bool shared;
        std::string ginaAllowLocalAuth;  // where the GINA's copy lands
        std::optional<Dword> networkAllowLocalAuth;
        std::string rasAccessorKey;
    };
    for (const Case& c : {Case{true, upgrade + "\\KVGINA", 1, upgrade + "\\KVRAS"},
                          Case{false, upgrade + "\\KVNETWORK", 0, upgrade + "\\KVGINA"}}) {
        SettingsContext fresh(registry());
        SharedKeyPath path;
        const auto given = [&](std::string_view first, std::string_view second = {}) {
            path.Assign(first, second);
            return c.shared ? KeyPathRef(path) : KeyPathRef(path.text());
        };
        NetworkSettings network(fresh);
        GinaSettings gina(fresh);
        RasSettings ras(fresh);
        network.Load(given(kNetworkSettingsKey), false);
        network.Save(given(kUpgradePath, "\\KVNETWORK"), true, true);
        gina.Load(given(kGinaSettingsKey), false);
        gina.Save(given(kUpgradePath, "\\KVGINA"), true, true);
        EXPECT_EQ(GetDword(c.ginaAllowLocalAuth, "AllowLocalAuth"), 0u) << c.shared;
        EXPECT_EQ(GetDword(upgrade + "\\KVNETWORK", "AllowLocalAuth"), c.networkAllowLocalAuth) << c.shared;

        ras.SetRoot(given(kUpgradePath, "\\KVGINA"), true);
        path.Assign(kUpgradePath, "\\KVRAS");
        EXPECT_EQ(ras.Set(RasValue::EapMode, 7), 0u);
        EXPECT_EQ(GetDword(c.rasAccessorKey, "EapMode"), 7u) << c.shared;
        registry().DeleteTree(platform::kHkeyCurrentUser, kUpgradePath.c_str());
    }
}

}  // namespace
}  // namespace veltra::testing
