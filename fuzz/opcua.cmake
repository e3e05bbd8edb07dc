# The OPC UA server's receive path: UA-TCP framing, secure channel and service decoding.
if(TARGET opc_ua3_core)
  iec_fuzz_target(opcua_receive opcua_receive.cpp opc_ua3_core)
endif()
