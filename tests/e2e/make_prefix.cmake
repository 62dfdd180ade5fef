# Creates the base Wine prefix of one end-to-end test run; each scenario
# works on a copy of it. A fresh prefix takes about 15 s and 700 MB.
#
#   cmake -DWINE=<wine> -DWINESERVER=<wineserver> -DPREFIX=<folder>
#         [-DPACKAGE_BUILT=0|1] -P make_prefix.cmake
if(NOT WINE OR NOT WINESERVER)
  message(STATUS "wine not found: no prefix is made, and the end-to-end scenarios skip")
  return()
endif()
if(DEFINED PACKAGE_BUILT AND NOT PACKAGE_BUILT)
  message(STATUS "no test package in this tree: no prefix is made, and the end-to-end scenarios skip")
  return()
endif()
file(REMOVE_RECURSE ${PREFIX})
get_filename_component(parent ${PREFIX} DIRECTORY)
file(MAKE_DIRECTORY ${parent})

# No display (nothing may wait for a button), no Mono or Gecko (their
# installers would ask to download), no debug output.
set(wine_env ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
    WINEPREFIX=${PREFIX} WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml=")
execute_process(COMMAND ${wine_env} ${WINE} wineboot -i
                TIMEOUT 300 RESULT_VARIABLE booted OUTPUT_VARIABLE output ERROR_VARIABLE output)
# The registry reaches its files only when the server ends.
execute_process(COMMAND ${wine_env} ${WINESERVER} -w TIMEOUT 120 RESULT_VARIABLE waited)
if(NOT booted EQUAL 0 OR NOT EXISTS ${PREFIX}/system.reg)
  message(FATAL_ERROR "wineboot could not create ${PREFIX} (${booted}):\n${output}")
endif()
if(NOT waited EQUAL 0)
  message(FATAL_ERROR "wineserver -w did not finish for ${PREFIX} (${waited})")
endif()
message(STATUS "Base prefix ready: ${PREFIX}")
