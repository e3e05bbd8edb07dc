// The station files as an operator may leave them: any bytes in the main file and the link file.
// The first octet chooses how the rest is split between the two files and how the reader treats errors.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/config_validation.h"
#include "model/station_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t mode = data[0];
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t cut = rest.find('\xFF');
    const std::string main = rest.substr(0, cut);
    std::optional<std::string> link;
    if (cut != std::string::npos) link = rest.substr(cut + 1);

    iec::StationTable table;
    iec::OpcUaSettings ua;
    const iec::ConfigReport report = iec::ParseStationFiles(table, ua, "iec101.cfg", main, link,
                                                            {.stop_at_error = (mode & 1) == 0});
    if (table.Kol_KP < 0 || table.Kol_KP > iec::kMaxStations) std::abort();
    for (int i = 1; i <= table.Kol_KP; ++i) {
        const iec::T_KP& kp = *table.Station(i);
        if (kp.Kol_TS < 0 || static_cast<size_t>(kp.Kol_TS) > kp.TS_arr.size()) std::abort();
        if (kp.Kol_TI < 0 || static_cast<size_t>(kp.Kol_TI) > kp.TI_arr.size()) std::abort();
    }
    iec::ValidateStations(table);
    // What was read is written back; writing never fails on content.
    const std::string text = iec::FormatStationFile(table, ua, 10);
    const std::string link_text = iec::FormatLinkFile(table);
    // Re-reading the written files gives the same number of stations, when the first read had no error.
    if ((mode & 2) && !report.HasErrors()) {
        iec::StationTable again;
        iec::OpcUaSettings ua2;
        iec::ParseStationFiles(again, ua2, "iec101.cfg", text, link_text);
        if (again.Kol_KP != table.Kol_KP) std::abort();
    }
    return 0;
}
