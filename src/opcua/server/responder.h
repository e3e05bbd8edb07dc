// Puts a complete service response (or a ServiceFault) on a channel.
#pragma once

#include <cstdint>
#include <vector>

#include "opcua/server/secure_channel.h"
#include "opcua/server/server_state.h"

namespace iec::ua {

void SendServiceFault(SecureChannel& channel, uint32_t request_id, uint32_t request_handle, StatusCode result,
                      UaDateTime now, ServerCounters& counters);
// fields: the response's own fields, after the response header. A response beyond the peer's limits becomes a
// ServiceFault BadResponseTooLarge.
void SendServiceResponse(SecureChannel& channel, uint32_t request_id, uint32_t response_type,
                         uint32_t request_handle, const std::vector<uint8_t>& fields, UaDateTime now,
                         ServerCounters& counters);

}  // namespace iec::ua
