// OPC UA Binary encoding of the built-in types. Decoders read through BinaryReader (checked, depth-capped);
// on malformed input they leave the reader failed and return a default value.
#pragma once

#include "opcua/server/binary_reader.h"
#include "opcua/server/binary_writer.h"
#include "opcua/server/types.h"

namespace iec::ua {

NodeId ReadNodeId(BinaryReader& r);
ExpandedNodeId ReadExpandedNodeId(BinaryReader& r);
QualifiedName ReadQualifiedName(BinaryReader& r);
LocalizedText ReadLocalizedText(BinaryReader& r);
ExtensionObject ReadExtensionObject(BinaryReader& r);
Variant ReadVariant(BinaryReader& r);
DataValue ReadDataValue(BinaryReader& r);
void SkipDiagnosticInfo(BinaryReader& r);

void WriteNodeId(BinaryWriter& w, const NodeId& n);
void WriteExpandedNodeId(BinaryWriter& w, const ExpandedNodeId& n);
void WriteQualifiedName(BinaryWriter& w, const QualifiedName& q);
void WriteLocalizedText(BinaryWriter& w, const LocalizedText& t);
void WriteExtensionObject(BinaryWriter& w, const ExtensionObject& e);
void WriteVariant(BinaryWriter& w, const Variant& v);
void WriteDataValue(BinaryWriter& w, const DataValue& d);
// An ExtensionObject whose binary body the caller encoded; encoding_id is a namespace-0 "Default Binary" id.
ExtensionObject MakeExtension(uint32_t encoding_id, const std::vector<uint8_t>& body);

}  // namespace iec::ua
