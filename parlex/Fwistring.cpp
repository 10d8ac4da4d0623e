#include "parlex/Fwistring.h"

namespace parlex {
namespace {

// Full codes with the severity Quillon raises each number with; ascending.
constexpr Message kMessages[] = {
    {0x03000064,
     {"FWI: Firmware file not found.",
      "Firmware Datei nicht gefunden.",
      "Le système n'a pas trouvé le Fichier Logiciel."}},
    {0x03000065,
     {"FWI: Firmware file read error.",
      "Firmware Datei Lesefehler.",
      "Erreur en lecture du Fichier Logiciel."}},
    {0x04000066,
     {"FWI: Memory Allocation Error.",
      "Speicher Zuordnungsfehler.",
      "Erreur d'allocation mémoire."}},
    {0x02000067, {"FWI: Illegal Firmware File.", "Unzulässige Firmware-Datei.", "Fichier Logiciel illégal."}},
    {0x03000068,
     {"FWI: Illegal Firmware Revision.",
      "Unzulässige Firmware-Version.",
      "Révision du Fichier Logiciel illégale."}},
};

}  // namespace

TfwiString::TfwiString(int language) : StringTable(kIllegalText, kHoleText, kMessages, language) {}

}  // namespace parlex
