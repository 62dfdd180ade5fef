#include "configfiles/server_file_family.h"

namespace veltra::configfiles {
namespace {

constexpr const char* kKvconfKeepMarkers[] = {"LocalClientKEY.txt", "DomainServerKEY.txt",
                                              "RemoteServerKEY.txt"};
constexpr const char* kKvrootKeepMarkers[] = {"DomainClientKEY.txt", "DomainServerKEY.txt"};

}  // namespace

const ServerFileFamily kKvconfRec{
    .fileName = "kvconf.rec",
    .check =
        {
            .pathProperty = "PATHTOFILE",
            .sourceProperty = "KVCONF_SOURCE",
            .okProperty = "KVCONF_OKFILE",
            .requiredName = "kvconf.rec",
            .nameMessage = "The chosen file name must be \"kvconf.rec\".\n"
                           "Respecify the location of your kvconf.rec file.",
            .missingText = " does not exist.\nRespecify the location of your kvconf.rec file.",
            .systemFileText = " is a system file.\nRespecify the location of your kvconf.rec file.",
            .directoryText = " is a directory.\nRespecify the location of your kvconf.rec file.",
        },
    .browse =
        {
            .pathProperty = "PATHTOFILE",
            .nameInFolder = "\\kvconf.rec",
            .title = "Select Kvconf.rec",
            .filter = {{"Rec Files (*.rec)", "*.rec"}, {"All Files (*.*)", "*.*"}},
        },
    .copyStateProperty = "COPYKVCONFREC",
    .destinationProperty = "KVCONF_DEST",
    .copyActionProperty = "CopyKvconfRec",
    .keepMarkers = kKvconfKeepMarkers,
    .packageCopyFailedMessage = "The installation failed to copy, into place,\n"
                                "the specified kvconf.rec.\n\n"
                                "The Silent Install Package Creation will abort\n"
                                "at this time to prevent problems in a subsequent\n"
                                "Silent Installation.",
    .installCopyFailedMessage = "The installation failed to copy, into place,\n"
                                "the specified kvconf.rec.\n\n"
                                "The installation changes will be rolled back now\n"
                                "to prevent your system from becoming locked.",
};

const ServerFileFamily kKvrootCrt{
    .fileName = "kvroot.crt",
    .check =
        {
            .pathProperty = "PATHTOFILE_KVROOT",
            .sourceProperty = "KVROOT_SOURCE",
            .okProperty = "KVROOT_OKFILE",
            .requiredName = "kvroot.crt",
            .nameMessage = "The chosen file name must be \"kvroot.crt\".\n"
                           "Respecify the location of your kvroot.crt file.",
            .missingText = " does not exist.\nRespecify the location of your kvroot.crt file.",
            .systemFileText = " is a system file.\nRespecify the location of your kvroot.crt file.",
            .directoryText = " is a directory.\nRespecify the location of your kvroot.crt file.",
        },
    .browse =
        {
            .pathProperty = "PATHTOFILE_KVROOT",
            .nameInFolder = "\\kvroot.crt",
            .title = "Select Kvroot.crt",
            .filter = {{"Crt Files (*.crt)", "*.crt"}, {"All Files (*.*)", "*.*"}},
        },
    .copyStateProperty = "COPYKVROOTCRT",
    .destinationProperty = "KVROOT_DEST",
    .copyActionProperty = "CopyKvrootCrt",
    .keepMarkers = kKvrootKeepMarkers,
    .packageCopyFailedMessage = "The installation failed to copy, into place,\n"
                                "the specified kvroot.crt.\n\n"
                                "The Silent Install Package Creation will abort\n"
                                "at this time to prevent problems in a subsequent\n"
                                "Silent Installation.",
    .installCopyFailedMessage = "The installation failed to copy, into place,\n"
                                "the specified kvroot.crt.\n\n"
                                "The installation changes will be rolled back now\n"
                                "to prevent your system from becoming locked.",
};

}  // namespace veltra::configfiles
