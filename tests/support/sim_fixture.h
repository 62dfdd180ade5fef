// A fresh simulated machine per test (its drives in memory) and the ports over
// it. Helpers keep the tables short.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/machine.h"
#include "platform/sim/sim_platform.h"
#include "runtime/action_table.h"

namespace veltra::testing {

// The caption of every message box the library shows.
inline constexpr const char* kCaption = "Veltra Authentication Agent for Windows";

// A folder under the system's temporary directory, removed on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A table row's label as a test name, for INSTANTIATE_TEST_SUITE_P.
std::string LabelName(const std::string& label);
inline constexpr auto kNameByLabel = [](const auto& info) { return LabelName(info.param.label); };

// A sample machine under tests/machines; a failed load is a test failure
// (and an empty machine).
sim::Machine SampleMachine(const std::string& name);

// Registry values as a key holds them, for whole-key comparisons.
sim::RegValue SzValue(const std::string& name, const std::string& text, platform::Dword type = 1 /* REG_SZ */);
sim::RegValue DwordValue(const std::string& name, platform::Dword value);

class SimFixture : public ::testing::Test {
protected:
    SimFixture();

    // Runs an exported action by name through the common frame.
    platform::Dword Run(std::string_view action);
    // The same as a deferred action: only "CustomActionData" (and the
    // installer-defined properties) are visible.
    platform::Dword RunDeferred(std::string_view action, const std::string& customActionData);

    // Registry shorthands on full key paths ("HKEY_LOCAL_MACHINE\\SOFTWARE\\X").
    void SetString(const std::string& key, const std::string& name, const std::string& value,
                   platform::Dword type = 1 /* REG_SZ */);
    void SetDword(const std::string& key, const std::string& name, platform::Dword value);
    void SetBinary(const std::string& key, const std::string& name, std::vector<std::uint8_t> data);
    // nullopt when the key or value is absent; strings without their terminator.
    std::optional<std::string> GetString(const std::string& key, const std::string& name) const;
    std::optional<platform::Dword> GetDword(const std::string& key, const std::string& name) const;
    std::optional<sim::RegValue> GetValue(const std::string& key, const std::string& name) const;
    bool KeyExists(const std::string& key) const;
    // A key's values in their order; none when the key is absent.
    std::vector<sim::RegValue> Values(const std::string& key) const;

    // Files by Windows path ("C:\\WINDOWS\\system32\\msgina.dll").
    void PutFile(const std::string& windowsPath, std::string_view content = "x");
    void PutFolder(const std::string& windowsPath);
    bool FileExists(const std::string& windowsPath) const;
    std::string ReadFile(const std::string& windowsPath) const;

    // Session properties.
    void SetProperty(const std::string& name, const std::string& value);
    std::string Property(const std::string& name) const;  // "" when absent

    // The message boxes shown, as "style:text|" each; the installer log as text.
    std::string Dialogs() const;
    std::string Log() const;
    // Exactly one message box, shown with no owner and the library caption.
    void ExpectOneMessage(const std::string& text, platform::Dword style) const;
    // The same, for a box with a caption of its own.
    void ExpectOneMessage(const std::string& caption, const std::string& text, platform::Dword style) const;
    void ExpectNoDialog() const;

    // Scripted answers.
    void Answer(int button) { machine.messageBoxAnswers.push_back(button); }
    void Choose(std::optional<std::string> path) { machine.fileChoices.push_back(std::move(path)); }

    sim::Machine machine;
    sim::SimPlatform sim;
};

}  // namespace veltra::testing
