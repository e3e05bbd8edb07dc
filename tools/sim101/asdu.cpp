#include "sim101/asdu.h"

namespace iec::sim {

bool ReadAsduHeader(ByteReader& r, const FieldWidths& w, AsduHeader& out) {
    AsduHeader h;
    uint32_t common = 0;
    if (!r.ReadU8(h.type) || !r.ReadU8(h.qualifier) || !r.ReadU8(h.cause)) return false;
    if (w.cause == 2 && !r.ReadU8(h.originator)) return false;
    if (!r.ReadLe(w.common, common)) return false;
    h.common = common;
    out = h;
    return true;
}

void AppendLe(std::vector<uint8_t>& out, uint32_t value, int octets) {
    for (int i = 0; i < octets; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void AppendAsduHeader(std::vector<uint8_t>& out, const FieldWidths& w, const AsduHeader& h) {
    out.push_back(h.type);
    out.push_back(h.qualifier);
    out.push_back(h.cause);
    if (w.cause == 2) out.push_back(h.originator);
    AppendLe(out, h.common, w.common);
}

}  // namespace iec::sim
