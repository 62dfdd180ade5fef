#include "configfiles_test_support.h"

namespace veltra::testing {

const Family& KvconfFamily() {
    static const Family family{
        .label = "kvconf",
        .fileName = "kvconf.rec",
        .pathProperty = "PATHTOFILE",
        .sourceProperty = "KVCONF_SOURCE",
        .okProperty = "KVCONF_OKFILE",
        .copyStateProperty = "COPYKVCONFREC",
        .destinationProperty = "KVCONF_DEST",
        .dataProperty = "CopyKvconfRec",
        .checkAction = "SetKvconfSourceProp",
        .silentCheckAction = "SetKvconfSourcePropNoMess",
        .copyStateAction = "SetKvconfCopyState",
        .browseAction = "BrowseForKvconfRec",
        .setDeferredAction = "SetDeferredKvconfData",
        .copyAction = "CopyKvconfRec",
        .nameMessage = "The chosen file name must be \"kvconf.rec\".\n"
                       "Respecify the location of your kvconf.rec file.",
        .missingText = " does not exist.\nRespecify the location of your kvconf.rec file.",
        .systemText = " is a system file.\nRespecify the location of your kvconf.rec file.",
        .directoryText = " is a directory.\nRespecify the location of your kvconf.rec file.",
        .browseTitle = "Select Kvconf.rec",
        .nameInFolder = "\\kvconf.rec",
        .filter = {{"Rec Files (*.rec)", "*.rec"}, {"All Files (*.*)", "*.*"}},
        .keepMarkers = {"LocalClientKEY.txt", "DomainServerKEY.txt", "RemoteServerKEY.txt"},
        .otherMarkers = {"DomainClientKEY.txt", "RemoteClientKEY.txt",
                         "VeltraKeshAgentInstalled.txt"},
        .packageFailure = "The installation failed to copy, into place,\nthe specified kvconf.rec.\n\n"
                          "The Silent Install Package Creation will abort\nat this time to prevent "
                          "problems in a subsequent\nSilent Installation.",
        .installFailure = "The installation failed to copy, into place,\nthe specified kvconf.rec.\n\n"
                          "The installation changes will be rolled back now\nto prevent your system "
                          "from becoming locked.",
    };
    return family;
}

const Family& KvrootFamily() {
    static const Family family{
        .label = "kvroot",
        .fileName = "kvroot.crt",
        .pathProperty = "PATHTOFILE_KVROOT",
        .sourceProperty = "KVROOT_SOURCE",
        .okProperty = "KVROOT_OKFILE",
        .copyStateProperty = "COPYKVROOTCRT",
        .destinationProperty = "KVROOT_DEST",
        .dataProperty = "CopyKvrootCrt",
        .checkAction = "SetKvrootSourceProp",
        .silentCheckAction = "SetKvrootSourcePropNoMess",
        .copyStateAction = "SetKvrootCopyState",
        .browseAction = "BrowseForKvrootCrt",
        .setDeferredAction = "SetDeferredKvrootData",
        .copyAction = "CopyKvrootCrt",
        .nameMessage = "The chosen file name must be \"kvroot.crt\".\n"
                       "Respecify the location of your kvroot.crt file.",
        .missingText = " does not exist.\nRespecify the location of your kvroot.crt file.",
        .systemText = " is a system file.\nRespecify the location of your kvroot.crt file.",
        .directoryText = " is a directory.\nRespecify the location of your kvroot.crt file.",
        .browseTitle = "Select Kvroot.crt",
        .nameInFolder = "\\kvroot.crt",
        .filter = {{"Crt Files (*.crt)", "*.crt"}, {"All Files (*.*)", "*.*"}},
        .keepMarkers = {"DomainClientKEY.txt", "DomainServerKEY.txt"},
        .otherMarkers = {"LocalClientKEY.txt", "RemoteClientKEY.txt", "RemoteServerKEY.txt",
                         "VeltraKeshAgentInstalled.txt"},
        .packageFailure = "The installation failed to copy, into place,\nthe specified kvroot.crt.\n\n"
                          "The Silent Install Package Creation will abort\nat this time to prevent "
                          "problems in a subsequent\nSilent Installation.",
        .installFailure = "The installation failed to copy, into place,\nthe specified kvroot.crt.\n\n"
                          "The installation changes will be rolled back now\nto prevent your system "
                          "from becoming locked.",
    };
    return family;
}

std::string PrintFamily(const ::testing::TestParamInfo<Family>& info) { return info.param.label; }

ConfigFilesTest::ConfigFilesTest() {
    machine.session.sourcePaths["SourceDir"] = kSourceDir;
    machine.session.targetPaths["INSTALLDIR"] = kInstallDir;
    machine.session.targetPaths["SystemFolder"] = kSystemFolder;
    SetProperty("SourceDir", kSourceDir);
    SetProperty("INSTALLDIR", kInstallDir);
    SetProperty("SystemFolder", kSystemFolder);
    SetProperty("TempFolder", kTempFolder);
    PutFolder(kSourceDir);
    PutFolder(kTempFolder);
    PutFolder(kSystemFolder);
    PutFolder(kRepository);
}

}  // namespace veltra::testing
