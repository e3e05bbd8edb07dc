// How points of one type are put into ASDUs: as many as the frame length allows, with one address per object
// (SQ = 0), or, where asked, runs of consecutive addresses as one address and a sequence of elements (SQ = 1).
#pragma once

#include <cstdint>
#include <vector>

#include "sim101/asdu.h"
#include "sim101/point.h"

namespace iec::sim {

// Appends to out the ASDUs that carry the points, each reported as `type` (the points' own type or its untimed
// form). header gives cause, originator and common address; its type and qualifier are filled in here.
// sequence: use SQ = 1 for runs of two or more consecutive addresses; only types without time tag are sent so,
// since a time tag belongs to each element and masters disagree on how a sequence carries them.
// time_fault spoils the time tags as a test asks.
void PackPoints(const TypeInfo& type, const std::vector<const Point*>& points, AsduHeader header,
                const FieldWidths& widths, bool sequence, std::vector<std::vector<uint8_t>>& out,
                TimeTagFault time_fault = TimeTagFault::None);

}  // namespace iec::sim
