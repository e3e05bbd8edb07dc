// A configuration file as users write it by hand: any text must give a configuration or an error message.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sim101/options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace iec::sim;
    ProgramOptions options;
    const std::string error =
        ParseConfigText(std::string_view(reinterpret_cast<const char*>(data), size), options);
    if (error.empty()) (void)ValidateLineConfig(options.line);
    return 0;
}
