// The subscription engine of a session: runs the timers with the `now` it is given, samples items, and answers
// queued Publish requests with notifications, keep-alives or the final status change of an expired
// subscription.
#pragma once

#include "opcua/server/now.h"
#include "opcua/server/server_state.h"

namespace iec::ua {

// Answers as many queued Publish requests as the session's subscriptions have messages for.
void ServeSession(ServerState& server, Session& session, const Now& now);
// Everything time-driven for all sessions: publish time-outs, sampling, publishing timers, session time-outs.
void TickSessions(ServerState& server, const Now& now);
// Removes a subscription and its items from the server's counts.
void DeleteSubscription(ServerState& server, Session& session, uint32_t subscription_id);

}  // namespace iec::ua
