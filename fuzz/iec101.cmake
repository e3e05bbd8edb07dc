# IEC 60870-5-101 parsers: octets through the link layer, ASDUs into a signal list, time tags.
iec_fuzz_target(iec101_link ${CMAKE_CURRENT_SOURCE_DIR}/iec101_link.cpp iec_iec101)
iec_fuzz_target(iec101_asdu ${CMAKE_CURRENT_SOURCE_DIR}/iec101_asdu.cpp iec_iec101)
iec_fuzz_target(iec101_time_tag ${CMAKE_CURRENT_SOURCE_DIR}/iec101_time_tag.cpp iec_iec101)
