#include "app/program_log.h"

namespace iec {

std::ofstream OpenProgramLog(const std::filesystem::path& file, std::uintmax_t max_bytes) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (!ec && size > max_bytes) {
        auto kept = file;
        kept += ".1";
        std::filesystem::rename(file, kept, ec);
    }
    return std::ofstream(file, std::ios::app);
}

}  // namespace iec
