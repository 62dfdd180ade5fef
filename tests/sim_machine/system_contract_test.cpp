#include <gtest/gtest.h>

#include "support/sim_fixture.h"

namespace veltra::sim {
namespace {

class SystemContract : public testing::SimFixture {
protected:
    platform::System& system() { return sim.platform().system; }
};

TEST_F(SystemContract, ExpandsKnownVariablesAndKeepsUnknownOnes) {
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

TEST_F(SystemContract, AMutexReportsWhetherItAlreadyExisted) {
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

TEST_F(SystemContract, AppletsAnswerFromTheirScript) {
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

}  // namespace
}  // namespace veltra::sim
