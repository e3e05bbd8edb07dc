# Signal tables loaded from CSV files that engineers edit in spreadsheets.
iec_fuzz_target(ui_signal_csv ${CMAKE_CURRENT_SOURCE_DIR}/ui_signal_csv.cpp iec_ui)
