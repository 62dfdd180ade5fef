#include "cli/machine_folder.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "cli/machine_json.h"

namespace veltra::cli {

namespace fs = std::filesystem;

namespace {

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using HostFile = std::unique_ptr<std::FILE, CloseFile>;

std::optional<std::string> ReadHostFile(const fs::path& path) {
    HostFile file(std::fopen(path.c_str(), "rb"));
    if (!file) return std::nullopt;
    std::string bytes;
    std::error_code ec;
    if (const auto size = fs::file_size(path, ec); !ec) bytes.reserve(size);
    char buffer[1 << 16];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, count);
    if (std::ferror(file.get()) != 0) return std::nullopt;
    return bytes;
}

// A file mapped read-only. The kernel maps a mapped file's pages in batches,
// so a large registry.reg costs far fewer page faults than a copy would.
class MappedFile {
public:
    explicit MappedFile(const fs::path& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return;
        struct stat status {};
        if (::fstat(fd, &status) == 0 && status.st_size > 0) {
            void* data = ::mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (data != MAP_FAILED) {
                data_ = data;
                size_ = static_cast<std::size_t>(status.st_size);
                readable_ = true;
            }
        } else {
            readable_ = status.st_size == 0;  // an empty file maps to nothing
        }
        ::close(fd);
    }
    ~MappedFile() {
        if (data_ != nullptr) ::munmap(data_, size_);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool readable() const { return readable_; }
    std::span<const std::uint8_t> bytes() const { return {static_cast<const std::uint8_t*>(data_), size_}; }

private:
    void* data_ = nullptr;
    std::size_t size_ = 0;
    bool readable_ = false;
};

bool WriteHostFile(const fs::path& path, std::string_view bytes) {
    HostFile file(std::fopen(path.c_str(), "wb"));
    return file && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
           std::fflush(file.get()) == 0;
}

bool LoadFolder(const fs::path& host, sim::DriveEntry& folder, std::string& error) {
    std::error_code ec;
    for (fs::directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (folder.Child(name) != nullptr) {
            error = it->path().string() + ": another entry of its folder has the same name ignoring case";
            return false;
        }
        if (it->is_directory(ec)) {
            if (!LoadFolder(it->path(), folder.AddChild(name, true), error)) return false;
        } else if (it->is_regular_file(ec)) {
            auto bytes = ReadHostFile(it->path());
            if (!bytes) {
                error = it->path().string() + ": cannot be read";
                return false;
            }
            folder.AddChild(name, false).bytes = std::make_shared<const std::string>(std::move(*bytes));
        }
    }
    if (ec) {
        error = host.string() + ": cannot be read: " + ec.message();
        return false;
    }
    return true;
}

bool SaveFolder(const sim::DriveEntry& folder, const fs::path& host, std::string& error) {
    std::error_code ec;
    fs::create_directories(host, ec);
    if (ec) {
        error = host.string() + ": cannot be created: " + ec.message();
        return false;
    }
    for (const auto& child : folder.children) {
        const fs::path path = host / child->name;
        if (child->folder) {
            if (!SaveFolder(*child, path, error)) return false;
        } else if (!WriteHostFile(path, *child->bytes)) {
            error = path.string() + ": cannot be written";
            return false;
        }
    }
    return true;
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

bool LoadDrives(const fs::path& folder, sim::DriveTree& drives, std::string& error) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string letter = it->path().filename().string();
        if (letter.size() != 1 || !std::isalpha(static_cast<unsigned char>(letter[0])) || !it->is_directory(ec)) {
            continue;  // not a drive
        }
        letter = sim::FoldCase(letter);
        sim::DriveEntry& drive = *drives.MakeFolders(letter + ":\\");
        if (!drive.children.empty()) {
            error = it->path().string() + ": another folder of drives/ names the same drive";
            return false;
        }
        if (!LoadFolder(it->path(), drive, error)) return false;
    }
    if (ec) {
        error = folder.string() + ": cannot be read: " + ec.message();
        return false;
    }
    return true;
}

bool SaveDrives(const sim::DriveTree& drives, const fs::path& folder, std::string& error) {
    for (const auto& drive : drives.drives()) {
        if (!SaveFolder(*drive, folder / drive->name, error)) return false;
    }
    return true;
}

std::unique_ptr<LoadedMachine> LoadedMachine::Open(const fs::path& folder, std::string& error) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        error = folder.string() + ": not a machine folder (run 'agentca init " + folder.string() + "' to make one)";
        return nullptr;
    }
    std::unique_ptr<LoadedMachine> loaded(new LoadedMachine());
    loaded->machine_ = std::make_unique<sim::Machine>();
    sim::Machine& machine = *loaded->machine_;
    if (fs::is_directory(folder / "drives", ec) && !LoadDrives(folder / "drives", machine.drives, error)) {
        return nullptr;
    }

    if (fs::exists(folder / "registry.reg", ec)) {
        const MappedFile file(folder / "registry.reg");
        if (!file.readable()) {
            error = (folder / "registry.reg").string() + ": cannot be read";
            return nullptr;
        }
        const std::span<const std::uint8_t> data = file.bytes();
        loaded->format_ = sim::DetectRegFormat(data).value_or(sim::RegFormat::Version5);
        if (const auto problem = sim::ApplyRegFile(machine.registry, data)) {
            error = (folder / "registry.reg").string() + ":" + std::to_string(problem->line) + ": " + problem->message;
            return nullptr;
        }
    }
    if (fs::exists(folder / "machine.json", ec)) {
        const auto content = ReadHostFile(folder / "machine.json");
        if (!content) {
            error = (folder / "machine.json").string() + ": cannot be read";
            return nullptr;
        }
        nlohmann::json document;
        try {
            document = nlohmann::json::parse(*content);
        } catch (const nlohmann::json::parse_error& e) {
            error = (folder / "machine.json").string() + ":" + std::to_string(LineOf(*content, e.byte)) +
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

LoadedMachine::~LoadedMachine() = default;

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
    if (!SaveDrives(machine_->drives, folder / "drives", error)) return false;
    bool written = false;
    if (HostFile reg(std::fopen((folder / "registry.reg").c_str(), "wb")); reg) {
        written = true;
        sim::WriteRegFile(machine_->registry, format_, [&](std::span<const std::uint8_t> piece) {
            written = written && std::fwrite(piece.data(), 1, piece.size(), reg.get()) == piece.size();
        });
        written = written && std::fflush(reg.get()) == 0;
    }
    const std::string json = MachineToJson(*machine_).dump(2) + "\n";
    if (!written || !WriteHostFile(folder / "machine.json", json)) {
        error = folder.string() + ": cannot be written";
        return false;
    }
    return true;
}

}  // namespace veltra::cli
