// The standard nodes of namespace 0 that clients browse and read, as plain data.
#pragma once

#include <cstdint>
#include <vector>

namespace iec::ua {

struct Ns0Node {
    uint32_t id;
    uint32_t node_class;
    const char* browse_name;
    const char* display_name;
    uint32_t data_type;  // variables and variable types
    int32_t value_rank;
    bool is_abstract;
    bool symmetric;
    const char* inverse_name;
    uint8_t event_notifier;
    bool has_int_value;  // a constant Int32 value given by the node set
    int32_t int_value;
};

// A forward reference source --type--> target; the inverse direction is derived.
struct Ns0Reference {
    uint32_t source;
    uint32_t type;
    uint32_t target;
};

const std::vector<Ns0Node>& Ns0Nodes();
const std::vector<Ns0Reference>& Ns0References();

}  // namespace iec::ua
