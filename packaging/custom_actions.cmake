# The package's custom-action rows, derived from the action table.
#
# Each exported action is a row of type 1 (a function of the DLL in the Binary
# table): immediate actions run in the client as the installing user;
# deferred actions run in the installation script as the service would
# (no impersonation); rollback actions run only when the installation is
# rolled back. A deferred action reads its data from the property named
# after its row, which its immediate partner sets: either a library action
# (SetDeferred...) or, for the actions below, the package's own property
# assignment (type 51).

# Custom action types (msidbCustomActionType...): DLL in the Binary table 1,
# property assignment 51, in-script 1024, rollback 256, no impersonation 2048.
function(veltra_custom_action_type kind out)
  if(kind STREQUAL "Immediate")
    set(${out} 1 PARENT_SCOPE)
  elseif(kind STREQUAL "Deferred")
    set(${out} 3073 PARENT_SCOPE)
  elseif(kind STREQUAL "Rollback")
    set(${out} 3329 PARENT_SCOPE)
  else()
    message(FATAL_ERROR "unknown action kind '${kind}'")
  endif()
endfunction()

# The row of a deferred action is named after the property that carries its
# data. One action reads a property whose name differs from its own.
function(veltra_custom_action_row_id name out)
  if(name STREQUAL "ConfigUsersTokaraChallenge")
    set(${out} ConfigTokaraChallenge PARENT_SCOPE)
  else()
    set(${out} ${name} PARENT_SCOPE)
  endif()
endfunction()

# The data the package itself gives a deferred action, in the form the action
# splits it (fields joined with ";"). Deferred actions not listed get theirs
# from a partner action of the library.
set(veltra_package_data_EnableGina [=[[INSTALLDIR]KeshGina.dll;[UILevel]]=])
set(veltra_package_data_DisableGina [=[[UILevel]]=])
set(veltra_package_data_InstallLocalDAService [=[[INSTALLDIR]]=])
set(veltra_package_data_InstallDomainDAService [=[[INSTALLDIR]]=])
set(veltra_package_data_InstallDomainHostDAService [=[[INSTALLDIR]]=])
set(veltra_package_data_CreateDAYFILE_DIRS [=[[TempFolder]]=])
# A silent installation runs from the package folder, so SourceDir is that
# folder.
set(veltra_package_data_CopyConfigFromRegistryFile
    [=[[SourceDir]registryConfigFile.bin;[TempFolder]registryConfigFile.bin]=])
# Field 2 is not used but must not be empty: empty fields vanish when the
# data is split, and fields 3 to 5 would move up.
set(veltra_package_data_ConfigureNAPServer
    [=[[INSTALLDIR];[ProductCode];[SHAREDAUTHFRAMEWORKDIR];[SHAREDBACKENDUIDIR];[UILevel]]=])

# veltra_custom_action_rows(names kinds wxi_var rows_var): the include file
# with every row, and the rows as "Row|Type|Source|Target" for checking the
# built package.
function(veltra_custom_action_rows names kinds wxi_var rows_var)
  set(wxi "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n")
  string(APPEND wxi "<!-- Generated from the action table at build time; do not edit. -->\n<Include>\n")
  set(rows "")
  list(LENGTH names count)
  math(EXPR last "${count} - 1")
  foreach(index RANGE ${last})
    list(GET names ${index} name)
    list(GET kinds ${index} kind)
    veltra_custom_action_row_id(${name} row)
    veltra_custom_action_type(${kind} type)
    if(kind STREQUAL "Immediate")
      set(execute "immediate")
      set(impersonate "yes")
    else()
      string(TOLOWER ${kind} execute)
      set(impersonate "no")
    endif()
    string(APPEND wxi "  <CustomAction Id=\"${row}\" BinaryKey=\"VeltraAgentCA\" DllEntry=\"${name}\""
                      " Execute=\"${execute}\" Impersonate=\"${impersonate}\" Return=\"check\"/>\n")
    list(APPEND rows "${row}|${type}|VeltraAgentCA|${name}")
    if(DEFINED veltra_package_data_${name})
      if(kind STREQUAL "Immediate")
        message(FATAL_ERROR "${name} is immediate: it takes no deferred data")
      endif()
      # XML text: the values hold no characters that need escaping but these.
      string(REPLACE "&" "&amp;" value "${veltra_package_data_${name}}")
      string(REPLACE "\"" "&quot;" value "${value}")
      string(APPEND wxi "  <CustomAction Id=\"Set${name}Data\" Property=\"${row}\" Value=\"${value}\""
                        " Execute=\"immediate\" Impersonate=\"yes\"/>\n")
      list(APPEND rows "Set${name}Data|51|${row}|")
    endif()
  endforeach()
  string(APPEND wxi "</Include>\n")
  set(${wxi_var} "${wxi}" PARENT_SCOPE)
  set(${rows_var} "${rows}" PARENT_SCOPE)
endfunction()
