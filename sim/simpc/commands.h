#pragma once
// The commands of simpc, each ending in the exit status simpc gives: 0 done, 1 the machine
// or the program could not be used (one message on `err`), or the status of the program run.

#include <ostream>

#include "sim/simpc/arguments.h"
#include "sim/simpc/places.h"

namespace sim::simpc {

int runCommand(const Invocation& invocation, const Places& places, std::ostream& out, std::ostream& err);

}  // namespace sim::simpc
