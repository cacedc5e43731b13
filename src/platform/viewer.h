#pragma once
// Handing a written file to the desktop.

#include <string>

namespace vorlix::platform {

// Starts the program that shows a file ("open": the desktop's handler of its type) or prints it
// ("print": the print spooler), and returns without waiting for it. A program that cannot be
// started is not reported: the file is written either way.
void StartViewer(const std::string& verb, const std::string& file);

}  // namespace vorlix::platform
