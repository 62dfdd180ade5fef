// Linking the agent GINA in at the end of the chain without the dialogs: the
// name reported into a buffer, and the agent GINA of this installation.
#include <gtest/gtest.h>

#include "gina/gina_chain.h"
#include "gina_fixture.h"

namespace veltra::testing {
namespace {

using gina::NameBuffer;
using platform::Dword;

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

}  // namespace
}  // namespace veltra::testing
