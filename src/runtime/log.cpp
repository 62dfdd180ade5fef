#include "runtime/log.h"

#include <cstring>

namespace veltra::runtime {

void WriteLogLine(std::string& line, std::string_view action, std::string_view text) {
    line.clear();
    line.reserve(kLogSource.size() + action.size() + text.size() + 4);
    line.append(kLogSource).append(": ").append(action).append(": ").append(text);
}

std::string EscapeFormatted(std::string line) {
    // Most lines hold none of the four characters: four fast searches show
    // that, and the line goes out as it is.
    const auto holds = [&line](char c) { return std::memchr(line.data(), c, line.size()) != nullptr; };
    if (!holds('[') && !holds(']') && !holds('{') && !holds('}')) return line;
    const std::string_view text(line);
    std::string escaped;
    escaped.reserve(text.size() + 8);
    std::size_t from = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c != '[' && c != ']' && c != '{' && c != '}') continue;
        escaped.append(text, from, at - from);
        escaped += "[\\";
        escaped += c;
        escaped += ']';
        from = at + 1;
    }
    escaped.append(text, from);
    return escaped;
}

void Log(platform::Installer& installer, std::string_view text) {
    try {
        platform::MessageRecord record;
        record.fields.emplace_back(text);
        installer.ProcessMessage(platform::kInstallMessageInfo, record);
    } catch (...) {
        // A line that cannot be built is lost; the action goes on as it would.
    }
}

void LogFailure(platform::Installer& installer, std::string_view call, std::string_view subject,
                platform::Dword code) {
    try {
        std::string text(call);
        if (!subject.empty()) {
            text += ' ';
            text += subject;
        }
        text += " failed: ";
        text += std::to_string(code);
        Log(installer, text);
    } catch (...) {
    }
}

void LogLastError(platform::Platform& platform, std::string_view call, std::string_view subject) {
    LogFailure(platform, call, subject, platform.system.GetLastError());
}

std::string RegistryPath(platform::HKey root, std::string_view key, std::string_view value) {
    std::string path;
    if (root == platform::kHkeyLocalMachine) {
        path = "HKEY_LOCAL_MACHINE";
    } else if (root == platform::kHkeyCurrentUser) {
        path = "HKEY_CURRENT_USER";
    } else if (root == platform::kHkeyClassesRoot) {
        path = "HKEY_CLASSES_ROOT";
    } else if (root == platform::kHkeyUsers) {
        path = "HKEY_USERS";
    } else {
        path = "HKEY";
    }
    if (!key.empty()) {
        path += '\\';
        path += key;
    }
    if (!value.empty()) {
        path += '\\';
        path += value;
    }
    return path;
}

}  // namespace veltra::runtime
