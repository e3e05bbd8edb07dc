# The Windows zip: the program folder as a user copies it. `cmake --build build-win --target package` writes
# iec101opc-win64.zip into the build folder; the Wine tests run the programs unpacked from it.
install(TARGETS iec101opc sim101 opc_ua3 RUNTIME DESTINATION . COMPONENT program)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/web/ DESTINATION web COMPONENT program)
# The readme as Notepad of every Windows version reads it: CR LF, and a byte-order mark that says UTF-8.
file(READ ${PROJECT_SOURCE_DIR}/docs/README-Windows.txt readme)
string(REPLACE "\n" "\r\n" readme "${readme}")
string(ASCII 239 187 191 bom)
file(WRITE ${CMAKE_BINARY_DIR}/README-Windows.txt "${bom}${readme}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/README-Windows.txt)
install(FILES ${PROJECT_SOURCE_DIR}/demo/iec101.cfg ${PROJECT_SOURCE_DIR}/demo/iec101kp.cfg
              ${PROJECT_SOURCE_DIR}/demo/cnf.ini ${PROJECT_SOURCE_DIR}/demo/sim-line1.cfg
              ${PROJECT_SOURCE_DIR}/demo/sim-tcp.cfg ${CMAKE_BINARY_DIR}/README-Windows.txt
        DESTINATION . COMPONENT program)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME iec101opc)
set(CPACK_PACKAGE_FILE_NAME iec101opc-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_COMPONENTS_ALL program)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
# The programs as users get them: without the debugging information of a RelWithDebInfo build.
set(CPACK_STRIP_FILES ON)
include(CPack)
