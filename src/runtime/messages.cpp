#include "runtime/messages.h"

namespace veltra::runtime {

int ShowMessage(platform::Windows& windows, platform::Hwnd owner, const std::string& text,
                platform::Dword style) {
    return windows.MessageBox(owner, text.c_str(), kCaption, style);
}

platform::Window CreateOwnerWindow(platform::Windows& windows) {
    const platform::Hwnd hwnd =
        windows.CreateWindowEx(0, "#32770", "", platform::kWsPopup, 0, 0, 0, 0, platform::Hwnd{});
    windows.SetWindowPos(hwnd, platform::kHwndTopmost, 0, 0, 0, 0,
                         platform::kSwpNoSize | platform::kSwpNoMove);
    return platform::Window(windows, hwnd);
}

}  // namespace veltra::runtime
