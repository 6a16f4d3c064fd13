#pragma once
// The program from start to exit: the application object over the Qt seams,
// the main frame, the command line, and the optional screenshot run.

namespace vox {

// Command line: [--screenshot FILE] [FILE-TO-OPEN]
//   --screenshot FILE  render the main window once the opening work is done,
//                      save it as PNG and exit (for headless runs).
int run_voxtrel(int argc, char** argv);

}  // namespace vox
