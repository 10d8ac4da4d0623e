#pragma once
// Running one of the suite's programs inside a machine, as `simpc run` does: in a child
// process whose current folder is the machine's files folder and whose QUILLON_MACHINE names
// the machine, so the program's host() attaches it. A restart the program asks Windows for
// reboots the machine once the program has ended.

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "sim/machine/machine_folder.h"

namespace sim::simpc {

// Whether `out` gets a line for a program that exited with status 0; an end by any other
// status or by a signal is always told.
enum class StatusLine { Always, OnFailure };

struct ProgramEnd {
  int status;      // the exit status, 128 + the signal when one ended the program
  bool restarted;  // the program asked Windows to restart, and the machine has rebooted
};

// Throws MachineError for a machine the program cannot run on, or a program that cannot be
// started.
ProgramEnd runProgramToEnd(const MachineFolder& folder, const std::filesystem::path& program,
                           const std::vector<std::string>& arguments, std::ostream& out,
                           StatusLine statusLine = StatusLine::Always);

// The program's exit status, as runProgramToEnd.
int runProgram(const MachineFolder& folder, const std::filesystem::path& program,
               const std::vector<std::string>& arguments, std::ostream& out,
               StatusLine statusLine = StatusLine::Always);

}  // namespace sim::simpc
