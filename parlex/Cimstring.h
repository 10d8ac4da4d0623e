#pragma once
// Texts of the OEM customisation file, numbers 200-206. 200 is the file's success value and
// has no text.

#include "parlex/StringTable.h"

namespace parlex {

class TcimString : public StringTable<200, 7> {
 public:
  static constexpr const char* kIllegalText = "CIM : Illegal string in table.";
  static constexpr const char* kHoleText = "CIM : Hole in string array";

  explicit TcimString(int language);
};

}  // namespace parlex
