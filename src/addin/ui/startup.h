#pragma once
// The program's start when run as a window (or as the editor's add-in).

namespace addin {

// Builds the application, runs Main (keyword tables, add-in registration, the
// main window), and the event loop. `snippary LIBRARY` opens that library at
// start; `snippary --nvim` talks to the editor on stdin/stdout.
int RunProgram(int argc, char** argv);

}  // namespace addin
