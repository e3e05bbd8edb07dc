// Read and Write. Only the Value of our writable variables can be written.
#include "opcua/server/attribute_read.h"
#include "opcua/server/monitored_item.h"
#include "opcua/server/services.h"
#include "opcua/server/status_codes.h"

namespace iec::ua {

namespace {

// NodeId, attribute id, index range and data encoding: at least 16 octets each.
constexpr size_t kMinReadValueIdSize = 16;
// NodeId, attribute id, index range and an empty DataValue: at least 11 octets each.
constexpr size_t kMinWriteValueSize = 11;

struct ReadValueId {
    NodeId node;
    uint32_t attribute = 0;
    std::string index_range;
    QualifiedName encoding;
};

ReadValueId ReadReadValueId(BinaryReader& r) {
    ReadValueId v;
    v.node = ReadNodeId(r);
    v.attribute = r.U32();
    v.index_range = r.String();
    v.encoding = ReadQualifiedName(r);
    return v;
}

}  // namespace

StatusCode Read(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    double max_age = r.F64();
    uint32_t timestamps = r.U32();
    size_t count = r.ArrayLength(kMinReadValueIdSize);
    if (StatusCode s = CheckOperationCount(r, count, ctx.server.config.max_nodes_per_call); IsBad(s)) return s;
    if (timestamps > static_cast<uint32_t>(TimestampsToReturn::Neither)) return kBadTimestampsToReturnInvalid;
    if (max_age < 0) return kBadMaxAgeInvalid;
    std::vector<ReadValueId> items;
    items.reserve(count);
    for (size_t i = 0; i < count && r.ok(); ++i) items.push_back(ReadReadValueId(r));
    if (!r.ok()) return kBadDecodingError;

    w.ArrayLength(items.size());
    for (const ReadValueId& item : items) {
        DataValue dv;
        if (!item.encoding.name.empty()) {
            dv.status = kBadDataEncodingInvalid;
        } else if (!item.index_range.empty()) {
            dv.status = kBadIndexRangeInvalid;
        } else {
            dv = ReadAttribute(ctx.server, item.node, item.attribute, ctx.now);
            if (item.attribute == kAttrValue) {
                dv = FilterTimestamps(dv, static_cast<TimestampsToReturn>(timestamps));
            } else {
                dv.source_timestamp = 0;
                dv.server_timestamp = 0;
            }
        }
        WriteDataValue(w, dv);
    }
    w.I32(0);  // diagnostic infos
    return kGood;
}

StatusCode Write(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    size_t count = r.ArrayLength(kMinWriteValueSize);
    if (StatusCode s = CheckOperationCount(r, count, ctx.server.config.max_nodes_per_call); IsBad(s)) return s;
    struct WriteValue {
        NodeId node;
        uint32_t attribute;
        std::string index_range;
        DataValue value;
    };
    std::vector<WriteValue> items;
    items.reserve(count);
    for (size_t i = 0; i < count && r.ok(); ++i) {
        WriteValue v;
        v.node = ReadNodeId(r);
        v.attribute = r.U32();
        v.index_range = r.String();
        v.value = ReadDataValue(r);
        items.push_back(std::move(v));
    }
    if (!r.ok()) return kBadDecodingError;

    w.ArrayLength(items.size());
    for (const WriteValue& item : items) {
        const Node* n = ctx.server.space.Find(item.node);
        StatusCode result = kGood;
        if (!n) {
            result = kBadNodeIdUnknown;
        } else if (item.attribute < kAttrNodeId || item.attribute > kAttrAccessLevelEx) {
            result = kBadAttributeIdInvalid;
        } else if (item.attribute != kAttrValue || n->tag_slot < 0 || !(n->access_level & kAccessWrite)) {
            result = kBadNotWritable;
        } else if (!item.index_range.empty()) {
            result = kBadIndexRangeInvalid;
        } else if (!item.value.value) {
            result = kBadTypeMismatch;
        } else {
            result = ctx.server.tags.Write(n->tag_slot, *item.value.value);
            // Our variables are numbered by their NodeId; the owner learns which one was written.
            if (result == kGood && ctx.server.on_write) ctx.server.on_write(static_cast<int32_t>(n->id.numeric));
        }
        w.U32(result);
    }
    w.I32(0);  // diagnostic infos
    return kGood;
}

}  // namespace iec::ua
