#include "support/sim_fixture.h"

#include <atomic>
#include <cctype>
#include <unistd.h>

#include "cli/machine_folder.h"
#include "platform/sim/engine/engine.h"
#include "platform/sim/sim_files.h"

namespace veltra::testing {

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("veltra-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string LabelName(const std::string& label) {
    std::string name;
    for (const char ch : label) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return name;
}

sim::Machine SampleMachine(const std::string& name) {
    std::string error;
    auto loaded = cli::LoadedMachine::Open(std::string(VELTRA_TESTS_DIR) + "/machines/" + name, error);
    EXPECT_NE(loaded, nullptr) << error;
    return loaded ? std::move(loaded->machine()) : sim::Machine();
}

sim::RegValue SzValue(const std::string& name, const std::string& text, platform::Dword type) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return {name, type, std::move(data)};
}

sim::RegValue DwordValue(const std::string& name, platform::Dword value) {
    return {name, platform::kRegDword,
            {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
             static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)}};
}

SimFixture::SimFixture() : sim(machine) {}

namespace {

const runtime::ActionEntry* BuiltAction(std::string_view action) {
    const runtime::ActionEntry* entry = runtime::FindAction(action);
    EXPECT_NE(entry, nullptr) << "no action " << action;
    if (entry != nullptr) EXPECT_NE(entry->function, nullptr) << action << " is not built yet";
    return entry;
}

}  // namespace

platform::Dword SimFixture::Run(std::string_view action) {
    const runtime::ActionEntry* entry = BuiltAction(action);
    return entry != nullptr ? sim::engine::RunLibraryAction(*entry, machine, std::nullopt) : 0xFFFFFFFF;
}

platform::Dword SimFixture::RunDeferred(std::string_view action, const std::string& customActionData) {
    const runtime::ActionEntry* entry = BuiltAction(action);
    return entry != nullptr ? sim::engine::RunLibraryAction(*entry, machine, customActionData) : 0xFFFFFFFF;
}

void SimFixture::SetString(const std::string& key, const std::string& name, const std::string& value,
                           platform::Dword type) {
    sim::RegValue v = SzValue(name, value, type);
    machine.registry.CreateKey(key)->SetValue(name, type, std::move(v.data));
}

void SimFixture::SetDword(const std::string& key, const std::string& name, platform::Dword value) {
    machine.registry.CreateKey(key)->SetValue(name, platform::kRegDword, DwordValue(name, value).data);
}

void SimFixture::SetBinary(const std::string& key, const std::string& name, std::vector<std::uint8_t> data) {
    machine.registry.CreateKey(key)->SetValue(name, platform::kRegBinary, std::move(data));
}

std::optional<sim::RegValue> SimFixture::GetValue(const std::string& key, const std::string& name) const {
    const auto node = machine.registry.FindKey(key);
    if (!node) return std::nullopt;
    const sim::RegValue* value = node->FindValue(name);
    if (value == nullptr) return std::nullopt;
    return *value;
}

std::optional<std::string> SimFixture::GetString(const std::string& key, const std::string& name) const {
    const auto value = GetValue(key, name);
    if (!value) return std::nullopt;
    std::string text(value->data.begin(), value->data.end());
    if (const auto zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
    return text;
}

std::optional<platform::Dword> SimFixture::GetDword(const std::string& key, const std::string& name) const {
    const auto value = GetValue(key, name);
    if (!value || value->data.size() != 4) return std::nullopt;
    const auto& d = value->data;
    return static_cast<platform::Dword>(d[0]) | (static_cast<platform::Dword>(d[1]) << 8) |
           (static_cast<platform::Dword>(d[2]) << 16) | (static_cast<platform::Dword>(d[3]) << 24);
}

bool SimFixture::KeyExists(const std::string& key) const { return machine.registry.FindKey(key) != nullptr; }

std::vector<sim::RegValue> SimFixture::Values(const std::string& key) const {
    const auto node = machine.registry.FindKey(key);
    return node ? node->values() : std::vector<sim::RegValue>{};
}

void SimFixture::PutFile(const std::string& windowsPath, std::string_view content) {
    ASSERT_TRUE(sim::PutDriveFile(machine, windowsPath, content)) << "bad path " << windowsPath;
}

void SimFixture::PutFolder(const std::string& windowsPath) {
    ASSERT_TRUE(sim::MakeDriveFolder(machine, windowsPath)) << "bad path " << windowsPath;
}

bool SimFixture::FileExists(const std::string& windowsPath) const {
    const auto normal = sim::NormalizeWindowsPath(windowsPath);
    return normal && machine.drives.Find(*normal) != nullptr;
}

std::string SimFixture::ReadFile(const std::string& windowsPath) const {
    return sim::ReadDriveFile(machine, windowsPath).value_or(std::string());
}

void SimFixture::SetProperty(const std::string& name, const std::string& value) {
    machine.session.properties[name] = value;
}

std::string SimFixture::Property(const std::string& name) const {
    const auto it = machine.session.properties.find(name);
    return it == machine.session.properties.end() ? std::string() : it->second;
}

std::string SimFixture::Dialogs() const {
    std::string all;
    for (const sim::DialogRecord& d : machine.dialogs) all += std::to_string(d.style) + ":" + d.text + "|";
    return all;
}

std::string SimFixture::Log() const {
    std::string text;
    for (const std::string& line : machine.session.log) text += line + "\n";
    return text;
}

void SimFixture::ExpectOneMessage(const std::string& text, platform::Dword style) const {
    ExpectOneMessage(kCaption, text, style);
}

void SimFixture::ExpectOneMessage(const std::string& caption, const std::string& text, platform::Dword style) const {
    ASSERT_EQ(machine.dialogs.size(), 1u);
    const sim::DialogRecord& dialog = machine.dialogs[0];
    EXPECT_EQ(dialog.kind, "MessageBox");
    EXPECT_EQ(dialog.owner, "none");
    EXPECT_EQ(dialog.caption, caption);
    EXPECT_EQ(dialog.text, text);
    EXPECT_EQ(dialog.style, style);
}

void SimFixture::ExpectNoDialog() const {
    EXPECT_TRUE(machine.dialogs.empty()) << machine.dialogs.front().text;
    EXPECT_FALSE(machine.unansweredDialog.has_value());
}

}  // namespace veltra::testing
