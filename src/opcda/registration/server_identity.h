// Who the OPC server is to COM and to OPC clients: names, class and library identifiers, the category it joins.
#pragma once

namespace iec::opcda {

inline constexpr const char* kProgID = "Varnok.OPCServer";                   // OPC_ProgID
inline constexpr const char* kDescription = "OPC Server for IEC_101";         // OPC_Description
inline constexpr const char* kServerClsid = "{E33BF843-F627-42BE-B289-9C249D651BC7}";  // coclass OPCDataAccess20
inline constexpr const char* kAppId = kServerClsid;
inline constexpr const char* kTypeLibId = "{118921D1-0703-11D5-962A-00A024AEBA44}";    // library sOPC
inline constexpr int kTypeLibMajor = 1;
inline constexpr int kTypeLibMinor = 0;

// The OPC Foundation's category of Data Access 2.0 servers; the only one this server joins.
inline constexpr const char* kCatidOpcDaServer20 = "{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}";
// The two descriptions the registration gives that category, the second replacing the first.
inline constexpr const char* kCategoryDescriptionKeys = "Tarno OPC Data Access";
inline constexpr const char* kCategoryDescriptionServer = "OPC Daten Server V2.0";

inline constexpr const char* kRunAs = "Interactive User";

}  // namespace iec::opcda
