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

#include "pe_headers.h"
#include "runtime/action_table.h"

namespace veltra::pe {
namespace {

struct BuiltDll {
    const char* arch;
    const char* path;
    bool built;              // false when this tree could not cross-build it
    const char* fileFormat;  // what objdump calls its machine type
};

// Test names show the build, not the bytes of the parameter.
void PrintTo(const BuiltDll& dll, std::ostream* out) {
    *out << dll.arch;
}

std::string ToLower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The DLLs every Windows system has; anything else would have to be shipped.
const std::set<std::string>& SystemDlls() {
    static const std::set<std::string> names = {
        "kernel32.dll", "user32.dll",  "advapi32.dll", "shlwapi.dll", "shell32.dll",
        "comdlg32.dll", "version.dll", "netapi32.dll", "msi.dll",     "msvcrt.dll",
    };
    return names;
}

class BuiltDllTest : public ::testing::TestWithParam<BuiltDll> {
protected:
    void SetUp() override {
        const BuiltDll& dll = GetParam();
        if (!dll.built) {
            GTEST_SKIP() << "the " << dll.arch << " DLL is not built in this tree (no MinGW-w64 "
                         << "compiler, or VELTRA_WINDOWS_BUILDS=OFF)";
        }
        if (std::string(VELTRA_OBJDUMP).empty()) {
            GTEST_SKIP() << "x86_64-w64-mingw32-objdump not found (Debian package "
                            "binutils-mingw-w64-x86-64)";
        }
        ASSERT_TRUE(std::filesystem::exists(dll.path))
            << dll.path << " is missing: build the tree (cmake --build) before testing";
        std::string error;
        const auto text = RunObjdump(VELTRA_OBJDUMP, dll.path, error);
        ASSERT_TRUE(text) << error;
        headers = ParseObjdump(*text);
    }

    PeHeaders headers;
};

TEST_P(BuiltDllTest, ExportsExactlyTheActionTableUnderPlainNames) {
    std::set<std::string> expected;
    for (const auto& action : runtime::ActionTable()) expected.emplace(action.name);
    ASSERT_EQ(expected.size(), 67u) << "the action table itself changed size";

    const std::set<std::string> exported(headers.exports.begin(), headers.exports.end());
    EXPECT_EQ(exported.size(), headers.exports.size()) << "a name is exported twice";

    std::vector<std::string> missing;
    std::set_difference(expected.begin(), expected.end(), exported.begin(), exported.end(),
                        std::back_inserter(missing));
    std::vector<std::string> extra;
    std::set_difference(exported.begin(), exported.end(), expected.begin(), expected.end(),
                        std::back_inserter(extra));
    EXPECT_TRUE(missing.empty()) << "actions not exported: " << ::testing::PrintToString(missing);
    EXPECT_TRUE(extra.empty()) << "exports that are not actions: "
                               << ::testing::PrintToString(extra);
}

TEST_P(BuiltDllTest, NoExportIsDecorated) {
    ASSERT_FALSE(headers.exports.empty());
    for (const std::string& name : headers.exports) {
        EXPECT_EQ(name.find('@'), std::string::npos) << name << " carries a stdcall decoration";
        EXPECT_NE(name.front(), '_') << name << " carries a leading underscore";
    }
}

TEST_P(BuiltDllTest, ImportsOnlySystemDlls) {
    ASSERT_FALSE(headers.imports.empty());
    for (const std::string& name : headers.imports) {
        const std::string lower = ToLower(name);
        EXPECT_EQ(lower.find("libstdc++"), std::string::npos) << name;
        EXPECT_EQ(lower.find("libgcc"), std::string::npos) << name;
        EXPECT_EQ(lower.find("libwinpthread"), std::string::npos) << name;
        EXPECT_TRUE(SystemDlls().contains(lower)) << name << " is not a Windows system DLL";
    }
    const std::set<std::string> imported = [&] {
        std::set<std::string> names;
        for (const auto& name : headers.imports) names.insert(ToLower(name));
        return names;
    }();
    EXPECT_TRUE(imported.contains("msi.dll")) << "the installer's interface is not imported";
}

TEST_P(BuiltDllTest, IsADllForItsMachine) {
    EXPECT_EQ(headers.fileFormat, GetParam().fileFormat);
    EXPECT_TRUE(headers.isDll) << "the DLL characteristic is not set";
}

INSTANTIATE_TEST_SUITE_P(
    Builds, BuiltDllTest,
    ::testing::Values(BuiltDll{"i686", VELTRA_DLL_I686, VELTRA_DLL_I686_BUILT != 0, "pei-i386"},
                      BuiltDll{"x64", VELTRA_DLL_X64, VELTRA_DLL_X64_BUILT != 0, "pei-x86-64"}),
    [](const ::testing::TestParamInfo<BuiltDll>& info) { return std::string(info.param.arch); });

// agentca-capture.exe beside each DLL: a console program that runs on every
// Windows the DLL runs on (the same OS and subsystem versions) and needs
// nothing but system DLLs, exporting nothing.
struct BuiltExe {
    const char* arch;
    const char* exe;
    const char* dll;
    bool built;
    const char* fileFormat;
};

void PrintTo(const BuiltExe& exe, std::ostream* out) {
    *out << exe.arch;
}

class BuiltExeTest : public ::testing::TestWithParam<BuiltExe> {
protected:
    void SetUp() override {
        const BuiltExe& exe = GetParam();
        if (!exe.built) GTEST_SKIP() << "the " << exe.arch << " build is not made in this tree";
        if (std::string(VELTRA_OBJDUMP).empty()) GTEST_SKIP() << "x86_64-w64-mingw32-objdump not found";
        for (const char* path : {exe.exe, exe.dll}) {
            ASSERT_TRUE(std::filesystem::exists(path)) << path << " is missing: build the tree before testing";
            std::string error;
            const auto text = RunObjdump(VELTRA_OBJDUMP, path, error);
            ASSERT_TRUE(text) << error;
            (path == exe.exe ? headers : dllHeaders) = ParseObjdump(*text);
        }
    }
    PeHeaders headers, dllHeaders;
};

TEST_P(BuiltExeTest, IsAConsoleProgramForTheDllsWindowsImportingOnlySystemDlls) {
    EXPECT_EQ(headers.fileFormat, GetParam().fileFormat);
    EXPECT_FALSE(headers.isDll);
    EXPECT_TRUE(headers.exports.empty()) << ::testing::PrintToString(headers.exports);
    EXPECT_EQ(headers.subsystem, 3u) << "not a console program";
    EXPECT_EQ(headers.osVersion, "4.0");
    EXPECT_EQ(headers.osVersion, dllHeaders.osVersion);
    EXPECT_EQ(headers.subsystemVersion, dllHeaders.subsystemVersion);
    ASSERT_FALSE(headers.imports.empty());
    for (const std::string& name : headers.imports) {
        EXPECT_TRUE(SystemDlls().contains(ToLower(name))) << name << " is not a Windows system DLL";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Builds, BuiltExeTest,
    ::testing::Values(BuiltExe{"i686", VELTRA_CAPTURE_I686, VELTRA_DLL_I686, VELTRA_DLL_I686_BUILT != 0, "pei-i386"},
                      BuiltExe{"x64", VELTRA_CAPTURE_X64, VELTRA_DLL_X64, VELTRA_DLL_X64_BUILT != 0, "pei-x86-64"}),
    [](const ::testing::TestParamInfo<BuiltExe>& info) { return std::string(info.param.arch); });

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

TEST(ObjdumpParser, AnExecutableIsNotADll) {
    const PeHeaders headers = ParseObjdump("Characteristics 0x0102\n\texecutable\n");
    EXPECT_FALSE(headers.isDll);
}

TEST(ObjdumpParser, ReadsTheVersionsAndSubsystem) {
    const PeHeaders headers = ParseObjdump(
        "MajorLinkerVersion\t2\nMajorOSystemVersion\t4\nMinorOSystemVersion\t0\nMajorImageVersion\t1\n"
        "MajorSubsystemVersion\t5\nMinorSubsystemVersion\t2\nWin32Version\t\t00000000\n"
        "Subsystem\t\t00000003\t(Windows CUI)\n");
    EXPECT_EQ(headers.osVersion, "4.0");
    EXPECT_EQ(headers.subsystemVersion, "5.2");
    EXPECT_EQ(headers.subsystem, 3u);
}

}  // namespace
}  // namespace veltra::pe
