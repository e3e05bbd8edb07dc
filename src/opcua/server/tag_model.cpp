#include "opcua/server/tag_model.h"

#include "opcua/server/diagnostics.h"
#include "opcua/server/node_ids.h"

namespace iec::ua {

void TagModel::Clear() {
    groups_.clear();
    variables_.clear();
    group_index_.clear();
    variable_index_.clear();
}

bool TagModel::NumberTaken(int32_t number) const {
    return group_index_.count(number) != 0 || variable_index_.count(number) != 0;
}

int TagModel::AddGroup(int32_t number, std::string name) {
    if (number <= 0 || name.empty()) return kRefusedArgument;
    if (NumberTaken(number)) return kRefusedDuplicate;
    group_index_.emplace(number, groups_.size());
    groups_.push_back({number, std::move(name)});
    return kDeclared;
}

int TagModel::AddVariable(int32_t number, std::string name, TagType type, int32_t group, bool writable,
                          TagStore& store) {
    if (number <= 0 || name.empty()) return kRefusedArgument;
    if (NumberTaken(number)) return kRefusedDuplicate;
    if (!group_index_.count(group)) return kRefusedNoGroup;
    VariableDeclaration v;
    v.number = number;
    v.name = std::move(name);
    v.type = type;
    v.group = group;
    v.writable = writable;
    v.slot = store.AddSlot(type);
    variable_index_.emplace(number, variables_.size());
    variables_.push_back(std::move(v));
    return kDeclared;
}

int32_t TagModel::SlotOf(int32_t number) const {
    auto it = variable_index_.find(number);
    return it == variable_index_.end() ? -1 : variables_[it->second].slot;
}

void TagModel::BuildAddressSpace(AddressSpace& space) const {
    space.LoadNamespaceZero();
    AddDiagnosticsNodes(space);
    const NodeId objects = NodeId::Numeric(0, id::kObjectsFolder);
    const NodeId organizes = NodeId::Numeric(0, id::kOrganizes);
    const NodeId has_type = NodeId::Numeric(0, id::kHasTypeDefinition);
    for (const GroupDeclaration& g : groups_) {
        Node n;
        n.id = NodeId::Numeric(kOurNamespace, static_cast<uint32_t>(g.number));
        n.node_class = NodeClass::Object;
        n.browse_name = {kOurNamespace, g.name};
        n.display_name = {"", g.name};
        space.Add(n);
        space.AddReference(objects, organizes, n.id);
        space.AddReference(n.id, has_type, NodeId::Numeric(0, id::kFolderType));
    }
    for (const VariableDeclaration& v : variables_) {
        Node n;
        n.id = NodeId::Numeric(kOurNamespace, static_cast<uint32_t>(v.number));
        n.node_class = NodeClass::Variable;
        n.browse_name = {kOurNamespace, v.name};
        n.display_name = {"", v.name};
        n.data_type = NodeId::Numeric(0, DataTypeId(v.type));
        n.access_level = static_cast<uint8_t>(kAccessRead | (v.writable ? kAccessWrite : 0));
        n.tag_slot = v.slot;
        space.Add(n);
        space.AddReference(NodeId::Numeric(kOurNamespace, static_cast<uint32_t>(v.group)), organizes, n.id);
        space.AddReference(n.id, has_type, NodeId::Numeric(0, id::kBaseDataVariableType));
    }
}

}  // namespace iec::ua
