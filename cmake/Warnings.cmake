# Warnings are errors for our own code; every target of the project links iec_warnings.
add_library(iec_warnings INTERFACE)
target_compile_options(iec_warnings INTERFACE -Wall -Wextra -Werror)
