#include <iostream>

#include "quillon/firmware/fwtool.h"

int main(int argc, char** argv) {
  return quillon::runFirmwareTool(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
