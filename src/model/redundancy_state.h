// The redundancy flags that the polling threads and the publication read while the main thread or the redundancy
// link writes them.
#pragma once

#include <atomic>

namespace iec {

struct RedundancyState {
    std::atomic<bool> Use_Reserv{false};
    std::atomic<int> Role_reserv{0};           // 1: this server is the reserve
    std::atomic<int> Timeout_reaktivacii{10};  // seconds between checks of an idle reserve
    std::atomic<bool> Main_server_is_Work{false};
    // When the reserve last received good data from its main (days, as DateTime counts them; 0: never).
    std::atomic<double> LastGoodFromMain{0.0};

    // The reserve stays idle while its main works.
    bool ReserveIdle() const { return Use_Reserv && Role_reserv == 1 && Main_server_is_Work; }
    bool IsReserve() const { return Use_Reserv && Role_reserv == 1; }
};

}  // namespace iec
