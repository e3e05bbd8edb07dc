# The interoperability test's host for the Windows build: the same program, using opc_ua3.dll through its import
# library, placed beside the DLL so that Wine finds it.
add_executable(ua_test_host ${CMAKE_CURRENT_LIST_DIR}/ua_test_host.cpp)
target_link_libraries(ua_test_host PRIVATE iec_warnings opc_ua3 ws2_32)
target_include_directories(ua_test_host PRIVATE ${PROJECT_SOURCE_DIR}/src)
set_target_properties(ua_test_host PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
set_target_properties(opc_ua3 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
# Its test runs in the Linux build with the other Wine tests (tests/windows).
