// The OPC UA server library as the program sees it: loaded by name at polling start, its entry points resolved
// by name, unloaded when the server has stopped.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace iec {

// The library's C entry points (see opcua/server/opc_ua3.h for their contract).
struct UaEntryPoints {
    int (*DLL_add)(int, int) = nullptr;
    int (*UA_ServerNetworkLayerTCP_dll)(int, int, int, int, void (*)(int), const char*, int) = nullptr;
    void (*setrunning_bool)(int) = nullptr;
    int (*getrunning_bool)() = nullptr;
    int (*add_new_group)(int, int, const char*, int) = nullptr;
    int (*Add_new_perem)(int, int, int, int, int, int, const char*, int) = nullptr;
    int (*Add_All_perem_to_serv)() = nullptr;
    int (*Set_new_val_to_perem)(int, int, int, double, uint32_t, int64_t, int64_t) = nullptr;
    int (*get_int32_valwrite_by_index)(int) = nullptr;
    double (*get_double_valwrite_by_index)(int) = nullptr;
    bool (*get_bool_valwrite_by_index)(int) = nullptr;
    int (*Set_new_quality_to_perem)(int, uint32_t, int64_t, int64_t) = nullptr;
    int (*create_din_arrays)(int, int) = nullptr;
};

// The file name the library is looked for under.
#ifdef _WIN32
inline constexpr const char* kOpcUaLibraryName = "opc_ua3.dll";
#else
inline constexpr const char* kOpcUaLibraryName = "libopc_ua3.so";
#endif

class UaLibrary {
public:
    // A library whose entry points come from elsewhere (nothing to unload).
    explicit UaLibrary(const UaEntryPoints& entry_points) : api(entry_points) {}
    ~UaLibrary();
    UaLibrary(const UaLibrary&) = delete;
    UaLibrary& operator=(const UaLibrary&) = delete;

    // Loads the first of the folders' copies that loads, then the system's search (the name alone), and resolves
    // every entry point. Nothing when no copy loads or an entry point is missing; why says which.
    static std::unique_ptr<UaLibrary> Load(const std::vector<std::filesystem::path>& folders, std::string& why);

    const UaEntryPoints api;
    std::string path;  // where it was loaded from

private:
    UaLibrary(void* handle, const UaEntryPoints& entry_points, std::string from)
        : api(entry_points), path(std::move(from)), handle_(handle) {}
    void* handle_ = nullptr;
};

// The program's search: the program folder, the executable's folder, then the system's search path.
std::unique_ptr<UaLibrary> Load_OPC_UA_Library(const std::filesystem::path& program_folder, std::string& why);

}  // namespace iec
