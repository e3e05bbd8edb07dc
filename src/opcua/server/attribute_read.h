// Reading one attribute of one node: the Read service and monitored items that do not watch a tag use this.
#pragma once

#include <cstdint>

#include "opcua/server/now.h"
#include "opcua/server/server_state.h"

namespace iec::ua {

enum AttributeId : uint32_t {
    kAttrNodeId = 1, kAttrNodeClass = 2, kAttrBrowseName = 3, kAttrDisplayName = 4, kAttrDescription = 5,
    kAttrWriteMask = 6, kAttrUserWriteMask = 7, kAttrIsAbstract = 8, kAttrSymmetric = 9, kAttrInverseName = 10,
    kAttrContainsNoLoops = 11, kAttrEventNotifier = 12, kAttrValue = 13, kAttrDataType = 14, kAttrValueRank = 15,
    kAttrArrayDimensions = 16, kAttrAccessLevel = 17, kAttrUserAccessLevel = 18,
    kAttrMinimumSamplingInterval = 19, kAttrHistorizing = 20, kAttrExecutable = 21, kAttrUserExecutable = 22,
    kAttrDataTypeDefinition = 23, kAttrRolePermissions = 24, kAttrUserRolePermissions = 25,
    kAttrAccessRestrictions = 26, kAttrAccessLevelEx = 27,
};

// The attribute as a DataValue: value and status, and for Value the time stamps. Unknown node:
// BadNodeIdUnknown; attribute not defined for the node class: BadAttributeIdInvalid.
DataValue ReadAttribute(const ServerState& server, const NodeId& node, uint32_t attribute, const Now& now);

// Values of the Server object that change while the server runs (status, current time) or depend on the
// configuration; nullopt for other nodes.
std::optional<Variant> ServerObjectValue(const ServerState& server, uint32_t ns0_id, const Now& now);

}  // namespace iec::ua
