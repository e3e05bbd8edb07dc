// One turn of one station: a run of request/response exchanges on the thread's line.
#include <climits>
#include <span>

#include "iec101/asdu_build.h"
#include "iec101/polling_thread.h"

namespace iec {
namespace {

std::span<const uint8_t> Octets(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

uint8_t At(const std::string& s, size_t i) { return static_cast<uint8_t>(s[i]); }

bool EndsWith16(const std::string& s) { return !s.empty() && At(s, s.size() - 1) == 0x16; }

// Every command ends this long after it was armed.
constexpr double kCommandLifetime = 20 * DateTime::kOneSecond;
// How long a queued general interrogation counts as running when the station never terminates it.
constexpr double kInterrogationRunning = 60 * DateTime::kOneSecond;

}  // namespace

void TOpros_device::OprosDevice(TIecDevice& dev) {
    const int n = Tekush_Nomer;
    if (!Valid(n)) return;
    const auto slot = static_cast<size_t>(n);
    TIEC101& link = *iec101[slot];

    log_.Lazy([&] { return log_.Time() + " Start polling dev " + dev.Name; });
    link.fl101 |= fl_Run;

    bool first = true;
    bool due_gi = false, due_ci = false, due_read = false;
    bool end_early = false;
    bool special_address = false;

    for (int i = 1;; ++i) {
        // 1. Every turn starts by sending the frame built at the end of the previous one.
        std::string send;
        if (link.isWaitSend() || first) {
            const auto tx = link.TxFrame();
            send.assign(reinterpret_cast<const char*>(tx.data()), tx.size());
        }
        // 2. Class 2 requests to the broadcast-like addresses 200 and 201 end the turn on a short answer.
        if (send.size() == 5 && (At(send, 1) == 0x7B || At(send, 1) == 0x5B) && (At(send, 2) == 200 || At(send, 2) == 201)) {
            special_address = true;
        }
        // 3. Write and read.
        if (!send.empty()) line_->WritePort(send);
        link.fl101 &= ~fl_WaitSend;
        std::string sr;
        if (!send.empty()) sr = line_->ReadPort();

        // 4. An answer may arrive in pieces.
        if (sr.size() >= 2) {
            if (EndsWith16(sr) && KadrComplete(sr)) {
                // one whole frame
            } else if (At(sr, 0) != 0x68 && At(sr, 0) != 0x10) {
                sr.clear();
                log_.Lazy([&] { return log_.Time() + " sr= " + BytesToHex(sr); });
            } else {
                sr += line_->ReadPort();
                if (!(sr.size() >= 2 && EndsWith16(sr) && KadrComplete(sr))) {
                    for (int k = 0; k < 4; ++k) {
                        const std::string part = line_->ReadPort();
                        sr += part;
                        if (part.size() <= 1 || EndsWith16(part)) break;
                    }
                }
                log_.Lazy([&] { return log_.Time() + " sr= " + BytesToHex(sr); });
            }
        }

        // 5. Frame check. The single control character is a whole answer although it is shorter than a frame.
        link.ReceivePut(Octets(sr));
        bool good = link.ReceiveGetKadr(dev);
        const bool single_char = sr.size() == 1 && At(sr, 0) == kSingleCharAck;
        if (sr.size() < 4 && !single_char) good = false;
        Good_CRC_101[slot] = good;
        if (good && (sr.size() > 4 || single_char)) {
            link.SetReseiveKadr();
            log_.Lazy([&] { return log_.Time() + " Good CRC " + BytesToHex(sr); });
        }
        link.last_good_crc = good;

        // 6. Silence accounting. Only a frame that passed its checks is an answer: a station heard only through
        // bad checksums, or through another station's frames, is as lost as a silent one.
        if (!send.empty() && !good) {
            CountUnanswered(n, dev);
        } else {
            Kol_Null_otvets[slot] = 0;
            Alarms_[slot] = send.empty() && first;
        }

        // 7. A short answer to a class 2 request to address 200/201 ends the turn.
        if (!first && special_address && (sr.size() == 5 || (sr.size() == 6 && dev.sz_LinkAddress == 2))) {
            end_early = true;
        }
        first = false;

        // 8. Due interrogations and read cycle. A link that came up again, or a station that reports it restarted,
        // gets its general interrogation at once rather than at the next period.
        const LocalNow stamp = ctx_.clock.NowWithBias();
        const DateTime now = stamp.local;
        if (dev.Interval_opros_100 > 0 &&
            now > date_time_Opros_asdu[slot] + dev.Interval_opros_100 * DateTime::kOneMinute) {
            due_gi = true;
        }
        if (dev.gi_wanted) due_gi = true;
        // A station that never ends its interrogation does not keep the next end of initialisation waiting.
        if (dev.gi_running && now - date_time_Opros_asdu[slot] > kInterrogationRunning) dev.gi_running = false;
        if (dev.Interval_opros_counters_101 > 0 &&
            now > date_time_Opros_counters_101[slot] + dev.Interval_opros_counters_101 * DateTime::kOneMinute) {
            due_ci = true;
        }
        if (dev.Interval_opros_address_102 > 0 &&
            now > date_time_Opros_102[slot] + dev.Interval_opros_address_102 * DateTime::kOneMinute) {
            due_read = true;
        }

        // 9. A read cycle marks every signal of the station.
        if (due_read) {
            must_opros_102.resize(static_cast<size_t>(TagSignalList2.FCount()) + 1, false);
            for (int j = 0; j < TagSignalList2.FCount(); ++j) {
                const TTagSignal* s = TagSignalList2.GetTag(j);
                if (s != nullptr && s->FKPAddress == dev.KPAddress2) must_opros_102[static_cast<size_t>(j)] = true;
            }
            due_read = false;
            date_time_Opros_102[slot] = now;
        }

        // 10. At most one application command per checked exchange.
        if (good && i > 1) {
            if (i == 40 || due_gi) {
                CreateAsduGI(dev, t_asdu[slot]);
                t_asduBuf[slot].Put(t_asdu[slot]);
                due_gi = false;
                dev.gi_wanted = false;
                dev.gi_running = true;
                log_.Lazy([&] { return log_.TimeOfDay() + " Опрос КП "; });
                date_time_Opros_asdu[slot] = now;
            } else if (due_ci) {
                CreateAsduCI(dev, t_asdu[slot]);
                t_asduBuf[slot].Put(t_asdu[slot]);
                due_ci = false;
                log_.Lazy([&] { return log_.TimeOfDay() + " Опрос счетчиков "; });
                date_time_Opros_counters_101[slot] = now;
            } else if (dev.Interval_opros_address_102 > 0 && !must_opros_102.empty()) {
                for (int j = 0; j < TagSignalList2.FCount() && static_cast<size_t>(j) < must_opros_102.size(); ++j) {
                    const TTagSignal* s = TagSignalList2.GetTag(j);
                    if (s == nullptr || s->FKPAddress != dev.KPAddress2 || !must_opros_102[static_cast<size_t>(j)]) continue;
                    if (Step_opros_102[slot] > 5) {
                        dev.Adddres_obj_102 = s->FObjAddress;
                        CreateAsduRead(dev, s->FObjAddress, t_asdu[slot], s->FAsduAddress);
                        t_asduBuf[slot].Put(t_asdu[slot]);
                        log_.Lazy([&] {
                            return log_.TimeOfDay() + " Опрос адреса " + std::to_string(s->FAsduAddress) + "," +
                                   std::to_string(s->FObjAddress);
                        });
                        must_opros_102[static_cast<size_t>(j)] = false;
                        Step_opros_102[slot] = 0;
                    } else {
                        ++Step_opros_102[slot];
                    }
                    break;
                }
            }
        }

        // 11. Telecontrol: supervision, execute, select.
        TelecontrolSteps(n, dev, good, now);

        // 12. The frame for the next exchange.
        link.Work(dev, r_asduBuf[slot], dev.First_opros, t_asduBuf[slot]);

        // 13. Decoding.
        AsduPtr got;
        if (r_asduBuf[slot].Get(got)) {
            r_asdu[slot] = got;
            if (good && got) {
                ReceiveRaspak(*got, dev, Number_of_Thread, TagSignalList2, now, &asdu_counters_, stamp.bias_minutes);
            }
            end_early = false;
        }

        // 14.
        if (!good) log_.Lazy([&] { return log_.Time() + " Error - " + BytesToHex(sr); });
        // 15.
        if (dev.opros_na_ustr < 1) dev.opros_na_ustr = 10;

        if (Terminated() || dev.opros_na_ustr < i || end_early || Alarms_[slot]) break;
    }
    log_.Lazy([&] { return log_.Time() + " Stop polling dev " + dev.Name; });
}

void TOpros_device::CountUnanswered(int n, TIecDevice& dev) {
    const auto slot = static_cast<size_t>(n);
    TIEC101& link = *iec101[slot];
    if (Kol_Null_otvets[slot] < INT_MAX) ++Kol_Null_otvets[slot];
    Alarms_[slot] = true;
    if (Kol_Null_otvets[slot] > 10) {
        dev.flASDU2 = 0;
        dev.gi_running = false;
        link.fl101 = fl_Run;  // start again with the reset of the remote link
        link.dfc = false;
    }
}

void TOpros_device::TelecontrolSteps(int n, TIecDevice& dev, bool checked, DateTime now) {
    const auto slot = static_cast<size_t>(n);
    TIEC101& link = *iec101[slot];
    link.WithTU([&](TuState& tu) {
        const auto addresses = [&] { return std::to_string(tu.Asdu_Adr_TU) + "," + std::to_string(tu.Obj_addr_TU); };
        if (tu.fresh) {
            // A new command starts clean: how the one before it ended (unconfirmed, refused, timed out) does not
            // hold it up.
            tu.fresh = false;
            dev.error_tu = false;
            dev.select_get = false;
        }
        const bool direct = tu.Type_TU_45_46 == 1 || tu.Type_TU_45_46 == 3;
        if (direct) dev.select_get = true;
        // Supervision first: a command ends 20 s after it was armed, confirmed or not, and what of it has not
        // reached the station by then never does.
        if (tu.Asdu_Adr_TU != 0 && now - tu.dt_TU > kCommandLifetime) {
            log_.Lazy([&] { return log_.TimeOfDay() + " Таймаут ТУ " + addresses(); });
            tu.exec_tu = false;
            tu.select_tu = false;
            tu.queued = false;
            tu.Asdu_Adr_TU = 0;
            tu.Obj_addr_TU = 0;
            dev.select_get = false;
            link.DropUnsentCommand();
            return;
        }
        const bool armed = tu.Asdu_Adr_TU != 0 && tu.Obj_addr_TU != 0 && !tu.queued;
        // Execute.
        if (checked && armed && !tu.select_tu && tu.exec_tu && dev.select_get) {
            dev.tek_type_tu_t = tu.Type_TU_45_46;
            if (dev.error_tu) {
                log_.Lazy([&] { return log_.TimeOfDay() + " Ошибка ТУ " + addresses(); });
                tu.exec_tu = false;
                tu.Asdu_Adr_TU = 0;
                tu.Obj_addr_TU = 0;
                dev.select_get = false;
            } else {
                log_.Lazy([&] { return log_.TimeOfDay() + " Exec ТУ " + addresses(); });
                CreateAsduTU(dev, t_asdu[slot]);
                tu.queued = t_asduBuf[slot].Put(t_asdu[slot]);
            }
        }
        // Select.
        if (checked && armed && tu.select_tu) {
            dev.tek_type_tu_t = tu.Type_TU_45_46;
            dev.select_get = false;
            CreateAsduTU(dev, t_asdu[slot]);
            tu.queued = t_asduBuf[slot].Put(t_asdu[slot]);
            log_.Lazy([&] { return log_.TimeOfDay() + " Иниц ТУ " + addresses(); });
        }
    });
}

}  // namespace iec
