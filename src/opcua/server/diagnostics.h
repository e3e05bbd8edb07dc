// The server's rejection counters and current counts as read-only variables (ns=1;s=Diagnostics.<name>) in a
// folder under the Server object, so that a misbehaving client can be diagnosed in the field with any client.
#pragma once

#include <optional>

#include "opcua/server/address_space.h"
#include "opcua/server/server_state.h"

namespace iec::ua {

void AddDiagnosticsNodes(AddressSpace& space);
// The value of a diagnostics variable; nullopt for any other node.
std::optional<Variant> DiagnosticsValue(const ServerState& server, const NodeId& node);

}  // namespace iec::ua
