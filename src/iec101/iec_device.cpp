#include "iec101/iec_device.h"

namespace iec {

TIecDevice TIecDevice::Create(const TIecDevice& source) {
    TIecDevice d;
    d.SetParam(source);
    return d;
}

void TIecDevice::SetParam(const TIecDevice& s) {
    Name = s.Name;
    LinkAddress = s.LinkAddress;
    KPAddress2 = s.LinkAddress;
    CommonAddress = s.CommonAddress;
    LinkTimeOut = s.LinkTimeOut;
    PollingCycle = s.PollingCycle;
    Retries = s.Retries;
    sz_InfObjAddress = s.sz_InfObjAddress;
    sz_LinkAddress = s.sz_LinkAddress;
    sz_ASDUAddress = s.sz_ASDUAddress;
    sz_PrichinaPeredachi = s.sz_PrichinaPeredachi;
    opros_na_ustr = s.opros_na_ustr;
    tu_bit_QU = s.tu_bit_QU;
    ConfirmationTimeout = s.ConfirmationTimeout;
    TerminationTimeout = s.TerminationTimeout;
    First_opros = s.First_opros;
    Interval_opros_100 = s.Interval_opros_100;
    Interval_opros_counters_101 = s.Interval_opros_counters_101;
    Interval_opros_address_102 = s.Interval_opros_address_102;
}

void TIecDevice::SetParamDefault() {
    *this = TIecDevice();
    LinkAddress = 100;
    sz_InfObjAddress = 2;
    sz_LinkAddress = 1;
}

TIecDevice* TIecDeviceList::GetDev(int ind) {
    return ind >= 0 && ind < CountDevice() ? DeviceList[static_cast<size_t>(ind)].get() : nullptr;
}

const TIecDevice* TIecDeviceList::GetDev(int ind) const {
    return ind >= 0 && ind < CountDevice() ? DeviceList[static_cast<size_t>(ind)].get() : nullptr;
}

void TIecDeviceList::AddDev(const TIecDevice& source) {
    DeviceList.push_back(std::make_unique<TIecDevice>(TIecDevice::Create(source)));
}

}  // namespace iec
