// The report shows what changed, never a secret and never a file's content.
#include <gtest/gtest.h>

#include "cli/report.h"
#include "cli/secrets.h"
#include "platform/sim/sim_files.h"
#include "support/sim_fixture.h"

namespace veltra::cli {
namespace {

class Reports : public testing::SimFixture {};

TEST_F(Reports, SecretsAreMaskedAndFilesListedWithoutContent) {
    const std::string client = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\KESHCLIENT";
    const std::string network =
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Settings\\KVNETWORK";
    for (const char* name : {"same", "edit", "gone"}) PutFile("C:\\Keep\\" + std::string(name) + ".txt", "old");
    const MachineSnapshot before = TakeSnapshot(machine);
    SetBinary(client, "NodeSecret", {0x53, 0x45, 0x43, 0x52, 0x45, 0x54});
    SetBinary(network, "DCKey", {0xde, 0xad});
    SetBinary(network, "DomainSecret", {0xbe, 0xef});
    SetString(network, "dccert", "certificate text");
    SetString(network, "Visible", "shown");
    SetProperty("RESERVE_PASSWORD", "hunter2");
    SetProperty("REGISTRY_CONFIG_PASSWD", "True");
    PutFile("C:\\Keep\\edit.txt", "newer");
    PutFile("C:\\Keep\\domaininfo.dat", "DOMAIN SECRET BYTES");
    sim::RemoveDriveFile(machine, "C:\\Keep\\gone.txt");
    machine.attributes["C:\\Keep\\same.txt"] = platform::kFileAttributeReadOnly;
    RunReport report;
    CompareWithMachine(before, machine, report);
    const std::string text = RenderText(report);
    for (const std::string& shown : {text, RenderJson(report).dump()}) {
        for (const char* secret : {"534543524554", "53,45", "de,ad", "be,ef", "certificate text", "hunter2", "DOMAIN SECRET"}) {
            EXPECT_EQ(shown.find(secret), std::string::npos) << secret;
        }
        // A switch is not a secret.
        for (const std::string& visible : {std::string("shown"), std::string("True"), std::string(kMasked)}) {
            EXPECT_NE(shown.find(visible), std::string::npos) << visible;
        }
    }
    for (const char* line : {"changed: C:\\Keep\\edit.txt (3 -> 5 bytes)", "added: C:\\Keep\\domaininfo.dat (19 bytes)",
                             "deleted: C:\\Keep\\gone.txt", "attributes: C:\\Keep\\same.txt (none -> readonly)"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    }
}

TEST_F(Reports, ValuesAreShownByType) {
    const sim::RegValue dword{"D", platform::kRegDword, {1, 0, 0, 0}};
    const sim::RegValue multi{"M", platform::kRegMultiSz, {'a', 0, 'b', 0, 0}};
    EXPECT_EQ(ValueToJson("D", dword), 1);
    EXPECT_EQ(ValueToJson("M", multi), nlohmann::json::array({"a", "b"}));
    EXPECT_EQ(ValueToJson("B", {"B", platform::kRegBinary, {0x0a, 0xff}}), "0a,ff");
    EXPECT_EQ(ValueToJson("S", {"S", platform::kRegExpandSz, {'%', 'x', '%', 0}}), "%x%");
    EXPECT_EQ(ValueToText("D", dword), "1 (0x00000001)");
    EXPECT_EQ(ValueToText("M", multi), "[\"a\", \"b\"]");
}

}  // namespace
}  // namespace veltra::cli
