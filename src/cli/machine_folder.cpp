#include "cli/machine_folder.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "cli/machine_json.h"

namespace veltra::cli {

namespace fs = std::filesystem;

namespace {

std::optional<std::vector<std::uint8_t>> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The line of a byte offset, for messages about machine.json.
std::size_t LineOf(const std::string& text, std::size_t offset) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') ++line;
    }
    return line;
}

bool LooksLikeMachineFolder(const fs::path& folder) {
    std::error_code ec;
    if (!fs::exists(folder, ec)) return true;
    if (fs::is_empty(folder, ec)) return true;
    return fs::exists(folder / "machine.json", ec) || fs::exists(folder / "registry.reg", ec);
}

}  // namespace

std::unique_ptr<LoadedMachine> LoadedMachine::Open(const fs::path& folder, std::string& error) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        error = folder.string() + ": not a machine folder (run 'agentca init " + folder.string() + "' to make one)";
        return nullptr;
    }
    std::unique_ptr<LoadedMachine> loaded(new LoadedMachine());
    std::string pattern = (fs::temp_directory_path() / "agentca-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = "cannot create a working folder under " + fs::temp_directory_path().string();
        return nullptr;
    }
    loaded->workFolder_ = pattern;
    const fs::path drives = loaded->workFolder_ / "drives";
    fs::create_directories(drives / "C", ec);
    if (fs::is_directory(folder / "drives", ec)) {
        fs::copy(folder / "drives", drives, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
        if (ec) {
            error = (folder / "drives").string() + ": cannot be copied: " + ec.message();
            return nullptr;
        }
    }
    loaded->machine_ = std::make_unique<sim::Machine>(drives);
    sim::Machine& machine = *loaded->machine_;

    if (fs::exists(folder / "registry.reg", ec)) {
        const auto bytes = ReadBytes(folder / "registry.reg");
        if (!bytes) {
            error = (folder / "registry.reg").string() + ": cannot be read";
            return nullptr;
        }
        loaded->format_ = sim::DetectRegFormat(*bytes).value_or(sim::RegFormat::Version5);
        if (const auto problem = sim::ApplyRegFile(machine.registry, *bytes)) {
            error = (folder / "registry.reg").string() + ":" + std::to_string(problem->line) + ": " + problem->message;
            return nullptr;
        }
    }
    if (fs::exists(folder / "machine.json", ec)) {
        std::ifstream in(folder / "machine.json", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        const std::string content = text.str();
        nlohmann::json document;
        try {
            document = nlohmann::json::parse(content);
        } catch (const nlohmann::json::parse_error& e) {
            error = (folder / "machine.json").string() + ":" + std::to_string(LineOf(content, e.byte)) +
                    ": not valid JSON (" + e.what() + ")";
            return nullptr;
        }
        std::string problem;
        if (!MachineFromJson(document, machine, problem)) {
            error = (folder / "machine.json").string() + ": " + problem.substr(problem.find(':') + 2);
            return nullptr;
        }
    }
    return loaded;
}

LoadedMachine::~LoadedMachine() {
    std::error_code ignored;
    if (!workFolder_.empty()) fs::remove_all(workFolder_, ignored);
}

bool LoadedMachine::SaveTo(const fs::path& folder, std::string& error) const {
    std::error_code ec;
    if (!LooksLikeMachineFolder(folder)) {
        error = folder.string() + ": exists and is not a machine folder; choose a new or empty folder";
        return false;
    }
    fs::remove_all(folder / "drives", ec);
    fs::create_directories(folder, ec);
    if (ec) {
        error = folder.string() + ": cannot be created: " + ec.message();
        return false;
    }
    fs::copy(machine_->drivesRoot, folder / "drives", fs::copy_options::recursive, ec);
    if (ec) {
        error = (folder / "drives").string() + ": cannot be written: " + ec.message();
        return false;
    }
    const std::vector<std::uint8_t> registry = sim::WriteRegFile(machine_->registry, format_);
    std::ofstream reg(folder / "registry.reg", std::ios::binary | std::ios::trunc);
    reg.write(reinterpret_cast<const char*>(registry.data()), static_cast<std::streamsize>(registry.size()));
    std::ofstream json(folder / "machine.json", std::ios::binary | std::ios::trunc);
    json << MachineToJson(*machine_).dump(2) << "\n";
    if (!reg || !json) {
        error = folder.string() + ": cannot be written";
        return false;
    }
    return true;
}

}  // namespace veltra::cli
