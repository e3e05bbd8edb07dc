// The registry entries of the OPC server: the class entries a registration run writes (LocalServer32 among them),
// the OPC keys, the AppID and the Data Access 2.0 category, and their removal.
#pragma once

#include <string>
#include <vector>

#include "opcda/registration/classes_registry.h"
#include "opcda/registration/proxy_stub_registration.h"

namespace iec::opcda {

// The LocalServer32 command for the program at long_path, whose short (8.3) form is short_path (empty when the
// system has none). A path with a blank is written in its short form; when that still has a blank (the volume keeps
// no short names) it is written in quotes, since COM would otherwise start the first word of it.
std::string LocalServerCommand(const std::string& long_path, const std::string& short_path);

// The type library embedded in the program, registered before the class entries.
class TypeLibraryRegistrar {
public:
    virtual ~TypeLibraryRegistrar() = default;
    virtual std::string Register(bool per_user) = 0;
    virtual std::string Unregister(bool per_user) = 0;
};

// The class entries of the server's class factory: CLSID\{clsid} with LocalServer32, ProgID, Version and TypeLib,
// and <ProgID>\Clsid.
std::string RegisterClassEntries(ClassesRegistry& reg, const std::string& local_server);
std::string UnregisterClassEntries(ClassesRegistry& reg);

// The OPC keys of the ProgID (<ProgID>, <ProgID>\Clsid, <ProgID>\OPC, CLSID\{clsid}, CLSID\{clsid}\ProgID) and
// the class in the Data Access 2.0 category. A category description that some other installation wrote (the
// OPC Foundation's core components) is kept: this server only joins the category then.
std::string RegisterOPCKeys(ClassesRegistry& reg, CategoryManager& cats, unsigned lcid, const std::string& prog_id);
// RegisterOPCKeys, then the AppID (RunAs the interactive user), then the category again with its final description.
std::string RegisterOPCServer(ClassesRegistry& reg, CategoryManager& cats, unsigned lcid);
std::string UnRegisterOPCKeys(ClassesRegistry& reg, CategoryManager& cats, const std::string& prog_id);
// UnRegisterOPCKeys, then the AppID; the category itself goes too when no class is left in it and its description
// is one of ours.
std::string UnRegisterOPCServer(ClassesRegistry& reg, CategoryManager& cats, unsigned lcid);

// What a registration run has at hand. The type library and the proxy/stub library are optional: a run without
// them writes (or removes) the rest.
struct RegistrationSetup {
    std::string local_server;  // LocalServerCommand of the program
    unsigned lcid = 0x0409;    // the user's default locale, for the category description
    TypeLibraryRegistrar* type_library = nullptr;
    const ProxyStubLibrary* proxy_stub = nullptr;
};

// The /RegServer run: type library, class entries, proxy/stubs, OPC keys, AppID and category. Stops at the first
// failure and says which step failed. `done` receives one line per step completed.
std::string RegisterServer(ClassesRegistry& reg, CategoryManager& cats, const RegistrationSetup& setup,
                           bool per_user, std::vector<std::string>& done);
// The /UnRegServer run: every step is tried, even after a failure, so that as much as possible is removed; the
// failures are returned one per line.
std::string UnregisterServer(ClassesRegistry& reg, CategoryManager& cats, const RegistrationSetup& setup,
                             bool per_user, std::vector<std::string>& done);

}  // namespace iec::opcda
