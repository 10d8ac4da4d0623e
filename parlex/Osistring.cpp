#include "parlex/Osistring.h"

namespace parlex {
namespace {

// Full codes with the severity Quillon raises each number with; ascending.
constexpr Message kMessages[] = {
    {0x030001F4,
     {"Windows Registry Access Error.",
      "Windows Registry Zugriffsfehler.",
      "Erreur : Accès registre Windows."}},
    {0x030001F5,
     {"Drive is candidate on secundary IDE port.",
      "Laufwerk ist zur Prüfung am sekundären IDE-Bus.",
      "Périphérique candidat sur le Bus IDE secondaire."}},
    {0x030001F6,
     {"HardwKey's target-ID does not match drive's target-ID.",
      "Hardware-Ziel-ID und Laufwerks-Ziel-ID stimmen nicht überein.",
      "Identifiant de la cible matériel ne correspond pas l'identifiant de la cible Périphérique."}},
    {0x030001F7,
     {"No next subkey.",
      "Kein weiterer Subschlüssel gefunden.",
      "La sub-clé matériel suivante n'a pu être validée."}},
    {0x030001F8,
     {"HardwareKey not found for given drive-ID.",
      "Kein Hardware Schlüssel für ausgewählten Laufwerk gefunden.",
      "La clé matériel n'a pu être validée pour le périphérique Identifié."}},
    {0x030001F9,
     {"Unable to create registry backup file",
      "Keine Erstellung der Registry-Backup-Datei möglich.",
      "Erreur à la création : fichier de sauvegarde des registres."}},
    {0x030001FA,
     {"Unable to write to registry backup file.",
      "Kein Schreiben in die Registry-Backup-Datei möglich.",
      "Erreur à l'écrire : fichier de sauvegarde des registres."}},
    {0x030001FB,
     {"Unable to read from registry backup file.",
      "Kein Lesen der Registry-Bachup-Datei möglich.",
      "Erreur en lecture : lire le fichier de sauvegarde des registres."}},
    {0x030001FC,
     {"Unable to open registry backup file.",
      "Kein Öffnen der Registry-Backup-Datei möglich.",
      "Erreur à l'ouverture : fichier de sauvegarde des registres."}},
    {0x030001FD,
     {"Too many keys in registry backup file.",
      "Zu viele Schlüssel in der Registry-Backup-Datei.",
      "Trop de cles dans le fichier de sauvegarde des registres."}},
    inAllLanguages(0x020001FE, "No IDE Host Adapter"),
};

}  // namespace

TosiString::TosiString(int language) : StringTable(kIllegalText, kHoleText, kMessages, language) {}

}  // namespace parlex
