// What registration needs of the system: the keys of HKEY_CLASSES_ROOT, and the component category manager. The
// Windows program gives the real ones; the tests give tables in memory.
#pragma once

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

namespace iec::opcda {

// Identifiers in braces and key names are the same whatever the case of their letters.
inline bool SameId(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
}

// Keys are paths below HKEY_CLASSES_ROOT separated by "\" and compared without regard to case, as the registry
// does; the value name "" is a key's default value. Every change returns an empty string, or why it failed.
class ClassesRegistry {
public:
    virtual ~ClassesRegistry() = default;
    // Creates the key and the keys above it when missing.
    virtual std::string CreateKey(const std::string& key) = 0;
    // Creates the key when missing and sets the string value.
    virtual std::string SetValue(const std::string& key, const std::string& name, const std::string& data) = 0;
    virtual std::optional<std::string> GetValue(const std::string& key, const std::string& name) const = 0;
    virtual bool KeyExists(const std::string& key) const = 0;
    // Names of the keys directly below the key.
    virtual std::vector<std::string> SubKeys(const std::string& key) const = 0;
    // Deletes the key with everything below it; a key that is not there is no error.
    virtual std::string DeleteTree(const std::string& key) = 0;
};

// The component category manager (ICatRegister, ICatInformation). Identifiers are GUIDs as text in braces.
class CategoryManager {
public:
    virtual ~CategoryManager() = default;
    // Registers the category with the description for the locale (a description of another text for the same
    // locale is replaced).
    virtual std::string RegisterCategory(const std::string& catid, unsigned lcid, const std::string& description) = 0;
    virtual std::string UnregisterCategory(const std::string& catid) = 0;
    virtual std::string RegisterClassInCategory(const std::string& clsid, const std::string& catid) = 0;
    virtual std::string UnregisterClassFromCategory(const std::string& clsid, const std::string& catid) = 0;
    // The category's description for the locale, nothing when the category is not registered.
    virtual std::optional<std::string> CategoryDescription(const std::string& catid, unsigned lcid) const = 0;
    // The classes registered as implementing the category.
    virtual std::vector<std::string> ClassesInCategory(const std::string& catid) const = 0;
};

}  // namespace iec::opcda
