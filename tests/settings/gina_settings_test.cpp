// GinaSettings: the network-key value, forced-only and never-saved values, the
// two "IsDac" fields, and the reserve password's MD5 (RFC 1321, A.5).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "platform/digest.h"
#include "settings/gina_settings.h"
#include "settings_fixture.h"

namespace veltra::testing {
namespace {

using namespace veltra::settings;
using platform::Dword;


std::vector<std::uint8_t> DigestOf(const std::string& text) {
    const auto digest = platform::Md5({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    return {digest->begin(), digest->end()};
}

class GinaSettingsTest : public SettingsFixture {
protected:
    void PopulateGina() { Populate(machine.registry, kGinaValues, kGinaKey, kNetworkKey); }
};

TEST_F(GinaSettingsTest, LoadReadsEveryLoadedValueInItsOrder) {
    PopulateGina();
    GinaSettings gina(context);
    Mark();
    gina.Load(kGinaSettingsKey, false);
    std::vector<std::string> expected;
    for (const std::size_t row : kGinaLoadOrder) {
        expected.push_back(RowKey(kGinaValues[row], kGinaKey, kNetworkKey) + "\\" + kGinaValues[row].name);
    }
    EXPECT_EQ(Calls("RegQueryValueExA"), expected);
    EXPECT_EQ(gina.Number(GinaValue::AllowLocalAuth), 100 + RowIndex(GinaValue::AllowLocalAuth));
    // Both fields hold the one stored "IsDac".
    EXPECT_EQ(gina.Number(GinaValue::IsDac), 100 + RowIndex(GinaValue::IsDacSecond));
    EXPECT_EQ(gina.Number(GinaValue::IsDacSecond), 100 + RowIndex(GinaValue::IsDacSecond));
    EXPECT_EQ(gina.Buffer(GinaValue::ReservePassword).size(), 5u);
    EXPECT_EQ(gina.Buffer(GinaValue::InstallPath).Text(), "Inst14");
}

TEST_F(GinaSettingsTest, AForcedSaveWritesInItsOwnOrder) {
    PopulateGina();
    GinaSettings gina(context);
    gina.Load(kGinaSettingsKey, false);
    Mark();
    gina.SaveAll();
    EXPECT_EQ(Calls("RegSetValueExA"),
              (std::vector<std::string>{
                  kGinaKey + "\\ChallengeGroup", kGinaKey + "\\ReserveOption", kGinaKey + "\\SendDomainName",
                  kGinaKey + "\\LogonPromptPassword", kNetworkKey + "\\AllowLocalAuth",
                  kGinaKey + "\\EnablePinUnlock", kGinaKey + "\\EnableNovellPasswordUpdate",
                  kGinaKey + "\\PinLifetime", kGinaKey + "\\PinAttempts", kGinaKey + "\\Enabled",
                  kGinaKey + "\\ReservePassword", kGinaKey + "\\IsDac", kGinaKey + "\\IsDac",
                  kGinaKey + "\\CustomBitMap"}));
}

TEST_F(GinaSettingsTest, AnAbsentReservePasswordIsForcedOutAs512ZeroBytes) {
    GinaSettings gina(context);
    gina.Load(kGinaSettingsKey, false);
    gina.SaveAll();
    EXPECT_EQ(GetValue(kGinaKey, "ReservePassword"),
              (sim::RegValue{"ReservePassword", platform::kRegBinary, std::vector<std::uint8_t>(512, 0)}));
}

TEST_F(GinaSettingsTest, ANewReservePasswordIsStoredAsItsDigestForcedOrNot) {
    for (const bool force : {false, true}) {
        SCOPED_TRACE(force);
        SetBinary(kGinaKey, "ReservePassword", {1, 2, 3});
        GinaSettings gina(context);
        gina.Load(kGinaSettingsKey, false);
        // At most fifteen bytes.
        EXPECT_EQ(gina.SetNewReservePassword(std::string(16, 'x')), 5002u);
        EXPECT_FALSE(gina.newReservePasswordSet());
        EXPECT_EQ(gina.SetNewReservePassword("Secret#2024abcd"), 0u);
        EXPECT_TRUE(gina.newReservePasswordSet());
        gina.Save(kGinaSettingsKey, force, false);
        EXPECT_EQ(GetValue(kGinaKey, "ReservePassword"),
                  (sim::RegValue{"ReservePassword", platform::kRegBinary, DigestOf("Secret#2024abcd")}));
    }
}

TEST_F(GinaSettingsTest, ThePasswordTextReachesNeitherTheRegistryNorTheObject) {
    const std::string password = "Pa55word";
    GinaSettings gina(context);
    gina.SetNewReservePassword(password);
    gina.SaveAll();
    const std::string export_text = [&] {
        const auto bytes = sim::WriteRegFile(machine.registry, sim::RegFormat::Regedit4);
        return std::string(bytes.begin(), bytes.end());
    }();
    EXPECT_EQ(export_text.find(password), std::string::npos);
    for (std::size_t row = 0; row < gina.values().size(); ++row) {
        const auto bytes = gina.values().field(row).buffer.bytes();
        EXPECT_EQ(std::search(bytes.begin(), bytes.end(), password.begin(), password.end()), bytes.end());
    }
}

TEST_F(GinaSettingsTest, AccessorsWriteTokaraTextAsBinaryAndThePasswordAsItsDigest) {
    GinaSettings gina(context);
    EXPECT_EQ(gina.SetText(GinaValue::TokaraUserDomain, "CORP"), 0u);
    EXPECT_EQ(gina.SetText(GinaValue::HPKey, "k3y"), 0u);
    EXPECT_EQ(gina.SetText(GinaValue::PrimaryDomain, "CORP"), 0u);
    EXPECT_EQ(gina.Set(GinaValue::TokaraLogonType, 2), 0u);
    EXPECT_EQ(gina.SetText(GinaValue::ReservePassword, "abc"), 0u);
    EXPECT_EQ(*GetValue(kGinaKey, "TokaraUserDomain"), (sim::RegValue{"TokaraUserDomain", 3, {'C', 'O', 'R', 'P'}}));
    EXPECT_EQ(GetValue(kGinaKey, "HPKey")->data, (std::vector<std::uint8_t>{'k', '3', 'y'}));
    EXPECT_EQ(*GetValue(kGinaKey, "PrimaryDomain"), (sim::RegValue{"PrimaryDomain", 1, Bytes("CORP")}));
    EXPECT_EQ(GetDword(kGinaKey, "TokaraLogonType"), 2u);
    EXPECT_EQ(*GetValue(kGinaKey, "ReservePassword"), (sim::RegValue{"ReservePassword", 3, DigestOf("abc")}));

    // An accessor-only value is never loaded nor saved.
    gina.Load(kGinaSettingsKey, false);
    Mark();
    gina.SaveAll();
    for (const auto& name : Calls("RegSetValueExA")) EXPECT_EQ(name.find("Tokara"), std::string::npos);
}


std::string Hex(const platform::Md5Digest& digest) {
    std::string text;
    for (const std::uint8_t byte : digest) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += pair;
    }
    return text;
}

TEST(Md5Test, GivesTheRfc1321TestSuite) {
    const std::vector<std::pair<std::string, std::string>> vectors = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, expected] : vectors) {
        const auto digest =
            platform::Md5({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
        ASSERT_TRUE(digest) << text;
        EXPECT_EQ(Hex(*digest), expected) << text;
    }
}

}  // namespace
}  // namespace veltra::testing
