#include "parlex/Dristring.h"

namespace parlex {
namespace {

// Full codes with the severity Quillon raises each number with; ascending.
constexpr Message kMessages[] = {
    {0x0400012C,
     {"DRI: Memory allocation error.",
      "Datei Zuordnungsfehler.",
      "Erreur d'allocation mémoire."}},
    {0x0300012D,
     {"Invalid Drive Handle.",
      "Ungültiges Laufwerk.",
      "L 'indexage du périphérique n'est pas correct."}},
    {0x0300012E,
     {"Invalid Drive Type.",
      "Ungültiger Laufwerkstyp",
      "Ce type de périphérique n'est pas correct."}},
    {0x0300012F,
     {"Verification error WHILE downloading and comparing firmware file.",
      "Verifikationsfehler während des Ladens und Vergleichens der Firmware-Datei.",
      "Erreur lors de l'opération de vérification du chargement et de l'opération de comparaison du "
      "fichier logiciel."}},
    {0x03000130,
     {"Invalid Firmware File.",
      "Ungültige Frimware-Datei.",
      "Ce Fichier Logiciel n'est pas correct."}},
    {0x03000131,
     {"ASPI Initialisation error.",
      "ASPI Intialisierungsfehler.",
      "Erreur de configuration initiale ASPI."}},
    {0x03000132, {"ASPI Library error.", "ASPI Bibliothek-Fehler.", "Erreur : bibliothèque ASPI."}},
    {0x03000133, {"CDR Library error.", "CDR Biliothek-Fehler.", "Erreur : bibliothèque CDR"}},
    {0x03000134, {"No device found.", "Kein Gerät gefunden.", "Le système n'a pas trouvé de périphérique."}},
    {0x04000135, {"ASPI Send Error.", "ASPI Sende-Fehler.", "Erreur de transmission ASPI."}},
    inAllLanguages(0x01000136, "No medium present."),
    inAllLanguages(0x04000137,
                   "In order to be able to flash the drive to the new firmware, Adaptec's Aspi needs to be "
                   "installed first.\n\nPlease shut down this quillon. Install Aspi and reboot your system."),
};

}  // namespace

TdriString::TdriString(int language) : StringTable(kIllegalText, kHoleText, kMessages, language) {}

}  // namespace parlex
