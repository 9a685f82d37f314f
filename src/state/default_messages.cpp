// The built-in texts: German, the program's own language. Compiled as Windows-1252 bytes.
// A catalog file replaces them line by line, in this order.
#include "state/messages.h"

namespace {

const char* const kDefaultTexts[kMessageCount] = {
    "Datei",  // 0
    "Ende",
    "Optionen",
    "Einstellungen",
    "Hilfe",
    "Programm  F1",
    "über...",
    "Setup/Install ausführen",
    "--",
    "Name",
    "Größe",  // 10
    "Datum",
    "Pack-Rate %",
    "Fenstergröße merken",
    " leer 2",  // 14, not shown
    "neues Archiv erstellen",
    "vorhandenes Archiv öffnen",
    "Archiv entpacken",
    "Datei(en) aus dem Archiv entfernen",
    "Datei mit Standard-Programm öffnen/ansehen",
    "Eigenschaften/Einstellungen zum Programm",  // 20
    "ruft die Hilfe auf...",
    "beendet das Programm",
    "Archiv wählen",
    "gepackt",
    "Datei(en) hinzufügen",
    "Archivdatei erstellen...",
    "Datei(en) hinzufügen",  // 27, not shown
    "Archiv in ZIP-Archiv konvertieren oder ZIP-Archiv neu packen",
    "Marlox",
    "Verknüpfung mit *.zip erstellen",  // 30
    "Verknüpfung mit *.rar erstellen",
    "Verknüpfung mit *.cab erstellen",
    "Einstellungen",
    "Abbruch",
    "Ok",
    "Art...",
    "ohne Pfad hinzufügen",
    "Pfad relativ hinzufügen",
    "Pfad absolut hinzufügen",
    "Hilfe",  // 40
    "Dateien hinzufügen...",
    "Fehler",
    "Setup.dll fehlt oder ist beschädigt. CAB-Dateien können nicht bearbeitet werden!",
    "Die Datei unrar.dll fehlt oder ist beschädigt! RAR - Dateien können nicht bearbeitet werden!",
    "Die Datei ist entweder kein Archiv oder es handelt sich um ein (noch) nicht unterstütztes "
    "Archiv-Format",
    "F1 für Hilfe",
    "ZIP-Dateien (*.zip)|*.zip|RAR-Dateien (*.rar)|*.rar|Cabinet-Dateien (*.cab)|*.cab|Alle "
    "Archive |*.zip;*.rar;*.cab|Alle Dateien (*.*)|*.*",
    "Der Archivtyp ist unbekannt..?!?!?",
    "Bitte den Autor informieren und wenn möglich, das archiv mitschicken!",
    "Achtung!",  // 50
    "Leider können Dateien nur aus ZIP-Archiven entfernt werden!",
    "Bitte ggf. das Archiv in ein ZIP-Archiv konvertieren.",
    "Leider können Dateien nur zu ZIP-Archiven hinzugefügt werden!",
    "bitte einen Moment warten...",
    "Öffnen des Archives ist fehlgeschlagen....",
    "Bitte auf die Festplatte kopieren und dann erneut versuchen...",
    " Datei(en)",
    "Fehler im Archiv bzw. in der Datei!!!",  // 58, not shown
    "ZIP-Dateien (*.zip)|*.zip",
    "Alle Dateien (*.*)|*.*",             // 60, not shown
    "Entpacken....",                      // 61, not shown
    "Nur die ausgewählten Dateien = JA",  // 62, not shown
    "Alle Dateien entpacken = NEIN",      // 63, not shown
    "entpacken nach...",                  // 64, not shown
    "Setup/Install",
    "Sollen alle Dateien entpackt und Setup/Install ausgeführt werden?",
    "...entpacke ",
    " von ",
    "..Archiv kopieren..",
    "...Archiv neu einlesen...",  // 70
    "....aufräumen...",
    "konnte die Datei(en) nicht entfernen!!!",
    "Fehlende Funktion!",
    "Diese Funktion fehlt leider noch...",
    "...kopiere",
    "konnte neues Archiv nicht erstellen!!",
    "Hinzufügen...",
    "Archiv per eMail verschicken...",
    "Sprache :",
    "Sprachkennzeichen darf nur 2 Zeichen lang sein!",  // 80
    "Das Sprachkennzeichen darf nur 2-Stellig sein! Es kann jede beliebige Buchstabenkombination "
    "eingetragen werden, solange es eine Datei mit dem Namen Common.catalog_xx gibt. xx sind die "
    "beiden Buchstaben des Sprachkennzeichens",
    "Sprache",
    "geänderte Sprache",
    "Die neue Spracheinstellung wird erst nach einem Neustart des Programmes wirksam!",
    "Dateien können auf verschiedene Arten hinzugefügt werden.",
    "1) normal und ohne Pfadangaben",
    "    Die Datei ",
    "meinprog.exe",
    " wird als ",
    " in das Archiv aufgenommen",  // 90
    "2) mit relativen Pfadangaben",
    " wird, wenn Sie sich in dem Verzeichnis ",
    "meinverz",
    "    befindet, als ",
    "meinverz\\meinprog.exe",
    " in das Archiv übernommen",
    "3) mit absoluten Pfadangaben ",
    " wird, wenn sie sich in ",
    "c:\\daten\\privat\\meinverz",
    "    befindet, als ",  // 100
    "daten\\privat\\meinverz\\meinprog.exe",
    " aufgenommen",
    "    Es wird lediglich das Laufwerk weggelassen.....",
    "    (ist also im Prinzip auch ein relativer Pfad... nur mit einer tieferen Pfad-Struktur)",
    "neu",
    "öffnen",
    "entpacken",
    "per Mail verschicken",
    "Bearbeiten",
    "konvertieren",  // 110
    "entfernen",
    "hinzufügen",
    "ansehen",
    "Eigene Programme:",
    "inc. Verzeichnisse",
    "es werden alle Verzeichnisse (markierte) und deren Unterverzeichnisse mit gepackt",
    "Verzeichnisse",
    "...überschreiben",
    "...nachfragen",
    "Auswahl...",  // 120
    "alle Dateien",
    "ausgewählte Datei(en)",
    "Auswahl nach Suchmuster",
    "Anzahl überschritten!",
    "Es sind maximal 5 externe Anzeigeprogramme möglich!",
    "Mit den 3 Check-Boxen können die Verknüpfungen zu Marlox hergestellt",
    "oder auch entfernt werden.",
    "In das Feld \"Sprache\" kommen die 2 Buchstaben, die in der Datei ",
    "Common.catalog_xx an Stelle der xx stehen.",
    "Beispiel: die Sprachdatei hat den Namen Common.catalog_en",  // 130
    "(en für Englisch) dann muß in diesem Feld \"en\" eingegeben werden.",
    "Die Spracheinstellungen werden erst nach einem Neustart des Programmes",
    "aktiv.",
    "In dem Eingabefeld für \"Eigene Programme\" kann ein Programm-Name",
    "eingegeben werden (das muß sich dann im Suchpfad von Windows ",
    "befinden; z.B. Notepad.exe findet Windows ohne Pfadangabe) und mit dem",
    "Button \"hinzufügen\" der Liste von max. 5 eigenen Programmen hinzugefügt ",
    "werden.",
    "Die 2. Möglichkeit ist, ohne Eingabe eines Programmes (Feld leer lassen)",
    "mit dem Button \"hinzufügen\" über einen Datei-Requester eine ausführbare",  // 140
    "Datei zu suchen.",
    "Der Button \"entfernen\" löscht, sofern in der Liste ein Programm ausgewählt",
    "wurde, den entsprechenden Eintrag.",
    "Die Einträge in dieser Liste sind auch im Kontextmenü (rechte Maustaste)",
    "vorhanden.",
    "Auch diese Einträge sind erst nach einem Neustart des Programmes aktiv.",
    "Die Dateien aus dem Archiv können ohne Nachfrage vorhandene Dateien",
    "überschreiben oder es kann für das Überschreiben eine Bestätigung",
    "eingeholt werden.",
    "Die Auswahl der zu entpackenden Dateien sind entweder alle, die im",  // 150
    "Hauptfenster von Marlox markierten Dateien oder eine Auswahl nach",
    "Suchmuster.",
    "Der Punkt ausgewählte Dateien ist nur aktiv, wenn mindestens 1 Datei",
    "markiert wurde.",
    "Die Auswahl nach Suchmuster unterstützt die Zeichen * und ?.",
    "Der * steht für eine Beliebige Anzahl von Zeichen, das ? für genau 1 Zeichen.",
    "Beispiele:",
    "Die Eingabe von *pc* entpackt alle Dateien die pc enthalten; *.bmp würde",
    "alle Bitmap-Dateien entpacken; a?????.exe würde alle exe-Dateien entpacken",
    "die mit a beginnen und deren Name aus weiteren 5 beliebigen Zeichen besteht.",  // 160
    "Mit dem Button neuer Ordner kann ein neues Verzeichnis angelegt werden.",
    "Mit Abbruch kann der Vorgang ohne entpacken beendet werden und OK",
    "startet das Entpacken in das gewünschte Zielverzeichnis.",
    "Verzeichnisname",
    "Bitte Verzeichnisnamen eingeben",
    "hoch",
    "runter",
    "Sicherheitsabfragen verwenden",
    "Fensterposition merken",
    "neuer Ordner",  // 170
    "Dateien wirklich aus dem Archiv entfernen?",
    " existiert bereits!!",
    ">>überschreiben?\?<<",
    "verschlüsseln",
    "Dieser Dialog wird künftig nicht mehr automatisch angezeigt",  // 175, not shown
    "Die verschiedenen Einstellungen (Verknüpfungen etc.) können jederzeit innerhalb ",  // 176, not
                                                                                         // shown
    "des Programmes vorgenommen werden.",  // 177, not shown
    "verschlüsseltes Archiv!",
    "Dieses Archiv war verschlüsselt!",
    "Soll es verschlüsselt verschickt werden? (gleiches Passwort)",  // 180
    "Es trat ein fehler beim Verschlüsseln des Archives auf...",
    "Bitte noch einmal versuchen",
    "Soll es wieder verschlüsselt abgelegt werden? (gleiches Passwort)",
    "(Programmende verzögert sich dadurch etwas)",
    "Das Zielverzeichnis ist schreibgeschützt oder ",
    "es bestehen keine ausreichenden Schreibrechte",
    "oder es ist kein Medium eingelegt...",
    "Die beiden eingegeben Passwörter sind unterschiedlich.",
    "Bitte noch einmal eingeben",
    "FALSCHES Passwort!!",  // 190
    "Passwort",
    "Bitte das Passwort eingeben",
    "Bitte das gewünschte Passwort eingeben",
    "Ein einigermaßen sicheres Passwort besteht aus mindesten 8 Zeichen. Es sollten zusätzlich "
    "noch Sonderzeichen und Zahlen verwendet werden, um die Sicherheit (drastisch) zu erhöhen!",
    "zur Bestätigung bitte nochmal eingeben",
    "sehr gut",
    "schlecht",
    "gut",
    "Eigenschaften",
};

}  // namespace

void load_default_messages(MessageTable& table) {
    for (int k = 0; k < kMessageCount; ++k) table.texts[k] = kDefaultTexts[k];
}
