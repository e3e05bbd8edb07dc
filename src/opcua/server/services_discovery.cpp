// GetEndpoints and FindServers: one endpoint, SecurityPolicy None, with the user token policy of the login mode.
#include "opcua/server/endpoint.h"
#include "opcua/server/services.h"
#include "opcua/server/status_codes.h"

namespace iec::ua {

namespace {

constexpr char kPolicyNone[] = "http://opcfoundation.org/UA/SecurityPolicy#None";
constexpr char kTransportProfile[] = "http://opcfoundation.org/UA-Profile/Transport/uatcp-uasc-uabinary";
constexpr uint32_t kApplicationTypeServer = 0;
constexpr uint32_t kSecurityModeNone = 1;
constexpr uint32_t kTokenAnonymous = 0;
constexpr uint32_t kTokenUserName = 1;

void SkipStringArray(BinaryReader& r) {
    size_t n = r.ArrayLength(4);
    for (size_t i = 0; i < n && r.ok(); ++i) r.String();
}

}  // namespace

void WriteApplicationDescription(BinaryWriter& w, const ServerConfig& config, const std::string& url) {
    w.String(config.application_uri);
    w.String(config.product_uri);
    WriteLocalizedText(w, {"en", config.application_name});
    w.U32(kApplicationTypeServer);
    w.NullString();  // gateway server uri
    w.NullString();  // discovery profile uri
    w.I32(1);
    w.String(url);
}

void WriteEndpointDescription(BinaryWriter& w, const ServerConfig& config, const std::string& url) {
    w.String(url);
    WriteApplicationDescription(w, config, url);
    w.NullString();  // no server certificate with SecurityPolicy None
    w.U32(kSecurityModeNone);
    w.String(kPolicyNone);
    // Only the token type the login mode accepts is offered, so that a client knows what to send.
    w.I32(1);
    if (config.password_login) {
        w.String("username");
        w.U32(kTokenUserName);
    } else {
        w.String("anonymous");
        w.U32(kTokenAnonymous);
    }
    w.NullString();     // issued token type
    w.NullString();     // issuer endpoint url
    w.String(kPolicyNone);
    w.String(kTransportProfile);
    w.U8(0);  // security level: None is the least secure
}

std::string EndpointUrlFor(const ServiceContext& ctx, const std::string& requested) {
    // Clients compare the endpoint with the URL they dialled, so the URL they used is mirrored.
    if (!requested.empty()) return requested;
    if (!ctx.channel.endpoint_url().empty()) return ctx.channel.endpoint_url();
    return "opc.tcp://localhost:4840";
}

StatusCode GetEndpoints(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    std::string url = r.String();
    SkipStringArray(r);  // locale ids
    size_t profiles = r.ArrayLength(4);
    bool wants_tcp = profiles == 0;
    for (size_t i = 0; i < profiles && r.ok(); ++i) wants_tcp = wants_tcp || r.String() == kTransportProfile;
    if (!r.ok()) return kBadDecodingError;
    if (!wants_tcp) {
        w.I32(0);
        return kGood;
    }
    w.I32(1);
    WriteEndpointDescription(w, ctx.server.config, EndpointUrlFor(ctx, url));
    return kGood;
}

StatusCode FindServers(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    std::string url = r.String();
    SkipStringArray(r);  // locale ids
    size_t uris = r.ArrayLength(4);
    bool match = uris == 0;
    for (size_t i = 0; i < uris && r.ok(); ++i) match = match || r.String() == ctx.server.config.application_uri;
    if (!r.ok()) return kBadDecodingError;
    w.I32(match ? 1 : 0);
    if (match) WriteApplicationDescription(w, ctx.server.config, EndpointUrlFor(ctx, url));
    return kGood;
}

}  // namespace iec::ua
