// Protocol parameters and state of one controlled station as its polling thread uses them. A device and its list
// belong to one polling thread; nothing here is shared with another thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace iec {

// Bit of flASDU2: the link to the station is established (reset acknowledged and link status received).
constexpr uint32_t fl_LinkOk = 0x4000;

struct TIecDevice {
    TIecDevice() = default;
    // A device whose parameters are copied from source (SetParam).
    static TIecDevice Create(const TIecDevice& source);

    // Copies the station parameters (not the telecontrol state, flASDU2 or Adddres_obj_102); KPAddress2 is always
    // the source's LinkAddress.
    void SetParam(const TIecDevice& source);
    void SetParamDefault();

    bool First_opros = false;
    std::string Name;
    int LinkTimeOut = 0;   // ms; carried, the link layer does not wait for it
    int Retries = 0;       // repetitions of an unanswered frame
    int PollingCycle = 0;  // ms; carried, not consulted
    int LinkAddress = 0;   // link address; the common address signals are looked up by when an ASDU's own fails
    int KPAddress2 = 0;    // always equal to LinkAddress
    // Common address of the interrogations: the one the station's signals are configured with (the global
    // address when they name several). 0 means the link address.
    int CommonAddress = 0;
    int ConfirmationTimeout = 0;
    int TerminationTimeout = 0;
    int sz_LinkAddress = 0;          // 1 or 2
    uint32_t sz_InfObjAddress = 0;   // 1, 2 or 3
    uint32_t flASDU2 = 0;            // fl_LinkOk
    int sz_ASDUAddress = 0;          // 1 or 2
    int tu_bit_QU = 0;               // qualifier of command, 0..3
    int sz_PrichinaPeredachi = 0;    // 1 or 2 (second octet: originator address)
    int opros_na_ustr = 0;           // exchanges per turn of the station
    // Telecontrol state, written and read by the polling thread only.
    bool select_get = false;  // the execute step may be sent
    bool error_tu = false;    // the last execute is unconfirmed or was refused
    bool exec_get = false;    // a positive activation confirmation arrived
    int tek_type_tu_t = 0;    // kind 0..3 of the command being built
    int Interval_opros_100 = 0;           // minutes
    int Interval_opros_counters_101 = 0;  // minutes, 0 = never
    int Interval_opros_address_102 = 0;   // minutes, 0 = never
    int Adddres_obj_102 = 0;              // object address of the next read command
    // A general interrogation is wanted at once: the link was (re)established or the station reported the end
    // of its initialisation. Cleared when one is queued.
    bool gi_wanted = false;
    // A general interrogation was queued and has not been terminated (or refused) yet: an end of
    // initialisation that arrives meanwhile is covered by it.
    bool gi_running = false;

    // The common address interrogations go to.
    int InterrogationAddress() const { return CommonAddress != 0 ? CommonAddress : LinkAddress; }
};

// The stations of one polling thread; index = position in the thread minus one.
class TIecDeviceList {
public:
    void Clear() { DeviceList.clear(); }
    int CountDevice() const { return static_cast<int>(DeviceList.size()); }
    // Slot ind, or nullptr when ind is negative or not below the count.
    TIecDevice* GetDev(int ind);
    const TIecDevice* GetDev(int ind) const;
    // Appends a copy made by TIecDevice::Create; the caller keeps its own object.
    void AddDev(const TIecDevice& source);

private:
    std::vector<std::unique_ptr<TIecDevice>> DeviceList;
};

}  // namespace iec
