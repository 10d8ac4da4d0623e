#include <iostream>

#include "parlex/dump.h"

int main(int argc, char** argv) {
  return parlex::runDump(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
