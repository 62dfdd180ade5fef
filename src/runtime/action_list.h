// The one table of exported custom actions. Every consumer (the DLL's exports,
// its generated .def file, the bench's action list and the test package's
// custom-action rows) is built from these lines.
//
// ACTION(name, kind, description)  - built: veltra::actions::name exists.
// PLANNED(name, kind, description) - exported, but its logic has not landed;
//                                    running it reports that and fails.
// kind is Immediate, Deferred or Rollback: how the package schedules it.
// Keep one entry per line: build scripts read this file.

// GINA chain
ACTION(EnableGina, Deferred, "Links the agent GINA at the end of the Winlogon chain")
ACTION(DisableGina, Deferred, "Takes the agent GINA out of the Winlogon chain")
// Feature and agent selection
ACTION(ValidateFeatures, Immediate, "Turns the feature choices into GINA, service and day-file decisions")
ACTION(InitCompatibleAgents, Immediate, "Counts the installed agent features and starts the tally")
ACTION(DecrementInstalledAgentsCount, Immediate, "Lowers the agent tally for a deselected component")
ACTION(TallyCompatibleAgents, Immediate, "Accepts the selection when the tally has moved and is not zero")
ACTION(OverrideTallyCompatibleAgents, Immediate, "Accepts the selection whatever the tally")
ACTION(MessageBadAgentsSelection, Immediate, "Warns that no agent is selected")
ACTION(SetInCompatibleAgents1, Immediate, "Rejects a local client with a domain server, with a warning")
ACTION(GetInstallationState, Immediate, "Reads which agent components are installed")
ACTION(CheckSilentInstallAgentSelection, Immediate, "Checks the package builder's component choice")
// Server configuration files
ACTION(SetKvconfSourceProp, Immediate, "Checks the chosen kvconf.rec, with messages")
ACTION(SetKvconfSourcePropNoMess, Immediate, "Checks the chosen kvconf.rec silently")
ACTION(SetKvconfCopyState, Immediate, "Marks kvconf.rec to be copied")
ACTION(SetKvrootSourceProp, Immediate, "Checks the chosen kvroot.crt, with messages")
ACTION(SetKvrootSourcePropNoMess, Immediate, "Checks the chosen kvroot.crt silently")
ACTION(SetKvrootCopyState, Immediate, "Marks kvroot.crt to be copied")
ACTION(ValidateCustomBitmapFile, Immediate, "Checks the chosen banner bitmap")
ACTION(CheckFieldLength, Immediate, "Checks the Active Directory field name")
ACTION(BrowseForKvconfRec, Immediate, "File-open dialog for kvconf.rec")
ACTION(BrowseForKvrootCrt, Immediate, "File-open dialog for kvroot.crt")
ACTION(BrowseForCustomBitmapFile, Immediate, "File-open dialog for the banner bitmap")
ACTION(VerifyConfigFiles, Immediate, "Requires both server files beside the package")
ACTION(LocateConfigFiles, Immediate, "Looks for the server files beside the package")
ACTION(DisplayProperty, Immediate, "Shows a property's value (diagnostic)")
ACTION(RepositionDataForCopy, Immediate, "Copies the chosen files into the temporary folder")
ACTION(SetDeferredKvconfData, Immediate, "Packs the data of CopyKvconfRec")
ACTION(SetDeferredKvrootData, Immediate, "Packs the data of CopyKvrootCrt")
ACTION(CopyKvconfRec, Deferred, "Copies kvconf.rec into place (immediate in package creation)")
ACTION(CopyKvrootCrt, Deferred, "Copies kvroot.crt into place (immediate in package creation)")
ACTION(CopyCustomBitmapFile, Immediate, "Copies the banner bitmap into the package folder")
ACTION(CopyServerCertPackage, Immediate, "Copies server.cer into the package folder")
ACTION(CopyConfigFiles, Deferred, "Copies the server files found beside the package")
// Silent installation package and install options
ACTION(CreatePackageFolder, Immediate, "Creates the silent installation package folder")
ACTION(RecordInstallOptions, Immediate, "Writes the package's options and registry configuration files")
ACTION(GetSilentInstallOptions, Immediate, "Reads the package's options file")
ACTION(SetDeferredConfigFromRegFile, Immediate, "Packs the data of ConfigFromRegistryFile")
ACTION(CopyConfigFromRegistryFile, Deferred, "Copies the registry configuration file")
ACTION(ConfigFromRegistryFile, Deferred, "Applies the registry configuration file")
ACTION(GetConfigState, Immediate, "Reads the registry configuration state")
ACTION(ValidateNumericTextFields, Immediate, "Checks the wizard's numeric fields")
ACTION(SetDeferredInstallOptions, Immediate, "Packs the data of ProcessInstallOptions")
ACTION(ProcessInstallOptions, Deferred, "Writes the logon options into the registry")
ACTION(SetupINSTALLDIR, Immediate, "Points INSTALLDIR at an earlier installation")
ACTION(SetupDAYFILE_INSTALLDIRS, Immediate, "Sets up the day-file roots")
ACTION(CreateDAYFILE_DIRS, Deferred, "Creates the day-file folder and moves the domain secret")
ACTION(SetupRegistration, Immediate, "Builds the product registration address")
ACTION(InvokeRegistrationForm, Immediate, "Opens the product registration page")
// Services and access control
ACTION(InstallLocalDAService, Deferred, "Registers the local offline authentication service")
ACTION(InstallDomainDAService, Deferred, "Registers the domain client offline authentication service")
ACTION(InstallDomainHostDAService, Deferred, "Registers the domain host offline authentication service")
ACTION(ConfirmTokaraChallenge, Immediate, "Records the challenge choice and confirms it")
ACTION(SetDeferredTokaraChallenge, Immediate, "Packs the data of ConfigUsersTokaraChallenge")
ACTION(ConfigUsersTokaraChallenge, Deferred, "Writes the challenge settings and the exclude group")
ACTION(ConfigureNAPServer, Deferred, "Runs the domain authentication server configuration")
// Upgrade, migration and rollback
ACTION(CheckUpgradeState, Immediate, "Detects earlier agents")
ACTION(SetDeferredPreProcessData, Immediate, "Packs the data of PreProcessAgentInstall")
ACTION(PreProcessAgentInstall, Deferred, "Saves files and settings before the new files")
ACTION(PrepForPossiblePost5_Upgrade, Immediate, "Copies an upgradable agent's settings to the upgrade key")
ACTION(SetDeferredPostProcessData, Immediate, "Packs the data of PostProcessAgentInstall")
ACTION(PostProcessAgentInstall, Deferred, "Restores, migrates and reconciles after the files")
ACTION(SetDeferredRollBackData, Immediate, "Packs the data of ProcessRollBack")
ACTION(ProcessRollBack, Rollback, "Undoes the captures and the GINA change")
ACTION(SetDeferredStopVpnTool, Immediate, "Packs the data of StopVpnTool")
ACTION(StopVpnTool, Deferred, "Stops the VPN tool")
ACTION(CleanPavoData, Immediate, "Removes the authenticator utility's leftovers")
ACTION(RestorePavoSecurityCenterRootPages, Immediate, "Gives the utility its welcome pages back")
