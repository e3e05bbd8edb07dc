# The Windows build: the whole program folder (iec101opc.exe, sim101.exe, opc_ua3.dll). The tests are Linux
# programs that drive these under Wine; they are built by the Linux build.
set(IEC_TESTS OFF)
# Boost is header-only here, but its Debian folder is /usr/include, whose other headers must not shadow the
# cross compiler's own: a folder of the build exposes only boost/.
set(IEC_BOOST_INCLUDE ${CMAKE_BINARY_DIR}/boost-include)
if(NOT EXISTS ${IEC_BOOST_INCLUDE}/boost)
  file(MAKE_DIRECTORY ${IEC_BOOST_INCLUDE})
  file(CREATE_LINK /usr/include/boost ${IEC_BOOST_INCLUDE}/boost SYMBOLIC)
endif()
include_directories(SYSTEM ${IEC_BOOST_INCLUDE})
# Windows 7 and later: the APIs the program uses (WSAPoll, condition variables) exist from there on.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
# The program folder as a user copies it: every program and library in one folder.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
