#include "opcua/server/address_space.h"

#include "opcua/server/namespace_zero_table.h"
#include "opcua/server/node_ids.h"

namespace iec::ua {

void AddressSpace::LoadNamespaceZero() {
    for (const Ns0Node& def : Ns0Nodes()) {
        Node n;
        n.id = NodeId::Numeric(0, def.id);
        n.node_class = static_cast<NodeClass>(def.node_class);
        n.browse_name = {0, def.browse_name};
        n.display_name = {"", def.display_name};
        if (def.data_type != 0) n.data_type = NodeId::Numeric(0, def.data_type);
        n.value_rank = def.value_rank;
        n.is_abstract = def.is_abstract;
        n.symmetric = def.symmetric;
        if (def.inverse_name[0] != '\0') n.inverse_name = {"", def.inverse_name};
        n.event_notifier = def.event_notifier;
        if (def.has_int_value) n.constant_value = Variant::Int32(def.int_value);
        Add(std::move(n));
    }
    for (const Ns0Reference& ref : Ns0References()) {
        AddReference(NodeId::Numeric(0, ref.source), NodeId::Numeric(0, ref.type), NodeId::Numeric(0, ref.target));
    }
}

bool AddressSpace::Add(Node node) {
    if (index_.count(node.id)) return false;
    index_.emplace(node.id, nodes_.size());
    nodes_.push_back(std::move(node));
    return true;
}

void AddressSpace::AddReference(const NodeId& source, const NodeId& type, const NodeId& target) {
    Node* s = FindMutable(source);
    Node* t = FindMutable(target);
    if (!s || !t) return;
    s->references.push_back({type, target, true});
    t->references.push_back({type, source, false});
}

const Node* AddressSpace::Find(const NodeId& id) const {
    auto it = index_.find(id);
    return it == index_.end() ? nullptr : &nodes_[it->second];
}

Node* AddressSpace::FindMutable(const NodeId& id) {
    auto it = index_.find(id);
    return it == index_.end() ? nullptr : &nodes_[it->second];
}

bool AddressSpace::IsSubtypeOf(const NodeId& type, const NodeId& super) const {
    NodeId current = type;
    const NodeId has_subtype = NodeId::Numeric(0, id::kHasSubtype);
    // The type hierarchy is a tree of modest depth; the bound guards against a cycle.
    for (int depth = 0; depth < 32; ++depth) {
        if (current == super) return true;
        const Node* n = Find(current);
        if (!n) return false;
        const Reference* parent = nullptr;
        for (const Reference& r : n->references) {
            if (!r.forward && r.type == has_subtype) {
                parent = &r;
                break;
            }
        }
        if (!parent) return false;
        current = parent->target;
    }
    return false;
}

}  // namespace iec::ua
