#include "sim101/packing.h"

#include <algorithm>

#include "sim101/frame.h"

namespace iec::sim {
namespace {

void AppendObject(const TypeInfo& type, const Point& p, std::vector<uint8_t>& asdu, TimeTagFault fault) {
    Point shown = p;
    shown.type = &type;
    AppendElement(shown, asdu);
    if (type.time_octets > 0) AppendTimeTag(p.changed, type.time_octets, asdu, fault);
}

void PackSeparate(const TypeInfo& type, const std::vector<const Point*>& list, AsduHeader header,
                  const FieldWidths& w, std::vector<std::vector<uint8_t>>& out, TimeTagFault fault) {
    const size_t room = MaxAsduOctets(w.link) - HeaderOctets(w);
    const size_t per_object = static_cast<size_t>(w.object) + type.element_octets + type.time_octets;
    const size_t fit = std::min<size_t>(127, room / per_object);
    for (size_t first = 0; first < list.size(); first += fit) {
        const size_t n = std::min(fit, list.size() - first);
        header.qualifier = static_cast<uint8_t>(n);
        std::vector<uint8_t> asdu;
        AppendAsduHeader(asdu, w, header);
        for (size_t i = first; i < first + n; ++i) {
            AppendLe(asdu, list[i]->address, w.object);
            AppendObject(type, *list[i], asdu, fault);
        }
        out.push_back(std::move(asdu));
    }
}

void PackRun(const TypeInfo& type, const std::vector<const Point*>& run, AsduHeader header, const FieldWidths& w,
             std::vector<std::vector<uint8_t>>& out) {
    const size_t room = MaxAsduOctets(w.link) - HeaderOctets(w) - static_cast<size_t>(w.object);
    const size_t fit = std::min<size_t>(127, room / type.element_octets);
    for (size_t first = 0; first < run.size(); first += fit) {
        const size_t n = std::min(fit, run.size() - first);
        header.qualifier = static_cast<uint8_t>(0x80 | n);
        std::vector<uint8_t> asdu;
        AppendAsduHeader(asdu, w, header);
        AppendLe(asdu, run[first]->address, w.object);
        for (size_t i = first; i < first + n; ++i) AppendObject(type, *run[i], asdu, TimeTagFault::None);
        out.push_back(std::move(asdu));
    }
}

}  // namespace

void PackPoints(const TypeInfo& type, const std::vector<const Point*>& points, AsduHeader header,
                const FieldWidths& widths, bool sequence, std::vector<std::vector<uint8_t>>& out,
                TimeTagFault time_fault) {
    header.type = type.code;
    if (!sequence || type.time_octets > 0) {
        PackSeparate(type, points, header, widths, out, time_fault);
        return;
    }
    std::vector<const Point*> sorted = points;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Point* a, const Point* b) { return a->address < b->address; });
    std::vector<const Point*> singles;
    size_t i = 0;
    while (i < sorted.size()) {
        size_t j = i + 1;
        while (j < sorted.size() && sorted[j]->address == sorted[j - 1]->address + 1) ++j;
        if (j - i >= 2) {
            PackRun(type, std::vector<const Point*>(sorted.begin() + static_cast<std::ptrdiff_t>(i),
                                                    sorted.begin() + static_cast<std::ptrdiff_t>(j)),
                    header, widths, out);
        } else {
            singles.push_back(sorted[i]);
        }
        i = j;
    }
    if (!singles.empty()) PackSeparate(type, singles, header, widths, out, TimeTagFault::None);
}

}  // namespace iec::sim
