#include "parlex/Guistring.h"

namespace parlex {
namespace {

// Full codes with the severity Quillon raises each number with; ascending.
constexpr Message kMessages[] = {
    {0x01000000, {"<< &Back", "<< &Zurück", "<< &Retour"}},
    {0x01000001, {"&Next >>", "&Weiter >>", "&Suite >>"}},
    {0x01000002, {"&Cancel", "&Abbrechen", "&Annuler"}},
    {0x01000003, {"&Failed", "&Fehlgeschlagen", "&Echouer"}},
    {0x01000004, {"&Browse", "&Browse", "&Rechercher"}},
    {0x01000005, {"E&xit", "&Ende", "&Quitter"}},
    {0x01000006, {"&Read Me", "&Lies mich", "&A lire"}},
    inAllLanguages(0x01000007, "&Ok"),
    inAllLanguages(0x01000008, "&Resume"),
    inAllLanguages(0x01000009, "Quillon  V 2.0d"),
    {0x0100000A,
     {"Welcome to the Quillon program which will update the firmware in your CD-Recordable / ReWritable "
      "drive.",
      "Wilkommen im Programm zum Aktualisieren der Firmware in ihrem CD-Recordable / ReWritable Laufwerk",
      "Bienvenue. Le logiciel Quillon est distribue pour vous permettre la mise à jour des logiciels de "
      "vos périphériques enregistreur de CD / et unité pour CD ré enregistrables."}},
    {0x0100000B,
     {"It is necessary to exit all Windows programs before running this Quillon program.",
      "Bevor Sie das Firmware-Aktualisierungsprogramm starten, schließen sie bitte alle übrigen "
      "Windows-Anwendungen.",
      "Pour un usage optimal, veuillez arrêter tous Programmes Windows avant le lancement de l'utilitaire "
      "Quillon."}},
    {0x0100000C,
     {"Click Cancel to quit the Quillon program or click Next to continue but make sure no other programs "
      "are running.",
      "Abbrechen klicken um das Flash-Progamm zu verlassen oder Weiter klicken um fortzufahren, aber "
      "stellen Sie sicher, dass anderen Anwendungen geschlossen sind.",
      "Veuillez Sélectionner le bouton Annuler pour quitter le Progiciel Quillon ou Sélectionner le bouton "
      "Suivant pour continuer. Veuillez prendre les précautions appropriées : Assurez-vous qu'aucuns autre "
      "programme n'est actif."}},
    {0x0100000D, {"Select a Drive", "Wählen sie das Laufwerk aus.", "Sélectionner un périphérique"}},
    {0x0100000E,
     {"The system found the following drives.",
      "Das System fand folgende Laufwerke.",
      "Le système a identifier les périphériques suivant:"}},
    {0x0100000F,
     {"Select the supported drive to be updated.",
      "Wählen Sie das zu aktualisierende Laufwerk aus.",
      "Sélectionner un périphérique référencé à mettre à jour."}},
    {0x01000010,
     {"Product, Firmware Rev, Adaptor:Target:LUN",
      "Produkt, Firmware Stand, Verbindung: Ziel: LUN",
      "Produit, Logiciel Rev, Adaptor:Cible:LUN"}},
    {0x01000011,
     {"Supported Drives found:",
      "Unterstützte Laufwerke gefunden:",
      "Périphériques supportés identifiés :"}},
    {0x01000012,
     {"Non Supported Drives found:",
      "Nicht unterstütztes Laufwerk gefunden:",
      "Périphériques non supportés identifiés :"}},
    {0x01000013,
     {"No Supported Drives found:",
      "Kein unterstütztes Laufwerk gefunden:",
      "Périphériques non supportés identifiés :"}},
    {0x01000014,
     {"Select the Firmware File",
      "Wählen sie die Firmware-Datei aus",
      "Sélectionner le fichier logiciel à charger"}},
    {0x01000015,
     {"Select the firmware file.",
      "Wählen sie die Firmware-Datei aus.",
      "Sélectionner le fichier logiciel à charger."}},
    {0x01000016,
     {"Click Browse to change the current search location for firmware files.",
      "Klicken Sie Browse, um die Firmware-Datei an einem anderen Ort zu suchen.",
      "Sélectionner le bouton Rechercher pour changer votre domaine de recherche des Fichiers Logiciel."}},
    inAllLanguages(0x01000017, "A:\\"),
    {0x01000018, {"Current Location", "Derzeitiges Verzeichnis", "Localisation actuelle"}},
    {0x01000019,
     {"Selected Settings",
      "Gewählte Einstellungen",
      "Sélectionner les éléments de configuration"}},
    {0x0100001A,
     {"These are the settings you have choosen to update your drive's firmware.",
      "Sie haben diese Einstellungen zur Aktualisierung der Laufwerk's Firmware ausgewählt.",
      "Vous avez opter pour ces éléments de configuration afin de mettre à jour votre périphérique."}},
    {0x0100001B, {"Drive to Update :", "Zu aktualisierendes Laufwerk :", "Périphérique à mettre à jour :"}},
    {0x0100001C, {"Firmware File:", "Firmware Datei :", "Fichier logiciel :"}},
    {0x0100001D, {"Located in Directory :", "Vorhanden in Verzeichnis :", "Localisé dans le répertoire :"}},
    {0x0100001E,
     {"To modify these settings, click Back",
      "Zur Änderung der Einstellungen auf Zuruck klicken.",
      "Pour modifier cette sélection veuillez Sélectionner le bouton Retour."}},
    {0x0100001F,
     {"Starting the Updating Process",
      "Start des Aktualisierungsvorgangs",
      "Début de la mise à jour de votre Périphérique"}},
    {0x01000020,
     {"Click Next to start updating the drive.",
      "Klicken sie auf Weiter, um die Firmware-Aktualisierung des Laufwerks zu starten.",
      "Veuillez Sélectionner le bouton Suite, pour commencer la mise à jour de votre Périphérique."}},
    {0x01000021,
     {"WARNING: Interrupting the updating process may result in a drive failure. Therefore do not interact "
      "with the system during the updating.",
      "WARNUNG: Ein Unterbrechnung des Aktualisierungsvorgangs kann Fehlfunktionen des Laufwerks "
      "verursachen. Deshalb greifen sie bitte nicht während der laufenden Firmware-Aktualisierung in das "
      "System ein.",
      "ATTENTION: L'interruption de la procédure de mise à jour de votre Périphérique peut entraîner un "
      "dysfonctionnement de votre Périphérique. EVITEZ d'interagir avec le système lors du déroulement de "
      "l'opération de mise à jour."}},
    {0x01000022,
     {"Remove any CD you may have in the drive you are updating !",
      "Entfernen sie  eine eventuell im zu aktualiserenden Laufwerk eingelegte CD !",
      "Retirez tous CD de votre Périphérique lors du déroulement de l'opération de mise à jour."}},
    {0x01000023, {"Drive Updating", "Laufwerk wird aktualisiert", "Opération de mise à jour en cours"}},
    {0x01000024,
     {"The drive is being updated and the system is frozen.",
      "Das Laufwerk wurde aktualisiert und die Systemdaten gesichert.",
      "Opération de mise à jour en cours et système mis en veille."}},
    {0x01000025, {"Updating progress", "Aktualisierungs-Prozess", "Opération de mise à jour en cours"}},
    {0x01000026, {" % Completed", " % Abgeschlossen", " % Opération terminée"}},
    {0x01000027,
     {"Do not interact with the system.",
      "Bitte greifen Sie nicht in das System ein !",
      "Veuillez ne pas interagir avec le système lors du déroulement de l'opération."}},
    {0x01000028,
     {"Updating Process Completed",
      "Aktualisierungs-Prozess abgeschlossen",
      "Opération de mise à jour terminée"}},
    {0x01000029,
     {"The updating process is finished now.",
      "Aktualisierungs-Prozess ist jetzt beended.",
      "L'Opération de mise à jour est maintenant achevée."}},
    {0x0100002A,
     {"If the 'DISC IN' indicator on your drive is off, your drive was successfully updated. Click Next.",
      "Wenn die \"DISC IN\" Anzeige in ihrem Laufwerk erloschen ist, wurde die Aktualisierung erfolgreich "
      "durchgeführt. Klicken sie auf Weiter.",
      "Si le témoin de présence de disque Disc In de votre périphérique est éteint. Succes de l'opération "
      "de mise a jour. Veuillez Sélectionner le bouton SUITE."}},
    {0x0100002B,
     {"Otherwise, the updating process failed. Click Failed.",
      "Ansonsten ist der Aktualisierungs-Prozess fehlgeschlagen. Klicken sie auf Fehlgeschlagen",
      "Sinon, l'opération de mise à jour de votre périphérique a échoué. Veuillez Sélectionner le bouton "
      "Echec."}},
    {0x0100002C,
     {"Updating Process Failed",
      "Update-Vorgang Misslungen",
      "ECHEC de l'opération de mise a jour"}},
    {0x0100002D,
     {"The updating process failed. Your drive will not work properly. Please contact your local "
      "distributor.",
      "Update-Vorgang misslungen. Ihr Laufwerk wird nicht fehlerfrei arbeiten. Bitte wenden Sie sich an "
      "Ihren Vertragshändler.",
      "L'opération de mise à jour de votre périphérique a échoué. Votre périphérique ne pourra fonctionner "
      "correctement. Nous vous recommandons de prendre contact avec votre distributeur."}},
    {0x0100002E,
     {"In order to continue, click Exit and restart your system.",
      "Zur Fortsetzung Ende klicken und Sytem neu starten.",
      "Pour continuer, Veuillez Sélectionner le bouton Quitter et redémarrer votre système."}},
    {0x0100002F,
     {"Updating Process Successful",
      "Aktualisierungs-Prozess ist fehlgeschlagen",
      "Succes de l'opération de mise a jour"}},
    {0x01000030, {"Your ", "Ihr ", "Votre "}},
    {0x01000031,
     {" drive is successfully updated to version ",
      " Laufwerk wurde erfolgreich aktualisiert auf Version ",
      " périphérique est équipé de la version "}},
    {0x01000032,
     {"Click Read Me for more information about this firmware version.",
      "Klicken sie auf Lies Mich um weitere Informationen zur Firmware zu erhalten.",
      "Veuillez Sélectionner le bouton A LIRE pour accéder aux informations concernant cette version "
      "logiciel."}},
    {0x01000033,
     {"Click Exit to quit the Quillon program. It is necessary to shutdown your system and cycle the power "
      "to enable your drive.",
      "Beenden klicken um das Flash-Programm zu verlassen. Damit die Einstellungen wirksam werden ist es "
      "notwendig das System komplett aus- und wiedereinzuschalten.",
      "Veuillez Sélectionner le bouton Quitter pour quitter le Progiciel Quillon. Vous devez éteindre "
      "votre système et mettre votre ordinateur hors tension pour activer votre peripherique."}},
    {0x01000034,
     {"The flashing process is not complete. If you quit the Quillon Program now, your drive will not be "
      "upgraded.",
      "Der Flash-Vorgang ist nicht beendet. Wenn Sie das Flash-Progamm jetzt verlassen erfolgt kein Update "
      "der Firmware.",
      "Le processus de mise à jour des logiciels n'est pas fini. Si vous l'interrompez à ce stade, votre "
      "Périphérique n'aura pas été mis à jour."}},
    {0x01000035,
     {"You may run the Quillon program at a later time to complete the Firmware upgrade of your drive.",
      "Sie können Flash-Programm zu einem späteren Zeitpunkt starten, um das Firmware-Update des Laufwerks "
      "zu beenden.",
      "Vous pourrez utiliser le Progiciel de mise à jour des logiciels ultérieurement pour réaliser la "
      "mise à jour de votre Périphérique."}},
    {0x01000036,
     {"To continue flashing your drive, click Resume. To quit the Quillon program, click Exit.",
      "Zur Fortsetzung des Flash-Programms auf Weiter klicken. Zum Beenden des Flash-Programms auf Beenden "
      "klicken..",
      "Pour poursuivre l'opération de mise à jour, veuillez sélectionner le bouton Resume. Pour quitter "
      "l'utilitaire Quillon veuillez sélectionner le bouton Quitter."}},
    {0x01000037, {"Inquiry", "Anfrage", "Requête"}},
    {0x03000038, {"No drive selected", "Kein Laufwerk ausgewählt", "Pas de périphérique sélectionné."}},
    inAllLanguages(0x01000039, "Information"),
    {0x0200003A, {"Warning", "Warnung", "Avertissement."}},
    {0x0300003B, {"Error", "Fehler", "Erreur"}},
    {0x0400003C, {"Fatal Error", "Fataler Fehler", "Erreur Fatal"}},
    {0x0300003D,
     {"Unable to locate file %s.",
      "Datei nicht auffindbar %s.",
      "Impossible de localiser le fichier %s."}},
    {0x0300003E,
     {"Impossible to continue because drive properties are not correct.",
      "Fortsetzung nicht möglich, da Laufwerkseigenschaften fehlerhaft.",
      "Impossible de continuer. Les propriétés du périphérique ne sont pas correctes."}},
    {0x0100003F,
     {"Your system configuration currently allows :\n\n%s\n\n"
      "To successfully update your drive, these item(s) should be turned off.\n\n"
      "Do you want us to temporarily re-configure and re-start your system ?\n",
      "Ihre derzeitige System-Konfiguration erlaubt :\n\n%s\n\n"
      "Für ein erfolgreiches Update sollte diese(r) Punkt(e) ausgeschaltet sein.\n\n"
      "Möchten Sie vorübergehend das System rekonfigurieren und einen Neustart durchführen ?\n",
      "Votre configuration de votre périphérique permets actuellement de :\n\n%s\n\n"
      "Pour assurer la mise à jour de votre périphérique, ces élément(s) doivent être désactivés.\n\n"
      "Souhaitez-vous  que le système change temporairement la configuration de votre système et le "
      "ré-initialise ?\n"}},
    {0x01000040,
     {"The Quillon program has successfully re-configured your system\n"
      "To activate this configuration, your system will be restarted.\n\n"
      "In order to update your drive, you should re-start the Quillon program as soon as your system comes "
      "up again.",
      "Das Flash-Programm hat die System- Rekonfiguration erfolgreich beendet.\n"
      "Zur Aktivierung dieser Konfiguration erfolgt System-Neustart.\n\n"
      "Zum Update des Laufwerks bitte Neustart desFlash-Programms nach System-Neustart durchführen.",
      "Success de l'opération de mise a jour.\n"
      "Pour rendre active cette nouvelle configuration, votre système va être ré-initialisé.\n\n"
      "Pour permettre la mise à jour de votre périphérique : Veuillez re-demarrer le Progiciel Quillon dès "
      "le démarrage de votre système."}},
    inAllLanguages(0x02000041,
                   "This utility requires Administrator rights in order to run. Please log off, log on as "
                   "a user with local Administrator rights, and then run this utility again."),
    inAllLanguages(0x02000042, "In order to continue, please remove the disk from the selected drive."),
    inAllLanguages(0x01000044,
                   "In order to be able to flash the drive to the new firmware, DMA needs to be turned "
                   "off.\n\nPlease select 'OK' to find out the steps to turn off DMA.\n"
                   "Once DMA is turned off, you will need to reboot your system."),
    inAllLanguages(0x01000045,
                   "Follow these steps to turn off DMA under Windows 2000.\n\n- Right click 'My Computer'\n"
                   "- Select 'Properties'\n- Select tab 'Hardware'\n- Select button 'Device Manager'\n"
                   "- Expand 'IDE ATA / ATAPI controllers'\n"
                   "- Right click the controller to which your device is attached\n- Select 'Properties'\n"
                   "- Select tab 'Advanced settings'\n- Select the device which is your TRX4150\n"
                   "- Select the pull down menu to select 'PIO only'\n- Select the 'OK' button\n"
                   "- You will need restart afterwards."),
};

}  // namespace

TguiString::TguiString(int language) : StringTable(kIllegalText, kHoleText, kMessages, language) {}

}  // namespace parlex
