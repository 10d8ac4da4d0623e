#pragma once
// Texts of the Kernel, numbers 400-403.

#include "parlex/StringTable.h"

namespace parlex {

class TknlString : public StringTable<400, 4> {
 public:
  static constexpr const char* kIllegalText = "KNL : Illegal string in table.";
  static constexpr const char* kHoleText = "KNL : Hole in string array";

  explicit TknlString(int language);
};

}  // namespace parlex
