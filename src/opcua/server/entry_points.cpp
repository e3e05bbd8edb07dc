// The C entry points over one process-wide library state (the library is loaded by name, so its callers have
// no object to hold). The protocol itself lives in UaServer; this file only adapts arguments and threads.
#include "opcua/server/opc_ua3.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <random>
#include <string>

#include "opcua/server/random_source.h"
#include "opcua/server/tag_model.h"
#include "opcua/server/tcp_runner.h"

namespace iec::ua {
namespace {

struct Library {
    std::mutex mutex;  // guards model
    TagModel model;
    TagStore tags;
    std::atomic<bool> running{true};
    std::atomic<bool> serving{false};
};

Library& TheLibrary() {
    static Library library;
    return library;
}

constexpr int kMaxNameBytes = 99;

// Each byte is one character U+0000..U+00FF: the caller passes the low bytes of its characters.
std::string BytesToUtf8(const char* bytes, int length, int buffer_size) {
    std::string out;
    if (!bytes || length <= 0 || buffer_size <= 0) return out;
    int n = std::min(length, buffer_size);
    for (int i = 0; i < n; ++i) {
        auto c = static_cast<unsigned char>(bytes[i]);
        if (c == 0) break;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// Names take at most buffer_size - 1 bytes: the last byte of the caller's buffer is its terminator.
std::string NameFromBuffer(int name_length, const char* name, int buffer_size) {
    return BytesToUtf8(name, name_length, buffer_size - 1);
}

int32_t SlotOf(int variable_number) {
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    return lib.model.SlotOf(variable_number);
}

// Plain random octets for nonces and tokens; random_device reads the system's entropy source.
class SystemRandom final : public RandomSource {
public:
    void Fill(std::span<uint8_t> out) override {
        std::lock_guard lock(mutex_);
        for (auto& b : out) b = static_cast<uint8_t>(device_());
    }

private:
    std::mutex mutex_;
    std::random_device device_;
};

}  // namespace
}  // namespace iec::ua

using namespace iec::ua;

extern "C" {

int create_din_arrays(int, int) {
    Library& lib = TheLibrary();
    if (lib.serving.load()) return -1;
    std::lock_guard lock(lib.mutex);
    lib.model.Clear();
    lib.tags.Clear();
    lib.running.store(true);
    return 0;
}

int add_new_group(int name_length, int group_number, const char* name, int buffer_size) try {
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    return lib.model.AddGroup(group_number, NameFromBuffer(name_length, name, buffer_size));
} catch (...) {
    return kRefusedArgument;
}

int Add_new_perem(int name_length, int variable_number, int type_index, int group_number, int, int writable,
                  const char* name, int buffer_size) try {
    auto type = TagTypeFromIndex(type_index);
    if (!type) return kRefusedArgument;
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    return lib.model.AddVariable(variable_number, NameFromBuffer(name_length, name, buffer_size), *type,
                                 group_number, writable != 0, lib.tags);
} catch (...) {
    return kRefusedArgument;
}

int Add_All_perem_to_serv(void) {
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    return static_cast<int>(lib.model.variable_count());
}

int DLL_add(int a, int b) { return static_cast<int>(static_cast<unsigned>(a) + static_cast<unsigned>(b)); }

int UA_ServerNetworkLayerTCP_dll(int port, int password_login, int user_name_length, int password_length,
                                 opc_ua3_write_callback write_callback, const char* credentials,
                                 int buffer_size) try {
    Library& lib = TheLibrary();
    if (port <= 0 || port > 65535) return -1;
    bool expected = false;
    if (!lib.serving.compare_exchange_strong(expected, true)) return -1;
    struct ServingGuard {
        std::atomic<bool>& flag;
        ~ServingGuard() { flag.store(false); }
    } guard{lib.serving};

    ServerConfig config;
    config.password_login = password_login != 0;
    if (config.password_login) {
        // The caller writes at most 99 bytes of user name, then the password right after them.
        int size = std::max(buffer_size, 0);
        int user_bytes = std::clamp(user_name_length, 0, std::min(size, kMaxNameBytes));
        int password_bytes = std::clamp(password_length, 0, size - user_bytes);
        config.user_name = BytesToUtf8(credentials, user_bytes, size);
        config.password = credentials ? BytesToUtf8(credentials + user_bytes, password_bytes, size - user_bytes)
                                      : std::string();
    }
    AddressSpace space;
    {
        std::lock_guard lock(lib.mutex);
        lib.model.BuildAddressSpace(space);
    }
    SystemRandom random;
    WriteCallback on_write;
    if (write_callback) on_write = [write_callback](int32_t n) { write_callback(n); };
    UaServer server(config, space, lib.tags, random, on_write, ClockNow());
    std::string error;
    return RunTcpServer(server, static_cast<uint16_t>(port), lib.running, error);
} catch (...) {
    return -1;
}

void setrunning_bool(int running) { TheLibrary().running.store(running != 0); }

int getrunning_bool(void) { return TheLibrary().running.load() ? 1 : 0; }

int Set_new_val_to_perem(int type_index, int variable_number, int int_value, double real_value, uint32_t status,
                         int64_t source_time, int64_t server_time) {
    int32_t slot = SlotOf(variable_number);
    return TheLibrary().tags.SetValue(slot, type_index, int_value, real_value, status, source_time, server_time)
               ? 0
               : -1;
}

int Set_new_quality_to_perem(int variable_number, uint32_t status, int64_t source_time, int64_t server_time) {
    int32_t slot = SlotOf(variable_number);
    return TheLibrary().tags.SetQuality(slot, status, source_time, server_time) ? 0 : -1;
}

int get_int32_valwrite_by_index(int variable_number) {
    return TheLibrary().tags.Written(SlotOf(variable_number)).as_int;
}

double get_double_valwrite_by_index(int variable_number) {
    return TheLibrary().tags.Written(SlotOf(variable_number)).as_double;
}

bool get_bool_valwrite_by_index(int variable_number) {
    return TheLibrary().tags.Written(SlotOf(variable_number)).as_bool;
}

}  // extern "C"
