// CleanPavoData: once the authenticator utility is gone, the registrations it
// left behind go too. While it is installed nothing is touched.
#include "coexistence/sibling_presence.h"
#include "runtime/actions.h"

namespace veltra::actions {

platform::Dword CleanPavoData(platform::Platform& platform) {
    if (coexistence::IsAuthenticatorUtilityInstalled(platform)) return platform::kErrorSuccess;
    coexistence::RemoveUtilityKeys(platform);
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
