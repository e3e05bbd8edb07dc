#include <cstdio>

#include "iec101/link_layer.h"
#include "iec101/link_sizes.h"

namespace iec {

namespace {

void PutLE(uint8_t* out, uint32_t value, size_t n) {
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

uint8_t CheckSum(std::span<const uint8_t> octets) {
    unsigned sum = 0;
    for (uint8_t o : octets) sum += o;
    return static_cast<uint8_t>(sum);
}

TIEC101::TIEC101(const TTypeIdentList& types) : types_(types) { InitFcw(); }

void TIEC101::InitFcw() {
    const FcwEntry table[] = {
        {false, 0, 0, 1},      // reset of remote link
        {false, 1, 0, 1},      // reset of user process
        {false, 2, 0, 1},      // test function for link
        {false, 3, 0, 1},      // user data, confirm expected
        {false, 4, 255, 255},  // user data, no reply expected
        {false, 8, 11, 255},   // request for access demand
        {false, 9, 11, 255},   // request status of link
        {false, 10, 8, 9},     // request user data class 1
        {false, 11, 8, 9},     // request user data class 2
    };
    for (size_t i = 0; i < std::size(table); ++i) fcw[i + 1] = table[i];
}

int TIEC101::FcwIndex(int code) const {
    for (int i = 1; i < static_cast<int>(fcw.size()); ++i) {
        if (fcw[static_cast<size_t>(i)].code == code) return i;
    }
    return 0;
}

uint8_t TIEC101::MakeControl(int code) {
    const bool fcv = code != 0 && code != 9;
    if (!fcv) {
        fcb = false;
    } else if (last_good_crc) {
        // The FCB alternates only after a good reception; otherwise the station sees a repetition and sends its
        // previous response again.
        fcb = !fcb;
    }
    return static_cast<uint8_t>(0x40 | (fcb ? 0x20 : 0) | (fcv ? 0x10 : 0) | (code & 0x0F));
}

void TIEC101::AfterBuild(int code, bool variable) {
    fcwind = FcwIndex(code);
    fl101 |= fl_WaitSend;
    const bool answered = variable || (fcwind != 0 && fcw[static_cast<size_t>(fcwind)].resp1 != 255);
    if (answered) {
        fl101 |= fl_WaitAnswer;
    } else {
        fl101 &= ~fl_WaitAnswer;
    }
    nsendrepeat = 0;
}

void TIEC101::FormKadr1(int code, const TIecDevice& device) {
    tx_is_command_ = false;
    const size_t la = LinkAddressSize(device);
    TxBuf[0] = 0x10;
    TxBuf[1] = MakeControl(code);
    PutLE(&TxBuf[2], static_cast<uint32_t>(device.LinkAddress), la);
    TxBuf[2 + la] = CheckSum(std::span<const uint8_t>(&TxBuf[1], 1 + la));
    TxBuf[3 + la] = 0x16;
    TxLenkd = static_cast<int>(4 + la);
    AfterBuild(code, false);
}

bool TIEC101::BuildVariable(const TIEC_ASDU& asdu, const TIecDevice& device, int commonAddress, int objAddress,
                            std::span<const uint8_t> element) {
    const size_t la = LinkAddressSize(device), cot = CauseSize(device), ca = CommonAddressSize(device),
                 ioa = ObjectAddressSize(device);
    const size_t L = 3 + la + cot + ca + ioa + element.size();
    if (L > 255) {
        ++counters.oversizeCommand;
        return false;
    }
    constexpr int kUserData = 3;
    uint8_t* p = TxBuf.data();
    p[0] = 0x68;
    p[1] = p[2] = static_cast<uint8_t>(L);
    p[3] = 0x68;
    p[4] = MakeControl(kUserData);
    size_t i = 5;
    PutLE(p + i, static_cast<uint32_t>(device.LinkAddress), la);
    i += la;
    p[i++] = static_cast<uint8_t>(asdu.TypeCode);
    p[i++] = static_cast<uint8_t>(asdu.SeqNumb);
    p[i++] = static_cast<uint8_t>(asdu.COT);
    if (cot == 2) p[i++] = 0;  // originator address
    PutLE(p + i, static_cast<uint32_t>(commonAddress), ca);
    i += ca;
    PutLE(p + i, static_cast<uint32_t>(objAddress), ioa);
    i += ioa;
    for (uint8_t o : element) p[i++] = o;
    p[i] = CheckSum(std::span<const uint8_t>(p + 4, L));
    p[i + 1] = 0x16;
    TxLenkd = static_cast<int>(L + 6);
    AfterBuild(kUserData, true);
    return true;
}

bool TIEC101::FormKadr2(const TIEC_ASDU& asdu, const TIecDevice& device) {
    // Only a read command carries an object address: the one it was built for.
    const int object = asdu.TypeCode == 102 ? asdu.BlockAddress : 0;
    if (!BuildVariable(asdu, device, asdu.LinkAddress, object, asdu.Data())) return false;
    tx_is_command_ = false;
    return true;
}

bool TIEC101::FormKadrtu(const TIEC_ASDU& asdu, TIecDevice& device, TuState& tu) {
    const bool execute = tu.exec_tu;
    tu.queued = false;
    if ((!execute && !tu.select_tu) || tu.Asdu_Adr_TU == 0 || tu.Obj_addr_TU == 0) {
        // The command was ended (supervision, abandonment) while its ASDU waited in the mailbox: a frame without
        // command octet, or to no object, would only be refused by the station.
        ++counters.staleCommand;
        return false;
    }
    const bool dbl = asdu.TypeCode == 46;
    const uint8_t state = dbl ? (tu.tuCommand ? 2 : 1) : (tu.tuCommand ? 1 : 0);
    const uint8_t octet =
        static_cast<uint8_t>((execute ? 0 : 0x80) | ((device.tu_bit_QU & 0x1F) << 2) | state);
    const uint8_t element[1] = {octet};
    if (!BuildVariable(asdu, device, tu.Asdu_Adr_TU, tu.Obj_addr_TU, element)) return false;
    tx_is_command_ = true;
    if (execute) {
        tu.select_tu = false;
        tu.exec_tu = false;
        device.select_get = false;
        device.error_tu = true;
    } else {
        tu.select_tu = false;
        tu.exec_tu = true;
        device.error_tu = false;
    }
    return true;
}

void TIEC101::ArmCommand(int asduAddress, int objAddress, int kind, bool command, DateTime armedAt) {
    std::lock_guard lock(tu_mutex_);
    tu_.Asdu_Adr_TU = asduAddress;
    tu_.Obj_addr_TU = objAddress;
    const bool direct = kind == 1 || kind == 3;
    tu_.select_tu = !direct;
    tu_.exec_tu = direct;
    tu_.tuCommand = command;
    tu_.Type_TU_45_46 = kind;
    tu_.dt_TU = armedAt;
    tu_.fresh = true;
    tu_.queued = false;
}

void TIEC101::DropUnsentCommand() {
    if (!tx_is_command_ || !(fl101 & (fl_WaitSend | fl_WaitAnswer))) return;
    fl101 &= ~(fl_WaitSend | fl_WaitAnswer);
    tx_is_command_ = false;
    ++counters.commandsDropped;
}

TuState TIEC101::TU() const {
    std::lock_guard lock(tu_mutex_);
    return tu_;
}

std::string TIEC101::KadrToStr1(KadrDir dir, unsigned options) const {
    const bool rx = dir == KadrDir::Receive;
    const std::span<const uint8_t> f = rx ? RxFrame() : TxFrame();
    const char* prefix = rx ? "#RX: " : "$TX: ";
    if (f.empty()) return {};
    const bool variable = f[0] == 0x68;
    std::string out;
    if ((variable && (options & kDumpVariable)) || (!variable && (options & kDumpFixed))) {
        out = prefix;
        char hex[4];
        for (uint8_t o : f) {
            std::snprintf(hex, sizeof hex, " %02X", o);
            out += hex;
        }
    }
    const size_t ci = variable ? 4 : 1;
    if ((options & kSummary) && f.size() > ci + 1) {
        const uint8_t c = f[ci];
        const auto bit = [c](int b) { return (c >> b) & 1 ? "1" : "0"; };
        if (!out.empty()) out += "\n";
        out += std::string(prefix) + "[ADDR=" + std::to_string(f[ci + 1]);
        if (rx) {
            out += std::string(",DFC=") + bit(4) + ",ACD=" + bit(5);
        } else {
            out += std::string(",FCV=") + bit(4) + ",FCB=" + bit(5);
        }
        out += std::string(",PRM=") + bit(6) + "]";
    }
    return out;
}

}  // namespace iec
