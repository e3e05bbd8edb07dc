#include "server/publication.h"

#include "iec101/polling_thread.h"
#include "platform/number_text.h"

namespace iec {
namespace {

void AppendChangeLine(Runtime& rt, int tag, double value, int quality, DateTime time, const std::string& name) {
    std::lock_guard lock(rt.Rezerv_Send_Buf_mutex);
    rt.Rezerv_Send_Buf += std::to_string(tag) + "," + FormatReal(value) + "," + std::to_string(quality) + "," +
                          time.FormatDisplay() + "," + name + "\r\n";
}

// The reserve publishes nothing while its main works, nor until 70 s after the main's last good data.
bool GateClosed(const Runtime& rt, DateTime now) {
    const RedundancyState& r = rt.redundancy;
    if (!r.IsReserve()) return false;
    if (r.Main_server_is_Work) return true;
    return now - DateTime(r.LastGoodFromMain.load()) < 70 * DateTime::kOneSecond;
}

}  // namespace

int OpcQuality(uint8_t q) {
    if (q & 0x80) return 0;
    if (q & 0x40) return 20;
    if (q & 0x20) return 216;
    if (q & 0x10) return 28;
    return 192;
}

DateTime PublishedStamp(const T_KP& kp, DateTime t, DateTime now) {
    if (!kp.Time_To_OPC) return now;
    const DateTime shifted = t + kp.Popravka_Time * DateTime::kOneHour;
    if (t.days() > 0 && shifted > now - 3 * DateTime::kOneHour && shifted < now + 3 * DateTime::kOneHour) {
        return shifted;
    }
    return now;
}

void Out_Tags_To_OPC(Runtime& rt) {
    const LocalNow clock = rt.clock.NowWithBias();
    const DateTime now = clock.local;
    if (GateClosed(rt, now)) return;
    std::vector<std::shared_ptr<TOpros_device>> threads;
    {
        std::lock_guard lock(rt.threads_mutex);
        threads = rt.Threads_arr;
    }
    StationTable& st = rt.stations;
    const bool reserve_lines = rt.redundancy.Use_Reserv;
    const bool ua = rt.opc_ua.OPC_UA_use && rt.OPC_UA_Started && rt.opc_ua_server;
    std::vector<UaUpdate> updates;

    std::vector<char> link_down(static_cast<size_t>(st.Kol_KP) + 1, 0);
    rt.tags.Write([&](std::vector<TIndent>& tags, std::vector<double>& values, int&) {
        auto slot_ok = [&](int e) { return e >= 1 && e <= kMaxTags; };
        // The link state of every station, once per pass (also for a station without status signals).
        for (int i = 1; i <= st.Kol_KP; ++i) {
            T_KP& kp = *st.Station(i);
            const int th = kp.Nomer_Thread_;
            const bool alarm = th >= 1 && th < static_cast<int>(threads.size()) && threads[static_cast<size_t>(th)]
                                   ? threads[static_cast<size_t>(th)]->Alarms(kp.NomerPC_in_Thread)
                                   : true;
            kp.Connected = !alarm;
            link_down[static_cast<size_t>(i)] = alarm;
            const int c = kp.Nom_OPC_Alarm;
            if (!slot_ok(c)) continue;
            const double v = kp.Connected ? 1.0 : 0.0;
            const bool changed = values[static_cast<size_t>(c)] != v;
            TIndent& tc = tags[static_cast<size_t>(c)];
            tc.Quality = 192;
            tc.in_work = true;
            values[static_cast<size_t>(c)] = v;
            if (reserve_lines && changed) AppendChangeLine(rt, c, v, 192, now, tc.Name);
            if (ua) updates.push_back({c, UaUpdate::Kind::Link, v, 0, now, clock.bias_minutes, false});
        }

        // Every signal once: a station's signals stand together in its thread's list, in configuration order.
        std::vector<int> ts(static_cast<size_t>(st.Kol_KP) + 1, -1), tit(static_cast<size_t>(st.Kol_KP) + 1, -1);
        for (size_t a = 1; a < threads.size(); ++a) {
            if (!threads[a]) continue;
            TTagSignalList& list = threads[a]->TagSignalList2;
            for (int j = 0; j < list.FCount(); ++j) {
                TTagSignal* g = list.GetTag(j);
                const TArmRec* r = g ? rt.ArmSignals->GetRec(g->FIndArm) : nullptr;
                if (r == nullptr) continue;
                const int i = r->FsstID - 1000;
                if (i < 1 || i > st.Kol_KP) continue;
                const T_KP& kp = *st.Station(i);
                const ArmValue av = g->GetArmValue();
                int e;
                double x;
                UaUpdate::Kind kind = UaUpdate::Kind::Status;
                if (r->Fst == stTS) {
                    e = kp.Nom_OPC_TS + ++ts[static_cast<size_t>(i)];
                    x = av.value;
                } else if (r->Fst == stTIT) {
                    e = kp.Nom_OPC_TI + ++tit[static_cast<size_t>(i)];
                    x = kp.PereschetTI ? r->RawToEng(av.real) : av.real;
                    kind = UaUpdate::Kind::Measured;
                } else {
                    continue;
                }
                if (!slot_ok(e)) continue;
                TIndent& t = tags[static_cast<size_t>(e)];
                bool changed = reserve_lines && x != values[static_cast<size_t>(e)];
                const int old_quality = t.Quality;
                values[static_cast<size_t>(e)] = x;
                t.in_work = true;
                // While the station's link is down its values are the last ones received, not current ones: they
                // keep their own time stamp and say so in their quality. A value never received stays bad.
                const bool lost = link_down[static_cast<size_t>(i)] && av.quality != kNoQuality;
                t.Quality = lost ? kOpcQualityLinkLost : OpcQuality(av.quality);
                if (!lost || t.Stamp_DateTime.days() == 0) {
                    const DateTime tag_time = av.hasTime ? av.time : DateTime();
                    t.Stamp_DateTime = PublishedStamp(kp, tag_time, now);
                    if (t.Stamp_DateTime == now) {
                        t.Stamp_Bias = clock.bias_minutes;
                    } else if (kp.Popravka_Time == 0) {
                        t.Stamp_Bias = ResolveBias(t.Stamp_DateTime, av.timeBias);
                    } else {
                        // Shifted into this computer's local time: the bias in force then.
                        t.Stamp_Bias = LocalToUtcBiasMinutes(t.Stamp_DateTime);
                    }
                }
                if (t.Quality != old_quality) changed = true;
                if (reserve_lines && changed) AppendChangeLine(rt, e, x, t.Quality, t.Stamp_DateTime, t.Name);
                if (ua) updates.push_back({e, kind, x, av.quality, t.Stamp_DateTime, t.Stamp_Bias, lost});
            }
        }
    });
    // The OPC UA server gets the pass's values after the table is released: its calls never hold up readers.
    if (ua) rt.opc_ua_server->Publish(updates, clock);
}

}  // namespace iec
