#include "iec101/polling_thread.h"

#include "iec101/serial_station_line.h"
#include "iec101/tcp_station_line.h"

namespace iec {

TOpros_device::TOpros_device(int number, const PollingContext& ctx)
    : Number_of_Thread(number),
      ctx_(ctx),
      log_(ctx.program_folder.empty() ? std::filesystem::path()
                                      : ctx.program_folder / ("Thread" + std::to_string(number) + ".txt"),
           ctx.clock, ctx.Save_Obmen_v_File, ctx.Save_Obmen_v_File_live),
      own_pauser_(std::make_unique<SleepPauser>()),
      pauser_(own_pauser_.get()) {}

TOpros_device::~TOpros_device() { Stop(); }

std::unique_ptr<StationLine> TOpros_device::MakeLine() {
    if (RTU_TCP_Thread == 1) {
        return std::make_unique<TcpStationLine>(Host_Thread, static_cast<uint16_t>(Port_Thread), ctx_, log_, *pauser_,
                                                &stop_signal_);
    }
    return std::make_unique<SerialStationLine>(Port, ctx_, log_, *pauser_, &stop_signal_);
}

void TOpros_device::Prepare() {
    if (prepared_) return;
    prepared_ = true;
    if (Kol_Devices_In_Thread < 0) Kol_Devices_In_Thread = 0;
    if (Kol_Devices_In_Thread > kMaxStationsPerThread) Kol_Devices_In_Thread = kMaxStationsPerThread;
    const size_t slots = static_cast<size_t>(Kol_Devices_In_Thread) + 1;
    for (size_t n = 0; n < slots; ++n) iec101.push_back(std::make_unique<TIEC101>());
    r_asduBuf.resize(slots);
    t_asduBuf.resize(slots);
    r_asdu.resize(slots);
    t_asdu.resize(slots);
    // A station counts as not connected until it has answered: the publication must not show a link that was
    // never there.
    Alarms_ = std::make_unique<std::atomic<bool>[]>(slots);
    for (size_t n = 0; n < slots; ++n) Alarms_[n] = true;
    Kol_Null_otvets.assign(slots, 0);
    Good_CRC_101.assign(slots, false);
    date_time_Opros_asdu.assign(slots, DateTime());
    date_time_Opros_counters_101.assign(slots, DateTime());
    date_time_Opros_102.assign(slots, DateTime());
    Step_opros_102.assign(slots, 0);

    TIecDevice tmp;
    tmp.SetParamDefault();
    for (int n = 1; n <= Kol_Devices_In_Thread; ++n) {
        const T_KP_thred& row = dev_Thread[static_cast<size_t>(n)];
        const TIecDeviceVV& vv = row.IecDeviceVV;
        tmp.Name = row.NameKP;
        tmp.LinkAddress = vv.LinkAddress;
        tmp.KPAddress2 = vv.LinkAddress;
        tmp.CommonAddress = row.CommonAddress;
        tmp.LinkTimeOut = vv.LinkTimeOut;
        tmp.PollingCycle = vv.PollingCycle;
        tmp.Retries = vv.Retries;
        tmp.sz_InfObjAddress = static_cast<uint32_t>(vv.sz_InfObjAddress);
        tmp.sz_LinkAddress = vv.sz_LinkAddress;
        tmp.sz_ASDUAddress = vv.sz_ASDUAddress;
        tmp.tu_bit_QU = vv.bit_QU;
        tmp.sz_PrichinaPeredachi = vv.sz_PrichinaPeredachi;
        tmp.opros_na_ustr = vv.opros_na_ustr;
        tmp.ConfirmationTimeout = vv.ConfirmationTimeout;
        tmp.TerminationTimeout = vv.TerminationTimeout;
        tmp.Interval_opros_100 = vv.Interval_opros_100 < 1 ? 1 : vv.Interval_opros_100;
        tmp.Interval_opros_counters_101 = vv.Interval_opros_counters_101;
        tmp.Interval_opros_address_102 = vv.Interval_opros_address_102;
        tmp.First_opros = true;
        IecDeviceList.AddDev(tmp);
        // On a line with one station every frame is that station's, whatever address a misconfigured station
        // puts in it; on a shared line a frame from another address must not reach this station's signals.
        iec101[static_cast<size_t>(n)]->CheckLinkAddress = Kol_Devices_In_Thread > 1;
    }
    if (!line_) line_ = MakeLine();
}

void TOpros_device::InitDueTimes() {
    const DateTime now = ctx_.clock.Now();
    for (int n = 1; n <= Kol_Devices_In_Thread; ++n) {
        const auto i = static_cast<size_t>(n);
        const TIecDeviceVV& vv = dev_Thread[i].IecDeviceVV;
        Kol_Null_otvets[i] = 0;
        date_time_Opros_asdu[i] = now - vv.Interval_opros_100 * DateTime::kOneMinute + 10 * DateTime::kOneMs;
        date_time_Opros_counters_101[i] = now - vv.Interval_opros_counters_101 * DateTime::kOneMinute + 11 * DateTime::kOneSecond;
        date_time_Opros_102[i] = now - vv.Interval_opros_address_102 * DateTime::kOneMinute + 16 * DateTime::kOneSecond;
    }
}

void TOpros_device::Start() {
    Prepare();
    thread_ = std::thread([this] { Execute(); });
}

void TOpros_device::Terminate() {
    terminated_ = true;
    pauser_->Stop();
    stop_signal_.Raise();
}

void TOpros_device::Stop() {
    Terminate();
    if (thread_.joinable()) thread_.join();
}

bool TOpros_device::Alarms(int n) const {
    return n >= 1 && n <= Kol_Devices_In_Thread && Alarms_ ? Alarms_[static_cast<size_t>(n)].load() : false;
}

bool TOpros_device::ArmTU(int slot, int asduAddress, int objAddress, int kind, bool command) {
    if (!Valid(slot)) return false;
    iec101[static_cast<size_t>(slot)]->ArmCommand(asduAddress, objAddress, kind, command, ctx_.clock.Now());
    return true;
}

void TOpros_device::WaitWhileReserveIdle() {
    const RedundancyState& r = ctx_.redundancy;
    while (!Terminated() && r.IsReserve() && r.Main_server_is_Work) {
        if (!pauser_->Pause(r.Timeout_reaktivacii.load() * 1000)) return;
    }
}

bool TOpros_device::ListenLine() {
    if (!ctx_.redundancy.IsReserve()) return false;
    const DateTime start = ctx_.clock.Now();
    size_t octets = 0;
    while (!Terminated() && ctx_.clock.Now() - start < 7 * DateTime::kOneSecond) {
        octets += line_->ReadPort().size();
    }
    return octets >= 5;
}

void TOpros_device::PollCycle() {
    if (!pauser_->Pause(1)) return;
    Tekush_Nomer = 1;
    if (Kol_Devices_In_Thread >= 1) {
        line_->OpenPort();
        line_->SetupPort(dev_Thread[1].IecDeviceVV);
    }
    for (int n = 1; n <= Kol_Devices_In_Thread; ++n) {
        Tekush_Nomer = n;
        const bool open = line_->OpenPort();
        line_->SetupPort(dev_Thread[static_cast<size_t>(n)].IecDeviceVV);
        if (Terminated()) return;
        TIecDevice* pdev = IecDeviceList.GetDev(n - 1);
        if (pdev == nullptr) continue;
        if (!open) {
            // No port, no exchange: the station counts as silent without a turn of empty writes and reads.
            CountUnanswered(n, *pdev);
        } else {
            try {
                OprosDevice(*pdev);
            } catch (const std::exception& e) {
                // A failure while serving one station ends its turn only.
                log_.Write(log_.Time() + " " + e.what());
            }
        }
        if (!pauser_->Pause(1)) return;
    }
    const RedundancyState& r = ctx_.redundancy;
    if (r.IsReserve()) {
        WaitWhileReserveIdle();
        const DateParts p = ctx_.clock.Now().Decode();
        if (!r.Main_server_is_Work && p.second > 52 && p.minute % 3 == 1) {
            while (!Terminated() && ListenLine()) {
                if (!pauser_->Pause(5000)) return;
            }
        }
    }
}

void TOpros_device::Execute() {
    if (!pauser_->Pause(10)) return;
    const RedundancyState& r = ctx_.redundancy;
    if (r.IsReserve()) {
        if (!pauser_->Pause(r.Timeout_reaktivacii.load() * 1000)) return;
        WaitWhileReserveIdle();
    }
    Prepare();
    line_->Begin();
    InitDueTimes();
    while (!Terminated()) PollCycle();
    line_->ClosePort();
}

bool KadrComplete(std::string_view t) {
    if (t.size() <= 4) return false;
    const auto at = [&](size_t i) { return static_cast<uint8_t>(t[i]); };
    if (at(0) == 0x10) return true;
    return at(0) == 0x68 && at(1) == at(2) && at(3) == 0x68 && t.size() == static_cast<size_t>(at(2)) + 6;
}

}  // namespace iec
