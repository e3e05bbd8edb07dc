#include "web/web_files.h"

#include <algorithm>
#include <system_error>

#include "platform/cp1251.h"
#include "platform/file_util.h"

namespace fs = std::filesystem;

namespace iec {

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

bool InsideFolder(const fs::path& folder, const fs::path& file) {
    auto f = folder.begin();
    auto p = file.begin();
    for (; f != folder.end(); ++f, ++p) {
        // A trailing separator of the folder shows as an empty last element.
        if (f->empty() && std::next(f) == folder.end()) break;
        if (p == file.end() || *f != *p) return false;
    }
    return p != file.end();
}

}  // namespace

std::optional<fs::path> RelativeRequestPath(std::string_view path) {
    if (path.find('\0') != std::string_view::npos || path.find('\\') != std::string_view::npos ||
        path.find(':') != std::string_view::npos) {
        return std::nullopt;
    }
    fs::path relative;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t end = path.find('/', pos);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view segment = path.substr(pos, end - pos);
        if (!segment.empty()) {
            if (segment.back() == '.' || segment.back() == ' ') return std::nullopt;
            try {
                // The octets are taken as UTF-8, as browsers send them.
                relative /= fs::path(std::u8string(segment.begin(), segment.end()));
            } catch (const std::exception&) {
                return std::nullopt;
            }
        }
        pos = end + 1;
    }
    if (relative.empty() || relative.is_absolute() || relative.has_root_name() || relative.has_root_directory()) {
        return std::nullopt;
    }
    return relative;
}

std::optional<fs::path> FileInside(const fs::path& folder, const fs::path& relative) {
    try {
        std::error_code ec;
        const fs::path real_folder = fs::canonical(folder, ec);
        if (ec) return std::nullopt;
        const fs::path real_file = fs::canonical(folder / relative, ec);
        if (ec) return std::nullopt;
        if (!InsideFolder(real_folder, real_file)) return std::nullopt;
        if (!fs::is_regular_file(real_file, ec) || ec) return std::nullopt;
        return real_file;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string Utf16ToUtf8(std::string_view octets, bool big_endian) {
    std::string out;
    out.reserve(octets.size());
    auto unit = [&](size_t i) -> uint32_t {
        const auto a = static_cast<unsigned char>(octets[i]);
        const auto b = static_cast<unsigned char>(octets[i + 1]);
        return big_endian ? (a << 8 | b) : (b << 8 | a);
    };
    size_t i = 0;
    for (; i + 1 < octets.size(); i += 2) {
        const uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 3 < octets.size()) {
                const uint32_t low = unit(i + 2);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                    i += 2;
                    continue;
                }
            }
            AppendUtf8(out, kReplacement);
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, u);
        }
    }
    if (i < octets.size()) AppendUtf8(out, kReplacement);
    return out;
}

std::optional<std::string> ReadWebTextFile(const fs::path& file) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec || size > kMaxServedFileSize) return std::nullopt;
    const std::optional<std::string> bytes = ReadFileBytes(file);
    if (!bytes) return std::nullopt;
    const std::string_view b(*bytes);
    std::string utf8;
    if (b.starts_with("\xFF\xFE")) {
        utf8 = Utf16ToUtf8(b.substr(2), false);
    } else if (b.starts_with("\xFE\xFF")) {
        utf8 = Utf16ToUtf8(b.substr(2), true);
    } else {
        utf8 = DecodeFileText(b);
    }
    std::string text;
    text.reserve(utf8.size() + utf8.size() / 16);
    for (const std::string& line : SplitLines(utf8)) {
        text += line;
        text += "\r\n";
    }
    return text;
}

}  // namespace iec
