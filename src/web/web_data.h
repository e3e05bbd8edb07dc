// What the web pages read from the running server: the station table, the signals of every polling thread with
// their current values, and the few switches the pages touch. The server provides one implementation over its
// live tables; tests provide their own. Every call may come from any HTTP connection thread while polling runs:
// an implementation returns copies, each value read as one unit.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "model/signal_type.h"
#include "model/station.h"
#include "platform/date_time.h"

namespace iec {

// One station as the pages show it (station number = index in the station table, from 1).
struct WebStation {
    std::string NameKP;
    bool Connected = false;
    bool PereschetTI = false;
    bool Time_To_OPC = false;
    int Popravka_Time = 0;
    int Kol_TI = 0;
    int Kol_TS = 0;
    TIecDeviceVV IecDeviceVV;
};

// One signal of a polling thread's list, with its configured record's fields and its value at the moment of
// reading. quality 255: no value was ever received; time 0: no time stamp.
struct WebSignal {
    std::string Name;
    int FsstID = 0;  // 1000 + station number
    SignalType Fst = stTS;
    int FSigASDUAddr = 0;
    int FSigObjAddr = 0;
    int value = 0;
    uint8_t quality = 255;
    DateTime time;
    double real = 0.0;
    // The configured record's raw-to-engineering conversion (identity when the signal has no range).
    std::function<double(double)> RawToEng;
};

class WebDataSource {
public:
    virtual ~WebDataSource() = default;

    virtual int StationCount() const = 0;
    // Station 1..StationCount(); nothing outside.
    virtual std::optional<WebStation> Station(int number) const = 0;
    // Every signal of every polling thread: threads in thread order, each thread's list in list order.
    virtual void ForEachSignal(const std::function<void(const WebSignal&)>& visit) const = 0;
    // The station selected in the operator window, counted from 0 (0 on a server without a window).
    virtual int Sel_KP_Index() const { return 0; }
    // The process-wide switch of the exchange and event logs ("/savef.php", "/nosavef.php").
    virtual void SetSaveObmen(bool on) = 0;
    // The program folder: the four configuration files live here, the static files in its "web" subfolder.
    virtual std::filesystem::path ProgramFolder() const = 0;
    // The remote-transfer password of cnf.ini (section "pwd", key "pwd"); empty when none is set.
    virtual std::string TransferPassword() const = 0;
};

}  // namespace iec
