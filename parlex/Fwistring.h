#pragma once
// Texts of the firmware file validation, numbers 100-104.

#include "parlex/StringTable.h"

namespace parlex {

class TfwiString : public StringTable<100, 5> {
 public:
  static constexpr const char* kIllegalText = "FWI : Illegal string in table.";
  static constexpr const char* kHoleText = "FWI : Hole in string array";

  explicit TfwiString(int language);
};

}  // namespace parlex
