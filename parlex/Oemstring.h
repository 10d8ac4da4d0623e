#pragma once
// Texts for editing the supported drive/firmware list, numbers 600-604; Quillon itself raises
// none of them.

#include "parlex/StringTable.h"

namespace parlex {

class ToemString : public StringTable<600, 5> {
 public:
  static constexpr const char* kIllegalText = "OEM : Illegal string in table.";
  static constexpr const char* kHoleText = "OEM : Hole in string array";

  explicit ToemString(int language);
};

}  // namespace parlex
