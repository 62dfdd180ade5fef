// The report never shows a secret, whatever changed.
#include <gtest/gtest.h>

#include "cli/report.h"
#include "cli/secrets.h"
#include "platform/sim/sim_files.h"
#include "support/sim_fixture.h"

namespace veltra::cli {
namespace {

class Reports : public testing::SimFixture {};

TEST_F(Reports, SecretValuesAndPasswordPropertiesAreMasked) {
    const std::string client = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\KESHCLIENT";
    const std::string network =
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Settings\\KVNETWORK";
    const MachineSnapshot before = TakeSnapshot(machine);
    SetBinary(client, "NodeSecret", {0x53, 0x45, 0x43, 0x52, 0x45, 0x54});
    SetBinary(network, "DCKey", {0xde, 0xad});
    SetBinary(network, "DomainSecret", {0xbe, 0xef});
    SetString(network, "dccert", "certificate text");
    SetString(network, "Visible", "shown");
    SetProperty("RESERVE_PASSWORD", "hunter2");
    SetProperty("REGISTRY_CONFIG_PASSWD", "True");
    const MachineSnapshot after = TakeSnapshot(machine);
    RunReport report;
    report.title = "test";
    CompareSnapshots(before, after, report);
    const std::string text = RenderText(report);
    const std::string json = RenderJson(report).dump();
    for (const std::string& shown : {text, json}) {
        EXPECT_EQ(shown.find("534543524554"), std::string::npos);
        EXPECT_EQ(shown.find("53,45"), std::string::npos);
        EXPECT_EQ(shown.find("de,ad"), std::string::npos);
        EXPECT_EQ(shown.find("be,ef"), std::string::npos);
        EXPECT_EQ(shown.find("certificate text"), std::string::npos);
        EXPECT_EQ(shown.find("hunter2"), std::string::npos);
        EXPECT_NE(shown.find("shown"), std::string::npos);
        EXPECT_NE(shown.find("True"), std::string::npos) << "a switch is not a secret";
        EXPECT_NE(shown.find(std::string(kMasked)), std::string::npos);
    }
}

TEST_F(Reports, ValuesAreShownByType) {
    sim::RegValue dword{"D", platform::kRegDword, {1, 0, 0, 0}};
    sim::RegValue multi{"M", platform::kRegMultiSz, {'a', 0, 'b', 0, 0}};
    sim::RegValue binary{"B", platform::kRegBinary, {0x0a, 0xff}};
    sim::RegValue text{"S", platform::kRegExpandSz, {'%', 'x', '%', 0}};
    EXPECT_EQ(ValueToJson("D", dword), 1);
    EXPECT_EQ(ValueToJson("M", multi), nlohmann::json::array({"a", "b"}));
    EXPECT_EQ(ValueToJson("B", binary), "0a,ff");
    EXPECT_EQ(ValueToJson("S", text), "%x%");
    EXPECT_EQ(ValueToText("D", dword), "1 (0x00000001)");
    EXPECT_EQ(ValueToText("M", multi), "[\"a\", \"b\"]");
}

TEST_F(Reports, FileChangesAreListedWithoutContent) {
    PutFile("C:\\Keep\\same.txt", "same");
    PutFile("C:\\Keep\\edit.txt", "old");
    PutFile("C:\\Keep\\gone.txt", "gone");
    const MachineSnapshot before = TakeSnapshot(machine);
    PutFile("C:\\Keep\\edit.txt", "newer");
    PutFile("C:\\Keep\\domaininfo.dat", "DOMAIN SECRET BYTES");
    sim::RemoveDriveFile(machine, "C:\\Keep\\gone.txt");
    machine.attributes["C:\\Keep\\same.txt"] = platform::kFileAttributeReadOnly;
    RunReport report;
    CompareSnapshots(before, TakeSnapshot(machine), report);
    const std::string text = RenderText(report);
    EXPECT_NE(text.find("changed: C:\\Keep\\edit.txt (3 -> 5 bytes)"), std::string::npos) << text;
    EXPECT_NE(text.find("added: C:\\Keep\\domaininfo.dat (19 bytes)"), std::string::npos) << text;
    EXPECT_NE(text.find("deleted: C:\\Keep\\gone.txt"), std::string::npos) << text;
    EXPECT_NE(text.find("attributes: C:\\Keep\\same.txt (none -> readonly)"), std::string::npos) << text;
    EXPECT_EQ(text.find("DOMAIN SECRET"), std::string::npos);
}

}  // namespace
}  // namespace veltra::cli
