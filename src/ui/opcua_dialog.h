// The OPC UA settings dialog ("Настройки OPC UA сервера"): whether the server runs, whether clients may write
// status signals, password login with its user name and password, and the TCP port. The settings live in
// iec101.cfg, which the main window writes after the dialog whatever its answer; they take effect at the next
// polling start.
#pragma once

#include <string>

#include "model/station.h"

namespace iec {

struct OpcUaDialogForm {
    bool OPC_UA_use = false;
    bool OPC_UA_writable = false;
    bool OPC_UA_by_pwd = false;
    std::string OPC_UA_username;
    std::string OPC_UA_password;  // shown masked with "*"
    std::string Port;             // as typed
};

inline constexpr int kOpcUaPortMin = 1;
inline constexpr int kOpcUaPortMax = 65532;
inline constexpr int kOpcUaDefaultPort = 16101;  // shown for a port of 0
// The server library takes the user name and the password as one octet per character in 100 octets.
inline constexpr size_t kOpcUaCredentialsMax = 100;

class OpcUaDialog {
public:
    OpcUaDialogForm& Form() { return form_; }
    const OpcUaDialogForm& Form() const { return form_; }

    // Fills the form from the settings; a port of 0 becomes 16101 in the settings themselves.
    void Open(OpcUaSettings& settings);
    // "OK": why the dialog cannot close (the port outside 1..65532; a user name or password the station file or
    // the server library cannot carry); empty when it can.
    std::string Check() const;
    // After an accepted "OK": the six values into the settings.
    void Store(OpcUaSettings& settings) const;

private:
    OpcUaDialogForm form_;
};

}  // namespace iec
