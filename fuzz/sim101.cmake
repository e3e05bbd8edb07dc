# The simulator reads frames from whatever master users point it at, and its configuration from files.
iec_fuzz_target(sim101_line ${CMAKE_CURRENT_LIST_DIR}/sim101_line.cpp sim101_core)
iec_fuzz_target(sim101_config ${CMAKE_CURRENT_LIST_DIR}/sim101_config.cpp sim101_core)
