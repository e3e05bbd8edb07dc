// Octets from a master into a line of simulated stations: the frame assembler, the secondary link and the
// application must take anything, and every answer must still be a well-formed frame.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "sim101/frame.h"
#include "sim101/line.h"
#include "sim101/point_entry.h"

namespace {

using namespace iec::sim;

void Check(bool ok) {
    if (!ok) std::abort();
}

// An answer is 0xE5, or a fixed or variable frame whose length, start, end and checksum agree.
void CheckAnswer(const std::vector<uint8_t>& f, int link_octets) {
    if (f.size() == 1) {
        Check(f[0] == kSingleCharAck);
        return;
    }
    if (f.size() == 6 && f[0] == 0xFF) return;  // the garbage fault is never switched on here, but is allowed
    Check(f.size() <= kMaxFrameOctets && f.size() >= static_cast<size_t>(4 + link_octets));
    Check(f.back() == kEnd);
    if (f[0] == kStartFixed) {
        Check(f.size() == static_cast<size_t>(4 + link_octets));
        Check(f[f.size() - 2] == Checksum(std::span(f).subspan(1, f.size() - 3)));
        return;
    }
    Check(f[0] == kStartVariable && f[3] == kStartVariable && f[1] == f[2]);
    Check(f.size() == static_cast<size_t>(f[1]) + 6);
    Check(f[f.size() - 2] == Checksum(std::span(f).subspan(4, f.size() - 6)));
    Check((f[4] & kPrm) == 0);
}

LineConfig MakeConfig(uint8_t selector) {
    LineConfig c;
    c.widths.link = 1 + (selector & 1);
    c.widths.cause = 1 + ((selector >> 1) & 1);
    c.widths.common = 1 + ((selector >> 2) & 1);
    c.widths.object = 1 + ((selector >> 3) & 3) % 3;
    c.application.sequence = (selector & 0x20) != 0;
    c.link.single_char = (selector & 0x40) != 0;
    c.application.interrogation_with_time = (selector & 0x80) != 0;
    c.application.spontaneous_per_second = 5;
    c.application.class1_capacity = 64;
    c.application.cyclic_ms = 200;
    c.frame_gap_ms = 100;
    for (uint32_t link : {1u, 2u}) {
        StationConfig s;
        s.link_address = link;
        s.common_address = link;
        for (const char* entry : {"M_SP_TB:1-3=1", "M_DP_TA:4=on", "M_ST_NA:5=-2,t", "M_BO_TB:6=0xFFFF",
                                 "M_ME_TD:7=0.5", "M_ME_ND:8=-1", "M_ME_TE:9=-300", "M_ME_TF:10=1e6",
                                 "M_IT_TB:11=5", "C_SC_NA:20>1,sbo", "C_DC_NA:21>4", "C_SC_NA:22,refuse"}) {
            AddPointEntry(entry, s);
        }
        c.stations.push_back(std::move(s));
    }
    return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const LineConfig config = MakeConfig(data[0]);
    Line line(config);
    SimTime now{0, iec::DateTime(45000.5)};
    // The rest is a series of reads: a length octet (its top bits also advance the time) and that many octets.
    size_t i = 1;
    while (i < size) {
        const uint8_t head = data[i++];
        const size_t n = std::min<size_t>(head & 0x3F, size - i);
        now.ms += (head >> 6) * 60;
        now.wall = now.wall + static_cast<double>((head >> 6) * 60) * iec::DateTime::kOneMs;
        line.Tick(now);
        LineOutput out;
        line.Receive(std::span<const uint8_t>(data + i, n), now, out);
        for (const auto& t : out.transmissions) CheckAnswer(t.octets, config.widths.link);
        i += n;
    }
    return 0;
}
