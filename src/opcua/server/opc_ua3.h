/* The C entry points of the OPC UA server library (libopc_ua3.so / opc_ua3.dll), loaded by name.
 *
 * Sequence: create_din_arrays, add_new_group per group, Add_new_perem per variable, then
 * UA_ServerNetworkLayerTCP_dll in a thread of its own; it serves until setrunning_bool(0) and then returns.
 * Values are pushed with Set_new_val_to_perem / Set_new_quality_to_perem from any thread while the server runs.
 * Every entry point is safe to call from any thread; none throws. Names and credentials are read as bytes
 * (each byte one character, U+0000..U+00FF) from a buffer of the given size, never beyond it. */
#ifndef IEC_OPCUA_SERVER_OPC_UA3_H
#define IEC_OPCUA_SERVER_OPC_UA3_H

#include <stdbool.h>
#include <stdint.h>

#if defined(_WIN32)
#define OPC_UA3_API __declspec(dllexport)
#else
#define OPC_UA3_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The write callback: receives the number of the variable a client wrote. */
typedef void (*opc_ua3_write_callback)(int variable_number);

/* Forgets every group and variable declared before and allows the server to run again (running := 1). The
 * counts are capacity hints. Returns 0, or -1 while the server is serving (nothing is changed then). */
OPC_UA3_API int create_din_arrays(int variable_count, int group_count);

/* Declares group group_number, shown as a folder under Objects with NodeId ns=1;i=group_number. The name is
 * min(name_length, buffer_size - 1) bytes of name. Returns 0, -1 for a bad argument, -2 for a number in use. */
OPC_UA3_API int add_new_group(int name_length, int group_number, const char* name, int buffer_size);

/* Declares variable variable_number (NodeId ns=1;i=variable_number) in group group_number with type index 0
 * (Boolean), 5 (Int32) or 10 (Double); writable 1 lets clients write its value. reserved is not used.
 * Returns 0, -1 for a bad argument, -2 for a number in use, -3 for an undeclared group. Variables declared
 * while the server runs appear at its next start. */
OPC_UA3_API int Add_new_perem(int name_length, int variable_number, int type_index, int group_number, int reserved,
                              int writable, const char* name, int buffer_size);

/* Checks that the declarations form an address space; the server builds it at start anyway. Returns the number
 * of variables declared. */
OPC_UA3_API int Add_All_perem_to_serv(void);

/* Probe that the library is loaded and callable: returns a + b. */
OPC_UA3_API int DLL_add(int a, int b);

/* Runs the server on TCP port `port` (all interfaces) in the calling thread until setrunning_bool(0), then
 * returns 0; returns -1 at once when the port is invalid or cannot be opened, or when a server already runs.
 * password_login 1: clients must log in with the user name (the first user_name_length bytes of credentials,
 * at most 99) and password (the password_length bytes right after it); anonymous clients are refused. Lengths
 * are cut to buffer_size. write_callback (may be null) is called from the server thread after each successful write. */
OPC_UA3_API int UA_ServerNetworkLayerTCP_dll(int port, int password_login, int user_name_length,
                                             int password_length, opc_ua3_write_callback write_callback,
                                             const char* credentials, int buffer_size);

/* running 0 stops a serving UA_ServerNetworkLayerTCP_dll within about 20 ms. */
OPC_UA3_API void setrunning_bool(int running);
OPC_UA3_API int getrunning_bool(void);

/* A new value for variable_number. The number is real_value when type_index is 10, else int_value; it is
 * converted to the variable's declared type. status 0 is good, any other value is passed on as the OPC UA
 * status (0x80000000 bad). Times: 100-ns intervals since 1601-01-01 UTC. Returns 0, or -1 for an unknown
 * variable. */
OPC_UA3_API int Set_new_val_to_perem(int type_index, int variable_number, int int_value, double real_value,
                                     uint32_t status, int64_t source_time, int64_t server_time);

/* A new status (keeping the value) for variable_number. Returns 0, or -1 for an unknown variable. */
OPC_UA3_API int Set_new_quality_to_perem(int variable_number, uint32_t status, int64_t source_time,
                                         int64_t server_time);

/* The value a client last wrote to variable_number (0 / 0.0 / false when none or unknown). */
OPC_UA3_API int get_int32_valwrite_by_index(int variable_number);
OPC_UA3_API double get_double_valwrite_by_index(int variable_number);
OPC_UA3_API bool get_bool_valwrite_by_index(int variable_number);

#ifdef __cplusplus
}
#endif

#endif
