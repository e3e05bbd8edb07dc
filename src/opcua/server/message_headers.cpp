#include "opcua/server/message_headers.h"

#include "opcua/server/node_ids.h"

namespace iec::ua {

RequestHeader ReadRequestHeader(BinaryReader& r) {
    RequestHeader h;
    h.authentication_token = ReadNodeId(r);
    h.timestamp = r.I64();
    h.request_handle = r.U32();
    h.return_diagnostics = r.U32();
    r.String();  // audit entry id
    h.timeout_hint = r.U32();
    ReadExtensionObject(r);  // additional header
    return h;
}

void WriteResponseHeader(BinaryWriter& w, UaDateTime now, uint32_t request_handle, StatusCode result) {
    w.I64(now);
    w.U32(request_handle);
    w.U32(result);
    w.U8(0);      // no diagnostic info
    w.I32(0);     // empty string table
    w.U8(0);      // additional header: null NodeId ...
    w.U8(0);
    w.U8(0);      // ... with no body
}

std::vector<uint8_t> EncodeServiceFault(UaDateTime now, uint32_t request_handle, StatusCode result) {
    BinaryWriter w;
    WriteNodeId(w, NodeId::Numeric(0, id::kServiceFault));
    WriteResponseHeader(w, now, request_handle, result);
    return w.Take();
}

}  // namespace iec::ua
