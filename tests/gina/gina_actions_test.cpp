// EnableGina and DisableGina as the installer runs them: deferred, with
// CustomActionData "<agent GINA path>;<UILevel>" and "<UILevel>", and an
// administrator who answers the questions (or nobody, at UI level 2).
#include <gtest/gtest.h>

#include "gina_fixture.h"

namespace veltra::testing {
namespace {

using platform::Dword;

const std::string kUnexpectedError =
    "An unexpected error has been encountered\n"
    "in setting the Gina.  A rollback of the\n"
    "installation will be performed.";

class GinaActionsTest : public GinaFixture {
protected:
    // UI levels as the package passes them: 5 full, 2 none.
    Dword EnableGina(const std::string& uiLevel = "5") {
        return RunDeferred("EnableGina", std::string(kAgentGina) + ";" + uiLevel);
    }
    Dword DisableGina(const std::string& uiLevel = "5") {
        return RunDeferred("DisableGina", uiLevel);
    }

    void PutOtherGina(const std::string& name = "othergina.dll") {
        PutSystemFile(name);
        SetString(kWinlogon, "GinaDLL", name);
    }

    // The message boxes shown, by the start of their text.
    std::vector<std::string> DialogOpenings() const {
        std::vector<std::string> openings;
        for (const sim::DialogRecord& box : Dialogs()) openings.push_back(box.text.substr(0, 30));
        return openings;
    }
};

constexpr const char* kConflictOpening = "The installation program has d";
constexpr const char* kStillLoadedOpening = "The Windows Installer service ";

// --- EnableGina -----------------------------------------------------------------

TEST_F(GinaActionsTest, EnableGinaWithoutDataFails) {
    const sim::RegistryTree before = machine.registry;
    for (const char* data : {"", ";", ";;"}) {
        SCOPED_TRACE(data);
        EXPECT_EQ(RunDeferred("EnableGina", data), 1603u);
    }
    EXPECT_TRUE(machine.registry == before);
    EXPECT_TRUE(Dialogs().empty());
}

TEST_F(GinaActionsTest, EnableGinaLinksTheAgentGinaBehindEveryChainingProduct) {
    InstallChainingProducts();
    sim::RegistryTree expected = machine.registry;
    expected.FindKey(kNortel)->SetValue("NextGinaToChain", platform::kRegSz, [] {
        std::string text = std::string(kAgentGina) + '\0';
        return std::vector<std::uint8_t>(text.begin(), text.end());
    }());

    EXPECT_EQ(EnableGina(), 0u);
    EXPECT_TRUE(machine.registry == expected) << "only the last link changes";
    EXPECT_TRUE(Dialogs().empty());

    EXPECT_EQ(DisableGina(), 0u);
    EXPECT_FALSE(GetValue(kNortel, "NextGinaToChain"));
    EXPECT_EQ(GetString(kWinlogon, "OdysseyPreviousGinaDLL"), "NnGina.dll");
    EXPECT_TRUE(Dialogs().empty());
}

TEST_F(GinaActionsTest, EnableGinaRepairsTheChainOfUninstalledProducts) {
    InstallChainingProducts();
    ASSERT_TRUE(Ports().files.DeleteFile(kCiscoGina));
    ASSERT_TRUE(Ports().files.DeleteFile("C:\\WINDOWS\\system32\\NnGina.dll"));

    EXPECT_EQ(EnableGina(), 0u);
    EXPECT_EQ(GetString(kPcAnywhere, "GinaDLL"), "ctxgina.dll");
    EXPECT_EQ(GetString(kCisco, "PreviousGinaPath"), "MSGina.dll");
    EXPECT_EQ(GetString(kWinlogon, "OdysseyPreviousGinaDLL"), kAgentGina);
    EXPECT_FALSE(GetValue(kNortel, "NextGinaToChain"));
    EXPECT_TRUE(Dialogs().empty());
}

TEST_F(GinaActionsTest, EnableGinaOverTwoGinasNamingEachOtherTurnsTheLoopIntoAChain) {
    PutSystemFile("awgina.dll");
    PutSystemFile("NnGina.dll");
    SetString(kWinlogon, "GinaDLL", "awgina.dll");
    SetString(kPcAnywhere, "GinaDLL", "NnGina.dll");
    SetString(kNortel, "NextGinaToChain", "awgina.dll");

    EXPECT_EQ(EnableGina(), 0u);
    EXPECT_EQ(Winlogon("GinaDLL"), "awgina.dll");
    EXPECT_EQ(GetString(kPcAnywhere, "GinaDLL"), "NnGina.dll");
    EXPECT_EQ(GetString(kNortel, "NextGinaToChain"), kAgentGina);

    EXPECT_EQ(DisableGina(), 0u);
    EXPECT_FALSE(GetValue(kNortel, "NextGinaToChain"));
}

TEST_F(GinaActionsTest, TheAdministratorLetsTheAgentGinaDisplaceAnotherProducts) {
    PutOtherGina();
    Answer(platform::kIdOk);
    EXPECT_EQ(EnableGina(), 0u);
    EXPECT_EQ(DialogOpenings(), std::vector<std::string>{kConflictOpening});
    EXPECT_EQ(
        Dialogs()[0].text.substr(Dialogs()[0].text.find("File: ")),
        "File: C:\\WINDOWS\\system32\\othergina.dll\nProduct: N/A\nDescription: N/A\nCompany: N/A");
    EXPECT_EQ(Winlogon("GinaDLL"), kAgentGina);
    EXPECT_EQ(Winlogon("KVSupercededGina"), "othergina.dll");

    // Removal puts the other product's GINA back.
    EXPECT_EQ(DisableGina(), 0u);
    EXPECT_EQ(Winlogon("GinaDLL"), "othergina.dll");
    EXPECT_FALSE(Winlogon("KVSupercededGina"));
    EXPECT_EQ(Dialogs().size(), 1u);
}

TEST_F(GinaActionsTest, TheAdministratorRefusesAndTheChainStaysAsItWas) {
    PutOtherGina();
    const sim::RegistryTree before = machine.registry;
    Answer(platform::kIdCancel);
    EXPECT_EQ(EnableGina(), 1603u);
    EXPECT_EQ(DialogOpenings(), std::vector<std::string>{kConflictOpening});
    EXPECT_TRUE(machine.registry == before);
}

TEST_F(GinaActionsTest, AQuietEnableGinaDisplacesTheOtherGinaWithoutAsking) {
    PutOtherGina();
    EXPECT_EQ(EnableGina("2"), 0u);
    EXPECT_TRUE(Dialogs().empty());
    EXPECT_EQ(Winlogon("GinaDLL"), kAgentGina);
    EXPECT_EQ(Winlogon("KVSupercededGina"), "othergina.dll");
}

TEST_F(GinaActionsTest, EnableGinaAsksAtEveryUiLevelButTwo) {
    const std::string path = kAgentGina;
    for (const std::string& data : {path, path + ";5", path + ";3", path + ";22", path + ";2x"}) {
        SCOPED_TRACE(data);
        PutOtherGina();
        machine.dialogs.clear();
        Answer(platform::kIdCancel);
        EXPECT_EQ(RunDeferred("EnableGina", data), 1603u);
        EXPECT_EQ(DialogOpenings(), std::vector<std::string>{kConflictOpening});
    }
}

TEST_F(GinaActionsTest, EmptyFieldsVanishBeforeTheUiLevelIsRead) {
    PutOtherGina();
    EXPECT_EQ(RunDeferred("EnableGina", std::string(kAgentGina) + ";;2;"), 0u);
    EXPECT_TRUE(Dialogs().empty());
    EXPECT_EQ(Winlogon("GinaDLL"), kAgentGina);
}

TEST_F(GinaActionsTest, Gina3IsDisplacedWithoutAsking) {
    for (const char* name : {"3-Gina.dll", "3-GINA.DLL"}) {
        SCOPED_TRACE(name);
        PutOtherGina(name);
        EXPECT_EQ(EnableGina(), 0u);
        EXPECT_TRUE(Dialogs().empty());
        EXPECT_EQ(Winlogon("GinaDLL"), kAgentGina);
        EXPECT_EQ(Winlogon("KVSupercededGina"), name);
    }
}

TEST_F(GinaActionsTest, Gina3NamedByItsPathIsAskedAbout) {
    PutFile("C:\\Program Files\\Three\\3-Gina.dll");
    SetString(kWinlogon, "GinaDLL", "C:\\Program Files\\Three\\3-Gina.dll");
    Answer(platform::kIdCancel);
    EXPECT_EQ(EnableGina(), 1603u);
    EXPECT_EQ(DialogOpenings(), std::vector<std::string>{kConflictOpening});
}

TEST_F(GinaActionsTest, TheLegacyAgentGinaIsReplacedWithoutAsking) {
    PutOtherGina("kvgina.dll");
    EXPECT_EQ(EnableGina(), 0u);
    EXPECT_TRUE(Dialogs().empty());
    EXPECT_EQ(Winlogon("KVSupercededGina"), "kvgina.dll");
}

TEST_F(GinaActionsTest, ARegistryFailureBringsTheUnexpectedErrorMessage) {
    Fail(std::string("RegOpenKeyExA:") + kWinlogon + "=5");
    EXPECT_EQ(EnableGina("2"), 1603u);
    ASSERT_EQ(Dialogs().size(), 1u);
    const sim::DialogRecord& box = Dialogs().front();
    EXPECT_EQ(box.text, kUnexpectedError);
    EXPECT_EQ(box.style, 0x00200010u);
    EXPECT_EQ(box.owner, "none");
    EXPECT_EQ(box.caption, kCaption);

    machine.dialogs.clear();
    EXPECT_EQ(DisableGina("2"), 1603u);
    ASSERT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(Dialogs().front().text, kUnexpectedError);
}

// GinaDLL cannot be written: the first try is a conflict at Winlogon itself,
// and the forced second try fails with the registry's error.
TEST_F(GinaActionsTest, ALinkThatCannotBeWrittenEndsInTheUnexpectedErrorMessage) {
    Fail(std::string("RegSetValueExA:") + kWinlogon + "\\GinaDLL=5");
    EXPECT_EQ(EnableGina("2"), 1603u);
    ASSERT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(Dialogs().front().text, kUnexpectedError);

    machine.dialogs.clear();
    Answer(platform::kIdOk);
    EXPECT_EQ(EnableGina(), 1603u);
    EXPECT_EQ(DialogOpenings(),
              (std::vector<std::string>{kConflictOpening, kUnexpectedError.substr(0, 30)}));
    // The conflict names Winlogon, which is no file.
    EXPECT_NE(Dialogs()[0].text.find("\n\nFile: \nProduct: N/A"), std::string::npos);
}

// --- DisableGina ----------------------------------------------------------------

TEST_F(GinaActionsTest, AQuietDisableGinaLeavesALoadedAgentGinaToTheRestart) {
    SetString(kWinlogon, "GinaDLL", kAgentGina);
    LoadAgentGina();
    EXPECT_EQ(DisableGina("2"), 0u);
    EXPECT_TRUE(Dialogs().empty());
    EXPECT_FALSE(Winlogon("GinaDLL"));
}

TEST_F(GinaActionsTest, DisableGinaIsQuietOnlyForDataTwoExactly) {
    SetString(kWinlogon, "GinaDLL", kAgentGina);
    LoadAgentGina();
    Answer(platform::kIdContinue);
    EXPECT_EQ(DisableGina("2;"), 0u);
    EXPECT_EQ(DialogOpenings(), std::vector<std::string>{kStillLoadedOpening});
}

TEST_F(GinaActionsTest, ContinueOverALoadedAgentGinaSucceeds) {
    SetString(kWinlogon, "GinaDLL", kAgentGina);
    LoadAgentGina();
    Answer(platform::kIdContinue);
    EXPECT_EQ(DisableGina(), 0u);
    ASSERT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(Dialogs()[0].style, 0x00200016u);
    // Named by its file name, which the search path does not find outside
    // the system folder.
    EXPECT_EQ(Dialogs()[0].text.substr(Dialogs()[0].text.find("File: ")),
              "File: KeshGina.dll\nProduct: N/A\nDescription: N/A\nCompany: N/A");
    EXPECT_FALSE(Winlogon("GinaDLL"));
}

TEST_F(GinaActionsTest, CancelOverALoadedAgentGinaFailsButTheAgentGinaIsOutAlready) {
    SetString(kWinlogon, "GinaDLL", kAgentGina);
    LoadAgentGina();
    Answer(platform::kIdCancel);
    EXPECT_EQ(DisableGina(), 1603u);
    EXPECT_EQ(DialogOpenings(), std::vector<std::string>{kStillLoadedOpening});
    EXPECT_FALSE(Winlogon("GinaDLL"));
}

TEST_F(GinaActionsTest, TryAgainRunsTheWholeChainLogicAgain) {
    // An earlier forced installation remembered the agent GINA itself as the
    // GINA it displaced, so taking it out links it straight back in.
    SetString(kWinlogon, "GinaDLL", kAgentGina);
    SetString(kWinlogon, "KVSupercededGina", kAgentGina);
    LoadAgentGina();
    Answer(platform::kIdTryAgain);
    Answer(platform::kIdContinue);
    EXPECT_EQ(DisableGina(), 0u);
    EXPECT_EQ(DialogOpenings(),
              (std::vector<std::string>{kStillLoadedOpening, kStillLoadedOpening}));
    EXPECT_FALSE(Winlogon("GinaDLL"));
    EXPECT_FALSE(Winlogon("KVSupercededGina"));
}

TEST_F(GinaActionsTest, TryAgainOnceTheAgentGinaIsOutSucceeds) {
    SetString(kWinlogon, "GinaDLL", kAgentGina);
    LoadAgentGina();
    Answer(platform::kIdTryAgain);
    EXPECT_EQ(DisableGina(), 0u);
    EXPECT_EQ(Dialogs().size(), 1u);
}

TEST_F(GinaActionsTest, DisableGinaLeavesAnotherProductsChainAlone) {
    InstallChainingProducts();
    const sim::RegistryTree before = machine.registry;
    EXPECT_EQ(DisableGina(), 0u);
    EXPECT_TRUE(machine.registry == before);
    EXPECT_TRUE(Dialogs().empty());
}

}  // namespace
}  // namespace veltra::testing
