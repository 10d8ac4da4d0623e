// sim-make-firmware DESCRIPTION.json FOLDER: makes a machine's firmware files at build time.

#include <filesystem>
#include <fstream>
#include <iostream>

#include "sim/machines/firmware_set.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: sim-make-firmware DESCRIPTION.json FOLDER\n";
    return 2;
  }
  try {
    std::ifstream in(argv[1]);
    if (!in) throw sim::DescriptionError(std::string(argv[1]) + ": cannot read");
    auto files = sim::parseFirmwareSet(nlohmann::json::parse(in));
    std::filesystem::create_directories(argv[2]);
    sim::writeFirmwareSet(files, argv[2]);
  } catch (const std::exception& error) {
    std::cerr << "sim-make-firmware: " << argv[1] << ": " << error.what() << '\n';
    return 1;
  }
  return 0;
}
