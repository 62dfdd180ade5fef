// The built DLLs as the Windows loader and msiexec see them: every action of
// the table exported under its plain name and nothing else, only system DLLs
// imported (no MinGW runtime to ship), and the right machine type.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "pe_headers.h"
#include "runtime/action_table.h"

namespace veltra::pe {
namespace {

// Each build's DLL and agentca-capture.exe beside it.
struct Build {
    const char* arch;
    const char* dll;
    const char* exe;
    bool built;              // false when this tree could not cross-build it
    const char* fileFormat;  // what objdump calls its machine type
};

// Test names show the build, not the bytes of the parameter.
void PrintTo(const Build& build, std::ostream* out) {
    *out << build.arch;
}

std::string ToLower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Imports only DLLs every Windows system has; anything else (the MinGW
// runtime above all) would have to be shipped.
void ExpectOnlySystemImports(const PeHeaders& headers) {
    static const std::set<std::string> kSystemDlls = {
        "kernel32.dll", "user32.dll",  "advapi32.dll", "shlwapi.dll", "shell32.dll",
        "comdlg32.dll", "version.dll", "netapi32.dll", "msi.dll",     "msvcrt.dll",
    };
    ASSERT_FALSE(headers.imports.empty());
    for (const std::string& name : headers.imports) {
        EXPECT_TRUE(kSystemDlls.contains(ToLower(name))) << name << " is not a Windows system DLL";
    }
}

class BuildTest : public ::testing::TestWithParam<Build> {
protected:
    void SetUp() override {
        const Build& build = GetParam();
        if (!build.built) {
            GTEST_SKIP() << "the " << build.arch << " build is not made in this tree (no MinGW-w64 "
                         << "compiler, or VELTRA_WINDOWS_BUILDS=OFF)";
        }
        if (std::string(VELTRA_OBJDUMP).empty()) {
            GTEST_SKIP() << "x86_64-w64-mingw32-objdump not found (Debian package "
                            "binutils-mingw-w64-x86-64)";
        }
        for (const char* path : {build.dll, build.exe}) {
            ASSERT_TRUE(std::filesystem::exists(path)) << path << " is missing: build the tree before testing";
            const cli::Outcome dump = cli::Run(VELTRA_OBJDUMP, {"-p", path});
            ASSERT_EQ(dump.status, 0) << dump.out;
            (path == build.dll ? dll : exe) = ParseObjdump(dump.out);
        }
    }
    PeHeaders dll, exe;
};

// Every action under its plain name (no stdcall decoration, no leading
// underscore), once, and nothing else.
TEST_P(BuildTest, TheDllExportsExactlyTheActionTableAndImportsOnlySystemDlls) {
    std::set<std::string> expected;
    for (const auto& action : runtime::ActionTable()) expected.emplace(action.name);
    ASSERT_EQ(expected.size(), 67u) << "the action table itself changed size";
    EXPECT_EQ(std::set<std::string>(dll.exports.begin(), dll.exports.end()), expected);
    EXPECT_EQ(dll.exports.size(), expected.size()) << "a name is exported twice";
    EXPECT_EQ(dll.fileFormat, GetParam().fileFormat);
    EXPECT_TRUE(dll.isDll) << "the DLL characteristic is not set";
    ExpectOnlySystemImports(dll);
    EXPECT_TRUE(std::any_of(dll.imports.begin(), dll.imports.end(), [](const std::string& name) {
        return ToLower(name) == "msi.dll";
    })) << "the installer's interface is not imported";
}

// A console program that runs on every Windows the DLL runs on (the same OS
// and subsystem versions), exporting nothing.
TEST_P(BuildTest, TheCaptureIsAConsoleProgramForTheDllsWindows) {
    EXPECT_EQ(exe.fileFormat, GetParam().fileFormat);
    EXPECT_FALSE(exe.isDll);
    EXPECT_TRUE(exe.exports.empty()) << ::testing::PrintToString(exe.exports);
    EXPECT_EQ(exe.subsystem, 3u) << "not a console program";
    EXPECT_EQ(exe.osVersion, "4.0");
    EXPECT_EQ(exe.osVersion, dll.osVersion);
    EXPECT_EQ(exe.subsystemVersion, dll.subsystemVersion);
    ExpectOnlySystemImports(exe);
}

INSTANTIATE_TEST_SUITE_P(
    Builds, BuildTest,
    ::testing::Values(Build{"i686", VELTRA_DLL_I686, VELTRA_CAPTURE_I686, VELTRA_DLL_I686_BUILT != 0, "pei-i386"},
                      Build{"x64", VELTRA_DLL_X64, VELTRA_CAPTURE_X64, VELTRA_DLL_X64_BUILT != 0, "pei-x86-64"}),
    [](const ::testing::TestParamInfo<Build>& info) { return std::string(info.param.arch); });

// The parser against a fixed excerpt, so that a change in objdump's layout
// shows up here rather than as a puzzling export list.
TEST(ObjdumpParser, ReadsFormatDllFlagImportsAndExportNames) {
    const std::string text =
        "\nx.dll:     file format pei-i386\n\n"
        "Characteristics 0x230e\n\texecutable\n\tDLL\n\n"
        "\tDLL Name: KERNEL32.dll\n\tvma:  Hint/Ord Member-Name Bound-To\n"
        "\tDLL Name: msi.dll\n\n"
        "\tExport Address Table \t\t00000002\n"
        "\t[Name Pointer/Ordinal] Table\t00000002\n"
        "Export Address Table -- Ordinal Base 1\n"
        "\t[   0] +base[   1] 27d0 Export RVA\n\t[   1] +base[   2] 2630 Export RVA\n\n"
        "[Ordinal/Name Pointer] Table\n\t[   0] DisableGina\n\t[   1] EnableGina\n\n"
        "The Function Table (interpreted .pdata section contents)\n";
    const PeHeaders headers = ParseObjdump(text);
    EXPECT_EQ(headers.fileFormat, "pei-i386");
    EXPECT_TRUE(headers.isDll);
    EXPECT_EQ(headers.imports, (std::vector<std::string>{"KERNEL32.dll", "msi.dll"}));
    EXPECT_EQ(headers.exports, (std::vector<std::string>{"DisableGina", "EnableGina"}));
}

TEST(ObjdumpParser, ReadsTheVersionsAndSubsystemOfAnExecutable) {
    const PeHeaders headers = ParseObjdump(
        "Characteristics 0x0102\n\texecutable\nMajorLinkerVersion\t2\nMajorOSystemVersion\t4\nMinorOSystemVersion\t0\nMajorImageVersion\t1\n"
        "MajorSubsystemVersion\t5\nMinorSubsystemVersion\t2\nWin32Version\t\t00000000\n"
        "Subsystem\t\t00000003\t(Windows CUI)\n");
    EXPECT_EQ(headers.osVersion, "4.0");
    EXPECT_EQ(headers.subsystemVersion, "5.2");
    EXPECT_EQ(headers.subsystem, 3u);
    EXPECT_FALSE(headers.isDll);
}

}  // namespace
}  // namespace veltra::pe
