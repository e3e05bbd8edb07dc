// The groups and variables the owner declares through the entry points, and the address space built from them.
//
// NodeIds are derived from the numbers, so that they stay the same from one start to the next as long as the
// configuration does: group g is ns=1;i=g (80001, 80002, ...), variable n is ns=1;i=n. Group and variable
// numbers therefore share one number space; a declaration that would reuse a number is refused.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "opcua/server/address_space.h"
#include "opcua/server/tag_store.h"

namespace iec::ua {

constexpr uint16_t kOurNamespace = 1;

// Results of the declaring entry points.
enum DeclareResult : int {
    kDeclared = 0,
    kRefusedArgument = -1,   // bad number, type index, name or buffer
    kRefusedDuplicate = -2,  // the number is already a group or a variable
    kRefusedNoGroup = -3,    // the variable's group was not declared
};

struct GroupDeclaration {
    int32_t number = 0;
    std::string name;
};

struct VariableDeclaration {
    int32_t number = 0;
    std::string name;
    TagType type = TagType::Boolean;
    int32_t group = 0;
    bool writable = false;
    int32_t slot = -1;
};

class TagModel {
public:
    void Clear();
    int AddGroup(int32_t number, std::string name);
    // Allocates the variable's slot in store.
    int AddVariable(int32_t number, std::string name, TagType type, int32_t group, bool writable, TagStore& store);
    // Slot of a variable number, -1 when unknown.
    int32_t SlotOf(int32_t number) const;
    size_t variable_count() const { return variables_.size(); }
    size_t group_count() const { return groups_.size(); }

    // Namespace 0 (with our diagnostics folder under Server) plus a folder per group under Objects and a
    // variable per declaration in its folder.
    void BuildAddressSpace(AddressSpace& space) const;

private:
    bool NumberTaken(int32_t number) const;

    std::vector<GroupDeclaration> groups_;
    std::vector<VariableDeclaration> variables_;
    std::unordered_map<int32_t, size_t> group_index_;
    std::unordered_map<int32_t, size_t> variable_index_;
};

}  // namespace iec::ua
