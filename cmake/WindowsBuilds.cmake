# The Windows builds of the library, made from inside a Linux build tree so
# that one build and one test command cover the DLLs and the test packages:
# <build>/windows/i686 and <build>/windows/x64 are ordinary MinGW-w64 builds
# of this source tree (the same as the mingw-i686 and mingw-x64 presets),
# rebuilt whenever the Linux tree is built.
#
# veltra_windows_builds() defines them once; veltra_windows_artifact(arch
# what out) names a file they produce (arch i686 or x64; what "dll",
# "package" or "dir"). Without the MinGW-w64 compilers, or with
# VELTRA_WINDOWS_BUILDS off, nothing is built, and the tests that need the
# files say so and skip.
include_guard(GLOBAL)
include(ExternalProject)

option(VELTRA_WINDOWS_BUILDS "Cross-build the Windows DLLs and test packages (MinGW-w64)" ON)

function(veltra_windows_artifact arch what out)
  set(dir ${CMAKE_BINARY_DIR}/windows/${arch})
  if(arch STREQUAL "i686")
    set(package_arch x86)
  else()
    set(package_arch x64)
  endif()
  if(what STREQUAL "dir")
    set(${out} ${dir} PARENT_SCOPE)
  elseif(what STREQUAL "dll")
    set(${out} ${dir}/src/platform/win32/VeltraAgentCA.dll PARENT_SCOPE)
  elseif(what STREQUAL "package")
    set(${out} ${dir}/packaging/VeltraAgent-${package_arch}.msi PARENT_SCOPE)
  else()
    message(FATAL_ERROR "veltra_windows_artifact: unknown artifact '${what}'")
  endif()
endfunction()

# Defines the targets veltra_windows_i686 and veltra_windows_x64 (when they
# can be built) and sets VELTRA_WINDOWS_TARGETS in the caller to those that exist.
function(veltra_windows_builds)
  get_property(already GLOBAL PROPERTY VELTRA_WINDOWS_TARGETS SET)
  if(NOT already)
    set(targets "")
    if(VELTRA_WINDOWS_BUILDS)
      foreach(arch i686 x64)
        if(arch STREQUAL "i686")
          set(triplet i686-w64-mingw32)
        else()
          set(triplet x86_64-w64-mingw32)
        endif()
        find_program(VELTRA_MINGW_CXX_${arch} ${triplet}-g++-win32)
        if(NOT VELTRA_MINGW_CXX_${arch})
          message(STATUS "${triplet}-g++-win32 not found: the ${arch} DLL is not built")
          continue()
        endif()
        veltra_windows_artifact(${arch} dir dir)
        veltra_windows_artifact(${arch} dll dll)
        veltra_windows_artifact(${arch} package package)
        ExternalProject_Add(veltra_windows_${arch}
          SOURCE_DIR ${CMAKE_SOURCE_DIR}
          BINARY_DIR ${dir}
          PREFIX ${CMAKE_BINARY_DIR}/windows/stamps-${arch}
          CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-${arch}.cmake
                     -DCMAKE_BUILD_TYPE=Release
          INSTALL_COMMAND ""
          BUILD_ALWAYS ON
          BUILD_BYPRODUCTS ${dll} ${package}
          USES_TERMINAL_BUILD OFF)
        list(APPEND targets veltra_windows_${arch})
      endforeach()
    endif()
    set_property(GLOBAL PROPERTY VELTRA_WINDOWS_TARGETS "${targets}")
  endif()
  get_property(targets GLOBAL PROPERTY VELTRA_WINDOWS_TARGETS)
  set(VELTRA_WINDOWS_TARGETS "${targets}" PARENT_SCOPE)
endfunction()
