// Sessions: who is logged in on which channel, their queued Publish requests, subscriptions and browse
// continuation points.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "opcua/server/subscription.h"
#include "opcua/server/types.h"

namespace iec::ua {

struct PendingPublish {
    uint32_t channel_id = 0;
    uint32_t request_id = 0;
    uint32_t request_handle = 0;
    int64_t received_ms = 0;
    uint32_t timeout_hint_ms = 0;
    std::vector<StatusCode> ack_results;
};

struct BrowseContinuation {
    std::vector<uint8_t> references;  // encoded ReferenceDescriptions not yet returned, one per entry below
    std::vector<size_t> offsets;      // start of each encoded reference in `references`
    size_t next = 0;
    uint32_t max_per_call = 0;
};

struct Session {
    NodeId session_id;
    NodeId authentication_token;
    uint32_t channel_id = 0;
    bool activated = false;
    std::string name;
    double timeout_ms = 0;
    int64_t last_activity_ms = 0;
    std::deque<PendingPublish> publish_queue;
    std::map<uint32_t, std::unique_ptr<Subscription>> subscriptions;
    std::map<std::string, BrowseContinuation> continuations;
};

}  // namespace iec::ua
