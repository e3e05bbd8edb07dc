#include "opcua/server/server_state.h"

#include <algorithm>

namespace iec::ua {

Session* ServerState::FindSession(const NodeId& authentication_token) {
    for (auto& s : sessions) {
        if (s->authentication_token == authentication_token) return s.get();
    }
    return nullptr;
}

SecureChannel* ServerState::FindChannel(uint32_t id) {
    auto it = channels.find(id);
    return it == channels.end() ? nullptr : it->second.get();
}

void ServerState::RemoveSession(Session* s) {
    for (const auto& [id, sub] : s->subscriptions) {
        monitored_item_count -= std::min(monitored_item_count, sub->items().size());
    }
    subscription_count -= std::min(subscription_count, s->subscriptions.size());
    sessions.erase(std::remove_if(sessions.begin(), sessions.end(), [&](const auto& p) { return p.get() == s; }),
                   sessions.end());
}

}  // namespace iec::ua
