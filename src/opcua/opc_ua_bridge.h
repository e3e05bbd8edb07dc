// The OPC UA bridge: at polling start it loads the server library, declares one folder per station and one for
// the lifebit, one variable per status signal, measured value and station link, and runs the server in a thread
// of its own; after each publication pass it pushes values, qualities and time stamps; a client's write to a
// status signal becomes a telecontrol command; polling stop ends the server and unloads the library.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "model/opc_ua_outlet.h"
#include "opcua/opcua_thread.h"
#include "opcua/ua_library.h"

namespace iec {

struct Runtime;

struct TAll_groups_OPC_UA {
    std::string Name;
    std::string comment;
    int index1 = 0;
};

class OpcUaBridge : public OpcUaOutlet {
public:
    using Loader = std::function<std::unique_ptr<UaLibrary>(const std::filesystem::path& program_folder,
                                                            std::string& why)>;
    explicit OpcUaBridge(Loader loader = Load_OPC_UA_Library);
    ~OpcUaBridge() override;
    OpcUaBridge(const OpcUaBridge&) = delete;
    OpcUaBridge& operator=(const OpcUaBridge&) = delete;

    BuildResult Build(Runtime& rt) override;
    void Stop(Runtime& rt) override;
    void Publish(const std::vector<UaUpdate>& updates, LocalNow now) override;

    // Why the server ended by itself (its port could not be opened), once; empty otherwise. Main thread.
    std::string TakeEndMessage();

    // The declarations of the last build.
    int Nom_UA_lifebit() const { return Nom_UA_lifebit_; }
    const std::vector<TAll_groups_OPC_UA>& All_groups_OPC_UA() const { return All_groups_OPC_UA_; }

    // Credentials the library can take: one octet per character, at most 100 octets together.
    static constexpr int kBufferSize = TOPCUAThread::kBufferSize;

private:
    static void UA_Write_Callback(int n);
    std::string Declare(Runtime& rt);
    void Unload();

    Loader loader_;
    std::unique_ptr<UaLibrary> lib_;
    std::unique_ptr<TOPCUAThread> OPCUA_Thread;
    Runtime* rt_ = nullptr;  // the runtime of the running server; the write callback arms its commands
    int Nom_UA_lifebit_ = 0;
    std::vector<TAll_groups_OPC_UA> All_groups_OPC_UA_;
    std::mutex end_mutex_;
    std::string end_message_;
};

// A client wrote `value` (as an integer) to variable n: arms the telecontrol of tag n by the slot's OPC DA type.
// False when nothing was armed (no such tag, a tag without a polling thread, a value that means no command).
bool UA_Write_To_TU(Runtime& rt, int n, int value);

}  // namespace iec
