#pragma once
// Texts of the wizard's forms, numbers 0-69: button captions, page titles and texts, pop-up
// captions and prompts. 67 has no text.

#include "parlex/StringTable.h"

namespace parlex {

class TguiString : public StringTable<0, 70> {
 public:
  static constexpr const char* kIllegalText = "GUI : Language Handling, Illegal string in table.";
  static constexpr const char* kHoleText = "GUI : Language Handling. Hole in string array";

  explicit TguiString(int language);
};

}  // namespace parlex
