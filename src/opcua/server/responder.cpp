#include "opcua/server/responder.h"

#include "opcua/server/message_headers.h"
#include "opcua/server/status_codes.h"

namespace iec::ua {

void SendServiceFault(SecureChannel& channel, uint32_t request_id, uint32_t request_handle, StatusCode result,
                      UaDateTime now, ServerCounters& counters) {
    ++counters.service_faults;
    channel.Send(request_id, EncodeServiceFault(now, request_handle, result));
}

void SendServiceResponse(SecureChannel& channel, uint32_t request_id, uint32_t response_type,
                         uint32_t request_handle, const std::vector<uint8_t>& fields, UaDateTime now,
                         ServerCounters& counters) {
    BinaryWriter w;
    WriteNodeId(w, NodeId::Numeric(0, response_type));
    WriteResponseHeader(w, now, request_handle, 0);
    w.Bytes(fields);
    if (!channel.Send(request_id, w.data())) {
        ++counters.responses_too_large;
        SendServiceFault(channel, request_id, request_handle, kBadResponseTooLarge, now, counters);
    }
}

}  // namespace iec::ua
