// The simulated session, system and user interface against the Windows
// contracts they model: answers are recorded and scripted, never guessed.
#include <gtest/gtest.h>

#include <cstring>

#include "support/sim_fixture.h"

namespace veltra::sim {
namespace {

class Contract : public testing::SimFixture {
protected:
    platform::Installer& installer() { return sim.platform().installer; }
    platform::System& system() { return sim.platform().system; }
    platform::Windows& ui() { return sim.platform().windows; }
};

struct BufferCase {
    const char* value;
    platform::Dword capacity;
    platform::Dword expectedResult;
    platform::Dword expectedLength;
    const char* expectedBuffer;
};

class PropertyBuffers : public Contract, public ::testing::WithParamInterface<BufferCase> {};

TEST_P(PropertyBuffers, FollowTheLengthProtocol) {
    const BufferCase& c = GetParam();
    SetProperty("Name", c.value);
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    platform::Dword length = c.capacity;
    EXPECT_EQ(installer().GetProperty("Name", buffer, &length), c.expectedResult);
    EXPECT_EQ(length, c.expectedLength);
    if (c.capacity > 0) {
        EXPECT_STREQ(buffer, c.expectedBuffer);
    } else {
        EXPECT_EQ(buffer[0], '#') << "a zero-length buffer is not touched";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Capacities, PropertyBuffers,
    // Windows, from a custom action: a value that does not fit is cut and
    // terminated, and its needed length comes in bytes (twice "four").
    ::testing::Values(BufferCase{"four", 0, 234, 8, ""},       // the size query
                      BufferCase{"four", 4, 234, 8, "fou"},    // one short: cut and terminated
                      BufferCase{"four", 5, 0, 4, "four"},     // exact
                      BufferCase{"", 0, 234, 0, ""}));         // even "" needs room for its terminator

TEST_F(Contract, AnUndefinedPropertyReadsAsEmptyAndNamesAreCaseSensitive) {
    SetProperty("INSTALLDIR", "C:\\A\\");
    char buffer[8] = "junk";
    platform::Dword length = sizeof buffer;
    EXPECT_EQ(installer().GetProperty("InstallDir", buffer, &length), 0u);
    EXPECT_EQ(length, 0u);
    EXPECT_STREQ(buffer, "");
}

TEST_F(Contract, SettingEmptyDeletesTheProperty) {
    SetProperty("P", "x");
    EXPECT_EQ(installer().SetProperty("P", ""), 0u);
    EXPECT_EQ(machine.session.properties.count("P"), 0u);
}

TEST_F(Contract, ADeferredActionSeesOnlyItsDataAndTheInstallerDefinedProperties) {
    SetProperty("INSTALLDIR", "C:\\A\\");
    SetProperty("ProductCode", "{P}");
    SetProperty("UserSID", "S-1-5-18");
    SetProperty("CustomActionData", "data");
    machine.session.deferred = true;
    for (const auto& [name, expected] : std::vector<std::pair<const char*, const char*>>{
             {"INSTALLDIR", ""}, {"ProductCode", "{P}"}, {"UserSID", "S-1-5-18"}, {"CustomActionData", "data"}}) {
        char buffer[32];
        platform::Dword length = sizeof buffer;
        EXPECT_EQ(installer().GetProperty(name, buffer, &length), 0u) << name;
        EXPECT_STREQ(buffer, expected) << name;
    }
    EXPECT_NE(installer().SetProperty("X", "1"), 0u);
    EXPECT_EQ(machine.session.properties.count("X"), 0u);
    machine.session.targetPaths["INSTALLDIR"] = "C:\\A\\";
    char buffer[32];
    platform::Dword length = sizeof buffer;
    EXPECT_NE(installer().GetTargetPath("INSTALLDIR", buffer, &length), 0u);
}

TEST_F(Contract, FeatureStatesArePerProduct) {
    machine.session.featureStates["{A}"]["LocalAuthClient"] = platform::kInstallStateLocal;
    EXPECT_EQ(installer().QueryFeatureState("{A}", "LocalAuthClient"), platform::kInstallStateLocal);
    EXPECT_EQ(installer().QueryFeatureState("{B}", "LocalAuthClient"), platform::kInstallStateUnknown);
    EXPECT_EQ(installer().QueryFeatureState("{A}", "Autoreg"), platform::kInstallStateUnknown);
}

TEST_F(Contract, ANullBufferGetsTheLengthAndSuccess) {
    SetProperty("Name", "four");
    platform::Dword length = 0;
    EXPECT_EQ(installer().GetProperty("Name", nullptr, &length), 0u);
    EXPECT_EQ(length, 8u);
    char buffer[4];
    EXPECT_EQ(installer().GetProperty("Name", buffer, nullptr), 87u);
}

TEST_F(Contract, ProductInfoOfAnUnknownProductIsAnError) {
    machine.session.products["{A}"]["InstallLocation"] = "C:\\A\\";
    char buffer[32];
    platform::Dword length = sizeof buffer;
    EXPECT_EQ(installer().GetProductInfo("{B}", "InstallLocation", buffer, &length), 1605u);
    length = sizeof buffer;
    EXPECT_EQ(installer().GetProductInfo("{A}", "Other", buffer, &length), 1608u);
    length = sizeof buffer;
    EXPECT_EQ(installer().GetProductInfo("{A}", "InstallLocation", buffer, &length), 0u);
    EXPECT_STREQ(buffer, "C:\\A\\");
    length = 2;  // not a session call: the length stays in characters
    EXPECT_EQ(installer().GetProductInfo("{A}", "InstallLocation", buffer, &length), 234u);
    EXPECT_EQ(length, 5u);
    EXPECT_STREQ(buffer, "C");
}

TEST_F(Contract, ExpandsKnownVariablesAndKeepsUnknownOnes) {
    machine.environment["SystemRoot"] = "C:\\WINDOWS";
    char buffer[64];
    EXPECT_EQ(system().ExpandEnvironmentStrings("%systemroot%\\SYSTEM32\\x.dll", buffer, sizeof buffer), 26u);
    EXPECT_STREQ(buffer, "C:\\WINDOWS\\SYSTEM32\\x.dll");
    system().ExpandEnvironmentStrings("%NOPE%\\%SystemRoot%", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "%NOPE%\\C:\\WINDOWS");
    char small[4] = "abc";
    EXPECT_EQ(system().ExpandEnvironmentStrings("%SystemRoot%", small, sizeof small), 11u);
    EXPECT_STREQ(small, "abc") << "nothing is copied when it does not fit";
}

TEST_F(Contract, AMutexReportsWhetherItAlreadyExisted) {
    {
        platform::Mutex fresh(system(), system().CreateMutex("Global\\Test"));
        EXPECT_TRUE(fresh);
        EXPECT_EQ(system().GetLastError(), 0u);
    }
    EXPECT_FALSE(machine.mutexes.contains("Global\\Test")) << "gone with its last handle";
    machine.mutexes.insert("Global\\DETECT_KVGINASA_LOADED");
    platform::Mutex existing(system(), system().CreateMutex("global\\detect_kvginasa_loaded"));
    EXPECT_EQ(system().GetLastError(), platform::kErrorAlreadyExists);
}

TEST_F(Contract, AppletsAnswerFromTheirScript) {
    PutFile("C:\\Agent\\kvcontrl.cpl");
    machine.applets["C:\\Agent\\kvcontrl.cpl"] = {1, 0};
    platform::Module applet(system(), system().LoadLibrary("C:\\Agent\\kvcontrl.cpl"));
    ASSERT_TRUE(applet);
    int result = -1;
    EXPECT_TRUE(system().CallWindowExport(applet.get(), "ConfigureNAPServer", {}, &result));
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(system().CallWindowExport(applet.get(), "ConfigureNAPServer", {}, &result));
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(system().CallWindowExport(applet.get(), "Other", {}, &result));
    EXPECT_EQ(system().GetLastError(), platform::kErrorProcNotFound);
    EXPECT_FALSE(system().LoadLibrary("C:\\Agent\\missing.cpl"));
    EXPECT_EQ(system().GetLastError(), platform::kErrorModNotFound);
}

TEST_F(Contract, AnswersComeInOrder) {
    Answer(platform::kIdCancel);
    Answer(platform::kIdOk);
    EXPECT_EQ(ui().MessageBox({}, "first", "c", 0x1), platform::kIdCancel);
    EXPECT_EQ(ui().MessageBox({}, "second", "c", 0x0), platform::kIdOk);
    ASSERT_EQ(machine.dialogs.size(), 2u);
    EXPECT_EQ(machine.dialogs[0].answer, "CANCEL");
    EXPECT_FALSE(machine.unansweredDialog);
}

TEST_F(Contract, AnUnscriptedBoxOrAnAnswerThatIsNotAButtonOfTheBoxIsNotGuessed) {
    EXPECT_EQ(ui().MessageBox({}, "Who am I?", "Caption", 0x4), 0);
    ASSERT_TRUE(machine.unansweredDialog);
    EXPECT_NE(machine.unansweredDialog->find("Who am I?"), std::string::npos);
    machine.unansweredDialog.reset();
    Answer(platform::kIdYes);
    EXPECT_EQ(ui().MessageBox({}, "text", "c", 0x00200016), 0);  // Cancel / Try Again / Continue
    ASSERT_TRUE(machine.unansweredDialog);
    EXPECT_NE(machine.unansweredDialog->find("YES"), std::string::npos);
}

TEST_F(Contract, FileDialogsTakeAPathOrCancel) {
    platform::OpenFileNameArgs args;
    args.title = "Select Kvconf.rec";
    args.filter = {{"Rec Files (*.rec)", "*.rec"}, {"All Files (*.*)", "*.*"}};
    Choose("C:\\Files\\kvconf.rec");
    Choose(std::nullopt);
    std::string path = "C:\\Start\\kvconf.rec";
    EXPECT_TRUE(ui().GetOpenFileName(args, path));
    EXPECT_EQ(path, "C:\\Files\\kvconf.rec");
    EXPECT_FALSE(ui().GetOpenFileName(args, path));
    EXPECT_EQ(path, "C:\\Files\\kvconf.rec");
    ASSERT_EQ(machine.dialogs.size(), 2u);
    EXPECT_EQ(machine.dialogs[0].text, "C:\\Start\\kvconf.rec");
    EXPECT_EQ(machine.dialogs[1].answer, "CANCEL");
    EXPECT_FALSE(ui().GetOpenFileName(args, path));
    EXPECT_TRUE(machine.unansweredDialog);
}

TEST_F(Contract, OnlyTheInteractiveWindowStationOpens) {
    EXPECT_FALSE(ui().OpenWindowStation("Service-0x0-3e7$", platform::kMaximumAllowed));
    const auto station = ui().OpenWindowStation("WinSta0", platform::kMaximumAllowed);
    EXPECT_TRUE(station);
    EXPECT_TRUE(ui().CloseWindowStation(station));
}

}  // namespace
}  // namespace veltra::sim
