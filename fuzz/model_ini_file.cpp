// INI content of any bytes: look-ups never fail, and a key that was written reads back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/server_settings.h"
#include "platform/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const char* key : {"UseWebServer", "Port_WebServ", "Timeout_Merc230", "Save_Obmen_v_File", "pwd"}) {
        iec::IniLookup(bytes, key, key);
    }
    const std::string written = iec::IniWithKey(bytes, "Port_WebServ", "Port_WebServ", "8123");
    const auto back = iec::IniLookup(written, "port_webserv", "PORT_WEBSERV");
    if (!back || *back != "8123") std::abort();
    // Once written, the file is stable: writing the same key again changes nothing. (The first write may change
    // more than the key: a file that only looked like UTF-8 with a byte-order mark is written as Windows-1251.)
    const std::string again = iec::IniWithKey(written, "Port_WebServ", "Port_WebServ", "8123");
    if (iec::IniWithKey(again, "Port_WebServ", "Port_WebServ", "8123") != again) std::abort();
    return 0;
}
