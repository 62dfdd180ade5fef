#include "platform/sim/sim_ui.h"

#include <algorithm>

namespace veltra::sim {

using platform::Dword;

namespace {

constexpr Dword kErrorInvalidWindowHandle = 1400;
// The handles the process starts with: the service's own window station and
// the thread's desktop on it.
constexpr std::uintptr_t kServiceStation = 0x1;
constexpr std::uintptr_t kServiceDesktop = 0x2;

}  // namespace

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
    if (gate_.Injected("MessageBoxA", record.caption)) {
        machine_.dialogs.push_back(record);
        return 0;
    }
    int answer = 0;
    const std::vector<int> buttons = ButtonsOfStyle(style);
    const bool expected = !machine_.messageBoxAnswers.empty() &&
                          std::find(buttons.begin(), buttons.end(), machine_.messageBoxAnswers.front()) != buttons.end();
    if (machine_.defaultAnswers && !expected && !buttons.empty()) {
        // MB_DEFBUTTON1..4; a default beyond the box's buttons is its first.
        const std::size_t index = (style >> 8) & 0xF;
        answer = buttons[index < buttons.size() ? index : 0];
        record.answer = ButtonName(answer);
    } else if (machine_.messageBoxAnswers.empty()) {
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
    if (answer == 0) machine_.lastError = kErrorInvalidWindowHandle;  // as a box that could not show
    machine_.dialogs.push_back(record);
    gate_.Finish("MessageBoxA", record.caption, static_cast<Dword>(answer));
    return answer;
}

platform::Hwnd SimUi::CreateWindowEx(Dword /*exStyle*/, const char* className, const char* /*title*/,
                                     Dword /*style*/, int /*x*/, int /*y*/, int /*width*/, int /*height*/,
                                     platform::Hwnd /*parent*/) {
    const std::string name = className != nullptr ? className : "";
    if (gate_.Injected("CreateWindowExA", name)) return {};
    const std::uintptr_t handle = nextHandle_++;
    windows_[handle] = name;
    gate_.Succeed("CreateWindowExA", name);
    return platform::Hwnd{handle};
}

bool SimUi::SetWindowPos(platform::Hwnd window, platform::Hwnd /*insertAfter*/, int, int, int, int, unsigned) {
    if (gate_.Injected("SetWindowPos", "")) return false;
    if (!windows_.contains(window.value)) return gate_.Fail("SetWindowPos", "", kErrorInvalidWindowHandle);
    return gate_.Succeed("SetWindowPos", "");
}

bool SimUi::DestroyWindow(platform::Hwnd window) {
    if (gate_.Injected("DestroyWindow", "")) return false;
    if (windows_.erase(window.value) != 1) return gate_.Fail("DestroyWindow", "", kErrorInvalidWindowHandle);
    return gate_.Succeed("DestroyWindow", "");
}

bool SimUi::GetOpenFileName(const platform::OpenFileNameArgs& args, std::string& path) {
    DialogRecord record;
    record.kind = "GetOpenFileName";
    record.owner = OwnerName(args.owner);
    record.caption = args.title;
    record.text = path;
    record.style = args.flags;
    record.filter = args.filter;
    if (gate_.Injected("GetOpenFileNameA", args.title)) return false;
    bool chosen = false;
    if (machine_.fileChoices.empty() && machine_.defaultAnswers) {
        record.answer = "CANCEL";
    } else if (machine_.fileChoices.empty()) {
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
    gate_.Finish("GetOpenFileNameA", args.title, chosen ? 1 : 0);
    return chosen;
}

platform::WinStaHandle SimUi::OpenWindowStation(const char* name, Dword /*access*/) {
    const std::string subject = name != nullptr ? name : "";
    if (gate_.Injected("OpenWindowStationA", subject)) return {};
    if (FoldCase(subject) != "WINSTA0") {
        gate_.Fail("OpenWindowStationA", subject, platform::kErrorFileNotFound);
        return {};
    }
    const std::uintptr_t handle = nextHandle_++;
    stations_[handle] = subject;
    gate_.Succeed("OpenWindowStationA", subject);
    return platform::WinStaHandle{handle};
}

platform::WinStaHandle SimUi::GetProcessWindowStation() {
    if (gate_.Injected("GetProcessWindowStation", "")) return {};
    gate_.Succeed("GetProcessWindowStation", processStation_ == kServiceStation ? "service" : "WinSta0");
    return platform::WinStaHandle{processStation_};
}

bool SimUi::SetProcessWindowStation(platform::WinStaHandle station) {
    const char* subject = station.value == kServiceStation ? "service" : "WinSta0";
    if (gate_.Injected("SetProcessWindowStation", subject)) return false;
    if (station.value != kServiceStation && !stations_.contains(station.value)) {
        return gate_.Fail("SetProcessWindowStation", subject, platform::kErrorInvalidHandle);
    }
    processStation_ = station.value;
    return gate_.Succeed("SetProcessWindowStation", subject);
}

bool SimUi::CloseWindowStation(platform::WinStaHandle station) {
    if (gate_.Injected("CloseWindowStation", "")) return false;
    if (stations_.erase(station.value) != 1) return gate_.Fail("CloseWindowStation", "", platform::kErrorInvalidHandle);
    return gate_.Succeed("CloseWindowStation", "");
}

platform::DesktopHandle SimUi::OpenInputDesktop(Dword /*access*/) {
    if (gate_.Injected("OpenInputDesktop", "")) return {};
    const std::uintptr_t handle = nextHandle_++;
    desktops_[handle] = "Default";
    gate_.Succeed("OpenInputDesktop", "");
    return platform::DesktopHandle{handle};
}

platform::DesktopHandle SimUi::GetThreadDesktop() {
    if (gate_.Injected("GetThreadDesktop", "")) return {};
    gate_.Succeed("GetThreadDesktop", threadDesktop_ == kServiceDesktop ? "service" : "input");
    return platform::DesktopHandle{threadDesktop_};
}

bool SimUi::SetThreadDesktop(platform::DesktopHandle desktop) {
    const char* subject = desktop.value == kServiceDesktop ? "service" : "input";
    if (gate_.Injected("SetThreadDesktop", subject)) return false;
    if (desktop.value != kServiceDesktop && !desktops_.contains(desktop.value)) {
        return gate_.Fail("SetThreadDesktop", subject, platform::kErrorInvalidHandle);
    }
    threadDesktop_ = desktop.value;
    return gate_.Succeed("SetThreadDesktop", subject);
}

bool SimUi::CloseDesktop(platform::DesktopHandle desktop) {
    if (gate_.Injected("CloseDesktop", "")) return false;
    if (desktops_.erase(desktop.value) != 1) return gate_.Fail("CloseDesktop", "", platform::kErrorInvalidHandle);
    return gate_.Succeed("CloseDesktop", "");
}

}  // namespace veltra::sim
