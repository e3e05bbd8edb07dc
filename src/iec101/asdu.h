// One application service data unit, received or built, and the mailbox that passes ASDUs between the polling
// procedure and the link layer. Both belong to one station of one polling thread.
#pragma once

#include <cstdint>
#include <deque>
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
    // Built for a station: KpAddress1 = its KPAddress2, LinkAddress = the common address it goes to (the
    // station's interrogation address unless given). SQ, nelem and ptid follow from the qualifier and the code.
    TIEC_ASDU(const TIecDevice& station, int code, int seqNumb, int cot, std::span<const uint8_t> data,
              int blockAddress, const TTypeIdentList& types = TypeIdentList(), int commonAddress = 0);
    // Received: the link address of the frame and the common address carried in the ASDU.
    TIEC_ASDU(int kpAddress, int commonAddress, int code, int seqNumb, int cot, std::span<const uint8_t> data,
              const TTypeIdentList& types = TypeIdentList());

    // The data octets decoding may read: never more than Data1 holds, whatever lenData says.
    std::span<const uint8_t> Data() const;

    int TypeCode = 0;    // type identification as carried, also when the table does not know it
    int SeqNumb = 0;     // variable structure qualifier as carried
    int COT = 0;         // first cause octet, test and P/N bits included
    int KpAddress1 = 0;  // received: link address of the frame; built: the station's KPAddress2
    int LinkAddress = 0; // common address: as received, or where a built ASDU goes
    int lenData = 0;
    std::vector<uint8_t> Data1;  // the information objects
    const TTypeIdent* ptid = nullptr;
    int SQ = 0;
    int nelem = 0;
    int BlockAddress = 0;
    DateTime BlockDate;
    int BlockBias = kBiasUnknown;  // UTC = BlockDate + BlockBias minutes

private:
    void Derive(const TTypeIdentList& types);
};

using AsduPtr = std::shared_ptr<TIEC_ASDU>;

// ASDUs waiting in order, at most one of a kind: a newer one replaces the waiting one of its kind (a re-armed
// command, an interrogation due again, a read of the same object), one of another kind waits behind, so that an
// interrogation and a command queued in one exchange both go out. Telecontrol of either type is one kind: a
// station has one pending command. The mailbox keeps the ASDU it handed out last (asdu2), so the receive side's
// ASDU lives until the next one is stored and taken.
class TASDUBuf {
public:
    static constexpr size_t kCapacity = 8;

    // false (nothing stored) for a null ASDU, or when the mailbox is full of other kinds.
    bool Put(AsduPtr asdu);
    // false when empty; otherwise hands the oldest ASDU out, keeps it as asdu2 and removes it.
    bool Get(AsduPtr& out);
    bool Empty() const { return queue_.empty(); }
    size_t Size() const { return queue_.size(); }

    AsduPtr asdu2;

private:
    std::deque<AsduPtr> queue_;
};

// "TypeIdent=(code)text, SQ=s nelem=n COT=c(cause text)"; empty for an ASDU whose type the table does not know.
std::string ToString(const TIEC_ASDU& asdu);

}  // namespace iec
