// The state the services share: configuration, address space, tag values, channels and sessions. Owned by
// UaServer and touched only from the server thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "opcua/server/address_space.h"
#include "opcua/server/random_source.h"
#include "opcua/server/secure_channel.h"
#include "opcua/server/server_config.h"
#include "opcua/server/session.h"
#include "opcua/server/tag_store.h"

namespace iec::ua {

// Called after a client wrote one of our variables, with the variable number.
using WriteCallback = std::function<void(int32_t variable_number)>;

struct ServerCounters {
    uint64_t requests = 0;
    uint64_t service_faults = 0;
    uint64_t unsupported_services = 0;
    uint64_t undecodable_requests = 0;
    uint64_t connections_refused = 0;
    uint64_t sessions_refused = 0;
    uint64_t identity_rejected = 0;
    uint64_t responses_too_large = 0;
};

struct ServerState {
    ServerState(const ServerConfig& c, const AddressSpace& a, TagStore& t, RandomSource& r, WriteCallback w)
        : config(c), space(a), tags(t), random(r), on_write(std::move(w)) {}

    ServerConfig config;
    const AddressSpace& space;
    TagStore& tags;
    RandomSource& random;
    WriteCallback on_write;
    UaDateTime start_time = 0;

    std::map<uint32_t, std::unique_ptr<SecureChannel>> channels;
    std::vector<std::unique_ptr<Session>> sessions;
    uint32_t next_channel_id = 1;
    uint32_t next_subscription_id = 1;
    uint32_t next_monitored_item_id = 1;
    uint32_t next_session_number = 1;
    size_t subscription_count = 0;
    size_t monitored_item_count = 0;

    ServerCounters counters;
    ChannelCounters channel_counters;

    Session* FindSession(const NodeId& authentication_token);
    SecureChannel* FindChannel(uint32_t id);
    void RemoveSession(Session* s);
};

}  // namespace iec::ua
