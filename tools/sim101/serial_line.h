// A serial device or a pseudo-terminal, set to raw 8-bit mode.
#pragma once

#include <memory>
#include <string>

#include "sim101/endpoint.h"

namespace iec::sim {

// Opens a device path (a serial port or an existing pseudo-terminal). Throws std::runtime_error.
std::unique_ptr<Endpoint> OpenSerialDevice(const std::string& path, int baud, char parity);

// Creates a pseudo-terminal pair; the master opens the printed slave path. Throws std::runtime_error.
std::unique_ptr<Endpoint> CreatePty();

}  // namespace iec::sim
