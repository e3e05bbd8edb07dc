// INI files with the rules of Windows private-profile files: sections and keys are matched without regard to
// case, blanks around keys and values do not count, a value in matching quotes loses them, a missing file or key
// gives the caller's default, the first of repeated sections or keys wins. Writing one key keeps every other
// section, key and comment as it stands. On disk the file is Windows-1251 with CR LF; a file that starts with a
// UTF-8 byte-order mark is read as UTF-8. Strings in and out are UTF-8.
// Every call reads the file afresh, as the Windows functions do; an object holds only the path.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace iec {

// The same rules on a file's content, for callers that hold the bytes: the value of a key, or nothing; and the
// content with one key set (Windows-1251, CR LF).
std::optional<std::string> IniLookup(std::string_view file_bytes, const std::string& section, const std::string& key);
std::string IniWithKey(std::string_view file_bytes, const std::string& section, const std::string& key,
                       const std::string& value);

class IniFile {
public:
    explicit IniFile(std::filesystem::path path) : path_(std::move(path)) {}

    const std::filesystem::path& path() const { return path_; }

    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // A value that is not an integer ("$1F" and "0x1F" are hexadecimal) gives the default.
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    // True when the value is a non-zero integer.
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;
    bool KeyExists(const std::string& section, const std::string& key) const;

    // Each write replaces the file atomically; returns an empty string on success, else the reason.
    std::string WriteString(const std::string& section, const std::string& key, const std::string& value) const;
    std::string WriteInteger(const std::string& section, const std::string& key, int value) const;
    std::string WriteBool(const std::string& section, const std::string& key, bool value) const;

private:
    std::filesystem::path path_;
};

}  // namespace iec
