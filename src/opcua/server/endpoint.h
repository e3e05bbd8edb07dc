// The description of our one endpoint, shared by GetEndpoints, FindServers and CreateSession (clients compare
// the lists they get from these).
#pragma once

#include <string>

#include "opcua/server/binary_writer.h"
#include "opcua/server/server_config.h"

namespace iec::ua {

struct ServiceContext;

void WriteApplicationDescription(BinaryWriter& w, const ServerConfig& config, const std::string& url);
void WriteEndpointDescription(BinaryWriter& w, const ServerConfig& config, const std::string& url);
// The URL to report: the one the client asked about, else the one of its Hello.
std::string EndpointUrlFor(const ServiceContext& ctx, const std::string& requested);

}  // namespace iec::ua
