# Writes the DLL's module-definition file from the action table, so that the
# export list can never drift from the actions the library has.
#
#   cmake -DACTION_LIST=<action_list.h> -DOUTPUT=<file.def> -DDECORATED=<ON|OFF>
#         -P generate_def.cmake
#
# DECORATED is ON for 32-bit x86, where a stdcall function taking one handle is
# the symbol "Name@4": the installer looks exports up by their plain names, so
# each one is exported as Name and bound to Name@4.
include(${CMAKE_CURRENT_LIST_DIR}/read_action_list.cmake)

foreach(required ACTION_LIST OUTPUT)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "generate_def.cmake: ${required} is not set")
  endif()
endforeach()

veltra_read_action_list(${ACTION_LIST} names kinds)

set(text "; Generated from the action table at build time; do not edit.\n")
string(APPEND text "LIBRARY VeltraAgentCA.dll\nEXPORTS\n")
foreach(name IN LISTS names)
  if(DECORATED)
    string(APPEND text "    ${name} = ${name}@4\n")
  else()
    string(APPEND text "    ${name}\n")
  endif()
endforeach()

file(WRITE ${OUTPUT} "${text}")
