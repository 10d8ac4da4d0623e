// simpc: makes, resets and shows simulated PCs, and runs the suite's programs inside them.

#include <iostream>
#include <string>
#include <vector>

#include "sim/simpc/commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  std::string error;
  auto invocation = sim::simpc::parseArguments(arguments, error);
  if (!invocation) {
    std::cerr << "simpc: " << error << '\n' << sim::simpc::kUsage;
    return 2;
  }
  return sim::simpc::runCommand(*invocation, sim::simpc::installedPlaces(), std::cout, std::cerr);
}
