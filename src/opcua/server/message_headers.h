// The header every service request starts with and every response carries.
#pragma once

#include <cstdint>

#include "opcua/server/codec.h"

namespace iec::ua {

struct RequestHeader {
    NodeId authentication_token;
    UaDateTime timestamp = 0;
    uint32_t request_handle = 0;
    uint32_t return_diagnostics = 0;
    uint32_t timeout_hint = 0;
};

RequestHeader ReadRequestHeader(BinaryReader& r);
void WriteResponseHeader(BinaryWriter& w, UaDateTime now, uint32_t request_handle, StatusCode result);

// A complete response body: encoding id, header and the service's fields.
std::vector<uint8_t> EncodeServiceFault(UaDateTime now, uint32_t request_handle, StatusCode result);

}  // namespace iec::ua
