#include "parlex/Knlstring.h"

namespace parlex {
namespace {

// Full codes with the severity Quillon raises each number with; ascending.
constexpr Message kMessages[] = {
    {0x04000190,
     {"KNL: No drive selected.",
      "Kein Laufwerk ausgewählt.",
      "Pas de périphérique sélectionné."}},
    {0x04000191, {"KNL: No match", "Keine Übereinstimmung", "Pas de concordance"}},
    {0x04000192, {"KNL: String to long", "String zu lang", "Chaîne trop longue"}},
    {0x04000193,
     {"KNL: Illegal drive handle",
      "Ungültiges Laufwerk",
      "L 'indexage du périphérique n'est pas correct."}},
};

}  // namespace

TknlString::TknlString(int language) : StringTable(kIllegalText, kHoleText, kMessages, language) {}

}  // namespace parlex
