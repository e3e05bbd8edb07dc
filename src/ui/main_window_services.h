// What the main window drives beyond the station table, each behind an interface that the program entry fills:
// the OPC DA server (counts, shutdown notice, registration), the companions of a polling start (the web server),
// the main side of the redundancy link, and the two command families whose dialogs live with their subsystems
// (remote configuration transfer, redundancy settings and state). A missing service leaves its commands inert
// and, for the menu families, hidden.
#pragma once

#include <string>

#include "ui/random_source.h"
#include "web/web_data.h"

namespace iec {

class ServerControl {
public:
    virtual ~ServerControl() = default;
    virtual int ClientCount() const = 0;  // OPC server objects
    virtual int GroupCount() const = 0;
    // Objects that clients still hold (asked about when the window closes).
    virtual int LiveObjects() const = 0;
    // The shutdown notice to every connected client.
    virtual void ShutDownClients(const std::string& reason) = 0;
    // Registration of the OPC server: an empty string on success, else the reason.
    virtual std::string Register() = 0;
    virtual std::string Unregister() = 0;
};

// Started with polling and stopped with it (the web server, when cnf.ini asks for it).
class PollingCompanions {
public:
    virtual ~PollingCompanions() = default;
    virtual void PollingStarted() = 0;
    virtual void PollingStopped() = 0;
};

// The main side of the redundancy link: every 500 ms with the change lines waiting (maybe none); it decides
// whether a full transfer goes instead.
class ReserveSender {
public:
    virtual ~ReserveSender() = default;
    virtual void Send_To_Reserv(const std::string& lines) = 0;
};

// The two transfer commands with their own dialog and messages.
class ConfigTransferCommands {
public:
    virtual ~ConfigTransferCommands() = default;
    // True when the local configuration files were replaced (the window then reloads the station table).
    virtual bool ReadFromRemote() = 0;
    virtual void WriteToRemote() = 0;
};

// The redundancy settings dialog and the state window.
class RedundancyCommands {
public:
    virtual ~RedundancyCommands() = default;
    virtual void Settings() = 0;
    virtual void ShowState() = 0;
};

struct MainWindowServices {
    const WebDataSource& signals;  // the one-unit snapshots the grids are filled from
    RandomSource& random;          // the copies' name suffixes
    ServerControl* server = nullptr;
    PollingCompanions* companions = nullptr;
    ReserveSender* reserve = nullptr;
    ConfigTransferCommands* transfer = nullptr;
    RedundancyCommands* redundancy = nullptr;
};

}  // namespace iec
