#include "sim101/field_widths.h"

namespace iec::sim {

std::string ValidateWidths(const FieldWidths& w) {
    if (w.link < 1 || w.link > 2) return "link address size must be 1 or 2";
    if (w.cause < 1 || w.cause > 2) return "cause of transmission size must be 1 or 2";
    if (w.common < 1 || w.common > 2) return "common address size must be 1 or 2";
    if (w.object < 1 || w.object > 3) return "information object address size must be 1, 2 or 3";
    return {};
}

}  // namespace iec::sim
