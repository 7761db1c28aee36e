#pragma once

namespace quorvel {

// The program entry routine: registers the exit routine, shows the main window, runs the event
// loop until the last window closes, then ends the program (running the exit routine). Returns
// the event loop's exit code.
int runProgram(int argc, char **argv);

} // namespace quorvel
