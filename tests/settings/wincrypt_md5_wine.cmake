# Builds the CryptoAPI digest of the Windows build with MinGW and runs it
# under Wine against the RFC 1321 test suite.
# -DCXX=<mingw g++> -DWINE=<wine64> -DSRC=<repo>/src -DTESTS=<this folder> -DOUT=<work folder>
file(MAKE_DIRECTORY ${OUT})
execute_process(
  COMMAND ${CXX} -std=c++20 -O2 -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Werror
          -I${SRC} ${TESTS}/wincrypt_md5_main.cpp ${SRC}/platform/win32/digest_wincrypt.cpp
          -ladvapi32 -static -static-libgcc -static-libstdc++ -o ${OUT}/md5_vectors.exe
  RESULT_VARIABLE built)
if(NOT built EQUAL 0)
  message(FATAL_ERROR "the MinGW build of the digest failed")
endif()
set(ENV{WINEPREFIX} ${OUT}/prefix)
set(ENV{WINEDEBUG} -all)
execute_process(COMMAND ${WINE} ${OUT}/md5_vectors.exe RESULT_VARIABLE ran TIMEOUT 240)
if(NOT ran EQUAL 0)
  message(FATAL_ERROR "the CryptoAPI digest does not give the RFC 1321 test suite under Wine (${ran})")
endif()
