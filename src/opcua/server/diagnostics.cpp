#include "opcua/server/diagnostics.h"

#include <string_view>

#include "opcua/server/node_ids.h"

namespace iec::ua {

namespace {

constexpr uint16_t kNamespace = 1;
constexpr std::string_view kPrefix = "Diagnostics.";
constexpr uint32_t kUInt64 = 9;

struct Counter {
    const char* name;
    uint64_t (*read)(const ServerState&);
};

const Counter kCounters[] = {
    {"Requests", [](const ServerState& s) { return s.counters.requests; }},
    {"ServiceFaults", [](const ServerState& s) { return s.counters.service_faults; }},
    {"UnsupportedServices", [](const ServerState& s) { return s.counters.unsupported_services; }},
    {"UndecodableRequests", [](const ServerState& s) { return s.counters.undecodable_requests; }},
    {"ConnectionsRefused", [](const ServerState& s) { return s.counters.connections_refused; }},
    {"SessionsRefused", [](const ServerState& s) { return s.counters.sessions_refused; }},
    {"IdentityRejected", [](const ServerState& s) { return s.counters.identity_rejected; }},
    {"ResponsesTooLarge", [](const ServerState& s) { return s.counters.responses_too_large; }},
    {"MalformedFrames", [](const ServerState& s) { return s.channel_counters.malformed; }},
    {"UnexpectedMessages", [](const ServerState& s) { return s.channel_counters.unexpected_message; }},
    {"ChunksTooLarge", [](const ServerState& s) { return s.channel_counters.chunk_too_large; }},
    {"RequestsTooLarge", [](const ServerState& s) { return s.channel_counters.request_too_large; }},
    {"SequenceErrors", [](const ServerState& s) { return s.channel_counters.sequence_errors; }},
    {"UnknownTokens", [](const ServerState& s) { return s.channel_counters.unknown_token; }},
    {"PolicyRejected", [](const ServerState& s) { return s.channel_counters.policy_rejected; }},
    {"TokensExpired", [](const ServerState& s) { return s.channel_counters.token_expired; }},
    {"TokenRenewals", [](const ServerState& s) { return s.channel_counters.renewals; }},
    {"Connections", [](const ServerState& s) { return uint64_t{s.channels.size()}; }},
    {"Sessions", [](const ServerState& s) { return uint64_t{s.sessions.size()}; }},
    {"Subscriptions", [](const ServerState& s) { return uint64_t{s.subscription_count}; }},
    {"MonitoredItems", [](const ServerState& s) { return uint64_t{s.monitored_item_count}; }},
};

NodeId IdOf(std::string_view name) { return NodeId::String(kNamespace, std::string(kPrefix) + std::string(name)); }

}  // namespace

void AddDiagnosticsNodes(AddressSpace& space) {
    Node folder;
    folder.id = NodeId::String(kNamespace, "Diagnostics");
    folder.node_class = NodeClass::Object;
    folder.browse_name = {kNamespace, "Diagnostics"};
    folder.display_name = {"", "Diagnostics"};
    if (!space.Add(folder)) return;
    space.AddReference(NodeId::Numeric(0, id::kServer), NodeId::Numeric(0, id::kHasComponent), folder.id);
    space.AddReference(folder.id, NodeId::Numeric(0, id::kHasTypeDefinition), NodeId::Numeric(0, id::kFolderType));
    for (const Counter& c : kCounters) {
        Node n;
        n.id = IdOf(c.name);
        n.node_class = NodeClass::Variable;
        n.browse_name = {kNamespace, c.name};
        n.display_name = {"", c.name};
        n.data_type = NodeId::Numeric(0, kUInt64);
        space.Add(n);
        space.AddReference(folder.id, NodeId::Numeric(0, id::kHasComponent), n.id);
        space.AddReference(n.id, NodeId::Numeric(0, id::kHasTypeDefinition),
                           NodeId::Numeric(0, id::kBaseDataVariableType));
    }
}

std::optional<Variant> DiagnosticsValue(const ServerState& server, const NodeId& node) {
    if (node.ns != kNamespace || node.kind != NodeId::Kind::String || !node.text.starts_with(kPrefix)) {
        return std::nullopt;
    }
    std::string_view name = std::string_view(node.text).substr(kPrefix.size());
    for (const Counter& c : kCounters) {
        if (name == c.name) return Variant::Of(BuiltinType::UInt64, c.read(server));
    }
    return std::nullopt;
}

}  // namespace iec::ua
