// Values of the namespace-0 Server object: what clients poll to check the server is alive, and the operation
// limits they adapt their requests to.
#include "opcua/server/attribute_read.h"
#include "opcua/server/codec.h"
#include "opcua/server/node_ids.h"

namespace iec::ua {

namespace {

constexpr int32_t kServerStateRunning = 0;
constexpr uint8_t kServiceLevelFull = 255;

void WriteBuildInfo(BinaryWriter& w, const ServerConfig& c, UaDateTime build_date) {
    w.String(c.product_uri);
    w.String("iec101opc");
    w.String(c.application_name);
    w.String(c.software_version);
    w.String(c.software_version);
    w.I64(build_date);
}

}  // namespace

std::optional<Variant> ServerObjectValue(const ServerState& s, uint32_t ns0_id, const Now& now) {
    const ServerConfig& c = s.config;
    switch (ns0_id) {
        case id::kServerArray: return Variant::StringArray({c.application_uri});
        case id::kNamespaceArray: return Variant::StringArray({"http://opcfoundation.org/UA/", c.application_uri});
        case id::kServerStatus: {
            BinaryWriter w;
            w.I64(s.start_time);
            w.I64(now.utc);
            w.I32(kServerStateRunning);
            WriteBuildInfo(w, c, s.start_time);
            w.U32(0);  // seconds till shutdown
            WriteLocalizedText(w, {});
            return Variant::Extension(MakeExtension(id::kServerStatusDataType, w.data()));
        }
        case id::kStartTime: return Variant::DateTime(s.start_time);
        case id::kCurrentTime: return Variant::DateTime(now.utc);
        case id::kState: return Variant::Int32(kServerStateRunning);
        case id::kBuildInfoVariable: {
            BinaryWriter w;
            WriteBuildInfo(w, c, s.start_time);
            return Variant::Extension(MakeExtension(id::kBuildInfo, w.data()));
        }
        case id::kProductUri: return Variant::String(c.product_uri);
        case id::kManufacturerName: return Variant::String("iec101opc");
        case id::kProductName: return Variant::String(c.application_name);
        case id::kSoftwareVersion:
        case id::kBuildNumber: return Variant::String(c.software_version);
        case id::kBuildDate: return Variant::DateTime(s.start_time);
        case id::kSecondsTillShutdown: return Variant::UInt32(0);
        case id::kShutdownReason: return Variant::Localized({});
        case id::kServiceLevel: return Variant::Byte(kServiceLevelFull);
        case id::kAuditing: return Variant::Boolean(false);
        case id::kServerProfileArray:
            return Variant::StringArray({"http://opcfoundation.org/UA-Profile/Server/NanoEmbeddedDevice2017"});
        case id::kLocaleIdArray: return Variant::StringArray({"en"});
        case id::kMinSupportedSampleRate: return Variant::Double(c.min_sampling_interval_ms);
        case id::kMaxBrowseContinuationPoints:
            return Variant::UInt16(static_cast<uint16_t>(c.max_continuation_points));
        case id::kMaxQueryContinuationPoints:
        case id::kMaxHistoryContinuationPoints: return Variant::UInt16(0);
        // Every limit offered must be non-zero; clients divide their requests by them.
        case id::kMaxNodesPerRead:
        case id::kMaxNodesPerWrite:
        case id::kMaxNodesPerBrowse:
        case id::kMaxNodesPerRegisterNodes:
        case id::kMaxNodesPerTranslateBrowsePathsToNodeIds: return Variant::UInt32(c.max_nodes_per_call);
        case id::kMaxNodesPerMethodCall:
        case id::kMaxNodesPerNodeManagement: return Variant::UInt32(1);
        case id::kMaxMonitoredItemsPerCall: return Variant::UInt32(c.max_monitored_items_per_call);
        case id::kMaxMonitoredItemsQueueSize: return Variant::UInt32(c.max_queue_size);
        case id::kRedundancySupport: return Variant::Int32(0);
        default: return std::nullopt;
    }
}

}  // namespace iec::ua
