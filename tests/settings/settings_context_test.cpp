// The class-wide places: shared by every object of a class on one context,
// moved by Load, Save and SetRoot, and never shared between two contexts.
#include <gtest/gtest.h>

#include "settings/gina_settings.h"
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

}  // namespace
}  // namespace veltra::testing
