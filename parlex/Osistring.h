#pragma once
// Texts of registry access, the IDE checks and the registry backup file, numbers 500-510.

#include "parlex/StringTable.h"

namespace parlex {

class TosiString : public StringTable<500, 11> {
 public:
  static constexpr const char* kIllegalText = "OSI : Illegal string in table.";
  static constexpr const char* kHoleText = "OSI : Hole in string array";

  explicit TosiString(int language);
};

}  // namespace parlex
