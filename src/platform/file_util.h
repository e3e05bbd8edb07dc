// Whole-file reads and crash-safe whole-file writes.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace iec {

// The file's bytes, or nothing when it cannot be opened.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);

// Replaces the file with the given bytes so that a reader sees either the old or the new content, never a part:
// the bytes go to a temporary file in the same folder, are flushed to the disk, and the temporary file is renamed
// over the old one. Returns an empty string on success, else the reason.
std::string WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes);

// Lines of a text file's content: ends of line are CR LF, LF or a lone CR; the ends are not kept; a last line
// without an end is kept.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace iec
