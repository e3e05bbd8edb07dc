#include "opcua/ua_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "platform/program_folder.h"

namespace iec {
namespace {

void* OpenLibrary(const std::filesystem::path& file, std::string& error) {
#ifdef _WIN32
    HMODULE h = ::LoadLibraryW(file.wstring().c_str());
    if (h == nullptr) error = "error " + std::to_string(::GetLastError());
    return reinterpret_cast<void*>(h);
#else
    void* h = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (h == nullptr) {
        const char* e = ::dlerror();
        error = e ? e : "cannot load";
    }
    return h;
#endif
}

void CloseLibrary(void* handle) {
#ifdef _WIN32
    ::FreeLibrary(reinterpret_cast<HMODULE>(handle));
#else
    ::dlclose(handle);
#endif
}

void* Symbol(void* handle, const char* name) {
#ifdef _WIN32
    return reinterpret_cast<void*>(::GetProcAddress(reinterpret_cast<HMODULE>(handle), name));
#else
    return ::dlsym(handle, name);
#endif
}

template <class F>
bool Resolve(void* handle, const char* name, F& target, std::string& missing) {
    void* p = Symbol(handle, name);
    if (p == nullptr) {
        if (!missing.empty()) missing += ", ";
        missing += name;
        return false;
    }
    target = reinterpret_cast<F>(p);
    return true;
}

}  // namespace

UaLibrary::~UaLibrary() {
    if (handle_ != nullptr) CloseLibrary(handle_);
}

std::unique_ptr<UaLibrary> UaLibrary::Load(const std::vector<std::filesystem::path>& folders, std::string& why) {
    std::vector<std::filesystem::path> candidates;
    for (const auto& f : folders) {
        if (!f.empty()) candidates.push_back(f / kOpcUaLibraryName);
    }
    candidates.emplace_back(kOpcUaLibraryName);
    void* handle = nullptr;
    std::string from;
    std::string last_error;
    for (const auto& c : candidates) {
        std::error_code ec;
        // A folder's copy that is not there is no error worth reporting; the system's search always is tried.
        if (c.has_parent_path() && !std::filesystem::exists(c, ec)) continue;
        handle = OpenLibrary(c, last_error);
        if (handle != nullptr) {
            from = c.string();
            break;
        }
    }
    if (handle == nullptr) {
        why = std::string(kOpcUaLibraryName) + " not loaded: " + last_error;
        return nullptr;
    }
    UaEntryPoints e;
    std::string missing;
    Resolve(handle, "DLL_add", e.DLL_add, missing);
    Resolve(handle, "UA_ServerNetworkLayerTCP_dll", e.UA_ServerNetworkLayerTCP_dll, missing);
    Resolve(handle, "setrunning_bool", e.setrunning_bool, missing);
    Resolve(handle, "getrunning_bool", e.getrunning_bool, missing);
    Resolve(handle, "add_new_group", e.add_new_group, missing);
    Resolve(handle, "Add_new_perem", e.Add_new_perem, missing);
    Resolve(handle, "Add_All_perem_to_serv", e.Add_All_perem_to_serv, missing);
    Resolve(handle, "Set_new_val_to_perem", e.Set_new_val_to_perem, missing);
    Resolve(handle, "get_int32_valwrite_by_index", e.get_int32_valwrite_by_index, missing);
    Resolve(handle, "get_double_valwrite_by_index", e.get_double_valwrite_by_index, missing);
    Resolve(handle, "get_bool_valwrite_by_index", e.get_bool_valwrite_by_index, missing);
    Resolve(handle, "Set_new_quality_to_perem", e.Set_new_quality_to_perem, missing);
    Resolve(handle, "create_din_arrays", e.create_din_arrays, missing);
    if (!missing.empty()) {
        CloseLibrary(handle);
        why = from + " lacks " + missing;
        return nullptr;
    }
    return std::unique_ptr<UaLibrary>(new UaLibrary(handle, e, from));
}

std::unique_ptr<UaLibrary> Load_OPC_UA_Library(const std::filesystem::path& program_folder, std::string& why) {
    return UaLibrary::Load({program_folder, ExecutablePath().parent_path()}, why);
}

}  // namespace iec
