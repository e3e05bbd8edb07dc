// A small program that uses libopc_ua3 the way the bridge does: declares groups and variables through the C
// entry points, runs the server in a thread of its own, and pushes values. The interoperability script drives it
// through stdin:
//   set <number> <type index> <int> <real> <source time>   Set_new_val_to_perem (status good)
//   bad <number> <source time>                             Set_new_quality_to_perem (0x80000000)
//   quit                                                   setrunning_bool(0), join, exit
// and reads from stdout: "ready" once clients can connect, "write <n> <int> <double> <bool>" from the write
// callback, "stopped <result>" when the server thread returned.
#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "opcua/server/opc_ua3.h"

namespace {

std::mutex out_mutex;

void Say(const std::string& line) {
    std::lock_guard lock(out_mutex);
    std::cout << line << std::endl;
}

void OnWrite(int n) {
    // The bridge reads the written value inside the callback with these getters.
    std::ostringstream s;
    s << "write " << n << ' ' << get_int32_valwrite_by_index(n) << ' ' << get_double_valwrite_by_index(n) << ' '
      << (get_bool_valwrite_by_index(n) ? 1 : 0);
    Say(s.str());
}

bool CanConnect(int port) {
#ifdef _WIN32
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started) return false;
#endif
    auto fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
#ifdef _WIN32
    closesocket(fd);
#else
    close(fd);
#endif
    return ok;
}

void Group(int number, const std::string& name) {
    char buffer[100] = {};
    std::strncpy(buffer, name.c_str(), 99);
    add_new_group(static_cast<int>(name.size()), number, buffer, 100);
}

void Variable(int number, const std::string& name, int type, int group, int writable) {
    char buffer[100] = {};
    std::strncpy(buffer, name.c_str(), 99);
    Add_new_perem(static_cast<int>(name.size()), number, type, group, 1, writable, buffer, 100);
}

}  // namespace

int main(int argc, char** argv) {
    int port = 0;
    std::string user, password;
    bool by_password = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string key = argv[i];
        if (key == "--port") port = std::atoi(argv[i + 1]);
        if (key == "--user") user = argv[i + 1];
        if (key == "--password") {
            password = argv[i + 1];
            by_password = true;
        }
    }
    // The layout of two stations and the lifebit: variables 2, 3 (TS), 4 (TIT), 5 (Connected); 7 (TIT),
    // 8 (Connected); lifebit 10. TS 2 is a writable Boolean, TS 3 a writable Int32 (double point).
    create_din_arrays(7, 6);
    Group(80001, "Podstancia_1");
    Group(80002, "Station_2");
    Group(80003, "lifebit");
    Variable(2, "nQ_ON", 0, 80001, 1);
    Variable(3, "Q2_POS", 5, 80001, 1);
    Variable(4, "U_ab", 10, 80001, 0);
    Variable(5, "Connected", 0, 80001, 0);
    Variable(7, "P_line", 10, 80002, 0);
    Variable(8, "Connected", 0, 80002, 0);
    Variable(10, "lifebit", 5, 80003, 0);
    // A long station name: the group gets the first 99 bytes.
    Group(80004, std::string(120, 'L'));
    for (int i = 0; i < 300; ++i) Variable(100 + i, "bulk_" + std::to_string(i), 10, 80004, 0);

    const int64_t t0 = 133500000000000000LL;  // a fixed source time the script checks
    Set_new_val_to_perem(0, 2, 1, 1.0, 0, t0, t0);
    Set_new_val_to_perem(0, 3, 2, 2.0, 0, t0, t0);
    Set_new_val_to_perem(10, 4, 0, 10.5, 0, t0, t0);
    Set_new_val_to_perem(0, 5, 1, 1.0, 0, t0, t0);
    Set_new_val_to_perem(0, 8, 0, 0.0, 0, t0, t0);
    Set_new_val_to_perem(5, 10, 42, 42.0, 0, t0, t0);
    for (int i = 0; i < 300; ++i) Set_new_val_to_perem(10, 100 + i, 0, i * 0.5, 0, t0, t0);
    // Variable 7 gets no value: it must read as bad until one arrives.

    std::string credentials = user + password;
    int result = 0;
    std::thread server([&] {
        result = UA_ServerNetworkLayerTCP_dll(port, by_password ? 1 : 0, static_cast<int>(user.size()),
                                              static_cast<int>(password.size()), OnWrite, credentials.c_str(),
                                              static_cast<int>(credentials.size()));
        Say("stopped " + std::to_string(result));
    });
    for (int i = 0; i < 500 && !CanConnect(port); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Say("ready");

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string cmd;
        in >> cmd;
        if (cmd == "set") {
            int n = 0, type = 0, iv = 0;
            double rv = 0;
            long long t = 0;
            in >> n >> type >> iv >> rv >> t;
            Set_new_val_to_perem(type, n, iv, rv, 0, t, t);
        } else if (cmd == "bad") {
            int n = 0;
            long long t = 0;
            in >> n >> t;
            Set_new_quality_to_perem(n, 0x80000000u, t, t);
        } else if (cmd == "quit") {
            break;
        }
    }
    setrunning_bool(0);
    server.join();
    return result == 0 ? 0 : 1;
}
