#include "sim101/frame.h"

#include "sim101/byte_reader.h"

namespace iec::sim {

FrameAssembler::FrameAssembler(int link_octets, int64_t gap_ms) : link_octets_(link_octets), gap_ms_(gap_ms) {
    buffer_.reserve(kMaxFrameOctets);
}

uint8_t Checksum(std::span<const uint8_t> octets) {
    uint8_t sum = 0;
    for (uint8_t b : octets) sum = static_cast<uint8_t>(sum + b);
    return sum;
}

void FrameAssembler::Feed(std::span<const uint8_t> octets, int64_t now_ms, std::vector<PrimaryFrame>& out) {
    if (octets.empty()) return;
    if (gap_ms_ > 0 && !buffer_.empty() && now_ms - last_octet_ms_ > gap_ms_) {
        ++counters_.broken_by_gap;
        buffer_.clear();
    }
    last_octet_ms_ = now_ms;
    for (uint8_t b : octets) {
        buffer_.push_back(b);
        // The buffer is examined after every octet, so it never holds more than one frame's worth.
        while (Step(out)) {
        }
    }
}

void FrameAssembler::Drop(size_t n) {
    if (n > buffer_.size()) n = buffer_.size();
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(n));
}

bool FrameAssembler::Step(std::vector<PrimaryFrame>& out) {
    if (buffer_.empty()) return false;
    const uint8_t start = buffer_[0];
    if (start != kStartFixed && start != kStartVariable) {
        ++counters_.skipped_octets;
        Drop(1);
        return true;
    }
    const size_t addr = static_cast<size_t>(link_octets_);
    size_t total = 0;
    size_t body_begin = 0;
    if (start == kStartFixed) {
        total = 1 + 1 + addr + 2;
        body_begin = 1;
    } else {
        if (buffer_.size() < 4) return false;
        const uint8_t len = buffer_[1];
        if (buffer_[2] != len || buffer_[3] != kStartVariable || len < 1 + addr) {
            // Resynchronise one octet further: the next start octet may lie inside what we took for a header.
            ++counters_.bad_header;
            ++counters_.skipped_octets;
            Drop(1);
            return true;
        }
        total = static_cast<size_t>(len) + 6;
        body_begin = 4;
    }
    if (buffer_.size() < total) return false;

    const std::span<const uint8_t> frame(buffer_.data(), total);
    const std::span<const uint8_t> body = frame.subspan(body_begin, total - body_begin - 2);
    if (frame[total - 1] != kEnd) {
        ++counters_.bad_end;
        ++counters_.skipped_octets;
        Drop(1);
        return true;
    }
    if (frame[total - 2] != Checksum(body)) {
        ++counters_.bad_checksum;
        ++counters_.skipped_octets;
        Drop(1);
        return true;
    }

    ByteReader reader(body);
    PrimaryFrame f;
    uint32_t address = 0;
    // Both reads fit: the header check above guarantees control and address inside the body.
    if (!reader.ReadU8(f.control) || !reader.ReadLe(link_octets_, address)) {
        ++counters_.bad_header;
        Drop(total);
        return true;
    }
    f.address = address;
    f.variable = start == kStartVariable;
    if (f.variable) {
        const auto rest = reader.Rest();
        f.user_data.assign(rest.begin(), rest.end());
    }
    Drop(total);
    if ((f.control & kPrm) == 0) {
        ++counters_.secondary_frames;
        return true;
    }
    ++counters_.frames;
    out.push_back(std::move(f));
    return true;
}

namespace {

void AppendAddress(std::vector<uint8_t>& out, uint32_t address, int link_octets) {
    for (int i = 0; i < link_octets; ++i) out.push_back(static_cast<uint8_t>(address >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> BuildFixedFrame(uint8_t control, uint32_t address, int link_octets) {
    std::vector<uint8_t> f{kStartFixed, control};
    AppendAddress(f, address, link_octets);
    f.push_back(Checksum(std::span<const uint8_t>(f).subspan(1)));
    f.push_back(kEnd);
    return f;
}

std::vector<uint8_t> BuildVariableFrame(uint8_t control, uint32_t address, int link_octets,
                                        std::span<const uint8_t> asdu) {
    const size_t len = 1 + static_cast<size_t>(link_octets) + asdu.size();
    std::vector<uint8_t> f{kStartVariable, static_cast<uint8_t>(len), static_cast<uint8_t>(len), kStartVariable,
                           control};
    AppendAddress(f, address, link_octets);
    f.insert(f.end(), asdu.begin(), asdu.end());
    f.push_back(Checksum(std::span<const uint8_t>(f).subspan(4)));
    f.push_back(kEnd);
    return f;
}

}  // namespace iec::sim
