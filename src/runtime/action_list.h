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
PLANNED(ValidateFeatures, Immediate, "Turns the feature choices into GINA, service and day-file decisions")
PLANNED(InitCompatibleAgents, Immediate, "Starts the tally of compatible agents")
PLANNED(DecrementInstalledAgentsCount, Immediate, "Counts down the installed agents")
PLANNED(TallyCompatibleAgents, Immediate, "Tallies the selected agent components")
PLANNED(OverrideTallyCompatibleAgents, Immediate, "Overrides the agent tally")
PLANNED(MessageBadAgentsSelection, Immediate, "Reports an incompatible agent selection")
PLANNED(SetInCompatibleAgents1, Immediate, "Marks the agent selection incompatible")
PLANNED(GetInstallationState, Immediate, "Reads which agent components are installed")
PLANNED(CheckSilentInstallAgentSelection, Immediate, "Checks the package builder's component choice")
// Server configuration files
PLANNED(SetKvconfSourceProp, Immediate, "Checks the chosen kvconf.rec, with messages")
PLANNED(SetKvconfSourcePropNoMess, Immediate, "Checks the chosen kvconf.rec silently")
PLANNED(SetKvconfCopyState, Immediate, "Marks kvconf.rec to be copied")
PLANNED(SetKvrootSourceProp, Immediate, "Checks the chosen kvroot.crt, with messages")
PLANNED(SetKvrootSourcePropNoMess, Immediate, "Checks the chosen kvroot.crt silently")
PLANNED(SetKvrootCopyState, Immediate, "Marks kvroot.crt to be copied")
PLANNED(ValidateCustomBitmapFile, Immediate, "Checks the chosen banner bitmap")
PLANNED(CheckFieldLength, Immediate, "Checks the Active Directory field name")
PLANNED(BrowseForKvconfRec, Immediate, "File-open dialog for kvconf.rec")
PLANNED(BrowseForKvrootCrt, Immediate, "File-open dialog for kvroot.crt")
PLANNED(BrowseForCustomBitmapFile, Immediate, "File-open dialog for the banner bitmap")
PLANNED(VerifyConfigFiles, Immediate, "Requires both server files beside the package")
PLANNED(LocateConfigFiles, Immediate, "Looks for the server files beside the package")
PLANNED(DisplayProperty, Immediate, "Shows a property's value (diagnostic)")
PLANNED(RepositionDataForCopy, Immediate, "Copies the chosen files into the temporary folder")
PLANNED(SetDeferredKvconfData, Immediate, "Packs the data of CopyKvconfRec")
PLANNED(SetDeferredKvrootData, Immediate, "Packs the data of CopyKvrootCrt")
PLANNED(CopyKvconfRec, Deferred, "Copies kvconf.rec into place (immediate in package creation)")
PLANNED(CopyKvrootCrt, Deferred, "Copies kvroot.crt into place (immediate in package creation)")
PLANNED(CopyCustomBitmapFile, Immediate, "Copies the banner bitmap into the package folder")
PLANNED(CopyServerCertPackage, Immediate, "Copies server.cer into the package folder")
PLANNED(CopyConfigFiles, Deferred, "Copies the server files found beside the package")
// Silent installation package and install options
PLANNED(CreatePackageFolder, Immediate, "Creates the silent installation package folder")
PLANNED(RecordInstallOptions, Immediate, "Writes the package's options and registry configuration files")
PLANNED(GetSilentInstallOptions, Immediate, "Reads the package's options file")
PLANNED(SetDeferredConfigFromRegFile, Immediate, "Packs the data of ConfigFromRegistryFile")
PLANNED(CopyConfigFromRegistryFile, Deferred, "Copies the registry configuration file")
PLANNED(ConfigFromRegistryFile, Deferred, "Applies the registry configuration file")
PLANNED(GetConfigState, Immediate, "Reads the registry configuration state")
PLANNED(ValidateNumericTextFields, Immediate, "Checks the wizard's numeric fields")
PLANNED(SetDeferredInstallOptions, Immediate, "Packs the data of ProcessInstallOptions")
PLANNED(ProcessInstallOptions, Deferred, "Writes the logon options into the registry")
PLANNED(SetupINSTALLDIR, Immediate, "Points INSTALLDIR at an earlier installation")
PLANNED(SetupDAYFILE_INSTALLDIRS, Immediate, "Sets up the day-file roots")
PLANNED(CreateDAYFILE_DIRS, Deferred, "Creates the day-file folder and moves the domain secret")
PLANNED(SetupRegistration, Immediate, "Builds the product registration address")
PLANNED(InvokeRegistrationForm, Immediate, "Opens the product registration page")
// Services and access control
PLANNED(InstallLocalDAService, Deferred, "Registers the local offline authentication service")
PLANNED(InstallDomainDAService, Deferred, "Registers the domain client offline authentication service")
PLANNED(InstallDomainHostDAService, Deferred, "Registers the domain host offline authentication service")
PLANNED(ConfirmTokaraChallenge, Immediate, "Records the challenge choice and confirms it")
PLANNED(SetDeferredTokaraChallenge, Immediate, "Packs the data of ConfigUsersTokaraChallenge")
PLANNED(ConfigUsersTokaraChallenge, Deferred, "Writes the challenge settings and the exclude group")
PLANNED(ConfigureNAPServer, Deferred, "Runs the domain authentication server configuration")
// Upgrade, migration and rollback
PLANNED(CheckUpgradeState, Immediate, "Detects earlier agents")
PLANNED(SetDeferredPreProcessData, Immediate, "Packs the data of PreProcessAgentInstall")
PLANNED(PreProcessAgentInstall, Deferred, "Saves files and settings before the new files")
PLANNED(PrepForPossiblePost5_Upgrade, Immediate, "Copies an upgradable agent's settings to the upgrade key")
PLANNED(SetDeferredPostProcessData, Immediate, "Packs the data of PostProcessAgentInstall")
PLANNED(PostProcessAgentInstall, Deferred, "Restores, migrates and reconciles after the files")
PLANNED(SetDeferredRollBackData, Immediate, "Packs the data of ProcessRollBack")
PLANNED(ProcessRollBack, Rollback, "Undoes the captures and the GINA change")
PLANNED(SetDeferredStopVpnTool, Immediate, "Packs the data of StopVpnTool")
PLANNED(StopVpnTool, Deferred, "Stops the VPN tool")
PLANNED(CleanPavoData, Immediate, "Removes the authenticator utility's leftovers")
PLANNED(RestorePavoSecurityCenterRootPages, Immediate, "Gives the utility its welcome pages back")
