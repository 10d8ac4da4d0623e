#pragma once
// Texts of the drive functions, numbers 300-311.

#include "parlex/StringTable.h"

namespace parlex {

class TdriString : public StringTable<300, 12> {
 public:
  static constexpr const char* kIllegalText = "DRI : Illegal string in table.";
  static constexpr const char* kHoleText = "DRI : Hole in string array";

  explicit TdriString(int language);
};

}  // namespace parlex
