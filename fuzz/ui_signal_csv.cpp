// A signal table file as an engineer may leave it: any bytes. The first octet chooses the table. A file that is
// taken must save again without a problem and load back to the same rows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ui/signal_csv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const iec::SignalKind kind = (data[0] & 1) ? iec::SignalKind::Measured : iec::SignalKind::Status;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    iec::SignalTable table(kind);
    iec::CsvRows parsed = iec::ParseSignalCsv(table, bytes);
    if (!parsed.rows) {
        if (parsed.problem.empty()) std::abort();
        return 0;
    }
    table.Replace(std::move(*parsed.rows));
    std::string problem;
    const std::string saved = iec::FormatSignalCsv(table, problem);
    if (!problem.empty()) std::abort();
    iec::SignalTable again(kind);
    iec::CsvRows reparsed = iec::ParseSignalCsv(again, saved);
    if (!reparsed.rows) std::abort();
    again.Replace(std::move(*reparsed.rows));
    if (!(again.Grid() == table.Grid())) std::abort();
    return 0;
}
