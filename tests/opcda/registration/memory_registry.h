// HKEY_CLASSES_ROOT and the category manager as tables in memory, laid out as Windows lays them out (categories
// under "Component Categories", a class's categories under its "Implemented Categories"), so that a test sees the
// whole registry a registration leaves.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "opcda/registration/classes_registry.h"

namespace iec::opcda::test {

inline std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

class MemoryRegistry final : public ClassesRegistry {
public:
    // Changes of keys that begin with this text fail, as for a user without the right to write them.
    std::string refuse_below;

    std::string CreateKey(const std::string& key) override {
        if (Refused(key)) return "access denied";
        for (size_t at = key.find('\\'); at != std::string::npos; at = key.find('\\', at + 1)) Touch(key.substr(0, at));
        Touch(key);
        return {};
    }
    std::string SetValue(const std::string& key, const std::string& name, const std::string& data) override {
        if (const std::string why = CreateKey(key); !why.empty()) return why;
        keys_[Upper(key)].values[Upper(name)] = {name, data};
        return {};
    }
    std::optional<std::string> GetValue(const std::string& key, const std::string& name) const override {
        const auto k = keys_.find(Upper(key));
        if (k == keys_.end()) return std::nullopt;
        const auto v = k->second.values.find(Upper(name));
        if (v == k->second.values.end()) return std::nullopt;
        return v->second.second;
    }
    bool KeyExists(const std::string& key) const override { return keys_.count(Upper(key)) != 0; }
    std::vector<std::string> SubKeys(const std::string& key) const override {
        std::vector<std::string> names;
        const std::string prefix = Upper(key) + "\\";
        for (const auto& [upper, k] : keys_) {
            if (upper.rfind(prefix, 0) == 0 && upper.find('\\', prefix.size()) == std::string::npos) {
                names.push_back(k.name.substr(prefix.size()));
            }
        }
        return names;
    }
    std::string DeleteTree(const std::string& key) override {
        if (Refused(key)) return "access denied";
        const std::string upper = Upper(key);
        for (auto it = keys_.begin(); it != keys_.end();) {
            if (it->first == upper || it->first.rfind(upper + "\\", 0) == 0) {
                it = keys_.erase(it);
            } else {
                ++it;
            }
        }
        return {};
    }

    // Every key and value: "key" for a key, "key|name=data" for a value ("@" is the default value).
    std::set<std::string> Dump() const {
        std::set<std::string> lines;
        for (const auto& [upper, k] : keys_) {
            lines.insert(k.name);
            for (const auto& [n, v] : k.values) lines.insert(k.name + "|" + (v.first.empty() ? "@" : v.first) + "=" + v.second);
        }
        return lines;
    }

private:
    struct Key {
        std::string name;
        std::map<std::string, std::pair<std::string, std::string>> values;
    };
    bool Refused(const std::string& key) const {
        return !refuse_below.empty() && Upper(key).rfind(Upper(refuse_below), 0) == 0;
    }
    void Touch(const std::string& key) {
        Key& k = keys_[Upper(key)];
        if (k.name.empty()) k.name = key;
    }
    std::map<std::string, Key> keys_;
};

// The category manager writing where the system's does: a description per locale as a value named by the locale
// in hexadecimal, a class's membership as a key below its class key.
class MemoryCategories final : public CategoryManager {
public:
    explicit MemoryCategories(MemoryRegistry& reg) : reg_(reg) {}

    std::string RegisterCategory(const std::string& catid, unsigned lcid, const std::string& description) override {
        return reg_.SetValue("Component Categories\\" + catid, Hex(lcid), description);
    }
    std::string UnregisterCategory(const std::string& catid) override {
        return reg_.DeleteTree("Component Categories\\" + catid);
    }
    std::string RegisterClassInCategory(const std::string& clsid, const std::string& catid) override {
        return reg_.CreateKey(MemberKey(clsid, catid));
    }
    // As the system's category manager (Wine's at least) does, a class that is not in the category is a failure.
    std::string UnregisterClassFromCategory(const std::string& clsid, const std::string& catid) override {
        if (!reg_.KeyExists(MemberKey(clsid, catid))) return "call failed";
        return reg_.DeleteTree(MemberKey(clsid, catid));
    }
    std::optional<std::string> CategoryDescription(const std::string& catid, unsigned lcid) const override {
        return reg_.GetValue("Component Categories\\" + catid, Hex(lcid));
    }
    std::vector<std::string> ClassesInCategory(const std::string& catid) const override {
        std::vector<std::string> classes;
        for (const auto& clsid : reg_.SubKeys("CLSID")) {
            if (reg_.KeyExists(MemberKey(clsid, catid))) classes.push_back(clsid);
        }
        return classes;
    }

private:
    static std::string Hex(unsigned lcid) {
        char text[16];
        std::snprintf(text, sizeof text, "%x", lcid);
        return text;
    }
    static std::string MemberKey(const std::string& clsid, const std::string& catid) {
        return "CLSID\\" + clsid + "\\Implemented Categories\\" + catid;
    }
    MemoryRegistry& reg_;
};

}  // namespace iec::opcda::test
