// Where a reserve server sends the telecontrol commands its own clients write while its main server works: the
// redundancy link queues them as lines for the main. The model and the OPC front ends only see this interface.
#pragma once

namespace iec {

class ReserveCommandOutlet {
public:
    virtual ~ReserveCommandOutlet() = default;
    // Queues the command for the main, replacing one not yet sent. Called from any client thread; never blocks
    // on the network.
    virtual void ForwardToMain(int tag, bool on) = 0;
};

}  // namespace iec
