# veltra_read_action_list(<file> <names-var> <kinds-var>): the exported
# actions of the table, one list entry per ACTION(...) or PLANNED(...) line,
# in the table's order, with their kinds (Immediate, Deferred, Rollback).
# Every build script that needs the exports reads them through this.
# With a fourth argument, that variable gets the names of the PLANNED ones.
function(veltra_read_action_list file names_var kinds_var)
  file(STRINGS ${file} lines REGEX "^(ACTION|PLANNED)\\(")
  set(names "")
  set(kinds "")
  set(planned "")
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^(ACTION|PLANNED)\\(([A-Za-z_][A-Za-z0-9_]*), *(Immediate|Deferred|Rollback),")
      message(FATAL_ERROR "${file}: cannot read the action line: ${line}")
    endif()
    list(APPEND names ${CMAKE_MATCH_2})
    list(APPEND kinds ${CMAKE_MATCH_3})
    if(CMAKE_MATCH_1 STREQUAL "PLANNED")
      list(APPEND planned ${CMAKE_MATCH_2})
    endif()
  endforeach()
  if(NOT names)
    message(FATAL_ERROR "${file}: no actions found")
  endif()
  set(${names_var} ${names} PARENT_SCOPE)
  set(${kinds_var} ${kinds} PARENT_SCOPE)
  if(ARGC GREATER 3)
    set(${ARGV3} "${planned}" PARENT_SCOPE)
  endif()
endfunction()
