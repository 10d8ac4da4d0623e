#pragma once
// A machine's set of firmware files, described in JSON and made with the firmware builder,
// so that no machine carries opaque binaries in the repository.

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/fixtures/firmware_builder.h"

namespace sim {

struct FirmwareFile {
  std::string name;
  FirmwareSpec spec;                       // a combined file's CD-R/RW part, a dual file's first half
  std::optional<FirmwareSpec> dvdPart;     // "dvd": a combined file
  std::optional<FirmwareSpec> secondHalf;  // "second": a dual file
};

// Thrown for a description that cannot be used; the message names the JSON path at fault.
class DescriptionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::vector<FirmwareFile> parseFirmwareSet(const nlohmann::json& description);

// Writes every file into `folder`; throws DescriptionError or BuildError naming the file.
void writeFirmwareSet(const std::vector<FirmwareFile>& files, const std::string& folder);

}  // namespace sim
