// ValidateFeatures: once the administrator's feature choices are known, work
// out which agent components will be present afterwards and what follows
// from that - the GINA to enable or disable, a new domain authentication
// server, the offline service that belongs with the components, the server
// files the components need, and the day-file folders of services that go.
#include <string>

#include "platform/platform.h"
#include "runtime/actions.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "runtime/session.h"
#include "runtime/text.h"
#include "selection/agent_features.h"
#include "selection/dayfile_removal_markers.h"
#include "selection/offline_services.h"

namespace veltra::actions {
namespace {

using platform::Dword;
using runtime::Contains;

// Feature lists are comma-separated; the first name goes in without one.
void AppendFeature(std::string& list, const char* feature) {
    if (!list.empty()) list += ',';
    list += feature;
}

bool Set(platform::Installer& installer, const char* property) {
    const Dword status = installer.SetProperty(property, "1");
    if (status != platform::kErrorSuccess) runtime::LogFailure(installer, "MsiSetPropertyA", property, status);
    return status == platform::kErrorSuccess;
}

}  // namespace

Dword ValidateFeatures(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;

    installer.SetProperty(
        "INSTALLDIR_SYS32",
        runtime::GetMsiPropertyFixed(installer, "SystemFolder", runtime::kPathBuffer).c_str());

    const std::string productCode = runtime::GetMsiProperty(installer, "ProductCode");
    if (productCode.empty()) return platform::kErrorInstallFailure;
    const auto installed = [&](const char* feature) {
        return selection::IsFeatureInstalled(installer, productCode, feature);
    };

    // A reinstall repairs what is there: an installed component keeps its GINA.
    bool mustEnable = false;
    bool mustDisable = false;
    const bool dacWasInstalled = installed(selection::kDomainAuthClient);
    bool serverInstalled = installed(selection::kDomainAuthServer);
    const bool lacWasInstalled = installed(selection::kLocalAuthClient);
    const bool reinstall = !runtime::GetMsiProperty(installer, "REINSTALL").empty();
    if (reinstall && (dacWasInstalled || serverInstalled || lacWasInstalled)) mustEnable = true;

    std::string additions = runtime::GetMsiProperty(installer, "ADDLOCAL");
    const bool addDac = Contains(additions, selection::kDomainAuthClient);
    const bool addDas = Contains(additions, selection::kDomainAuthServer);
    const bool addLac = Contains(additions, selection::kLocalAuthClient);
    const bool addRas = Contains(additions, selection::kRemoteAuthServer);

    // The server files come with the components that use them: the domain
    // components need the server's root certificate; the domain server, the
    // local client and the remote-access server need the configuration record.
    bool serverFilesAdded = false;
    if (addDac || addDas) {
        additions += std::string(",") + selection::kServerRootCertificate;
        serverFilesAdded = true;
    }
    if (addDas || addLac || addRas) {
        additions += std::string(",") + selection::kKeshServerConfigurationRecord;
        serverFilesAdded = true;
    }
    if (serverFilesAdded) {
        const Dword status = installer.SetProperty("ADDLOCAL", additions.c_str());
        if (status != platform::kErrorSuccess) {
            runtime::LogFailure(installer, "MsiSetPropertyA", "ADDLOCAL", status);
            return platform::kErrorInstallFailure;
        }
    }

    std::string removals = runtime::GetMsiProperty(installer, "REMOVE");
    const bool remDac = Contains(removals, selection::kDomainAuthClient);
    const bool remDas = Contains(removals, selection::kDomainAuthServer);
    const bool remLac = Contains(removals, selection::kLocalAuthClient);
    const bool removeAll = Contains(removals, "ALL");
    if (removeAll) {
        mustDisable = true;
        serverInstalled = false;
    } else if (remDas) {
        serverInstalled = false;
    }

    const bool lacInstalled = installed(selection::kLocalAuthClient);
    const bool dacInstalled = installed(selection::kDomainAuthClient);
    const bool dasInstalled = installed(selection::kDomainAuthServer);
    const bool hostServiceInstalled = installed(selection::kDomainHostService.feature);
    const bool clientServiceInstalled = installed(selection::kDomainClientService.feature);
    const bool localServiceInstalled = installed(selection::kLocalService.feature);

    const bool lac = (lacInstalled || addLac) && !remLac && !removeAll;
    const bool dac = (dacInstalled || addDac) && !remDac && !removeAll;
    const bool das = (dasInstalled || addDas) && !remDas && !removeAll;

    // A domain authentication server authenticates offline through the host
    // service alone; otherwise each client component brings its own.
    const bool hostWanted = das;
    const bool clientWanted = !das && dac;
    const bool localWanted = !das && lac;

    // The markers describe this pass only: what an earlier pass left goes.
    selection::DeleteRemovalMarkers(platform, productCode);
    if (!localWanted) selection::RecordRemovalMarker(platform, selection::kLocalService, productCode);
    if (!clientWanted) selection::RecordRemovalMarker(platform, selection::kDomainClientService, productCode);
    if (!hostWanted) selection::RecordRemovalMarker(platform, selection::kDomainHostService, productCode);

    // A reinstall registers the wanted services again even when their
    // features are already in place.
    if (reinstall) {
        if (hostWanted) Set(installer, selection::kDomainHostService.installProperty);
        if (clientWanted) Set(installer, selection::kDomainClientService.installProperty);
        if (localWanted) Set(installer, selection::kLocalService.installProperty);
    }

    // Each service feature follows its component: a wanted service that is
    // missing is added and registered, an unwanted one that is there goes.
    // With a domain server only the host service is wanted, so the client
    // and local services are taken off whenever they are installed.
    struct ServiceChoice {
        const selection::OfflineService& service;
        bool wanted;
        bool installed;
    };
    const ServiceChoice services[] = {
        {selection::kDomainHostService, hostWanted, hostServiceInstalled},
        {selection::kDomainClientService, clientWanted, clientServiceInstalled},
        {selection::kLocalService, localWanted, localServiceInstalled},
    };
    bool additionsExtended = false;
    bool removalsExtended = false;
    for (const ServiceChoice& choice : services) {
        if (choice.wanted && !choice.installed) {
            AppendFeature(additions, choice.service.feature);
            additionsExtended = true;
            Set(installer, choice.service.installProperty);
        } else if (!choice.wanted && choice.installed) {
            AppendFeature(removals, choice.service.feature);
            removalsExtended = true;
        }
    }
    if (additionsExtended) installer.SetProperty("ADDLOCAL", additions.c_str());
    if (removalsExtended) installer.SetProperty("REMOVE", removals.c_str());

    // With no component left the agent GINA must leave the chain; an earlier
    // reason to keep it (a reinstall) still wins.
    if (!lac && !dac && !das) {
        mustDisable = true;
    } else {
        mustEnable = true;
    }
    if (mustEnable) {
        if (!Set(installer, "MustEnableGina")) return platform::kErrorInstallFailure;
    } else if (mustDisable) {
        if (!Set(installer, "MustDisableGina")) return platform::kErrorInstallFailure;
    }

    // Only a server that is new to this machine needs its configuration run.
    if (addDas && !serverInstalled) {
        if (!Set(installer, "isNAPServer")) return platform::kErrorInstallFailure;
    }

    if (!Set(installer, "ISSCHEDULEREBOOT")) return platform::kErrorInstallFailure;
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
