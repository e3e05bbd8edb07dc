// The polling switch: starting polling re-reads the station files, groups the stations by channel into polling
// threads, registers every configured signal, numbers the tag table and starts the threads; stopping ends the
// threads and waits for them. Runs on the thread that owns the runtime (the main thread).
#pragma once

#include <string>

#include "model/runtime.h"

namespace iec {

struct PollingStart {
    bool started = false;
    // Why polling did not start: a configuration beyond a limit (named with the figure), or a station file that
    // could not be read to its end.
    std::string refusal;
    // What became of the OPC UA server when OPC_UA_use is set (running, or why it is off this run).
    std::string opc_ua;
};

// Counts of the configuration that the limits apply to.
struct PollingLimits {
    static constexpr int kThreads = 40;
    static constexpr int kStationsPerThread = 60;
    static constexpr int kStations = 980;
    static constexpr int kSignals = 10000;
    static constexpr int kTagSlots = 20000;
};

// start_threads false builds everything but leaves the threads unstarted (for checks of the grouping).
PollingStart Start_Opros(Runtime& rt, bool start_threads = true);
// Stops the OPC UA server, then asks every thread to end and waits for each (a read or connect in progress ends
// within its time-out).
void Stop_Opros(Runtime& rt);
// Applies Opros_On: starts polling when it is set, stops it otherwise.
PollingStart Begin_Opros(Runtime& rt);

// NSignalsTS and NSignalsTIT from the station table.
void Calc_Kol_Signals(Runtime& rt);

// Arms a telecontrol command for the tag (a TS with command addresses) in its station's thread. From any thread;
// tag 0, a tag outside the table or a slot without a thread changes nothing (false).
bool ExecuteTU(Runtime& rt, int tag, bool command);
bool ArmTU(Runtime& rt, int tag, bool command);
// A telecontrol written by a client (OPC DA, OPC UA): on a reserve server whose main works it is forwarded to the
// main through the redundancy link (nothing is armed here); otherwise ExecuteTU. Any thread.
bool RequestTelecontrol(Runtime& rt, int tag, bool command);

// Appends one line to a text file of the program folder; errors are ignored.
void Write_Log_Line(const Runtime& rt, const std::string& text, const std::string& file_name);

}  // namespace iec
