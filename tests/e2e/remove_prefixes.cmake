# Ends the end-to-end test run: removes the base prefix and every scenario's
# prefix (700 MB each), keeping the logs and exports beside them.
#
#   cmake -DWORK=<folder> -P remove_prefixes.cmake
file(GLOB prefixes LIST_DIRECTORIES true ${WORK}/base-prefix ${WORK}/*/prefix)
foreach(prefix IN LISTS prefixes)
  if(IS_DIRECTORY ${prefix})
    file(REMOVE_RECURSE ${prefix})
  endif()
endforeach()
