// TOpros_device: the polling thread of one channel (a serial port, or one TCP connection to a converter). It owns
// the protocol objects of its stations and polls them one after the other, one turn each, until it is stopped.
// The per-station arrays are indexed by the station's slot n = 1..Kol_Devices_In_Thread.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "iec101/asdu.h"
#include "iec101/asdu_decode.h"
#include "iec101/exchange_log.h"
#include "iec101/iec_device.h"
#include "iec101/link_layer.h"
#include "iec101/polling_context.h"
#include "iec101/station_line.h"
#include "model/station.h"
#include "model/tag_signal_list.h"
#include "platform/date_time.h"
#include "platform/pauser.h"
#include "platform/wake_signal.h"

namespace iec {

constexpr int kMaxStationsPerThread = 60;

// A polling thread's copy of a station: the station record without its signal tables.
struct T_KP_thred {
    std::string NameKP;
    int ASDU_Adr = 0;
    int NomerPC = 0;  // the station's index in the station table
    int RTU_TCP = 0;
    int PortTCP = 0;
    // Where the station's interrogations go (the common address of its signals); 0: its link address.
    int CommonAddress = 0;
    TIecDeviceVV IecDeviceVV;
};

class TOpros_device {
public:
    TOpros_device(int number, const PollingContext& ctx);
    ~TOpros_device();
    TOpros_device(const TOpros_device&) = delete;
    TOpros_device& operator=(const TOpros_device&) = delete;

    // Filled by the polling start before Start().
    int Number_of_Thread;
    std::string Port;
    int RTU_TCP_Thread = 0;
    std::string Host_Thread;
    int Port_Thread = 0;
    int Kol_Devices_In_Thread = 0;
    std::array<T_KP_thred, kMaxStationsPerThread + 1> dev_Thread{};  // rows 1..Kol_Devices_In_Thread
    TTagSignalList TagSignalList2;

    // Tests put a scripted line or a pauser in before Start(); otherwise the transport of the rows is used.
    void SetLine(std::unique_ptr<StationLine> line) { line_ = std::move(line); }
    void SetPauser(Pauser& pauser) { pauser_ = &pauser; }
    ExchangeLog& Log() { return log_; }

    // Creates the per-station objects from the rows and starts the thread.
    void Start();
    // Asks the thread to end; pauses end at once. Safe from any thread.
    void Terminate();
    bool Terminated() const { return terminated_.load(); }
    // Terminate and wait for the thread (a read or connect in progress ends within its time-out).
    void Stop();

    // The thread body, and its parts, for the tests that drive a thread without starting one.
    void Execute();
    void Prepare();        // per-station objects and devices from the rows
    void InitDueTimes();   // the first interrogations are due 10 ms, 11 s and 16 s from now
    void PollCycle();      // one pass over the stations
    void OprosDevice(TIecDevice& pdev);  // one turn of the station in slot Tekush_Nomer

    // Arms a telecontrol command of the station in slot n (from any thread). Kinds 1 and 3 execute directly.
    // False when the slot is not a station of this thread.
    bool ArmTU(int slot, int asduAddress, int objAddress, int kind, bool command);

    // The station in slot n did not answer in its last exchange (read by the publication on another thread).
    bool Alarms(int n) const;
    int KolNullOtvets(int n) const { return Valid(n) ? Kol_Null_otvets[static_cast<size_t>(n)] : 0; }
    TIEC101* Link(int n) { return Valid(n) ? iec101[static_cast<size_t>(n)].get() : nullptr; }
    TIecDevice* Device(int n) { return Valid(n) ? IecDeviceList.GetDev(n - 1) : nullptr; }
    const AsduCounters& DecodeCounters() const { return asdu_counters_; }

    int Tekush_Nomer = 0;

private:
    bool Valid(int n) const { return n >= 1 && n <= Kol_Devices_In_Thread && static_cast<size_t>(n) < iec101.size(); }
    std::unique_ptr<StationLine> MakeLine();
    void TelecontrolSteps(int n, TIecDevice& dev, bool checked, DateTime now);
    // An exchange of station n brought no usable answer: not connected, and after more than 10 in a row the link
    // starts again with its reset.
    void CountUnanswered(int n, TIecDevice& dev);
    void WaitWhileReserveIdle();
    bool ListenLine();

    const PollingContext& ctx_;
    ExchangeLog log_;
    std::unique_ptr<Pauser> own_pauser_;
    Pauser* pauser_;
    WakeSignal stop_signal_;  // ends the line's waits when the thread is stopped; outlives the line
    std::unique_ptr<StationLine> line_;
    std::thread thread_;
    std::atomic<bool> terminated_{false};
    bool prepared_ = false;

    TIecDeviceList IecDeviceList;
    std::vector<std::unique_ptr<TIEC101>> iec101;
    std::vector<TASDUBuf> r_asduBuf, t_asduBuf;
    std::vector<AsduPtr> r_asdu, t_asdu;
    std::unique_ptr<std::atomic<bool>[]> Alarms_;
    std::vector<int> Kol_Null_otvets;
    std::vector<bool> Good_CRC_101;
    std::vector<DateTime> date_time_Opros_asdu, date_time_Opros_counters_101, date_time_Opros_102;
    std::vector<int> Step_opros_102;
    std::vector<bool> must_opros_102;
    AsduCounters asdu_counters_;
};

// True when the text holds exactly one whole frame: more than 4 octets, and a fixed frame (0x10), or a variable
// frame whose two length octets agree, whose second start octet is there and whose length matches.
bool KadrComplete(std::string_view text);

}  // namespace iec
