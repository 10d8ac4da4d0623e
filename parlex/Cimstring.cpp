#include "parlex/Cimstring.h"

namespace parlex {
namespace {

// Full codes with the severity Quillon raises each number with; ascending.
constexpr Message kMessages[] = {
    {0x030000C9,
     {"CIM: OEM file not found.",
      "OEM Datei nicht gefunden.",
      "Le Fichier OEM n'est pas accessible."}},
    {0x030000CA,
     {"CIM: OEM file creation error.",
      "OEM Datei Erstellungsfehler.",
      "Erreur a la création du fichier OEM."}},
    {0x030000CB,
     {"CIM: OEM file read error.",
      "OEM Datei Lesefehler.",
      "Erreur a la lecture du fichier OEM."}},
    {0x030000CC,
     {"CIM: OEM file write error.",
      "OEM Datei Schreibfehler.",
      "Erreur a l'écriture du fichier OEM."}},
    {0x030000CD, {"CIM: End of file reached.", "Dateiende erreicht.", "Fin de fichier atteint."}},
    {0x030000CE, {"CIM: OEM file corrupt.", "OEM Datei beschädigt.", "Le Fichier OEM corrompu."}},
};

}  // namespace

TcimString::TcimString(int language) : StringTable(kIllegalText, kHoleText, kMessages, language) {}

}  // namespace parlex
