// Windows only: a message to the person who started the program.
#pragma once

#include <string>

namespace iec {

// The window title and the application title.
inline constexpr const char* kApplicationTitle = "OPC-сервер для протокола МЭК-60870-5-101";

// A message box, or a line on standard error when that is redirected to a file or a pipe: a script or a test that
// runs the program reads the text there, and no box waits for a click that never comes.
void ShowNotice(const std::string& text, bool error);

}  // namespace iec
