// The nodes a client can browse and read: namespace 0 from the standard table, plus one folder per declared
// group and one variable per declared variable in our namespace. Built once before the server starts and only
// read while it runs, so the server thread needs no lock to use it.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "opcua/server/types.h"

namespace iec::ua {

enum class NodeClass : uint32_t {
    Object = 1, Variable = 2, Method = 4, ObjectType = 8, VariableType = 16, ReferenceType = 32, DataType = 64,
    View = 128,
};

struct Reference {
    NodeId type;
    NodeId target;
    bool forward = true;
};

// Access level bits.
constexpr uint8_t kAccessRead = 0x01;
constexpr uint8_t kAccessWrite = 0x02;

struct Node {
    NodeId id;
    NodeClass node_class = NodeClass::Object;
    QualifiedName browse_name;
    LocalizedText display_name;
    std::vector<Reference> references;
    // Variables and variable types.
    NodeId data_type;
    int32_t value_rank = -1;
    uint8_t access_level = kAccessRead;
    std::optional<Variant> constant_value;
    int32_t tag_slot = -1;  // index in the TagStore for our variables, -1 for others
    // Types.
    bool is_abstract = false;
    bool symmetric = false;
    LocalizedText inverse_name;
    uint8_t event_notifier = 0;
};

class AddressSpace {
public:
    // Loads the standard namespace-0 nodes and references.
    void LoadNamespaceZero();

    // Adds a node; returns false (and adds nothing) when the id is taken.
    bool Add(Node node);
    // Adds source --type--> target and the inverse on target. Unknown nodes are ignored.
    void AddReference(const NodeId& source, const NodeId& type, const NodeId& target);

    const Node* Find(const NodeId& id) const;
    Node* FindMutable(const NodeId& id);
    // True when type is super or one of its subtypes (HasSubtype chain, bounded).
    bool IsSubtypeOf(const NodeId& type, const NodeId& super) const;
    size_t size() const { return nodes_.size(); }

private:
    std::vector<Node> nodes_;
    std::unordered_map<NodeId, size_t, NodeIdHash> index_;
};

}  // namespace iec::ua
