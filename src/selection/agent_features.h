// The package's agent features and how the library asks whether one of them
// is installed: by the product code of this package, installed on the local
// machine and nothing less.
#pragma once

#include <string>

#include "platform/installer.h"

namespace veltra::selection {

// The agent components the administrator chooses in the wizard.
inline constexpr const char* kLocalAuthClient = "LocalAuthClient";
inline constexpr const char* kDomainAuthClient = "DomainAuthClient";
inline constexpr const char* kDomainAuthServer = "DomainAuthServer";
inline constexpr const char* kRemoteAuthClient = "RemoteAuthClient";
inline constexpr const char* kRemoteAuthServer = "RemoteAuthServer";
inline constexpr const char* kAutoreg = "Autoreg";

// The server files, which follow the components that need them.
inline constexpr const char* kServerRootCertificate = "ServerRootCertificate";
inline constexpr const char* kKeshServerConfigurationRecord = "KeshServerConfigurationRecord";

// Whether the feature of the product is installed locally (INSTALLSTATE_LOCAL);
// advertised, run-from-source, absent and unknown all count as not installed.
bool IsFeatureInstalled(platform::Installer& installer, const std::string& productCode,
                        const char* feature);

}  // namespace veltra::selection
