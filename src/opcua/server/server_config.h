// Everything that bounds the server: buffer sizes, counts per session and per call, and the identity it shows.
// Defaults are what a substation server with one or two SCADA clients and tens of thousands of points needs.
#pragma once

#include <cstdint>
#include <string>

#include "opcua/server/secure_channel.h"

namespace iec::ua {

struct ServerConfig {
    ChannelLimits channel;
    uint32_t max_channels = 32;
    uint32_t max_sessions = 16;
    uint32_t max_subscriptions = 64;            // over all sessions
    uint32_t max_monitored_items = 200000;      // over all subscriptions
    uint32_t max_publish_requests_per_session = 32;
    uint32_t max_nodes_per_call = 20000;        // Read, Write, Browse, TranslateBrowsePaths, Register
    uint32_t max_monitored_items_per_call = 20000;
    uint32_t max_references_per_node = 1000;    // a Browse result beyond this gets a continuation point
    uint32_t max_continuation_points = 16;      // per session
    uint32_t max_notifications_per_publish = 10000;
    uint32_t max_retransmission_queue = 16;     // notification messages kept per subscription for Republish
    uint32_t max_queue_size = 100;              // per monitored item
    double min_publishing_interval_ms = 50;
    double min_sampling_interval_ms = 50;
    double min_session_timeout_ms = 10000;
    double max_session_timeout_ms = 3600000;

    bool password_login = false;
    std::string user_name;
    std::string password;

    std::string application_uri = "urn:iec101opc:opc_ua3";
    std::string product_uri = "urn:iec101opc";
    std::string application_name = "iec101opc OPC UA server";
    std::string software_version = "1.0";
};

}  // namespace iec::ua
