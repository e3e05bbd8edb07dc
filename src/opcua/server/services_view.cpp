// Browse, BrowseNext, TranslateBrowsePathsToNodeIds, RegisterNodes and UnregisterNodes.
#include <algorithm>

#include "opcua/server/node_ids.h"
#include "opcua/server/services.h"
#include "opcua/server/status_codes.h"

namespace iec::ua {

namespace {

enum BrowseDirection : uint32_t { kForward = 0, kInverse = 1, kBoth = 2 };
enum ResultMask : uint32_t {
    kMaskReferenceType = 1, kMaskIsForward = 2, kMaskNodeClass = 4, kMaskBrowseName = 8, kMaskDisplayName = 16,
    kMaskTypeDefinition = 32,
};
constexpr uint32_t kRemainingPathComplete = 0xFFFFFFFF;
// A relative path deeper than this, or branching into more nodes, is not a real client's request.
constexpr size_t kMaxPathElements = 32;
constexpr size_t kMaxPathTargets = 1000;

bool ReferenceMatches(const AddressSpace& space, const Reference& ref, const NodeId& wanted, bool subtypes) {
    if (wanted.IsNull()) return true;
    if (ref.type == wanted) return true;
    return subtypes && space.IsSubtypeOf(ref.type, wanted);
}

NodeId TypeDefinitionOf(const Node& n) {
    for (const Reference& r : n.references) {
        if (r.forward && r.type.Is(id::kHasTypeDefinition)) return r.target;
    }
    return {};
}

void WriteReferenceDescription(BinaryWriter& w, const Reference& ref, const Node* target, uint32_t mask) {
    WriteNodeId(w, (mask & kMaskReferenceType) ? ref.type : NodeId{});
    w.Boolean(ref.forward);
    WriteExpandedNodeId(w, {ref.target, {}, 0});
    WriteQualifiedName(w, (mask & kMaskBrowseName) && target ? target->browse_name : QualifiedName{});
    WriteLocalizedText(w, (mask & kMaskDisplayName) && target ? target->display_name : LocalizedText{});
    w.U32((mask & kMaskNodeClass) && target ? static_cast<uint32_t>(target->node_class) : 0);
    NodeId type_definition;
    if ((mask & kMaskTypeDefinition) && target &&
        (target->node_class == NodeClass::Object || target->node_class == NodeClass::Variable)) {
        type_definition = TypeDefinitionOf(*target);
    }
    WriteExpandedNodeId(w, {type_definition, {}, 0});
}

// Writes up to max references of c starting at c.next; returns true when some are left.
bool WriteBatch(BinaryWriter& w, BrowseContinuation& c) {
    size_t total = c.offsets.size();
    size_t end = std::min(total, c.next + c.max_per_call);
    w.ArrayLength(end - c.next);
    if (end > c.next) {
        size_t from = c.offsets[c.next];
        size_t to = end < total ? c.offsets[end] : c.references.size();
        w.Bytes(std::span<const uint8_t>(c.references).subspan(from, to - from));
    }
    c.next = end;
    return end < total;
}

std::string NewContinuationPoint(ServiceContext& ctx) {
    std::string key(8, '\0');
    ctx.server.random.Fill(std::span<uint8_t>(reinterpret_cast<uint8_t*>(key.data()), key.size()));
    return key;
}

// Writes one BrowseResult.
void BrowseOne(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w, uint32_t max_per_call) {
    NodeId node = ReadNodeId(r);
    uint32_t direction = r.U32();
    NodeId reference_type = ReadNodeId(r);
    bool subtypes = r.Boolean();
    uint32_t class_mask = r.U32();
    uint32_t result_mask = r.U32();
    const AddressSpace& space = ctx.server.space;
    const Node* n = space.Find(node);
    StatusCode status = kGood;
    if (!n) {
        status = kBadNodeIdUnknown;
    } else if (direction > kBoth) {
        status = kBadBrowseDirectionInvalid;
    } else if (!reference_type.IsNull()) {
        const Node* t = space.Find(reference_type);
        if (!t || t->node_class != NodeClass::ReferenceType) status = kBadReferenceTypeIdInvalid;
    }
    if (status != kGood) {
        w.U32(status);
        w.NullString();
        w.I32(0);
        return;
    }
    BrowseContinuation c;
    c.max_per_call = max_per_call;
    BinaryWriter refs;
    for (const Reference& ref : n->references) {
        if ((direction == kForward && !ref.forward) || (direction == kInverse && ref.forward)) continue;
        if (!ReferenceMatches(space, ref, reference_type, subtypes)) continue;
        const Node* target = space.Find(ref.target);
        if (class_mask != 0 && target && !(class_mask & static_cast<uint32_t>(target->node_class))) continue;
        c.offsets.push_back(refs.size());
        WriteReferenceDescription(refs, ref, target, result_mask);
    }
    c.references = refs.Take();
    BinaryWriter batch;
    bool more = WriteBatch(batch, c);
    Session& session = *ctx.session;
    if (more && session.continuations.size() >= ctx.server.config.max_continuation_points) {
        w.U32(kBadNoContinuationPoints);
        w.NullString();
        w.I32(0);
        return;
    }
    w.U32(kGood);
    if (more) {
        std::string key = NewContinuationPoint(ctx);
        w.String(key);
        session.continuations[key] = std::move(c);
    } else {
        w.NullString();
    }
    w.Bytes(batch.data());
}

}  // namespace

StatusCode Browse(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    NodeId view = ReadNodeId(r);
    r.I64();  // view timestamp
    r.U32();  // view version
    uint32_t requested_max = r.U32();
    // NodeId, direction, reference type, subtypes flag, class mask, result mask: at least 16 octets.
    size_t count = r.ArrayLength(16);
    if (StatusCode s = CheckOperationCount(r, count, ctx.server.config.max_nodes_per_call); IsBad(s)) return s;
    if (!view.IsNull()) return kBadViewIdUnknown;
    uint32_t max_per_call = ctx.server.config.max_references_per_node;
    if (requested_max != 0) max_per_call = std::min(max_per_call, requested_max);
    w.ArrayLength(count);
    for (size_t i = 0; i < count && r.ok(); ++i) BrowseOne(ctx, r, w, max_per_call);
    if (!r.ok()) return kBadDecodingError;
    w.I32(0);  // diagnostic infos
    return kGood;
}

StatusCode BrowseNext(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    bool release = r.Boolean();
    size_t count = r.ArrayLength(4);
    if (StatusCode s = CheckOperationCount(r, count, ctx.server.config.max_nodes_per_call); IsBad(s)) return s;
    std::vector<std::string> points;
    for (size_t i = 0; i < count && r.ok(); ++i) points.push_back(r.String());
    if (!r.ok()) return kBadDecodingError;
    auto& continuations = ctx.session->continuations;
    w.ArrayLength(points.size());
    for (const std::string& key : points) {
        auto it = continuations.find(key);
        if (it == continuations.end()) {
            w.U32(kBadContinuationPointInvalid);
            w.NullString();
            w.I32(0);
            continue;
        }
        if (release) {
            continuations.erase(it);
            w.U32(kGood);
            w.NullString();
            w.I32(0);
            continue;
        }
        BinaryWriter batch;
        bool more = WriteBatch(batch, it->second);
        w.U32(kGood);
        if (more) {
            w.String(key);
        } else {
            w.NullString();
            continuations.erase(it);
        }
        w.Bytes(batch.data());
    }
    w.I32(0);
    return kGood;
}

StatusCode TranslateBrowsePaths(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    size_t count = r.ArrayLength(6);
    if (StatusCode s = CheckOperationCount(r, count, ctx.server.config.max_nodes_per_call); IsBad(s)) return s;
    const AddressSpace& space = ctx.server.space;
    BinaryWriter results;
    for (size_t i = 0; i < count && r.ok(); ++i) {
        NodeId start = ReadNodeId(r);
        size_t elements = r.ArrayLength(10);
        StatusCode status = kGood;
        if (elements == 0) status = kBadNothingToDo;
        if (elements > kMaxPathElements) status = kBadTooManyOperations;
        if (!space.Find(start)) status = kBadNodeIdUnknown;
        std::vector<NodeId> current{start};
        for (size_t e = 0; e < elements && r.ok(); ++e) {
            NodeId type = ReadNodeId(r);
            bool inverse = r.Boolean();
            bool subtypes = r.Boolean();
            QualifiedName name = ReadQualifiedName(r);
            if (status != kGood) continue;
            if (name.name.empty()) {
                status = kBadBrowseNameInvalid;
                continue;
            }
            std::vector<NodeId> next;
            for (const NodeId& from : current) {
                const Node* n = space.Find(from);
                if (!n) continue;
                for (const Reference& ref : n->references) {
                    if (ref.forward == inverse || !ReferenceMatches(space, ref, type, subtypes)) continue;
                    const Node* t = space.Find(ref.target);
                    if (t && t->browse_name == name && next.size() < kMaxPathTargets) next.push_back(ref.target);
                }
            }
            current = std::move(next);
            if (current.empty()) status = kBadNoMatch;
        }
        results.U32(status);
        if (status != kGood) {
            results.I32(0);
            continue;
        }
        results.ArrayLength(current.size());
        for (const NodeId& target : current) {
            WriteExpandedNodeId(results, {target, {}, 0});
            results.U32(kRemainingPathComplete);
        }
    }
    if (!r.ok()) return kBadDecodingError;
    w.ArrayLength(count);
    w.Bytes(results.data());
    w.I32(0);
    return kGood;
}

StatusCode RegisterNodes(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    size_t count = r.ArrayLength(2);
    if (StatusCode s = CheckOperationCount(r, count, ctx.server.config.max_nodes_per_call); IsBad(s)) return s;
    std::vector<NodeId> nodes;
    for (size_t i = 0; i < count && r.ok(); ++i) nodes.push_back(ReadNodeId(r));
    if (!r.ok()) return kBadDecodingError;
    // Our NodeIds are already the fastest handles we could give: registration returns them unchanged.
    w.ArrayLength(nodes.size());
    for (const NodeId& n : nodes) WriteNodeId(w, n);
    return kGood;
}

StatusCode UnregisterNodes(ServiceContext& ctx, BinaryReader& r, BinaryWriter&) {
    size_t count = r.ArrayLength(2);
    if (StatusCode s = CheckOperationCount(r, count, ctx.server.config.max_nodes_per_call); IsBad(s)) return s;
    for (size_t i = 0; i < count && r.ok(); ++i) ReadNodeId(r);
    return r.ok() ? kGood : kBadDecodingError;
}

}  // namespace iec::ua
