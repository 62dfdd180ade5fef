# The bench's executables allocate thousands of small strings per road (names,
# paths, log lines). mimalloc (Debian: libmimalloc-dev) serves them several
# times faster than the C library's allocator; linking it replaces malloc for
# the whole process. The sanitizer builds keep their own allocator, and a
# build without the package simply uses the C library's.
find_package(mimalloc CONFIG QUIET)

function(veltra_use_fast_allocator target)
  if(NOT mimalloc_FOUND OR CMAKE_CXX_FLAGS MATCHES "-fsanitize" OR NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
    return()
  endif()
  # Nothing calls mimalloc by name, so the linker must keep it even where it
  # drops libraries that nothing refers to.
  target_link_options(${target} PRIVATE "LINKER:--no-as-needed")
  target_link_libraries(${target} PRIVATE mimalloc)
endfunction()
