// Marshalling of the OPC interfaces between processes needs a proxy/stub registered for each interface. Machines
// with the OPC Foundation's core components have one already, which other servers and clients rely on: ours is
// registered only for the interfaces that have none, the ones taken are remembered, and only those are removed.
#pragma once

#include <string>
#include <vector>

#include "opcda/registration/classes_registry.h"

namespace iec::opcda {

struct ProxyStubInterface {
    std::string iid;  // {...}
    std::string name;
    int num_methods = 0;  // including the three of IUnknown
};

struct ProxyStubLibrary {
    std::string clsid;     // the class of the library's proxy/stub factory
    std::string dll_path;  // full path of the DLL
    std::vector<ProxyStubInterface> interfaces;
};

// Where the interfaces taken are remembered: a key below the library's own class key.
std::string OwnedInterfacesKey(const ProxyStubLibrary& lib);

// Registers the library for every interface without a working proxy/stub: none registered, one whose class is not
// registered any more, or ours from an earlier run. `taken` receives the interfaces registered now.
std::string RegisterProxyStubs(ClassesRegistry& reg, const ProxyStubLibrary& lib, std::vector<std::string>& taken);
// Removes our registration of the interfaces remembered as ours that still name our class, then the library's
// class. `released` receives the interfaces removed.
std::string UnregisterProxyStubs(ClassesRegistry& reg, const ProxyStubLibrary& lib, std::vector<std::string>& released);

}  // namespace iec::opcda
