#include "opcda/registration/server_registration.h"

#include <algorithm>
#include <cstdio>

#include "opcda/registration/server_identity.h"

namespace iec::opcda {
namespace {

struct Entry {
    std::string key;
    std::string name;
    std::string data;
};

std::string ClassKey(const std::string& below = "") {
    return std::string("CLSID\\") + kServerClsid + (below.empty() ? "" : "\\" + below);
}

std::string AppIdKey() { return std::string("AppID\\") + kAppId; }

// Writes the entries in order; the first failure ends the writing and names its key.
std::string WriteAll(ClassesRegistry& reg, const std::vector<Entry>& entries) {
    for (const Entry& e : entries) {
        if (const std::string why = reg.SetValue(e.key, e.name, e.data); !why.empty()) return e.key + ": " + why;
    }
    return {};
}

void AddFailure(std::string& failures, const std::string& step, const std::string& why) {
    if (why.empty()) return;
    if (!failures.empty()) failures += "\n";
    failures += step + ": " + why;
}

// Deletes every key, going on after a failure; the failures one per line.
std::string DeleteAll(ClassesRegistry& reg, const std::vector<std::string>& keys) {
    std::string failures;
    for (const auto& key : keys) AddFailure(failures, key, reg.DeleteTree(key));
    return failures;
}

bool OurCategoryText(const std::string& text) {
    return text == kCategoryDescriptionKeys || text == kCategoryDescriptionServer;
}

// The category with its description, unless another installation described it, and the class in it.
std::string JoinCategory(CategoryManager& cats, unsigned lcid, const std::string& description) {
    const auto current = cats.CategoryDescription(kCatidOpcDaServer20, lcid);
    if (!current || OurCategoryText(*current)) {
        if (const std::string why = cats.RegisterCategory(kCatidOpcDaServer20, lcid, description);
            !why.empty()) {
            return "category " + std::string(kCatidOpcDaServer20) + ": " + why;
        }
    }
    if (const std::string why = cats.RegisterClassInCategory(kServerClsid, kCatidOpcDaServer20); !why.empty()) {
        return "class in category " + std::string(kCatidOpcDaServer20) + ": " + why;
    }
    return {};
}

}  // namespace

std::string LocalServerCommand(const std::string& long_path, const std::string& short_path) {
    if (long_path.find(' ') == std::string::npos) return long_path;
    if (!short_path.empty() && short_path.find(' ') == std::string::npos) return short_path;
    return "\"" + long_path + "\"";
}

std::string RegisterClassEntries(ClassesRegistry& reg, const std::string& local_server) {
    char version[32];
    std::snprintf(version, sizeof version, "%d.%d", kTypeLibMajor, kTypeLibMinor);
    // No ThreadingModel under LocalServer32: that value belongs to in-process servers.
    return WriteAll(reg, {{ClassKey(), "", kDescription},
                          {ClassKey("LocalServer32"), "", local_server},
                          {kProgID, "", kDescription},
                          {std::string(kProgID) + "\\Clsid", "", kServerClsid},
                          {ClassKey("ProgID"), "", kProgID},
                          {ClassKey("Version"), "", version},
                          {ClassKey("TypeLib"), "", kTypeLibId}});
}

std::string UnregisterClassEntries(ClassesRegistry& reg) {
    return DeleteAll(reg, {ClassKey("ProgID"), std::string(kProgID) + "\\Clsid", kProgID, ClassKey("LocalServer32"),
                           ClassKey(), ClassKey("TypeLib"), ClassKey("Version")});
}

std::string RegisterOPCKeys(ClassesRegistry& reg, CategoryManager& cats, unsigned lcid, const std::string& prog_id) {
    if (std::string why = WriteAll(reg, {{prog_id, "", kDescription}, {prog_id + "\\Clsid", "", kServerClsid}});
        !why.empty()) {
        return why;
    }
    if (const std::string why = reg.CreateKey(prog_id + "\\OPC"); !why.empty()) return prog_id + "\\OPC: " + why;
    if (std::string why = WriteAll(reg, {{ClassKey(), "", kDescription}, {ClassKey("ProgID"), "", prog_id}});
        !why.empty()) {
        return why;
    }
    return JoinCategory(cats, lcid, kCategoryDescriptionKeys);
}

std::string RegisterOPCServer(ClassesRegistry& reg, CategoryManager& cats, unsigned lcid) {
    if (std::string why = RegisterOPCKeys(reg, cats, lcid, kProgID); !why.empty()) return why;
    // COM starts the server in the session and under the account of the user at the desktop, where its icon is.
    if (std::string why = WriteAll(reg, {{ClassKey(), "AppID", kAppId},
                                         {AppIdKey(), "", kDescription},
                                         {AppIdKey(), "RunAs", kRunAs}});
        !why.empty()) {
        return why;
    }
    return JoinCategory(cats, lcid, kCategoryDescriptionServer);
}

std::string UnRegisterOPCKeys(ClassesRegistry& reg, CategoryManager& cats, const std::string& prog_id) {
    // Out of the category first: its entry lies below the class key deleted next. A class that is not in it (its
    // key is gone already) is left alone: the category manager may fail on a class it cannot find.
    std::string failures;
    const auto members = cats.ClassesInCategory(kCatidOpcDaServer20);
    if (std::any_of(members.begin(), members.end(), [](const std::string& c) { return SameId(c, kServerClsid); })) {
        AddFailure(failures, "class in category", cats.UnregisterClassFromCategory(kServerClsid, kCatidOpcDaServer20));
    }
    const std::string keys =
        DeleteAll(reg, {ClassKey("ProgID"), ClassKey(), prog_id + "\\OPC", prog_id + "\\Clsid", prog_id});
    if (!keys.empty()) failures += (failures.empty() ? "" : "\n") + keys;
    return failures;
}

std::string UnRegisterOPCServer(ClassesRegistry& reg, CategoryManager& cats, unsigned lcid) {
    std::string failures = UnRegisterOPCKeys(reg, cats, kProgID);
    const std::string keys = DeleteAll(reg, {AppIdKey(), ClassKey()});
    if (!keys.empty()) failures += (failures.empty() ? "" : "\n") + keys;
    // The category was ours alone when no class is left in it and it still carries our description.
    const auto description = cats.CategoryDescription(kCatidOpcDaServer20, lcid);
    if (description && OurCategoryText(*description) && cats.ClassesInCategory(kCatidOpcDaServer20).empty()) {
        AddFailure(failures, "category", cats.UnregisterCategory(kCatidOpcDaServer20));
    }
    return failures;
}

std::string RegisterServer(ClassesRegistry& reg, CategoryManager& cats, const RegistrationSetup& setup,
                           bool per_user, std::vector<std::string>& done) {
    if (setup.type_library != nullptr) {
        if (const std::string why = setup.type_library->Register(per_user); !why.empty()) return "type library: " + why;
        done.push_back(std::string("type library registered") + (per_user ? " for the current user" : ""));
    }
    if (const std::string why = RegisterClassEntries(reg, setup.local_server); !why.empty()) {
        return "class entries: " + why;
    }
    done.push_back("class " + std::string(kServerClsid) + " registered, LocalServer32 " + setup.local_server);
    if (setup.proxy_stub != nullptr) {
        std::vector<std::string> taken;
        if (const std::string why = RegisterProxyStubs(reg, *setup.proxy_stub, taken); !why.empty()) {
            return "proxy/stub: " + why;
        }
        done.push_back("proxy/stub registered for " + std::to_string(taken.size()) + " of " +
                       std::to_string(setup.proxy_stub->interfaces.size()) + " interfaces");
    }
    if (const std::string why = RegisterOPCServer(reg, cats, setup.lcid); !why.empty()) {
        return "RegisterOPCServer: " + why;
    }
    done.push_back(std::string("OPC server ") + kProgID + " registered in the Data Access 2.0 category");
    return {};
}

std::string UnregisterServer(ClassesRegistry& reg, CategoryManager& cats, const RegistrationSetup& setup,
                             bool per_user, std::vector<std::string>& done) {
    std::string failures;
    if (setup.type_library != nullptr) {
        const std::string why = setup.type_library->Unregister(per_user);
        AddFailure(failures, "type library", why);
        if (why.empty()) done.push_back("type library unregistered");
    }
    AddFailure(failures, "class entries", UnregisterClassEntries(reg));
    if (setup.proxy_stub != nullptr) {
        std::vector<std::string> released;
        const std::string why = UnregisterProxyStubs(reg, *setup.proxy_stub, released);
        AddFailure(failures, "proxy/stub", why);
        done.push_back("proxy/stub removed for " + std::to_string(released.size()) + " interfaces");
    }
    AddFailure(failures, "UnRegisterOPCServer", UnRegisterOPCServer(reg, cats, setup.lcid));
    if (failures.empty()) done.push_back(std::string("OPC server ") + kProgID + " unregistered");
    return failures;
}

}  // namespace iec::opcda
