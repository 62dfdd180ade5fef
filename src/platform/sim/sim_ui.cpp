#include "platform/sim/sim_ui.h"

#include <algorithm>

namespace veltra::sim {

using platform::Dword;

std::vector<int> ButtonsOfStyle(Dword style) {
    using namespace platform;
    switch (style & 0xF) {
        case 0: return {kIdOk};
        case 1: return {kIdOk, kIdCancel};
        case 2: return {kIdAbort, kIdRetry, kIdIgnore};
        case 3: return {kIdYes, kIdNo, kIdCancel};
        case 4: return {kIdYes, kIdNo};
        case 5: return {kIdRetry, kIdCancel};
        case 6: return {kIdCancel, kIdTryAgain, kIdContinue};
        default: return {};
    }
}

std::string SimUi::OwnerName(platform::Hwnd owner) const {
    if (!owner) return "none";
    const auto it = windows_.find(owner.value);
    return it == windows_.end() ? "invalid window" : "owner window";
}

int SimUi::MessageBox(platform::Hwnd owner, const char* text, const char* caption, Dword style) {
    DialogRecord record;
    record.kind = "MessageBox";
    record.owner = OwnerName(owner);
    record.caption = caption != nullptr ? caption : "";
    record.text = text != nullptr ? text : "";
    record.style = style;
    if (auto code = machine_.faults.Check("MessageBoxA", record.caption)) {
        machine_.lastError = *code;
        machine_.dialogs.push_back(record);
        machine_.trace.Record("MessageBoxA", record.caption, *code);
        return 0;
    }
    int answer = 0;
    const std::vector<int> buttons = ButtonsOfStyle(style);
    if (machine_.messageBoxAnswers.empty()) {
        if (!machine_.unansweredDialog) {
            machine_.unansweredDialog = "message box \"" + record.caption + "\" has no scripted answer: " + record.text;
        }
    } else {
        const int scripted = machine_.messageBoxAnswers.front();
        machine_.messageBoxAnswers.pop_front();
        if (std::find(buttons.begin(), buttons.end(), scripted) == buttons.end()) {
            if (!machine_.unansweredDialog) {
                machine_.unansweredDialog = "the scripted answer " + ButtonName(scripted) +
                                            " is not a button of message box \"" + record.caption + "\": " + record.text;
            }
        } else {
            answer = scripted;
            record.answer = ButtonName(scripted);
        }
    }
    if (answer == 0) machine_.lastError = 1400;  // ERROR_INVALID_WINDOW_HANDLE: as a box that could not show
    machine_.dialogs.push_back(record);
    machine_.trace.Record("MessageBoxA", record.caption, static_cast<Dword>(answer));
    return answer;
}

platform::Hwnd SimUi::CreateWindowEx(Dword /*exStyle*/, const char* className, const char* /*title*/,
                                     Dword /*style*/, int /*x*/, int /*y*/, int /*width*/, int /*height*/,
                                     platform::Hwnd /*parent*/) {
    const std::string name = className != nullptr ? className : "";
    if (auto code = machine_.faults.Check("CreateWindowExA", name)) {
        machine_.lastError = *code;
        machine_.trace.Record("CreateWindowExA", name, *code);
        return {};
    }
    const std::uintptr_t handle = nextHandle_++;
    windows_[handle] = name;
    machine_.trace.Record("CreateWindowExA", name, 0);
    return platform::Hwnd{handle};
}

bool SimUi::SetWindowPos(platform::Hwnd window, platform::Hwnd /*insertAfter*/, int, int, int, int, unsigned) {
    const bool ok = windows_.contains(window.value);
    machine_.trace.Record("SetWindowPos", "", ok ? 0 : 1400);
    return ok;
}

bool SimUi::DestroyWindow(platform::Hwnd window) {
    const bool ok = windows_.erase(window.value) == 1;
    machine_.trace.Record("DestroyWindow", "", ok ? 0 : 1400);
    return ok;
}

bool SimUi::GetOpenFileName(const platform::OpenFileNameArgs& args, std::string& path) {
    DialogRecord record;
    record.kind = "GetOpenFileName";
    record.owner = OwnerName(args.owner);
    record.caption = args.title;
    record.text = path;
    record.style = args.flags;
    record.filter = args.filter;
    bool chosen = false;
    if (machine_.fileChoices.empty()) {
        if (!machine_.unansweredDialog) {
            machine_.unansweredDialog = "file dialog \"" + args.title + "\" has no scripted choice";
        }
    } else {
        const std::optional<std::string> choice = machine_.fileChoices.front();
        machine_.fileChoices.pop_front();
        if (!choice) {
            record.answer = "CANCEL";
        } else if (choice->size() + 1 > args.maxFile) {
            // FNERR_BUFFERTOOSMALL: the dialog fails and the buffer is left alone.
            record.answer = "(path longer than the buffer) " + *choice;
        } else {
            record.answer = *choice;
            path = *choice;
            chosen = true;
        }
    }
    machine_.dialogs.push_back(record);
    machine_.trace.Record("GetOpenFileNameA", args.title, chosen ? 1 : 0);
    return chosen;
}

platform::WinStaHandle SimUi::OpenWindowStation(const char* name, Dword /*access*/) {
    const std::string subject = name != nullptr ? name : "";
    if (auto code = machine_.faults.Check("OpenWindowStationA", subject)) {
        machine_.lastError = *code;
        machine_.trace.Record("OpenWindowStationA", subject, *code);
        return {};
    }
    if (FoldCase(subject) != "WINSTA0") {
        machine_.lastError = platform::kErrorFileNotFound;
        machine_.trace.Record("OpenWindowStationA", subject, platform::kErrorFileNotFound);
        return {};
    }
    const std::uintptr_t handle = nextHandle_++;
    stations_[handle] = subject;
    machine_.trace.Record("OpenWindowStationA", subject, 0);
    return platform::WinStaHandle{handle};
}

platform::WinStaHandle SimUi::GetProcessWindowStation() { return platform::WinStaHandle{processStation_}; }

bool SimUi::SetProcessWindowStation(platform::WinStaHandle station) {
    if (station.value != 0x1 && !stations_.contains(station.value)) return false;
    processStation_ = station.value;
    machine_.trace.Record("SetProcessWindowStation", station.value == 0x1 ? "service" : "WinSta0", 0);
    return true;
}

bool SimUi::CloseWindowStation(platform::WinStaHandle station) {
    machine_.trace.Record("CloseWindowStation", "", 0);
    return stations_.erase(station.value) == 1;
}

platform::DesktopHandle SimUi::OpenInputDesktop(Dword /*access*/) {
    if (auto code = machine_.faults.Check("OpenInputDesktop", "")) {
        machine_.lastError = *code;
        machine_.trace.Record("OpenInputDesktop", "", *code);
        return {};
    }
    const std::uintptr_t handle = nextHandle_++;
    desktops_[handle] = "Default";
    machine_.trace.Record("OpenInputDesktop", "", 0);
    return platform::DesktopHandle{handle};
}

platform::DesktopHandle SimUi::GetThreadDesktop() { return platform::DesktopHandle{threadDesktop_}; }

bool SimUi::SetThreadDesktop(platform::DesktopHandle desktop) {
    if (desktop.value != 0x2 && !desktops_.contains(desktop.value)) return false;
    threadDesktop_ = desktop.value;
    machine_.trace.Record("SetThreadDesktop", desktop.value == 0x2 ? "service" : "input", 0);
    return true;
}

bool SimUi::CloseDesktop(platform::DesktopHandle desktop) {
    machine_.trace.Record("CloseDesktop", "", 0);
    return desktops_.erase(desktop.value) == 1;
}

}  // namespace veltra::sim
