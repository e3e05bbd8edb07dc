// Service handlers. Each decodes its request fields from the reader (the request header is already read) and
// writes its response fields (after the response header) to the writer; a bad return value turns the response
// into a ServiceFault with that result.
#pragma once

#include <cstdint>

#include "opcua/server/binary_reader.h"
#include "opcua/server/binary_writer.h"
#include "opcua/server/message_headers.h"
#include "opcua/server/now.h"
#include "opcua/server/server_state.h"

namespace iec::ua {

struct ServiceContext {
    ServerState& server;
    SecureChannel& channel;
    Session* session;  // set for services that need one
    const RequestHeader& header;
    Now now;
    uint32_t request_id;
    bool deferred = false;  // the handler keeps the request and answers later (Publish)
};

using ServiceHandler = StatusCode (*)(ServiceContext& ctx, BinaryReader& request, BinaryWriter& response);

enum class SessionNeed : uint8_t { None, Created, Activated };

struct ServiceEntry {
    uint32_t request_type;
    uint32_t response_type;
    ServiceHandler handler;
    SessionNeed session;
};

// The one table of the services this server offers; nullptr for any other request type.
const ServiceEntry* FindService(uint32_t request_type);

StatusCode GetEndpoints(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode FindServers(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode CreateSession(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode ActivateSession(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode CloseSession(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode Browse(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode BrowseNext(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode TranslateBrowsePaths(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode RegisterNodes(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode UnregisterNodes(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode Read(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode Write(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode CreateSubscription(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode ModifySubscription(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode SetPublishingMode(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode Publish(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode Republish(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode DeleteSubscriptions(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode CreateMonitoredItems(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode ModifyMonitoredItems(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode SetMonitoringMode(ServiceContext&, BinaryReader&, BinaryWriter&);
StatusCode DeleteMonitoredItems(ServiceContext&, BinaryReader&, BinaryWriter&);

// Shared by the handlers: the count of an operation array, checked against a limit (BadNothingToDo when empty,
// BadTooManyOperations above the limit, BadDecodingError when the reader failed).
StatusCode CheckOperationCount(BinaryReader& r, size_t count, size_t limit);

}  // namespace iec::ua
