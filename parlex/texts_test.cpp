// The catalogue's texts held against the message tables, a sample per table and language,
// and the layout of every table: which numbers have texts and which languages share them.

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "parlex/Lngstring.h"
#include "parlex/test_registry.h"

namespace parlex {
namespace {

constexpr int kEnglish = 1;
constexpr int kGerman = 2;
constexpr int kFrench = 3;
constexpr const char* kNames[] = {"", "English", "German", "French"};

struct Sample {
  std::int32_t number;
  int language;
  const char* text;
};

constexpr Sample kSamples[] = {
    {0, kEnglish, "<< &Back"},
    {0, kGerman, "<< &Zurück"},
    {0, kFrench, "<< &Retour"},
    {11, kGerman,
     "Bevor Sie das Firmware-Aktualisierungsprogramm starten, schließen sie bitte alle übrigen "
     "Windows-Anwendungen."},
    {17, kGerman, "Unterstützte Laufwerke gefunden:"},
    {23, kEnglish, "A:\\"},
    {23, kFrench, "A:\\"},
    {30, kGerman, "Zur Änderung der Einstellungen auf Zuruck klicken."},
    {38, kEnglish, " % Completed"},
    {38, kGerman, " % Abgeschlossen"},
    {38, kFrench, " % Opération terminée"},
    {42, kGerman,
     "Wenn die \"DISC IN\" Anzeige in ihrem Laufwerk erloschen ist, wurde die Aktualisierung erfolgreich "
     "durchgeführt. Klicken sie auf Weiter."},
    {55, kFrench, "Requête"},
    {60, kGerman, "Fataler Fehler"},
    {61, kEnglish, "Unable to locate file %s."},
    {63, kGerman,
     "Ihre derzeitige System-Konfiguration erlaubt :\n\n%s\n\nFür ein erfolgreiches Update sollte diese(r) "
     "Punkt(e) ausgeschaltet sein.\n\nMöchten Sie vorübergehend das System rekonfigurieren und einen Neustart "
     "durchführen ?\n"},
    {64, kFrench,
     "Success de l'opération de mise a jour.\nPour rendre active cette nouvelle configuration, votre système va "
     "être ré-initialisé.\n\nPour permettre la mise à jour de votre périphérique : Veuillez re-demarrer le "
     "Progiciel Quillon dès le démarrage de votre système."},
    {69, kFrench,
     "Follow these steps to turn off DMA under Windows 2000.\n\n- Right click 'My Computer'\n- Select "
     "'Properties'\n- Select tab 'Hardware'\n- Select button 'Device Manager'\n- Expand 'IDE ATA / ATAPI "
     "controllers'\n- Right click the controller to which your device is attached\n- Select 'Properties'\n- "
     "Select tab 'Advanced settings'\n- Select the device which is your TRX4150\n- Select the pull down menu to "
     "select 'PIO only'\n- Select the 'OK' button\n- You will need restart afterwards."},
    {100, kEnglish, "FWI: Firmware file not found."},
    {102, kFrench, "Erreur d'allocation mémoire."},
    {103, kGerman, "Unzulässige Firmware-Datei."},
    {104, kFrench, "Révision du Fichier Logiciel illégale."},
    {202, kEnglish, "CIM: OEM file creation error."},
    {204, kFrench, "Erreur a l'écriture du fichier OEM."},
    {206, kGerman, "OEM Datei beschädigt."},
    {301, kFrench, "L 'indexage du périphérique n'est pas correct."},
    {303, kEnglish, "Verification error WHILE downloading and comparing firmware file."},
    {304, kGerman, "Ungültige Frimware-Datei."},
    {305, kGerman, "ASPI Intialisierungsfehler."},
    {306, kFrench, "Erreur : bibliothèque ASPI."},
    {401, kGerman, "Keine Übereinstimmung"},
    {402, kEnglish, "KNL: String to long"},
    {402, kFrench, "Chaîne trop longue"},
    {501, kEnglish, "Drive is candidate on secundary IDE port."},
    {505, kFrench, "Erreur à la création : fichier de sauvegarde des registres."},
    {508, kGerman, "Kein Öffnen der Registry-Backup-Datei möglich."},
    {510, kGerman, "No IDE Host Adapter"},
    {600, kFrench, "OK"},
    {602, kGerman, "Löschen der Datei nicht möglich."},
    {603, kEnglish, "Error in supported Drives/Firmware list."},
    {604, kFrench,
     "Un Périphérique au moins doit être saisi dans la Liste de Périphériques supportés et/ou Liste de "
     "Progiciels."},
};

struct Range {
  std::int32_t base;
  std::int32_t count;
};

constexpr Range kRanges[] = {{0, 70}, {100, 5}, {200, 7}, {300, 12}, {400, 4}, {500, 11}, {600, 5}};

// Numbers whose text is the same in all three languages; GUI 4 is shared by English and German only.
const std::set<std::int32_t> kSharedByAll = {7, 8, 9, 23, 57, 65, 66, 68, 69, 310, 311, 510, 600};

class Texts : public LanguageRegistry {
 protected:
  const TlngString& in(int language) {
    setLanguage(kNames[language]);
    catalogues_[language] = std::make_unique<TlngString>();
    return *catalogues_[language];
  }

  std::unique_ptr<TlngString> catalogues_[4];
};

TEST_F(Texts, MatchTheMessageTablesInEveryLanguage) {
  for (int language : {kEnglish, kGerman, kFrench}) {
    const TlngString& catalogue = in(language);
    for (const Sample& sample : kSamples) {
      if (sample.language != language) continue;
      EXPECT_STREQ(catalogue.String(sample.number), sample.text) << kNames[language] << " " << sample.number;
    }
  }
}

TEST_F(Texts, EveryNumberOfATableHasATextInEachLanguageBut67And200) {
  for (int language : {kEnglish, kGerman, kFrench}) {
    const TlngString& catalogue = in(language);
    std::set<std::int32_t> holes;
    for (const Range& range : kRanges) {
      for (std::int32_t number = range.base; number < range.base + range.count; ++number) {
        const std::string text = catalogue.String(number);
        EXPECT_EQ(text.find("Illegal string"), std::string::npos) << kNames[language] << " " << number;
        if (text.find("Hole in string array") != std::string::npos) holes.insert(number);
      }
    }
    EXPECT_EQ(holes, (std::set<std::int32_t>{67, 200})) << kNames[language];
  }
}

TEST_F(Texts, OnlyTheSharedTextsAreAlikeAcrossLanguages) {
  const TlngString& english = in(kEnglish);
  const TlngString& german = in(kGerman);
  const TlngString& french = in(kFrench);
  for (const Range& range : kRanges) {
    for (std::int32_t number = range.base; number < range.base + range.count; ++number) {
      if (number == 67 || number == 200) continue;
      const bool shared = kSharedByAll.contains(number);
      EXPECT_EQ(std::string(english.String(number)) == german.String(number), shared || number == 4) << number;
      EXPECT_EQ(std::string(english.String(number)) == french.String(number), shared) << number;
    }
  }
}

}  // namespace
}  // namespace parlex
