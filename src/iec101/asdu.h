// One application service data unit, received or built, and the one-slot mailbox that passes ASDUs between the
// polling procedure and the link layer. Both belong to one station of one polling thread.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "iec101/iec_device.h"
#include "iec101/type_ident.h"
#include "platform/date_time.h"

namespace iec {

class TIEC_ASDU {
public:
    // Built for a station: KpAddress1 = its KPAddress2, LinkAddress = its LinkAddress. SQ, nelem and ptid follow
    // from the qualifier octet and the code.
    TIEC_ASDU(const TIecDevice& station, int code, int seqNumb, int cot, std::span<const uint8_t> data,
              int blockAddress, const TTypeIdentList& types = TypeIdentList());
    // Received: the link address of the frame and the common address carried in the ASDU.
    TIEC_ASDU(int kpAddress, int commonAddress, int code, int seqNumb, int cot, std::span<const uint8_t> data,
              const TTypeIdentList& types = TypeIdentList());

    // The data octets decoding may read: never more than Data1 holds, whatever lenData says.
    std::span<const uint8_t> Data() const;

    int TypeCode = 0;    // type identification as carried, also when the table does not know it
    int SeqNumb = 0;     // variable structure qualifier as carried
    int COT = 0;         // first cause octet, test and P/N bits included
    int KpAddress1 = 0;  // received: link address of the frame; built: the station's KPAddress2
    int LinkAddress = 0; // received: common address of the ASDU; built: the station's LinkAddress
    int lenData = 0;
    std::vector<uint8_t> Data1;  // the information objects
    const TTypeIdent* ptid = nullptr;
    int SQ = 0;
    int nelem = 0;
    int BlockAddress = 0;
    DateTime BlockDate;

private:
    void Derive(const TTypeIdentList& types);
};

using AsduPtr = std::shared_ptr<TIEC_ASDU>;

// Capacity one: Put replaces an ASDU not yet taken. The mailbox keeps the ASDU it handed out last (asdu2), so
// the receive side's ASDU lives until the next one is stored and taken.
class TASDUBuf {
public:
    bool Put(AsduPtr asdu);
    // false when empty; otherwise hands the ASDU out, keeps it as asdu2 and empties the slot.
    bool Get(AsduPtr& out);
    bool Empty() const { return Buf == nullptr; }

    AsduPtr asdu2;

private:
    AsduPtr Buf;
};

// "TypeIdent=(code)text, SQ=s nelem=n COT=c(cause text)"; empty for an ASDU whose type the table does not know.
std::string ToString(const TIEC_ASDU& asdu);

}  // namespace iec
