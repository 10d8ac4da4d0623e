#pragma once
// A machine's OEM customisation file, described in JSON and written with the OEM builder:
//   {"keySeed": 7, "records": [{"text": "Logo.bmp", "vendor": "VORANTE", "product": "VR1204A",
//     "skew": "**", "revisionPattern": "2.**", "driveType": 6}, ...]}

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/fixtures/oem_builder.h"
#include "sim/machines/firmware_set.h"

namespace sim {

struct OemSet {
  std::uint32_t keySeed = 0;
  std::vector<OemEntry> records;
};

// Throws DescriptionError naming the JSON path at fault.
OemSet parseOemSet(const nlohmann::json& description);

// Writes Quillon.oem into `folder`; throws DescriptionError or BuildError.
void writeOemSet(const OemSet& set, const std::string& folder);

}  // namespace sim
