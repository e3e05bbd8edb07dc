// The FT1.2 link layer of one controlled station, unbalanced transmission, this system being the primary station.
// It builds the next frame, assembles received octets into frames and checks them, evaluates responses and extracts
// ASDUs; it does no input/output, reads no clock and never waits. Used by the station's polling thread only,
// except the telecontrol state, which other threads arm through ArmCommand.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "iec101/asdu.h"
#include "iec101/counter.h"
#include "iec101/iec_device.h"
#include "iec101/type_ident.h"
#include "platform/date_time.h"

namespace iec {

// Bits of TIEC101::fl101.
constexpr uint32_t fl_Run = 0x1;          // frame selection is active
constexpr uint32_t fl_RxKadr = 0x8;       // a checked frame waits in RxBuf2 to be evaluated
constexpr uint32_t fl_WaitSend = 0x10;    // the frame in TxBuf is to be sent
constexpr uint32_t fl_WaitAnswer = 0x20;  // a response to the frame in TxBuf is awaited
constexpr uint32_t fl_Collect = 0x100;    // the assembler is collecting a frame
constexpr uint32_t fl_ResetOk = 0x1000;   // the reset of the remote link was acknowledged
constexpr uint32_t fl_StatusOk = 0x2000;  // the status of link was received

constexpr size_t PROT_BUF_SIZE = 16000;   // octets the assembler collects at most
constexpr size_t kMaxRxFrame = 512;       // the assembler refuses anything longer
constexpr size_t kMaxTxFrame = 261;       // L = 255 plus six framing octets
constexpr uint8_t kSingleCharAck = 0xE5;  // the single control character of IEC 60870-5-2

// One function code the primary sends and the two codes accepted as its response (255 = none).
struct FcwEntry {
    bool used = false;
    uint8_t code = 0;
    uint8_t resp1 = 255;
    uint8_t resp2 = 255;
};

// The pending telecontrol command of the station. Guarded by the link layer's lock: armed from any thread, read,
// sent and cleared by the polling thread.
struct TuState {
    int Asdu_Adr_TU = 0;    // 0 = no command
    int Obj_addr_TU = 0;    // 0 = no command
    int Type_TU_45_46 = 0;  // kind 0..3 of the last armed command
    bool select_tu = false;
    bool exec_tu = false;
    bool tuCommand = false;  // true = on
    DateTime dt_TU;          // when the command was armed: its 20 s run from here and are never restarted
    bool fresh = false;      // armed and not yet seen by the polling thread
    bool queued = false;     // its select or execute waits in the send mailbox
};

// Each kind of rejected or unusual reception and selection event.
struct LinkCounters {
    Counter framesTaken;         // checked frames taken from the assembler (single characters included)
    Counter singleCharacters;    // 0xE5 taken as a complete answer
    Counter badChecksum;
    Counter badEndOctet;         // last octet not 0x16
    Counter badLengthOctets;     // the two length octets of a variable frame differ
    Counter badSecondStart;      // fourth octet of a variable frame not 0x68
    Counter shortFrame;          // variable frame too short for control and link address
    Counter garbageDiscarded;    // collected octets that began with no start octet
    Counter oversize;            // more than 512 octets collected without a frame
    Counter foreignAddress;      // checked frame from another link address
    Counter unexpectedResponse;  // response whose function code the frame sent does not accept
    Counter responsesMissing;    // selections that found the awaited response missing
    Counter repetitions;         // frames sent again for a missing response
    Counter asduExtracted;
    Counter shortAsdu;           // variable frame whose user data holds no complete ASDU header
    Counter staleCommand;        // telecontrol ASDU taken with no select or execute pending: not sent
    Counter oversizeCommand;     // built ASDU too long for one frame: not sent
    Counter nacks;               // user data refused by the station (NACK, link busy): repeated
    Counter userDataDropped;     // user data still unconfirmed after its repetitions: given up
    Counter heldByDfc;           // selections that kept user data back because the station set DFC
    Counter commandsDropped;     // command frames given up when their command's time ran out
};

enum class KadrDir { Receive, Send };
// Options of KadrToStr1.
constexpr unsigned kDumpFixed = 1, kDumpVariable = 2, kSummary = 4;

class TIEC101 {
public:
    explicit TIEC101(const TTypeIdentList& types = TypeIdentList());

    // Frame selection, once per exchange: evaluates a new checked frame, repeats an unanswered frame up to the
    // device's Retries, or builds the next frame (reset, link status, class 1/2 request or a command from tx).
    void Work(TIecDevice& device, TASDUBuf& rx, bool allowAsdu, TASDUBuf& tx);
    // Evaluates the frame in RxBuf2 as the response to the frame sent last and puts its ASDU, if any, into rx.
    void ProcessRxKadr(TIecDevice& device, TASDUBuf& rx);
    bool isWaitSend() const { return (fl101 & fl_WaitSend) != 0; }
    // Marks the frame taken by ReceiveGetKadr for evaluation by the next Work.
    void SetReseiveKadr() { fl101 |= fl_RxKadr; }

    // Feeds received octets to the assembler.
    void ReceivePut(std::span<const uint8_t> octets);
    // Takes one complete frame into RxBuf2; true when it passed every check (checksum, end octet, repeated length
    // and start octets, link address where checked). A single 0xE5 is a complete answer.
    bool ReceiveGetKadr(const TIecDevice& device);

    // Control octet for a frame with this function code, applying the FCB rule.
    uint8_t MakeControl(int code);
    void FormKadr1(int code, const TIecDevice& device);
    // false (nothing built) when the ASDU does not fit one frame.
    bool FormKadr2(const TIEC_ASDU& asdu, const TIecDevice& device);
    // Command frame from the telecontrol state; false (nothing built) when neither select nor execute is pending.
    bool FormKadrtu(const TIEC_ASDU& asdu, TIecDevice& device, TuState& tu);

    // Hex dump and/or header summary of the frame received last or sent last.
    std::string KadrToStr1(KadrDir dir, unsigned options) const;

    std::span<const uint8_t> TxFrame() const { return {TxBuf.data(), static_cast<size_t>(TxLenkd)}; }
    std::span<const uint8_t> RxFrame() const { return {RxBuf2.data(), static_cast<size_t>(RxLenkd2)}; }
    int RxLenkd1() const { return static_cast<int>(RxBuf1.size()); }

    // Telecontrol: arms a command (kinds 1 and 3 execute directly, 0 and 2 select first), replacing a pending one.
    // Safe from any thread; never waits longer than a field copy. The command's 20 s run from armedAt.
    void ArmCommand(int asduAddress, int objAddress, int kind, bool command, DateTime armedAt = DateTime());
    // A command whose time ran out must not reach the station late: a command frame still to be sent, or still
    // repeated for want of a confirmation, is given up. Polling thread only.
    void DropUnsentCommand();
    TuState TU() const;
    // Runs f(TuState&) under the telecontrol lock (for the polling thread's telecontrol steps).
    template <class F>
    auto WithTU(F&& f) {
        std::lock_guard lock(tu_mutex_);
        return f(tu_);
    }

    bool fcb = false;
    bool acd = false;
    // DFC of the last evaluated response: the station cannot take more user data now. User data waits while it
    // is set; requests for data go on, and they are what lets the station empty its buffers.
    bool dfc = false;
    bool last_good_crc = false;
    uint32_t fl101 = 0;
    std::array<uint8_t, kMaxTxFrame> TxBuf{};
    int TxLenkd = 0;
    std::vector<uint8_t> RxBuf1;
    std::array<uint8_t, kMaxRxFrame> RxBuf2{};
    int RxLenkd2 = 0;
    std::array<FcwEntry, 10> fcw{};  // 1..9
    int fcwind = 0;
    int nsendrepeat = 0;
    // Frames from another link address are not taken. The owner clears it for a channel with a single station,
    // where such a frame can only be that station's own (with a misconfigured address).
    bool CheckLinkAddress = true;
    LinkCounters counters;

private:
    void InitFcw();
    int FcwIndex(int code) const;
    void AfterBuild(int code, bool variable);
    bool BuildVariable(const TIEC_ASDU& asdu, const TIecDevice& device, int commonAddress, int objAddress,
                       std::span<const uint8_t> element);
    void ExtractAsdu(const TIecDevice& device, TASDUBuf& rx);

    bool tx_is_command_ = false;  // the frame in TxBuf is a select or an execute
    const TTypeIdentList& types_;
    mutable std::mutex tu_mutex_;
    TuState tu_;
};

// The arithmetic sum modulo 256 of the octets.
uint8_t CheckSum(std::span<const uint8_t> octets);

}  // namespace iec
