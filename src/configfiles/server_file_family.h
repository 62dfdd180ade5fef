// The two server files the agent needs from its authentication server: the
// configuration record "kvconf.rec" and the root certificate "kvroot.crt".
// Every action that chooses, checks or copies one of them works the same way
// for both; only the values below differ.
#pragma once

#include "runtime/agent_keys.h"

#include <span>

#include "configfiles/chosen_file_check.h"
#include "configfiles/file_browse.h"

namespace veltra::configfiles {

struct ServerFileFamily {
    const char* fileName;           // "kvconf.rec"
    ChosenFileCheck check;          // the wizard's check of the chosen path
    FileBrowse browse;              // the wizard's Open File dialog
    const char* copyStateProperty;  // "1": the chosen file is to be copied
    const char* destinationProperty;
    // The property that carries the deferred copy action's data; named after
    // that action, as the installer requires.
    const char* copyActionProperty;
    // While one of these component markers is in the repository folder, a
    // file that is not being replaced stays where it is.
    std::span<const char* const> keepMarkers;
    const char* packageCopyFailedMessage;
    const char* installCopyFailedMessage;
};

extern const ServerFileFamily kKvconfRec;
extern const ServerFileFamily kKvrootCrt;

// The repository folder inside the installation folder, where the package
// lays one marker file per installed component.
using runtime::kRepositoryFolderName;

// The server certificate travels with the server files into the temporary
// folder and the package folder, but is never chosen or checked here.
inline constexpr const char* kServerCertificateProperty =
    "CERT_PATH.5B8A2E71_C4D9_4A36_B0F2_7D1E9C3A6F58";
inline constexpr const char* kServerCertificateName = "server.cer";

}  // namespace veltra::configfiles
