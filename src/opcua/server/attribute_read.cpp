#include "opcua/server/attribute_read.h"

#include "opcua/server/diagnostics.h"
#include "opcua/server/status_codes.h"

namespace iec::ua {

namespace {

DataValue Good(Variant v) {
    DataValue dv;
    dv.value = std::move(v);
    return dv;
}

DataValue Bad(StatusCode s) {
    DataValue dv;
    dv.status = s;
    return dv;
}

bool IsVariableLike(NodeClass c) { return c == NodeClass::Variable || c == NodeClass::VariableType; }
bool IsType(NodeClass c) {
    return c == NodeClass::ObjectType || c == NodeClass::VariableType || c == NodeClass::ReferenceType ||
           c == NodeClass::DataType;
}

DataValue ReadValue(const ServerState& s, const Node& n, const Now& now) {
    if (n.tag_slot >= 0) return s.tags.Read(n.tag_slot);
    if (auto v = DiagnosticsValue(s, n.id)) {
        DataValue dv = Good(std::move(*v));
        dv.server_timestamp = now.utc;
        return dv;
    }
    if (n.id.ns == 0 && n.id.kind == NodeId::Kind::Numeric) {
        if (auto v = ServerObjectValue(s, n.id.numeric, now)) {
            DataValue dv = Good(std::move(*v));
            dv.source_timestamp = now.utc;
            dv.server_timestamp = now.utc;
            return dv;
        }
    }
    DataValue dv;
    dv.value = n.constant_value ? *n.constant_value : Variant{};
    return dv;
}

}  // namespace

DataValue ReadAttribute(const ServerState& s, const NodeId& id, uint32_t attribute, const Now& now) {
    const Node* n = s.space.Find(id);
    if (!n) return Bad(kBadNodeIdUnknown);
    NodeClass c = n->node_class;
    switch (attribute) {
        case kAttrNodeId: return Good(Variant::NodeIdValue(n->id));
        case kAttrNodeClass: return Good(Variant::Int32(static_cast<int32_t>(c)));
        case kAttrBrowseName: return Good(Variant::Qualified(n->browse_name));
        case kAttrDisplayName: return Good(Variant::Localized(n->display_name));
        case kAttrDescription: return Good(Variant::Localized({}));
        case kAttrWriteMask:
        case kAttrUserWriteMask: return Good(Variant::UInt32(0));
        case kAttrIsAbstract:
            if (!IsType(c)) break;
            return Good(Variant::Boolean(n->is_abstract));
        case kAttrSymmetric:
            if (c != NodeClass::ReferenceType) break;
            return Good(Variant::Boolean(n->symmetric));
        case kAttrInverseName:
            if (c != NodeClass::ReferenceType) break;
            return Good(Variant::Localized(n->inverse_name));
        case kAttrEventNotifier:
            if (c != NodeClass::Object && c != NodeClass::View) break;
            return Good(Variant::Byte(n->event_notifier));
        case kAttrValue:
            if (!IsVariableLike(c)) break;
            return ReadValue(s, *n, now);
        case kAttrDataType:
            if (!IsVariableLike(c)) break;
            return Good(Variant::NodeIdValue(n->data_type.IsNull() ? NodeId::Numeric(0, 24) : n->data_type));
        case kAttrValueRank:
            if (!IsVariableLike(c)) break;
            return Good(Variant::Int32(n->value_rank));
        case kAttrArrayDimensions:
            if (!IsVariableLike(c)) break;
            if (n->value_rank == 1) {
                Variant v;
                v.type = BuiltinType::UInt32;
                v.is_array = true;
                v.values.emplace_back(uint64_t{0});
                return Good(v);
            }
            return Good(Variant{});
        case kAttrAccessLevel:
        case kAttrUserAccessLevel:
            if (c != NodeClass::Variable) break;
            return Good(Variant::Byte(n->access_level));
        case kAttrAccessLevelEx:
            if (c != NodeClass::Variable) break;
            return Good(Variant::UInt32(n->access_level));
        case kAttrMinimumSamplingInterval:
            if (c != NodeClass::Variable) break;
            return Good(Variant::Double(n->tag_slot >= 0 ? s.config.min_sampling_interval_ms : 0.0));
        case kAttrHistorizing:
            if (c != NodeClass::Variable) break;
            return Good(Variant::Boolean(false));
        case kAttrExecutable:
        case kAttrUserExecutable:
            if (c != NodeClass::Method) break;
            return Good(Variant::Boolean(false));
        case kAttrContainsNoLoops:
            if (c != NodeClass::View) break;
            return Good(Variant::Boolean(true));
        default: break;
    }
    return Bad(kBadAttributeIdInvalid);
}

}  // namespace iec::ua
