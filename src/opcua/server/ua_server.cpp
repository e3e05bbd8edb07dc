#include "opcua/server/ua_server.h"

#include "opcua/server/publisher.h"
#include "opcua/server/responder.h"
#include "opcua/server/services.h"
#include "opcua/server/status_codes.h"

namespace iec::ua {

namespace {
constexpr uint32_t kActivateSessionRequest = 467;
}  // namespace

UaServer::UaServer(const ServerConfig& config, const AddressSpace& space, TagStore& tags, RandomSource& random,
                   WriteCallback on_write, const Now& start)
    : state_(config, space, tags, random, std::move(on_write)) {
    state_.start_time = start.utc;
}

uint32_t UaServer::Connect(const Now& now) {
    if (state_.channels.size() >= state_.config.max_channels) {
        ++state_.counters.connections_refused;
        return 0;
    }
    uint32_t id = state_.next_channel_id++;
    if (state_.next_channel_id == 0) state_.next_channel_id = 1;
    auto channel = std::make_unique<SecureChannel>(id, state_.config.channel, state_.channel_counters);
    channel->CheckTimeout(now);  // starts the handshake clock
    state_.channels.emplace(id, std::move(channel));
    return id;
}

void UaServer::Receive(uint32_t connection, std::span<const uint8_t> data, const Now& now) {
    SecureChannel* channel = state_.FindChannel(connection);
    if (!channel) return;
    std::vector<IncomingRequest> requests;
    channel->Receive(data, now, requests);
    for (IncomingRequest& request : requests) {
        if (channel->closed()) break;
        Dispatch(*channel, request, now);
    }
}

void UaServer::Dispatch(SecureChannel& channel, IncomingRequest& request, const Now& now) {
    ++state_.counters.requests;
    BinaryReader r(request.body);
    NodeId type = ReadNodeId(r);
    RequestHeader header = ReadRequestHeader(r);
    if (!r.ok()) {
        // Without a request header there is no handle to answer with: this channel goes, the others stay.
        ++state_.counters.undecodable_requests;
        channel.Abort(kBadDecodingError, "undecodable request header");
        return;
    }
    auto fault = [&](StatusCode result) {
        SendServiceFault(channel, request.request_id, header.request_handle, result, now.utc, state_.counters);
    };
    if (request.too_large) return fault(kBadRequestTooLarge);
    const ServiceEntry* entry =
        type.ns == 0 && type.kind == NodeId::Kind::Numeric ? FindService(type.numeric) : nullptr;
    if (!entry) {
        ++state_.counters.unsupported_services;
        return fault(kBadServiceUnsupported);
    }
    Session* session = nullptr;
    if (entry->session != SessionNeed::None) {
        session = state_.FindSession(header.authentication_token);
        if (!session) return fault(kBadSessionIdInvalid);
        // Only ActivateSession may move a session to another channel.
        if (session->channel_id != channel.id() && entry->request_type != kActivateSessionRequest) {
            return fault(kBadSecureChannelIdInvalid);
        }
        if (entry->session == SessionNeed::Activated && !session->activated) return fault(kBadSessionNotActivated);
        session->last_activity_ms = now.mono_ms;
    }
    ServiceContext ctx{state_, channel, session, header, now, request.request_id};
    BinaryWriter fields;
    StatusCode result = entry->handler(ctx, r, fields);
    if (ctx.deferred) return;
    if (IsBad(result)) {
        if (result == kBadDecodingError) ++state_.counters.undecodable_requests;
        return fault(result);
    }
    SendServiceResponse(channel, request.request_id, entry->response_type, header.request_handle, fields.data(),
                        now.utc, state_.counters);
}

std::vector<uint8_t> UaServer::TakeOutput(uint32_t connection) {
    SecureChannel* channel = state_.FindChannel(connection);
    return channel ? channel->TakeOutput() : std::vector<uint8_t>{};
}

bool UaServer::ShouldClose(uint32_t connection) const {
    auto it = state_.channels.find(connection);
    return it == state_.channels.end() || (it->second->closed() && !it->second->HasOutput());
}

void UaServer::Disconnect(uint32_t connection) { state_.channels.erase(connection); }

void UaServer::Tick(const Now& now) {
    for (auto& [id, channel] : state_.channels) channel->CheckTimeout(now);
    TickSessions(state_, now);
}

}  // namespace iec::ua
