#include "opcda/registration/proxy_stub_registration.h"

#include <algorithm>

namespace iec::opcda {
namespace {


std::string InterfaceKey(const std::string& iid) { return "Interface\\" + iid; }

void AddFailure(std::string& failures, const std::string& key, const std::string& why) {
    if (why.empty()) return;
    if (!failures.empty()) failures += "\n";
    failures += key + ": " + why;
}

// Whether the interface needs our proxy/stub: it has none, its proxy/stub class is gone, or it is ours already.
bool NeedsOurs(const ClassesRegistry& reg, const ProxyStubLibrary& lib, const std::string& iid) {
    const auto current = reg.GetValue(InterfaceKey(iid) + "\\ProxyStubClsid32", "");
    if (!current || current->empty() || SameId(*current, lib.clsid)) return true;
    return !reg.KeyExists("CLSID\\" + *current + "\\InprocServer32");
}

}  // namespace

std::string OwnedInterfacesKey(const ProxyStubLibrary& lib) { return "CLSID\\" + lib.clsid + "\\OwnedInterfaces"; }

std::string RegisterProxyStubs(ClassesRegistry& reg, const ProxyStubLibrary& lib, std::vector<std::string>& taken) {
    taken.clear();
    for (const auto& i : lib.interfaces) {
        if (NeedsOurs(reg, lib, i.iid)) taken.push_back(i.iid);
    }
    const std::string class_key = "CLSID\\" + lib.clsid;
    if (taken.empty()) return reg.DeleteTree(class_key);  // nothing of ours in use: leave no class behind
    struct Entry {
        std::string key, name, data;
    };
    std::vector<Entry> entries = {{class_key, "", "PSFactoryBuffer"},
                                  {class_key + "\\InprocServer32", "", lib.dll_path},
                                  {class_key + "\\InprocServer32", "ThreadingModel", "Both"}};
    for (const auto& i : lib.interfaces) {
        if (std::find(taken.begin(), taken.end(), i.iid) == taken.end()) continue;
        entries.push_back({InterfaceKey(i.iid), "", i.name});
        entries.push_back({InterfaceKey(i.iid) + "\\ProxyStubClsid32", "", lib.clsid});
        entries.push_back({InterfaceKey(i.iid) + "\\NumMethods", "", std::to_string(i.num_methods)});
        entries.push_back({OwnedInterfacesKey(lib) + "\\" + i.iid, "", i.name});
    }
    // The list of what is ours is rewritten whole: an interface another installation has taken over since the last
    // run is no longer ours to remove.
    if (const std::string why = reg.DeleteTree(OwnedInterfacesKey(lib)); !why.empty()) return why;
    for (const auto& e : entries) {
        if (const std::string why = reg.SetValue(e.key, e.name, e.data); !why.empty()) return e.key + ": " + why;
    }
    return {};
}

std::string UnregisterProxyStubs(ClassesRegistry& reg, const ProxyStubLibrary& lib, std::vector<std::string>& released) {
    released.clear();
    std::string failures;
    for (const auto& iid : reg.SubKeys(OwnedInterfacesKey(lib))) {
        const auto current = reg.GetValue(InterfaceKey(iid) + "\\ProxyStubClsid32", "");
        if (!current || !SameId(*current, lib.clsid)) continue;  // another installation took it over
        const std::string why = reg.DeleteTree(InterfaceKey(iid));
        AddFailure(failures, InterfaceKey(iid), why);
        if (why.empty()) released.push_back(iid);
    }
    AddFailure(failures, "CLSID\\" + lib.clsid, reg.DeleteTree("CLSID\\" + lib.clsid));
    return failures;
}

}  // namespace iec::opcda
