// CreateSession, ActivateSession, CloseSession, with anonymous or user name/password login.
#include <algorithm>
#include <cmath>

#include "opcua/server/endpoint.h"
#include "opcua/server/node_ids.h"
#include "opcua/server/responder.h"
#include "opcua/server/services.h"
#include "opcua/server/status_codes.h"

namespace iec::ua {

namespace {

// Clients check the length: below 32 octets some refuse the session.
constexpr size_t kNonceLength = 32;

std::string NewNonce(RandomSource& random) {
    std::string nonce(kNonceLength, '\0');
    random.Fill(std::span<uint8_t>(reinterpret_cast<uint8_t*>(nonce.data()), nonce.size()));
    return nonce;
}

NodeId NewGuidNodeId(RandomSource& random) {
    NodeId n;
    n.ns = 1;
    n.kind = NodeId::Kind::Guid;
    random.Fill(n.guid);
    return n;
}

void SkipApplicationDescription(BinaryReader& r) {
    r.String();
    r.String();
    ReadLocalizedText(r);
    r.U32();
    r.String();
    r.String();
    size_t n = r.ArrayLength(4);
    for (size_t i = 0; i < n && r.ok(); ++i) r.String();
}

// Compares without an early exit, so the time taken does not tell how much of a password matched.
bool SameSecret(const std::string& a, const std::string& b) {
    size_t n = std::max(a.size(), b.size());
    unsigned diff = a.size() == b.size() ? 0u : 1u;
    for (size_t i = 0; i < n; ++i) {
        unsigned x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0u;
        unsigned y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0u;
        diff |= x ^ y;
    }
    return diff == 0;
}

StatusCode CheckIdentity(const ServerConfig& config, const ExtensionObject& token) {
    bool anonymous = token.type_id.IsNull() || token.type_id.Is(id::kAnonymousIdentityToken);
    if (!config.password_login) {
        return anonymous ? kGood : kBadIdentityTokenInvalid;
    }
    if (!token.type_id.Is(id::kUserNameIdentityToken) || token.encoding != 1) return kBadIdentityTokenRejected;
    BinaryReader r(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(token.body.data()), token.body.size()));
    r.String();  // policy id
    std::string user = r.String();
    std::string password = r.String();
    std::string algorithm = r.String();
    if (!r.ok()) return kBadIdentityTokenInvalid;
    // With SecurityPolicy None the password travels as plain text; an encrypted one cannot be checked.
    if (!algorithm.empty()) return kBadIdentityTokenInvalid;
    bool user_ok = SameSecret(user, config.user_name);
    bool password_ok = SameSecret(password, config.password);
    return user_ok && password_ok ? kGood : kBadIdentityTokenRejected;
}

}  // namespace

StatusCode CreateSession(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    SkipApplicationDescription(r);
    r.String();  // server uri
    std::string endpoint_url = r.String();
    std::string name = r.String();
    r.String();  // client nonce
    r.String();  // client certificate
    double requested_timeout = r.F64();
    r.U32();  // max response message size: our channel limits apply
    if (!r.ok()) return kBadDecodingError;
    ServerState& s = ctx.server;
    if (s.sessions.size() >= s.config.max_sessions) {
        ++s.counters.sessions_refused;
        return kBadTooManySessions;
    }
    auto session = std::make_unique<Session>();
    session->session_id = NewGuidNodeId(s.random);
    session->authentication_token = NewGuidNodeId(s.random);
    session->channel_id = ctx.channel.id();
    session->name = name;
    double timeout = std::isnan(requested_timeout) ? s.config.max_session_timeout_ms : requested_timeout;
    session->timeout_ms = std::clamp(timeout, s.config.min_session_timeout_ms, s.config.max_session_timeout_ms);
    session->last_activity_ms = ctx.now.mono_ms;

    WriteNodeId(w, session->session_id);
    WriteNodeId(w, session->authentication_token);
    w.F64(session->timeout_ms);
    w.String(NewNonce(s.random));
    w.NullString();  // server certificate
    w.I32(1);
    WriteEndpointDescription(w, s.config, EndpointUrlFor(ctx, endpoint_url));
    w.I32(0);        // server software certificates
    w.NullString();  // signature algorithm
    w.NullString();  // signature
    w.U32(s.config.channel.max_message_size);
    s.sessions.push_back(std::move(session));
    return kGood;
}

StatusCode ActivateSession(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    r.String();  // client signature algorithm
    r.String();  // client signature
    size_t certificates = r.ArrayLength(8);
    for (size_t i = 0; i < certificates && r.ok(); ++i) {
        r.String();
        r.String();
    }
    size_t locales = r.ArrayLength(4);
    for (size_t i = 0; i < locales && r.ok(); ++i) r.String();
    ExtensionObject token = ReadExtensionObject(r);
    r.String();  // user token signature algorithm
    r.String();  // user token signature
    if (!r.ok()) return kBadDecodingError;
    StatusCode identity = CheckIdentity(ctx.server.config, token);
    if (IsBad(identity)) {
        ++ctx.server.counters.identity_rejected;
        return identity;
    }
    // A client that lost its connection activates the session again on a new channel.
    ctx.session->channel_id = ctx.channel.id();
    ctx.session->activated = true;
    w.String(NewNonce(ctx.server.random));
    w.I32(0);  // results
    w.I32(0);  // diagnostic infos
    return kGood;
}

StatusCode CloseSession(ServiceContext& ctx, BinaryReader& r, BinaryWriter&) {
    r.Boolean();  // delete subscriptions: they always go with the session here
    if (!r.ok()) return kBadDecodingError;
    ServerState& s = ctx.server;
    for (const PendingPublish& p : ctx.session->publish_queue) {
        if (SecureChannel* ch = s.FindChannel(p.channel_id)) {
            SendServiceFault(*ch, p.request_id, p.request_handle, kBadSessionClosed, ctx.now.utc, s.counters);
        }
    }
    s.RemoveSession(ctx.session);
    ctx.session = nullptr;
    return kGood;
}

}  // namespace iec::ua
