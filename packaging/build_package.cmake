# Builds the test package around a built VeltraAgentCA.dll:
#
#   cmake -DARCH=x86|x64 -DAGENT_DLL=<VeltraAgentCA.dll> -DOUTPUT=<package.msi>
#         [-DWORK_DIR=<folder>] -P packaging/build_package.cmake
#
# x86 is the product's architecture; x64 is the build the Wine tests install.
# The custom-action rows are generated from the action table, so the package
# declares exactly the actions the DLL exports. Needs wixl and msitools.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/read_action_list.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/custom_actions.cmake)

foreach(required ARCH AGENT_DLL OUTPUT)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "build_package.cmake: ${required} is not set")
  endif()
endforeach()
if(NOT ARCH MATCHES "^(x86|x64)$")
  message(FATAL_ERROR "build_package.cmake: ARCH must be x86 or x64, not '${ARCH}'")
endif()
if(NOT EXISTS ${AGENT_DLL})
  message(FATAL_ERROR "build_package.cmake: no DLL at ${AGENT_DLL}")
endif()
get_filename_component(AGENT_DLL ${AGENT_DLL} ABSOLUTE)
get_filename_component(OUTPUT ${OUTPUT} ABSOLUTE)
if(NOT DEFINED WORK_DIR)
  set(WORK_DIR ${OUTPUT}.work)
endif()
get_filename_component(WORK_DIR ${WORK_DIR} ABSOLUTE)

find_program(WIXL wixl REQUIRED)
find_program(MSIBUILD msibuild REQUIRED)
find_program(MSIINFO msiinfo REQUIRED)

# The files the package lays down. Only their existence matters to the
# library: the GINA must be present for the chain to link to it, and the
# markers say which components are installed.
set(payload ${WORK_DIR}/payload)
file(MAKE_DIRECTORY ${payload})
file(WRITE ${payload}/KeshGina.dll "Stand-in for the agent GINA of the test package.\n")
file(WRITE ${payload}/LocalClientKEY.txt "LocalAuthClient\n")
file(WRITE ${payload}/VeltraKeshAgentInstalled.txt "Veltra Authentication Agent\n")

veltra_read_action_list(${CMAKE_CURRENT_LIST_DIR}/../src/runtime/action_list.h names kinds planned)
veltra_custom_action_rows("${names}" "${kinds}" wxi expected_rows)
file(WRITE ${WORK_DIR}/custom_actions.wxi "${wxi}")

# wixl resolves file sources relative to the folder it runs in and refuses
# absolute ones: everything it reads is gathered in the work folder.
file(COPY_FILE ${AGENT_DLL} ${WORK_DIR}/VeltraAgentCA.dll)
file(COPY_FILE ${CMAKE_CURRENT_LIST_DIR}/VeltraAgentCA.wxs ${WORK_DIR}/VeltraAgentCA.wxs)
file(REMOVE ${OUTPUT})
execute_process(
  COMMAND ${WIXL} -a ${ARCH} -D Arch=${ARCH} -D AgentDll=VeltraAgentCA.dll -D Payload=payload
          -I . -o ${OUTPUT} VeltraAgentCA.wxs
  WORKING_DIRECTORY ${WORK_DIR}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "wixl failed (${result})")
endif()

# One SQL statement on the built package; the build stops with `what` when
# msibuild refuses it.
function(veltra_msi_query sql what)
  execute_process(COMMAND ${MSIBUILD} ${OUTPUT} -q "${sql}" RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "msibuild could not ${what}")
  endif()
endfunction()

# wixl ignores Execute="rollback": give those rows their real type.
list(LENGTH names count)
math(EXPR last "${count} - 1")
foreach(index RANGE ${last})
  list(GET kinds ${index} kind)
  if(kind STREQUAL "Rollback")
    list(GET names ${index} name)
    veltra_custom_action_row_id(${name} row)
    veltra_custom_action_type(Rollback type)
    veltra_msi_query("UPDATE `CustomAction` SET `Type` = ${type} WHERE `Action` = '${row}'"
                     "set the type of ${row}")
  endif()
endforeach()

# The sequences name every action of the product; those whose logic has not
# landed yet are taken out, with the property assignments that feed them, so
# the package schedules only what the library does.
set(unscheduled 0)
foreach(name IN LISTS planned)
  veltra_custom_action_row_id(${name} row)
  # One row per statement: msibuild's DELETE with OR skips rows.
  foreach(table InstallUISequence InstallExecuteSequence)
    foreach(action ${row} Set${name}Data)
      veltra_msi_query("DELETE FROM `${table}` WHERE `Action` = '${action}'"
                       "take ${action} out of ${table}")
    endforeach()
  endforeach()
  math(EXPR unscheduled "${unscheduled} + 1")
endforeach()

# Check the table the installer will read, row by row.
execute_process(COMMAND ${MSIINFO} export ${OUTPUT} CustomAction
                OUTPUT_VARIABLE table RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "msiinfo could not read the CustomAction table of ${OUTPUT}")
endif()
string(REPLACE ";" "\\;" table "${table}")
string(REPLACE "\r" "" table "${table}")
string(REPLACE "\n" ";" table_lines "${table}")
set(problems "")
foreach(expected IN LISTS expected_rows)
  # expected: "Row|Type|Source|Target"
  string(REPLACE "|" ";" fields "${expected}")
  list(GET fields 0 row)
  list(GET fields 1 type)
  list(GET fields 2 source)
  set(found "")
  foreach(line IN LISTS table_lines)
    if(line MATCHES "^${row}\t([0-9]+)\t([^\t]*)\t")
      set(found "${CMAKE_MATCH_1}|${CMAKE_MATCH_2}")
    endif()
  endforeach()
  if(NOT found STREQUAL "${type}|${source}")
    string(APPEND problems "  ${row}: expected type ${type} from ${source}, found '${found}'\n")
  endif()
endforeach()
if(problems)
  message(FATAL_ERROR "The CustomAction table of ${OUTPUT} is not what the action table asks for:\n${problems}")
endif()
list(LENGTH expected_rows row_count)
message(STATUS "Built ${OUTPUT}: ${count} actions, ${row_count} custom-action rows, "
               "${unscheduled} actions not built yet left out of the sequences")
