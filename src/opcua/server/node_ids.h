// Numeric identifiers of namespace 0 used by the code (values from the OPC Foundation node id table).
#pragma once

#include <cstdint>

namespace iec::ua::id {

// Encodings of messages ("Default Binary" ids).
constexpr uint32_t kServiceFault = 397;
constexpr uint32_t kOpenSecureChannelRequest = 446;
constexpr uint32_t kOpenSecureChannelResponse = 449;
constexpr uint32_t kCloseSecureChannelRequest = 452;
constexpr uint32_t kAnonymousIdentityToken = 321;
constexpr uint32_t kUserNameIdentityToken = 324;
constexpr uint32_t kDataChangeFilter = 724;
constexpr uint32_t kDataChangeNotification = 811;
constexpr uint32_t kStatusChangeNotification = 820;
constexpr uint32_t kServerStatusDataType = 864;
constexpr uint32_t kBuildInfo = 340;

// Data types.
constexpr uint32_t kBoolean = 1;
constexpr uint32_t kInt32 = 6;
constexpr uint32_t kUInt32 = 7;
constexpr uint32_t kDouble = 11;
constexpr uint32_t kString = 12;
constexpr uint32_t kDateTime = 13;
constexpr uint32_t kLocalizedText = 21;
constexpr uint32_t kBaseDataType = 24;

// Reference types.
constexpr uint32_t kReferences = 31;
constexpr uint32_t kHierarchicalReferences = 33;
constexpr uint32_t kOrganizes = 35;
constexpr uint32_t kHasTypeDefinition = 40;
constexpr uint32_t kHasSubtype = 45;
constexpr uint32_t kHasProperty = 46;
constexpr uint32_t kHasComponent = 47;

// Types and well-known instances.
constexpr uint32_t kFolderType = 61;
constexpr uint32_t kBaseDataVariableType = 63;
constexpr uint32_t kObjectsFolder = 85;
constexpr uint32_t kServer = 2253;
constexpr uint32_t kServerArray = 2254;
constexpr uint32_t kNamespaceArray = 2255;
constexpr uint32_t kServerStatus = 2256;
constexpr uint32_t kStartTime = 2257;
constexpr uint32_t kCurrentTime = 2258;
constexpr uint32_t kState = 2259;
constexpr uint32_t kBuildInfoVariable = 2260;
constexpr uint32_t kProductName = 2261;
constexpr uint32_t kProductUri = 2262;
constexpr uint32_t kManufacturerName = 2263;
constexpr uint32_t kSoftwareVersion = 2264;
constexpr uint32_t kBuildNumber = 2265;
constexpr uint32_t kBuildDate = 2266;
constexpr uint32_t kServiceLevel = 2267;
constexpr uint32_t kSecondsTillShutdown = 2992;
constexpr uint32_t kShutdownReason = 2993;
constexpr uint32_t kAuditing = 2994;
constexpr uint32_t kServerProfileArray = 2269;
constexpr uint32_t kLocaleIdArray = 2271;
constexpr uint32_t kMinSupportedSampleRate = 2272;
constexpr uint32_t kMaxBrowseContinuationPoints = 2735;
constexpr uint32_t kMaxQueryContinuationPoints = 2736;
constexpr uint32_t kMaxHistoryContinuationPoints = 2737;
constexpr uint32_t kMaxNodesPerRead = 11705;
constexpr uint32_t kMaxNodesPerWrite = 11707;
constexpr uint32_t kMaxNodesPerMethodCall = 11709;
constexpr uint32_t kMaxNodesPerBrowse = 11710;
constexpr uint32_t kMaxNodesPerRegisterNodes = 11711;
constexpr uint32_t kMaxNodesPerTranslateBrowsePathsToNodeIds = 11712;
constexpr uint32_t kMaxNodesPerNodeManagement = 11713;
constexpr uint32_t kMaxMonitoredItemsPerCall = 11714;
constexpr uint32_t kMaxMonitoredItemsQueueSize = 31916;
constexpr uint32_t kRedundancySupport = 3709;

}  // namespace iec::ua::id
