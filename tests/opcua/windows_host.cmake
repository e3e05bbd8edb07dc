# The interoperability test's host for the Windows build: the same program, using opc_ua3.dll through its import
# library, placed beside the DLL so that Wine finds it.
add_executable(ua_test_host ${CMAKE_CURRENT_LIST_DIR}/ua_test_host.cpp)
target_link_libraries(ua_test_host PRIVATE iec_warnings opc_ua3 ws2_32)
target_include_directories(ua_test_host PRIVATE ${PROJECT_SOURCE_DIR}/src)
set_target_properties(ua_test_host PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
set_target_properties(opc_ua3 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

enable_testing()
find_program(IEC_NODE node)
find_program(IEC_WINE wine)
if(IEC_NODE AND IEC_WINE)
  add_test(NAME opcua_node_interop_windows
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/windows_interop.sh ${IEC_NODE} $<TARGET_FILE:ua_test_host>
                   ${PROJECT_BINARY_DIR}/wine-prefix)
  # 77: node-opcua-client is not installed in tests/opcua/node.
  set_tests_properties(opcua_node_interop_windows PROPERTIES LABELS integration TIMEOUT 300 SKIP_RETURN_CODE 77)
endif()
