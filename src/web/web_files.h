// Where the files the server hands out may come from. Request paths are untrusted: a file is served only when
// its real location, every link resolved, lies inside the folder it is served from.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace iec {

// The request path (URL-decoded, "/" separated) as a path relative to a folder: its non-empty segments in order.
// Nothing for a segment that ends in "." or a blank ("." and ".." included; Windows drops such endings, so they
// could name another file than the one checked), or a path with a NUL, a backslash or a colon (a drive or a
// stream on Windows).
std::optional<std::filesystem::path> RelativeRequestPath(std::string_view path);

// folder / relative when that names a regular file whose real location is inside folder's real location;
// nothing otherwise (missing, a folder, or a link that leads out). Never throws.
std::optional<std::filesystem::path> FileInside(const std::filesystem::path& folder,
                                                const std::filesystem::path& relative);

// Largest file the server reads into memory to send.
constexpr std::uintmax_t kMaxServedFileSize = 64u * 1024 * 1024;

// A text file's content as UTF-8 lines, each followed by CR LF. A byte-order mark selects UTF-8, UTF-16LE or
// UTF-16BE; without one the file is Windows-1251. Nothing when the file cannot be read.
std::optional<std::string> ReadWebTextFile(const std::filesystem::path& file);

// UTF-16 octets (without the mark) to UTF-8; unpaired surrogates and a dangling odd octet become U+FFFD.
std::string Utf16ToUtf8(std::string_view octets, bool big_endian);

}  // namespace iec
