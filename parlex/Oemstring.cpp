#include "parlex/Oemstring.h"

namespace parlex {
namespace {

// Full codes with the severity Quillon raises each number with; ascending.
constexpr Message kMessages[] = {
    inAllLanguages(0x01000258, "OK"),
    {0x03000259,
     {"Unable to copy file.",
      "Kopieren der Datei nicht möglich.",
      "Impossible de copier ce fichier."}},
    {0x0300025A,
     {"Unable to delete file.",
      "Löschen der Datei nicht möglich.",
      "Impossible de supprimer ce fichier."}},
    {0x0300025B,
     {"Error in supported Drives/Firmware list.",
      "Fehler im Laufwerk-/ Firmwareverzeichnis.",
      "Erreur : Liste de Périphériques supportés et/ou Liste de Progiciels."}},
    {0x0200025C,
     {"At least one drive should be entered in the supported Drive/Firmware list.",
      "Mindestens ein Laufwerk sollte im Laufwerk-/Firmwareverzeichnis eingetragen sein.",
      "Un Périphérique au moins doit être saisi dans la Liste de Périphériques supportés et/ou Liste de "
      "Progiciels."}},
};

}  // namespace

ToemString::ToemString(int language) : StringTable(kIllegalText, kHoleText, kMessages, language) {}

}  // namespace parlex
