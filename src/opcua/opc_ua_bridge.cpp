#include "opcua/opc_ua_bridge.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <utility>

#include "server/polling_switch.h"
#include "model/runtime.h"
#include "opcua/bridge_names.h"

namespace iec {
namespace {

// The library keeps one server per process, and its write callback carries no context: the bridge that runs it.
std::atomic<OpcUaBridge*> g_running_bridge{nullptr};

constexpr int kTypeBoolean = 0;
constexpr int kTypeInt32 = 5;
constexpr int kTypeDouble = 10;
constexpr uint32_t kStatusBad = 0x80000000u;
// Uncertain_NoCommunicationLastUsableValue: the link to the source is down, the value is the last good one.
constexpr uint32_t kStatusUncertainNoCommunication = 0x408F0000u;
// IV, NT, SB, BL and OV of a quality descriptor.
constexpr uint8_t kQualityFlags = 0xF1;
constexpr int kFirstGroup = 80000;
constexpr int kVariableLimit = 30000;  // status signals and measured values get variables below this number

// A name in the library's fixed buffer: at most 99 octets, the length argument the full character count.
struct NameBuffer {
    explicit NameBuffer(const std::string& utf8) {
        const LowBytes b = ToLowBytes(utf8);
        length = b.characters;
        std::memcpy(bytes.data(), b.bytes.data(), std::min(b.bytes.size(), bytes.size() - 1));
    }
    std::array<char, OpcUaBridge::kBufferSize> bytes{};
    int length = 0;
};

}  // namespace

OpcUaBridge::OpcUaBridge(Loader loader) : loader_(std::move(loader)) {}

OpcUaBridge::~OpcUaBridge() {
    if (rt_ != nullptr) {
        Stop(*rt_);
    } else {
        Unload();
    }
}

OpcUaOutlet::BuildResult OpcUaBridge::Build(Runtime& rt) {
    Stop(rt);
    BuildResult result;
    std::string why;
    lib_ = loader_(rt.ProgramFolder, why);
    if (!lib_) {
        // Off for this run; the setting goes into the station file as off at its next save.
        rt.opc_ua.OPC_UA_use = false;
        result.message = "OPC UA off: " + why;
        return result;
    }
    const OpcUaSettings& s = rt.opc_ua;
    const std::string port = std::to_string(s.OPC_UA_Port);
    auto refuse = [&](const std::string& reason) {
        Unload();
        result.message = "OPC UA off: " + reason;
        return result;
    };
    if (s.OPC_UA_Port < 1 || s.OPC_UA_Port > 65535) return refuse("port " + port + " is not a TCP port");

    // The user name's octets (at most 99), the password's right after them. With password login a name or
    // password that does not fit, or that has characters without an octet of their own, would let nobody in.
    const LowBytes user = ToLowBytes(s.OPC_UA_username);
    const LowBytes password = ToLowBytes(s.OPC_UA_password);
    if (s.OPC_UA_by_pwd) {
        if (!user.latin1 || !password.latin1) {
            return refuse("the user name and password may hold Latin-1 characters only");
        }
        if (user.bytes.size() + password.bytes.size() > kBufferSize || user.bytes.size() > kBufferSize - 1) {
            return refuse("the user name and password are longer than 100 characters together");
        }
    }
    TOPCUAThread::Arguments arguments;
    arguments.port = s.OPC_UA_Port;
    arguments.password_login = s.OPC_UA_by_pwd ? 1 : 0;
    const size_t user_length = std::min(user.bytes.size(), size_t{kBufferSize - 1});
    const size_t password_length = std::min(password.bytes.size(), kBufferSize - user_length);
    std::memcpy(arguments.credentials.data(), user.bytes.data(), user_length);
    std::memcpy(arguments.credentials.data() + user_length, password.bytes.data(), password_length);
    arguments.user_name_length = static_cast<int>(user_length);
    arguments.password_length = static_cast<int>(password_length);

    OpcUaBridge* none = nullptr;
    if (!g_running_bridge.compare_exchange_strong(none, this)) {
        return refuse("another OPC UA server runs in this program");
    }
    if (std::string error = Declare(rt); !error.empty()) return refuse(error);
    const int variables = lib_->api.Add_All_perem_to_serv();

    rt_ = &rt;
    rt.OPC_UA_Started = true;
    auto ended = [this, port, started = &rt.OPC_UA_Started](int rc) {
        if (rc != 0) {
            std::lock_guard lock(end_mutex_);
            end_message_ = "OPC UA server stopped: port " + port + " could not be opened";
        }
        *started = false;
    };
    OPCUA_Thread = std::make_unique<TOPCUAThread>(lib_->api, arguments, &OpcUaBridge::UA_Write_Callback, ended);
    OPCUA_Thread->Start();
    result.started = true;
    result.message = "OPC UA server on port " + port + ": " + std::to_string(variables) + " variables" +
                     (s.OPC_UA_by_pwd ? ", password login" : "") + (s.OPC_UA_writable ? ", writable" : "");
    return result;
}

std::string OpcUaBridge::Declare(Runtime& rt) {
    const UaEntryPoints& api = lib_->api;
    StationTable& st = rt.stations;
    if (api.create_din_arrays(rt.NSignalsTS + rt.NSignalsTIT + 5 * st.Kol_KP + 3, st.Kol_KP + 4) != 0) {
        return "the library still serves a previous start";
    }
    auto group = [&](TAll_groups_OPC_UA& g, const std::string& name, int number) {
        g.Name = Translit_Name(name, false);
        g.index1 = number;
        const NameBuffer b(g.Name);
        api.add_new_group(b.length, number, b.bytes.data(), kBufferSize);
    };
    auto variable = [&](const std::string& name, int number, int type, int group_number, int writable) {
        const NameBuffer b(name);
        api.Add_new_perem(b.length, number, type, group_number, 1, writable, b.bytes.data(), kBufferSize);
    };
    All_groups_OPC_UA_.assign(static_cast<size_t>(st.Kol_KP) + 4, {});
    for (int i = 1; i <= st.Kol_KP; ++i) {
        group(All_groups_OPC_UA_[static_cast<size_t>(i)], st.Station(i)->NameKP, kFirstGroup + i);
    }
    const int lifebit_group = kFirstGroup + st.Kol_KP + 1;
    group(All_groups_OPC_UA_[static_cast<size_t>(st.Kol_KP) + 1], "lifebit", lifebit_group);

    // The tag numbering again: variable k is tag k, so a client's write names the slot of its command.
    const int writable = rt.opc_ua.OPC_UA_writable ? 1 : 0;
    int k = 0;
    int m = 0;
    rt.tags.Write([&](std::vector<TIndent>& tags, std::vector<double>&, int&) {
        auto slot = [&](int n) -> TIndent* { return TagTable::Valid(n) ? &tags[static_cast<size_t>(n)] : nullptr; };
        for (int i = 1; i <= st.Kol_KP; ++i) {
            T_KP& kp = *st.Station(i);
            const int g = kFirstGroup + i;
            ++k;
            kp.Nom_OPC_1st = k;
            kp.Nom_OPC_TS = k + 1;
            for (int j = 1; j <= kp.Kol_TS && static_cast<size_t>(j) < kp.TS_arr.size(); ++j) {
                ++k;
                if (k >= kVariableLimit) continue;
                const T_TS& ts = kp.TS_arr[static_cast<size_t>(j)];
                variable(Translit_Name(ts.NameTS, false), k, ts.Type_Var == 0 ? kTypeBoolean : kTypeInt32, g,
                         writable);
                if (TIndent* t = slot(k)) {
                    t->vtDataType_OPC_UA = ts.Type_Var == 1 ? 3 : 11;
                    t->Nomer_Th = kp.Nomer_Thread_;
                    t->NomerKP_in_Thread = kp.NomerPC_in_Thread;
                    t->Asdu_Adr_TU = ts.AdrASDU_TU;
                    t->Obj_addr_TU = ts.AdrIOA_TU;
                    t->Type_tu_1 = ts.Type_TU;
                    t->Nomer_Tag_OPC_UA = m;
                }
                ++m;
            }
            kp.Nom_OPC_TI = k + 1;
            for (int j = 1; j <= kp.Kol_TI && static_cast<size_t>(j) < kp.TI_arr.size(); ++j) {
                ++k;
                if (k >= kVariableLimit) continue;
                if (TIndent* t = slot(k)) t->Nomer_Tag_OPC_UA = m;
                ++m;
                variable(Translit_Name(kp.TI_arr[static_cast<size_t>(j)].NameTI, false), k, kTypeDouble, g, 0);
            }
            ++k;
            kp.Nom_OPC_Alarm = k;
            variable("Connected", k, kTypeBoolean, g, 0);
        }
    });
    Nom_UA_lifebit_ = k + 2;
    variable("lifebit", Nom_UA_lifebit_, kTypeInt32, lifebit_group, 0);
    return {};
}

void OpcUaBridge::Stop(Runtime& rt) {
    rt.OPC_UA_Started = false;
    OPCUA_Thread.reset();  // stops the server loop and waits for it; its end clears the started flag
    // Unloaded here, on the thread that also pushes values, never while a push may be inside the library.
    Unload();
}

void OpcUaBridge::Unload() {
    OpcUaBridge* self = this;
    g_running_bridge.compare_exchange_strong(self, nullptr);
    lib_.reset();
    rt_ = nullptr;
}

void OpcUaBridge::Publish(const std::vector<UaUpdate>& updates, LocalNow now) {
    if (!lib_ || rt_ == nullptr || !rt_->OPC_UA_Started) return;
    const UaEntryPoints& api = lib_->api;
    const int64_t ua_now = UA_Time(now.local, now.local, now.bias_minutes);
    for (const UaUpdate& u : updates) {
        if (u.kind == UaUpdate::Kind::Link) {
            const int on = u.value != 0.0 ? 1 : 0;
            api.Set_new_val_to_perem(kTypeBoolean, u.tag, on, on, 0, ua_now, ua_now);
            continue;
        }
        // Each stamp with the bias of its own moment: summer and winter times map to UTC as they were taken.
        const int64_t stamp = u.stamp.days() < 3.0 ? ua_now : UA_Time(u.stamp, u.stamp, ResolveBias(u.stamp, u.bias));
        // Bits 1..3 of a quality descriptor are no quality (a scaled value's decimal scale lives there).
        const bool bad = (u.quality & kQualityFlags) != 0;
        const uint32_t status = u.link_lost ? kStatusUncertainNoCommunication : 0;
        if (bad && !u.link_lost) {
            api.Set_new_quality_to_perem(u.tag, kStatusBad, stamp, ua_now);
        } else if (u.kind == UaUpdate::Kind::Status) {
            // A status signal's state is a small whole number (0/1, 0..3 for double points).
            const int v = u.value >= -1e9 && u.value <= 1e9 ? static_cast<int>(u.value) : 0;
            api.Set_new_val_to_perem(kTypeBoolean, u.tag, v, u.value, status, stamp, stamp);
        } else {
            api.Set_new_val_to_perem(kTypeDouble, u.tag, 0, u.value, status, stamp, stamp);
        }
    }
    if (Nom_UA_lifebit_ > 0) {
        const int second = now.local.Decode().second;
        api.Set_new_val_to_perem(kTypeInt32, Nom_UA_lifebit_, second, second, 0, ua_now, ua_now);
    }
}

std::string OpcUaBridge::TakeEndMessage() {
    std::lock_guard lock(end_mutex_);
    return std::exchange(end_message_, {});
}

void OpcUaBridge::UA_Write_Callback(int n) {
    // Runs in the server thread, inside the library; the bridge is set before the server starts and cleared only
    // after it has returned.
    OpcUaBridge* b = g_running_bridge.load();
    if (b == nullptr || b->rt_ == nullptr || !b->lib_) return;
    const int value = b->lib_->api.get_int32_valwrite_by_index(n);
    UA_Write_To_TU(*b->rt_, n, value);
}

bool UA_Write_To_TU(Runtime& rt, int n, int value) {
    TagSlot slot;
    if (!rt.tags.Read(n, slot)) return false;
    switch (slot.tag.vtDataType) {
        case 11:
            return ArmTU(rt, n, value > 0);
        case 3:
            if (value == 2) return ArmTU(rt, n, true);
            if (value == 1) return ArmTU(rt, n, false);
            return false;
        default:
            return ExecuteTU(rt, n, value == -1 || value == 1);
    }
}

}  // namespace iec
