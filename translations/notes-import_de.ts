<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>platform</name>
    <message>
        <source>Importing Notes</source>
        <translation>Notizen werden importiert</translation>
    </message>
    <message>
        <source>Reading the Notes library…</source>
        <translation>Die Notes-Bibliothek wird gelesen…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>%@ of %@</source>
        <translation>%@ von %@</translation>
    </message>
    <message>
        <source>Cancelling…</source>
        <translation>Wird abgebrochen…</translation>
    </message>
    <message>
        <source>The import could not be completed.</source>
        <translation>Der Import konnte nicht abgeschlossen werden.</translation>
    </message>
    <message>
        <source>Unable to locate the Ostrel application.</source>
        <translation>Das Programm Ostrel wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>Make sure Ostrel is installed and try again.</source>
        <translation>Stellen Sie sicher, dass Ostrel installiert ist, und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>This version of Ostrel is too old. Version 1.10.4 or later is required.</source>
        <translation>Diese Version von Ostrel ist zu alt. Version 1.10.4 oder neuer wird benötigt.</translation>
    </message>
    <message>
        <source>Update to the latest version of Ostrel and try again.</source>
        <translation>Aktualisieren Sie Ostrel auf die neueste Version und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Cannot open Ostrel</source>
        <translation>Ostrel kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Another import is running. Wait until it has finished, then try again.</source>
        <translation>Ein anderer Import läuft. Warten Sie, bis er beendet ist, und versuchen Sie es dann erneut.</translation>
    </message>
    <message>
        <source>Cannot start the import.</source>
        <translation>Der Import kann nicht beginnen.</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>Gelb</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Grün</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Blau</translation>
    </message>
    <message>
        <source>Pink</source>
        <translation>Rosa</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>Lila</translation>
    </message>
    <message>
        <source>Finishing…</source>
        <translation>Wird abgeschlossen…</translation>
    </message>
    <message>
        <source>Body</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Heading</source>
        <translation>Überschrift</translation>
    </message>
    <message>
        <source>Monospaced</source>
        <translation>Festbreite</translation>
    </message>
    <message>
        <source>Subheading</source>
        <translation>Unterüberschrift</translation>
    </message>
    <message>
        <source>New Style</source>
        <translation>Neuer Stil</translation>
    </message>
    <message>
        <source>No such value.</source>
        <translation>Diesen Wert gibt es nicht.</translation>
    </message>
    <message>
        <source>The destination “%1” overlaps the Notes library “%2”; choose a folder outside it.</source>
        <translation>Das Ziel „%1“ überschneidet sich mit der Notes-Bibliothek „%2“; wählen Sie einen Ordner außerhalb davon.</translation>
    </message>
    <message>
        <source>The destination “%1” exists and is not a folder.</source>
        <translation>Das Ziel „%1“ existiert und ist kein Ordner.</translation>
    </message>
    <message>
        <source>The destination “%1” is not empty and holds no earlier export; it was left untouched. Choose an empty or new folder.</source>
        <translation>Das Ziel „%1“ ist nicht leer und enthält keinen früheren Export; es wurde nicht angetastet. Wählen Sie einen leeren oder neuen Ordner.</translation>
    </message>
    <message>
        <source>Notes Import</source>
        <translation>Notes Import</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>Auswählen…</translation>
    </message>
    <message>
        <source>Start Import</source>
        <translation>Import starten</translation>
    </message>
    <message>
        <source>Could not open Notes</source>
        <translation>Notes konnte nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>the bundled sample library</source>
        <translation>die mitgelieferte Beispielbibliothek</translation>
    </message>
    <message>
        <source>Notes library: %@</source>
        <translation>Notes-Bibliothek: %@</translation>
    </message>
    <message>
        <source>Choose a Notes Library</source>
        <translation>Notes-Bibliothek auswählen</translation>
    </message>
    <message>
        <source>Locked Notes</source>
        <translation>Gesperrte Notizen</translation>
    </message>
    <message>
        <source>One note of this library is locked. Enter its password to export it.</source>
        <translation>Eine Notiz dieser Bibliothek ist gesperrt. Geben Sie ihr Passwort ein, um sie zu exportieren.</translation>
    </message>
    <message>
        <source>%@ notes of this library are locked. Enter their password to export them.</source>
        <translation>%@ Notizen dieser Bibliothek sind gesperrt. Geben Sie ihr Passwort ein, um sie zu exportieren.</translation>
    </message>
    <message>
        <source>Hint: %@</source>
        <translation>Hinweis: %@</translation>
    </message>
    <message>
        <source>Export Locked Notes</source>
        <translation>Gesperrte Notizen exportieren</translation>
    </message>
    <message>
        <source>Skip locked notes</source>
        <translation>Gesperrte Notizen überspringen</translation>
    </message>
    <message>
        <source>The shared container “%1” could not be created.</source>
        <translation>Der gemeinsame Container „%1“ konnte nicht angelegt werden.</translation>
    </message>
    <message>
        <source>The lock file “%1” couldn’t be opened</source>
        <translation>Die Sperrdatei „%1“ konnte nicht geöffnet werden</translation>
    </message>
    <message>
        <source>The lock file “%1” couldn’t be locked</source>
        <translation>Die Sperrdatei „%1“ konnte nicht gesperrt werden</translation>
    </message>
    <message>
        <source>Exports a Notes library and hands it to Ostrel for import.</source>
        <translation>Exportiert eine Notes-Bibliothek und übergibt sie Ostrel zum Import.</translation>
    </message>
    <message>
        <source>The folder to export into; it is emptied first (default: &quot;Notes Import&quot; in the shared container).</source>
        <translation>Der Ordner, in den exportiert wird; er wird zuerst geleert (Vorgabe: „Notes Import“ im gemeinsamen Container).</translation>
    </message>
    <message>
        <source>Do not check for Ostrel or hand the export to it; print the hand-off URL instead.</source>
        <translation>Ostrel weder prüfen noch den Export übergeben; stattdessen die Übergabe-URL ausgeben.</translation>
    </message>
    <message>
        <source>unexpected argument “%1”</source>
        <translation>unerwartetes Argument „%1“</translation>
    </message>
    <message>
        <source>--ask-password needs a terminal on standard input; use --password-file</source>
        <translation>--ask-password braucht ein Terminal als Standardeingabe; verwenden Sie --password-file</translation>
    </message>
    <message>
        <source>could not remove an old staging folder: %1</source>
        <translation>ein alter Zwischenordner konnte nicht entfernt werden: %1</translation>
    </message>
    <message>
        <source>export cancelled</source>
        <translation>Export abgebrochen</translation>
    </message>
    <message>
        <source>the export ended without a manifest</source>
        <translation>der Export endete ohne Manifest</translation>
    </message>
    <message>
        <source>no note could be exported</source>
        <translation>keine Notiz konnte exportiert werden</translation>
    </message>
    <message>
        <source>Exports a Notes library and hands it to Ostrel for import, in a window.</source>
        <translation>Exportiert eine Notes-Bibliothek und übergibt sie Ostrel zum Import, in einem Fenster.</translation>
    </message>
    <message>
        <source>does not exist</source>
        <translation>gibt es nicht</translation>
    </message>
    <message>
        <source>holds neither %1 nor %2</source>
        <translation>enthält weder %1 noch %2</translation>
    </message>
    <message>
        <source>line %1 is longer than %2 bytes</source>
        <translation>Zeile %1 ist länger als %2 Byte</translation>
    </message>
    <message>
        <source>it holds more than %1 passwords</source>
        <translation>sie enthält mehr als %1 Passwörter</translation>
    </message>
    <message>
        <source>The password file %1 couldn’t be read: %2</source>
        <translation>Die Passwortdatei %1 konnte nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>it is not a regular file or a pipe</source>
        <translation>sie ist weder eine gewöhnliche Datei noch eine Pipe</translation>
    </message>
    <message>
        <source>it is larger than %1 bytes</source>
        <translation>sie ist größer als %1 Byte</translation>
    </message>
    <message>
        <source>it holds no password</source>
        <translation>sie enthält kein Passwort</translation>
    </message>
    <message>
        <source>a password can only be asked for when standard input is a terminal</source>
        <translation>nach einem Passwort kann nur gefragt werden, wenn die Standardeingabe ein Terminal ist</translation>
    </message>
    <message>
        <source>the password could not be read: %1</source>
        <translation>das Passwort konnte nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>the password is longer than %1 bytes</source>
        <translation>das Passwort ist länger als %1 Byte</translation>
    </message>
    <message>
        <source>Password for locked notes</source>
        <translation>Passwort für gesperrte Notizen</translation>
    </message>
    <message>
        <source>Preparing to export…</source>
        <translation>Export wird vorbereitet…</translation>
    </message>
    <message>
        <source>The account “%@” could not be found in Notes any more.</source>
        <translation>Der Account „%@“ ist in Notes nicht mehr zu finden.</translation>
    </message>
    <message>
        <source>Untitled Account</source>
        <translation>Unbenannter Account</translation>
    </message>
    <message>
        <source>The folder “%@” could not be found in Notes any more.</source>
        <translation>Der Ordner „%@“ ist in Notes nicht mehr zu finden.</translation>
    </message>
    <message>
        <source>The folder “%@” lies more than %@ folders deep; this program exports no deeper.</source>
        <translation>Der Ordner „%@“ liegt mehr als %@ Ordner tief; tiefer exportiert dieses Programm nicht.</translation>
    </message>
    <message>
        <source>Notes written: %@ (%@ as “.html”, %@ as “.rtfd”).</source>
        <translation>Geschriebene Notizen: %@ (%@ als „.html“, %@ als „.rtfd“).</translation>
    </message>
    <message>
        <source>Notes skipped for an empty body: %@.</source>
        <translation>Wegen leeren Inhalts übersprungene Notizen: %@.</translation>
    </message>
    <message>
        <source>Notes that could not be exported and were left out: %@.</source>
        <translation>Notizen, die nicht exportiert werden konnten und ausgelassen wurden: %@.</translation>
    </message>
    <message>
        <source>Notes written as plain text, their HTML nested more than %@ levels deep: %@.</source>
        <translation>Als reiner Text geschriebene Notizen, weil ihr HTML mehr als %@ Ebenen tief verschachtelt ist: %@.</translation>
    </message>
    <message>
        <source>Attachments that could not be saved and were left out: %@.</source>
        <translation>Anhänge, die nicht gesichert werden konnten und ausgelassen wurden: %@.</translation>
    </message>
    <message>
        <source>Untitled Folder</source>
        <translation>Unbenannter Ordner</translation>
    </message>
    <message>
        <source>“%@” in “%@”: %@</source>
        <translation>„%@“ in „%@“: %@</translation>
    </message>
    <message>
        <source>Exporting “%@”…</source>
        <translation>„%@“ wird exportiert…</translation>
    </message>
    <message>
        <source>Untitled Note</source>
        <translation>Unbenannte Notiz</translation>
    </message>
    <message>
        <source>its file is missing</source>
        <translation>ihre Datei fehlt</translation>
    </message>
    <message>
        <source>%1 at line %2, column %3</source>
        <translation>%1 in Zeile %2, Spalte %3</translation>
    </message>
    <message>
        <source>the top level must be an object</source>
        <translation>die oberste Ebene muss ein Objekt sein</translation>
    </message>
    <message>
        <source>The Notes library description “%1” is malformed: %2.</source>
        <translation>Die Beschreibung der Notes-Bibliothek „%1“ ist fehlerhaft: %2.</translation>
    </message>
    <message>
        <source>“%1” must be a list</source>
        <translation>„%1“ muss eine Liste sein</translation>
    </message>
    <message>
        <source>“%1” must be a string</source>
        <translation>„%1“ muss eine Zeichenkette sein</translation>
    </message>
    <message>
        <source>“%1” must be true or false</source>
        <translation>„%1“ muss true oder false sein</translation>
    </message>
    <message>
        <source>“%1” must be a date such as 2024-03-01T09:30:00Z</source>
        <translation>„%1“ muss ein Datum wie 2024-03-01T09:30:00Z sein</translation>
    </message>
    <message>
        <source>“%1[%2]” must be an id string</source>
        <translation>„%1[%2]“ muss eine Kennung als Zeichenkette sein</translation>
    </message>
    <message>
        <source>“%1” must be an object</source>
        <translation>„%1“ muss ein Objekt sein</translation>
    </message>
    <message>
        <source>“%1” repeats the id “%2”</source>
        <translation>„%1“ wiederholt die Kennung „%2“</translation>
    </message>
    <message>
        <source>“%1[%2]” names no %3 with the id “%4”</source>
        <translation>„%1[%2]“ nennt kein %3 mit der Kennung „%4“</translation>
    </message>
    <message>
        <source>“%1” must be a path inside the library folder</source>
        <translation>„%1“ muss ein Pfad innerhalb des Bibliotheksordners sein</translation>
    </message>
    <message>
        <source>“%1” has both “body” and “bodyFile”</source>
        <translation>„%1“ hat sowohl „body“ als auch „bodyFile“</translation>
    </message>
    <message>
        <source>the folder with the id “%1” is listed inside more than one folder</source>
        <translation>der Ordner mit der Kennung „%1“ steht in mehr als einem Ordner</translation>
    </message>
    <message>
        <source>the folder with the id “%1” lies inside itself</source>
        <translation>der Ordner mit der Kennung „%1“ liegt in sich selbst</translation>
    </message>
    <message>
        <source>the folder with the id “%1” lies %2 folders deep, more than the %3 this program exports</source>
        <translation>der Ordner mit der Kennung „%1“ liegt %2 Ordner tief, tiefer als die %3, die dieses Programm exportiert</translation>
    </message>
    <message>
        <source>The body of the note “%1”: %2</source>
        <translation>Der Inhalt der Notiz „%1“: %2</translation>
    </message>
    <message>
        <source>The Notes library folder “%1” does not exist.</source>
        <translation>Den Ordner der Notes-Bibliothek „%1“ gibt es nicht.</translation>
    </message>
    <message>
        <source>The Notes library description %1</source>
        <translation>Die Beschreibung der Notes-Bibliothek %1</translation>
    </message>
    <message>
        <source>The Notes library folder “%1” was replaced during the export.</source>
        <translation>Der Ordner der Notes-Bibliothek „%1“ wurde während des Exports ersetzt.</translation>
    </message>
    <message>
        <source>The Notes library folder “%1” is no longer there: %2.</source>
        <translation>Der Ordner der Notes-Bibliothek „%1“ ist nicht mehr da: %2.</translation>
    </message>
    <message>
        <source>The note “%@” could not be exported: the page template “NoteHTMLTemplate.html” is missing.</source>
        <translation>Die Notiz „%@“ konnte nicht exportiert werden: Die Seitenvorlage „NoteHTMLTemplate.html“ fehlt.</translation>
    </message>
    <message>
        <source>Couldn&apos;t create a folder for attachments</source>
        <translation>Für die Anhänge konnte kein Ordner angelegt werden</translation>
    </message>
    <message>
        <source>Attachment</source>
        <translation>Anhang</translation>
    </message>
    <message>
        <source>its file is locked: %1</source>
        <translation>ihre Datei ist gesperrt: %1</translation>
    </message>
    <message>
        <source>its file cannot be decrypted: %1</source>
        <translation>ihre Datei lässt sich nicht entschlüsseln: %1</translation>
    </message>
    <message>
        <source>its file cannot be decrypted: no private temporary folder (%1)</source>
        <translation>ihre Datei lässt sich nicht entschlüsseln: kein privater temporärer Ordner (%1)</translation>
    </message>
    <message>
        <source>its body cannot be read (%1)</source>
        <translation>ihr Inhalt kann nicht gelesen werden (%1)</translation>
    </message>
    <message>
        <source>no password given</source>
        <translation>kein Passwort angegeben</translation>
    </message>
    <message>
        <source>wrong password</source>
        <translation>falsches Passwort</translation>
    </message>
    <message>
        <source>cannot be opened on this machine</source>
        <translation>lässt sich auf diesem Rechner nicht öffnen</translation>
    </message>
    <message>
        <source>“%1” could not be read: %2.</source>
        <translation>„%1“ konnte nicht gelesen werden: %2.</translation>
    </message>
    <message>
        <source>it is a symbolic link, and links are not followed</source>
        <translation>es ist ein symbolischer Link, und Links wird nicht gefolgt</translation>
    </message>
    <message>
        <source>it lies outside the folder it was looked for in</source>
        <translation>es liegt außerhalb des Ordners, in dem danach gesucht wurde</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>es ist ein Ordner</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>es ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>it is larger than %1, the most this program reads</source>
        <translation>es ist größer als %1, das Höchste, was dieses Programm liest</translation>
    </message>
    <message>
        <source>%ld day remaining</source>
        <translation>noch %ld Tag</translation>
    </message>
    <message>
        <source>%ld days remaining</source>
        <translation>noch %ld Tage</translation>
    </message>
    <message>
        <source>%ld hour remaining</source>
        <translation>noch %ld Stunde</translation>
    </message>
    <message>
        <source>%ld hours remaining</source>
        <translation>noch %ld Stunden</translation>
    </message>
    <message>
        <source>%ld minute remaining</source>
        <translation>noch %ld Minute</translation>
    </message>
    <message>
        <source>%ld minutes remaining</source>
        <translation>noch %ld Minuten</translation>
    </message>
    <message>
        <source>%ld second remaining</source>
        <translation>noch %ld Sekunde</translation>
    </message>
    <message>
        <source>%ld seconds remaining</source>
        <translation>noch %ld Sekunden</translation>
    </message>
    <message>
        <source>“%1” %2. %3</source>
        <translation>„%1“ %2. %3</translation>
    </message>
    <message>
        <source> (hint: %1)</source>
        <translation> (Hinweis: %1)</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Byte</translation>
    </message>
    <message>
        <source>the data is empty, not gzip data</source>
        <translation>die Daten sind leer, keine gzip-Daten</translation>
    </message>
    <message>
        <source>not gzip data</source>
        <translation>keine gzip-Daten</translation>
    </message>
    <message>
        <source>the decompressor could not start</source>
        <translation>das Entpacken konnte nicht beginnen</translation>
    </message>
    <message>
        <source>larger than %1 bytes once decompressed</source>
        <translation>entpackt größer als %1 Byte</translation>
    </message>
    <message>
        <source>the decompressor could not restart</source>
        <translation>das Entpacken konnte nicht neu beginnen</translation>
    </message>
    <message>
        <source>the gzip data is cut short</source>
        <translation>die gzip-Daten sind abgeschnitten</translation>
    </message>
    <message>
        <source>the gzip data is damaged (%1)</source>
        <translation>die gzip-Daten sind beschädigt (%1)</translation>
    </message>
    <message>
        <source>its file is not in the copied folder, perhaps never downloaded from iCloud</source>
        <translation>seine Datei ist nicht im kopierten Ordner, vielleicht wurde sie nie aus iCloud geladen</translation>
    </message>
    <message>
        <source>it belongs to a locked note and only its own file can be decrypted</source>
        <translation>er gehört zu einer gesperrten Notiz, und nur seine eigene Datei lässt sich entschlüsseln</translation>
    </message>
    <message>
        <source>it is of a kind that cannot be exported: %1</source>
        <translation>er ist von einer Art, die sich nicht exportieren lässt: %1</translation>
    </message>
    <message>
        <source>it is not a picture</source>
        <translation>er ist kein Bild</translation>
    </message>
    <message>
        <source>its file cannot be read: %1</source>
        <translation>seine Datei kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>its file cannot be read</source>
        <translation>seine Datei kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>its file is not a regular file</source>
        <translation>seine Datei ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>the picture is larger than %1 MB</source>
        <translation>das Bild ist größer als %1 MB</translation>
    </message>
    <message>
        <source>its file is not a picture</source>
        <translation>seine Datei ist kein Bild</translation>
    </message>
    <message>
        <source>the note names an attachment the database does not hold</source>
        <translation>die Notiz nennt einen Anhang, den die Datenbank nicht enthält</translation>
    </message>
    <message>
        <source>tables are nested too deeply</source>
        <translation>Tabellen sind zu tief verschachtelt</translation>
    </message>
    <message>
        <source>its table data cannot be read</source>
        <translation>seine Tabellendaten können nicht gelesen werden</translation>
    </message>
    <message>
        <source>its table data cannot be read: %1</source>
        <translation>seine Tabellendaten können nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>it has no text</source>
        <translation>er hat keinen Text</translation>
    </message>
    <message>
        <source>the note body %1</source>
        <translation>der Inhalt der Notiz %1</translation>
    </message>
    <message>
        <source>the note body is not readable as protobuf data</source>
        <translation>der Inhalt der Notiz ist als Protobuf-Daten nicht lesbar</translation>
    </message>
    <message>
        <source>the note body holds no text</source>
        <translation>der Inhalt der Notiz enthält keinen Text</translation>
    </message>
    <message>
        <source>the note body is unreadable: %1</source>
        <translation>der Inhalt der Notiz ist unlesbar: %1</translation>
    </message>
    <message>
        <source>an initialization vector of %1 bytes</source>
        <translation>ein Initialisierungsvektor von %1 Byte</translation>
    </message>
    <message>
        <source>an authentication tag of %1 bytes</source>
        <translation>ein Authentifizierungs-Tag von %1 Byte</translation>
    </message>
    <message>
        <source>a salt of %1 bytes</source>
        <translation>ein Salt von %1 Byte</translation>
    </message>
    <message>
        <source>%1 key derivation rounds</source>
        <translation>%1 Runden der Schlüsselableitung</translation>
    </message>
    <message>
        <source>a wrapped key of %1 bytes</source>
        <translation>ein verpackter Schlüssel von %1 Byte</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>kein Speicher mehr</translation>
    </message>
    <message>
        <source>the decryption could not start</source>
        <translation>die Entschlüsselung konnte nicht beginnen</translation>
    </message>
    <message>
        <source>the data does not match its authentication tag</source>
        <translation>die Daten passen nicht zu ihrem Authentifizierungs-Tag</translation>
    </message>
    <message>
        <source>The file %1 couldn’t be read: %2</source>
        <translation>Die Datei %1 konnte nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The file %1 is encrypted in an unknown way (%2)</source>
        <translation>Die Datei %1 ist auf unbekannte Weise verschlüsselt (%2)</translation>
    </message>
    <message>
        <source>it is a symbolic link</source>
        <translation>sie ist ein symbolischer Link</translation>
    </message>
    <message>
        <source>The file %1 couldn’t be saved: %2</source>
        <translation>Die Datei %1 konnte nicht gesichert werden: %2</translation>
    </message>
    <message>
        <source>The file %1 couldn’t be read: it is larger than %2 bytes</source>
        <translation>Die Datei %1 konnte nicht gelesen werden: sie ist größer als %2 Byte</translation>
    </message>
    <message>
        <source>The file %1 couldn’t be decrypted</source>
        <translation>Die Datei %1 konnte nicht entschlüsselt werden</translation>
    </message>
    <message>
        <source>The file %1 is damaged: it does not match its authentication tag</source>
        <translation>Die Datei %1 ist beschädigt: sie passt nicht zu ihrem Authentifizierungs-Tag</translation>
    </message>
    <message>
        <source>its name has no extension to tell its kind, %1</source>
        <translation>sein Name hat keine Endung, die seine Art verrät, %1</translation>
    </message>
    <message>
        <source>its attachments cannot be read: %1</source>
        <translation>ihre Anhänge können nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>it has more than %1 attachments</source>
        <translation>sie hat mehr als %1 Anhänge</translation>
    </message>
    <message>
        <source>“%1” is not a SQLite database, so it cannot be a Notes database.</source>
        <translation>„%1“ ist keine SQLite-Datenbank und kann daher keine Notes-Datenbank sein.</translation>
    </message>
    <message>
        <source>The Notes database “%1” is damaged (%2). Copy it from the Mac again.</source>
        <translation>Die Notes-Datenbank „%1“ ist beschädigt (%2). Kopieren Sie sie noch einmal vom Mac.</translation>
    </message>
    <message>
        <source>The Notes database “%1” is busy (%2). Quit Notes on the Mac and copy the folder again.</source>
        <translation>Die Notes-Datenbank „%1“ ist belegt (%2). Beenden Sie Notes auf dem Mac und kopieren Sie den Ordner noch einmal.</translation>
    </message>
    <message>
        <source>Cannot read the Notes database “%1”%2: %3.</source>
        <translation>Die Notes-Datenbank „%1“%2 kann nicht gelesen werden: %3.</translation>
    </message>
    <message>
        <source>“%1” comes from a version of Notes older than iOS 11 / macOS 10.13, which this program cannot read.</source>
        <translation>„%1“ stammt aus einer Version von Notes vor iOS 11 / macOS 10.13, die dieses Programm nicht lesen kann.</translation>
    </message>
    <message>
        <source>“%1” is a SQLite database, but not a Notes database.</source>
        <translation>„%1“ ist eine SQLite-Datenbank, aber keine Notes-Datenbank.</translation>
    </message>
    <message>
        <source>“%1” is a SQLite database, but not a Notes database (it has no %2).</source>
        <translation>„%1“ ist eine SQLite-Datenbank, aber keine Notes-Datenbank (ihr fehlt %2).</translation>
    </message>
    <message>
        <source>“%1” comes from a version of Notes older than iOS 11 / macOS 10.13, which this program cannot read. Open it once in a newer Notes and copy it again.</source>
        <translation>„%1“ stammt aus einer Version von Notes vor iOS 11 / macOS 10.13, die dieses Programm nicht lesen kann. Öffnen Sie sie einmal in einem neueren Notes und kopieren Sie sie noch einmal.</translation>
    </message>
    <message>
        <source>“%1” has a layout this program does not know (no %2); it may come from a version of Notes newer than iOS %3 / macOS %3.</source>
        <translation>„%1“ hat einen Aufbau, den dieses Programm nicht kennt (kein %2); sie stammt vielleicht aus einer Version von Notes nach iOS %3 / macOS %3.</translation>
    </message>
    <message>
        <source>The Notes database “%1” holds more than %2 %3; this program reads at most that many.</source>
        <translation>Die Notes-Datenbank „%1“ enthält mehr als %2 %3; mehr liest dieses Programm nicht.</translation>
    </message>
    <message>
        <source>its body of %1 MB is larger than the %2 MB this program reads</source>
        <translation>ihr Inhalt von %1 MB ist größer als die %2 MB, die dieses Programm liest</translation>
    </message>
    <message>
        <source>the data holds no table</source>
        <translation>die Daten enthalten keine Tabelle</translation>
    </message>
    <message>
        <source>the table lacks its rows, columns or cells</source>
        <translation>der Tabelle fehlen Zeilen, Spalten oder Zellen</translation>
    </message>
    <message>
        <source>the table has more than %1 parts</source>
        <translation>die Tabelle hat mehr als %1 Teile</translation>
    </message>
    <message>
        <source>a reference of the table names no object</source>
        <translation>ein Verweis der Tabelle nennt kein Objekt</translation>
    </message>
    <message>
        <source>the table refers to object %1 of %2</source>
        <translation>die Tabelle verweist auf Objekt %1 von %2</translation>
    </message>
    <message>
        <source>a row or column of the table has no identifier</source>
        <translation>eine Zeile oder Spalte der Tabelle hat keine Kennung</translation>
    </message>
    <message>
        <source>the table refers to identifier %1 of %2</source>
        <translation>die Tabelle verweist auf Kennung %1 von %2</translation>
    </message>
    <message>
        <source>the table&apos;s %1 are not an ordered set</source>
        <translation>die %1 der Tabelle sind keine geordnete Menge</translation>
    </message>
    <message>
        <source>the table has more than %1 %2</source>
        <translation>die Tabelle hat mehr als %1 %2</translation>
    </message>
    <message>
        <source>the table&apos;s cells are not a dictionary</source>
        <translation>die Zellen der Tabelle sind kein Wörterbuch</translation>
    </message>
    <message>
        <source>a column of the table is not a dictionary</source>
        <translation>eine Spalte der Tabelle ist kein Wörterbuch</translation>
    </message>
    <message>
        <source>the table %1</source>
        <translation>die Tabelle %1</translation>
    </message>
    <message>
        <source>the table is not readable as protobuf data</source>
        <translation>die Tabelle ist als Protobuf-Daten nicht lesbar</translation>
    </message>
    <message>
        <source>the table is unreadable: %1</source>
        <translation>die Tabelle ist unlesbar: %1</translation>
    </message>
    <message>
        <source>Cannot read “%1”: it is a symbolic link; copy the Notes folder itself.</source>
        <translation>„%1“ kann nicht gelesen werden: es ist ein symbolischer Link; kopieren Sie den Notes-Ordner selbst.</translation>
    </message>
    <message>
        <source>Cannot read “%1”</source>
        <translation>„%1“ kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Cannot read “%1”: it is not a regular file.</source>
        <translation>„%1“ kann nicht gelesen werden: es ist keine gewöhnliche Datei.</translation>
    </message>
    <message>
        <source>Cannot read “%1”: at %2 GB it is larger than the %3 GB this program reads.</source>
        <translation>„%1“ kann nicht gelesen werden: mit %2 GB ist es größer als die %3 GB, die dieses Programm liest.</translation>
    </message>
    <message>
        <source>Cannot copy “%1” to “%2”</source>
        <translation>„%1“ kann nicht nach „%2“ kopiert werden</translation>
    </message>
    <message>
        <source>Cannot read “%1”: it grew while it was copied.</source>
        <translation>„%1“ kann nicht gelesen werden: es wuchs, während es kopiert wurde.</translation>
    </message>
    <message>
        <source>Cannot open the folder “%1”</source>
        <translation>Der Ordner „%1“ kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Cannot make a private folder in “%1” to copy the Notes database into</source>
        <translation>In „%1“ kann kein privater Ordner angelegt werden, in den die Notes-Datenbank kopiert wird</translation>
    </message>
    <message>
        <source>is nested deeper than %1 levels</source>
        <translation>ist tiefer als %1 Ebenen verschachtelt</translation>
    </message>
    <message>
        <source>holds more than %1 parts</source>
        <translation>enthält mehr als %1 Teile</translation>
    </message>
    <message>
        <source>is not readable as protobuf data</source>
        <translation>ist als Protobuf-Daten nicht lesbar</translation>
    </message>
    <message>
        <source>is too large to read</source>
        <translation>ist zu groß zum Lesen</translation>
    </message>
    <message>
        <source>The application “%1” could not be given the address to open because its command line takes no URLs (it has no %u or %U).</source>
        <translation>Dem Programm „%1“ konnte die zu öffnende Adresse nicht übergeben werden, weil seine Befehlszeile keine URLs annimmt (sie hat kein %u oder %U).</translation>
    </message>
    <message>
        <source>The application “%1” could not be opened because its command line is missing or malformed.</source>
        <translation>Das Programm „%1“ konnte nicht geöffnet werden, weil seine Befehlszeile fehlt oder fehlerhaft ist.</translation>
    </message>
    <message>
        <source>The application “%1” could not be opened because its program “%2” was not found.</source>
        <translation>Das Programm „%1“ konnte nicht geöffnet werden, weil seine ausführbare Datei „%2“ nicht gefunden wurde.</translation>
    </message>
    <message>
        <source>The application “%1” could not be opened because its program “%2” could not be started.</source>
        <translation>Das Programm „%1“ konnte nicht geöffnet werden, weil seine ausführbare Datei „%2“ nicht gestartet werden konnte.</translation>
    </message>
    <message>
        <source>The folder %1 couldn’t be created</source>
        <translation>Der Ordner %1 konnte nicht angelegt werden</translation>
    </message>
    <message>
        <source>The file %1 couldn’t be saved</source>
        <translation>Die Datei %1 konnte nicht gesichert werden</translation>
    </message>
    <message>
        <source>%1 couldn’t be removed</source>
        <translation>%1 konnte nicht entfernt werden</translation>
    </message>
    <message>
        <source>The folder %1 couldn’t be listed</source>
        <translation>Der Inhalt des Ordners %1 konnte nicht aufgelistet werden</translation>
    </message>
    <message>
        <source>; still there: %1</source>
        <translation>; noch vorhanden: %1</translation>
    </message>
    <message>
        <source>The file %1 couldn’t be opened: %2</source>
        <translation>Die Datei %1 konnte nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>The file %1 is larger than %2, the most this program copies</source>
        <translation>Die Datei %1 ist größer als %2, das Höchste, was dieses Programm kopiert</translation>
    </message>
    <message>
        <source>The file %1 couldn’t be read</source>
        <translation>Die Datei %1 konnte nicht gelesen werden</translation>
    </message>
    <message>
        <source>a value of type “%1” has no property-list form</source>
        <translation>ein Wert vom Typ „%1“ hat keine Property-List-Form</translation>
    </message>
    <message>
        <source>The property list couldn’t be written: %1.</source>
        <translation>Die Property-List konnte nicht geschrieben werden: %1.</translation>
    </message>
    <message>
        <source>The property list couldn’t be written.</source>
        <translation>Die Property-List konnte nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>The property list is refused: %1.</source>
        <translation>Die Property-List wird abgelehnt: %1.</translation>
    </message>
    <message>
        <source>The data isn’t a property list in a known format.</source>
        <translation>Die Daten sind keine Property-List in einem bekannten Format.</translation>
    </message>
    <message>
        <source>it is nested more than %1 levels deep</source>
        <translation>sie ist mehr als %1 Ebenen tief verschachtelt</translation>
    </message>
    <message>
        <source>it holds more than %1 values</source>
        <translation>sie enthält mehr als %1 Werte</translation>
    </message>
    <message>
        <source>it contains itself</source>
        <translation>sie enthält sich selbst</translation>
    </message>
    <message>
        <source>The application “%1” could not be opened because its desktop entry cannot be read.</source>
        <translation>Das Programm „%1“ konnte nicht geöffnet werden, weil sein Desktop-Eintrag nicht gelesen werden kann.</translation>
    </message>
    <message>
        <source>The dates of “%1” couldn’t be set</source>
        <translation>Die Datumsangaben von „%1“ konnten nicht gesetzt werden</translation>
    </message>
    <message>
        <source>“%1” is not a usable file name.</source>
        <translation>„%1“ ist kein brauchbarer Dateiname.</translation>
    </message>
    <message>
        <source>Couldn&apos;t read “%1”</source>
        <translation>„%1“ konnte nicht gelesen werden</translation>
    </message>
    <message>
        <source>Couldn&apos;t write “%1”</source>
        <translation>„%1“ konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Couldn&apos;t replace “%1”</source>
        <translation>„%1“ konnte nicht ersetzt werden</translation>
    </message>
    <message>
        <source>Notes Folder or Library…</source>
        <translation>Notizen-Ordner oder Bibliothek…</translation>
    </message>
    <message>
        <source>iPhone or iPad Backup…</source>
        <translation>Backup eines iPhone oder iPad…</translation>
    </message>
    <message>
        <source>Opening the encrypted backup…</source>
        <translation>Das verschlüsselte Backup wird geöffnet…</translation>
    </message>
    <message>
        <source>Choose a Backup</source>
        <translation>Backup auswählen</translation>
    </message>
    <message>
        <source>This folder holds the backups of several devices. Export the notes of:</source>
        <translation>Dieser Ordner enthält die Backups mehrerer Geräte. Die Notizen exportieren von:</translation>
    </message>
    <message>
        <source>Notes libraries (NoteStore.sqlite library.json Manifest.plist Manifest.db)</source>
        <translation>Notes-Bibliotheken (NoteStore.sqlite library.json Manifest.plist Manifest.db)</translation>
    </message>
    <message>
        <source>Choose an iPhone or iPad Backup</source>
        <translation>Backup eines iPhone oder iPad auswählen</translation>
    </message>
    <message>
        <source>Encrypted Backup</source>
        <translation>Verschlüsseltes Backup</translation>
    </message>
    <message>
        <source>The backup of “%@” is encrypted. Enter the password chosen when backup encryption was switched on; it opens locked notes too when they have the same one.</source>
        <translation>Das Backup von „%@“ ist verschlüsselt. Geben Sie das Passwort ein, das beim Einschalten der Backup-Verschlüsselung gewählt wurde; es öffnet auch gesperrte Notizen, die dasselbe Passwort haben.</translation>
    </message>
    <message>
        <source>Open Backup</source>
        <translation>Backup öffnen</translation>
    </message>
    <message>
        <source>The Notes library: a folder holding library.json, a Notes folder copied from a Mac or its NoteStore.sqlite, or an iPhone or iPad backup (default: the bundled sample).</source>
        <translation>Die Notes-Bibliothek: ein Ordner mit library.json, ein von einem Mac kopierter Notizen-Ordner oder dessen NoteStore.sqlite, oder ein Backup eines iPhone oder iPad (Standard: das mitgelieferte Beispiel).</translation>
    </message>
    <message>
        <source>Passwords for an encrypted backup and locked notes, one per line; each is tried on every one.</source>
        <translation>Passwörter für ein verschlüsseltes Backup und gesperrte Notizen, eines pro Zeile; jedes wird bei allen versucht.</translation>
    </message>
    <message>
        <source>Ask on the terminal for the password of an encrypted backup, then of locked notes (only when there are any).</source>
        <translation>Im Terminal nach dem Passwort eines verschlüsselten Backups fragen, dann nach dem gesperrter Notizen (nur wenn es solche gibt).</translation>
    </message>
    <message>
        <source>Choose a folder holding library.json, a Notes folder copied from a Mac (holding NoteStore.sqlite), a NoteStore.sqlite file, or a backup of an iPhone or iPad.</source>
        <translation>Wählen Sie einen Ordner mit library.json, einen von einem Mac kopierten Notizen-Ordner (mit NoteStore.sqlite), eine Datei NoteStore.sqlite oder ein Backup eines iPhone oder iPad.</translation>
    </message>
    <message>
        <source>“%1” holds the backups of %2 devices; give the folder of one of them with --library:</source>
        <translation>„%1“ enthält die Backups von %2 Geräten; geben Sie den Ordner eines davon mit --library an:</translation>
    </message>
    <message>
        <source>Notes written as “.rtfd” with their pictures as files, the pictures being more than %@ MB in all: %@.</source>
        <translation>Als „.rtfd“ mit ihren Bildern als Dateien geschriebene Notizen, weil die Bilder zusammen mehr als %@ MB groß sind: %@.</translation>
    </message>
    <message>
        <source>Cannot read “%1”: permission denied.</source>
        <translation>„%1“ kann nicht gelesen werden: Zugriff verweigert.</translation>
    </message>
    <message>
        <source>Password of the encrypted backup of “%1”: </source>
        <translation>Passwort des verschlüsselten Backups von „%1“: </translation>
    </message>
    <message>
        <source>a %1 salt of %2 bytes</source>
        <translation>ein %1-Salt von %2 Bytes</translation>
    </message>
    <message>
        <source>the key could not be derived</source>
        <translation>der Schlüssel konnte nicht abgeleitet werden</translation>
    </message>
    <message>
        <source>The backup “%1” holds no Notes data: Notes was not on “%2”, or its notes are only in iCloud and were never downloaded to it.</source>
        <translation>Das Backup „%1“ enthält keine Notizen: Notizen war nicht auf „%2“, oder seine Notizen liegen nur in iCloud und wurden nie auf das Gerät geladen.</translation>
    </message>
    <message>
        <source>The backup “%1” was not completed (its Status.plist says so). Make the backup again and let it finish.</source>
        <translation>Das Backup „%1“ wurde nicht abgeschlossen (so steht es in seiner Status.plist). Erstellen Sie das Backup erneut und lassen Sie es zu Ende laufen.</translation>
    </message>
    <message>
        <source>The backup “%1” is of iOS 10.2 or older (it has Manifest.mbdb): backups that old are not supported.</source>
        <translation>Das Backup „%1“ stammt von iOS 10.2 oder älter (es hat eine Manifest.mbdb): so alte Backups werden nicht unterstützt.</translation>
    </message>
    <message>
        <source>The backup “%1” is damaged: it has no Manifest.db.</source>
        <translation>Das Backup „%1“ ist beschädigt: es hat keine Manifest.db.</translation>
    </message>
    <message>
        <source>The backup “%1” is damaged: its keybag cannot be read (%2).</source>
        <translation>Das Backup „%1“ ist beschädigt: sein Schlüsselbund kann nicht gelesen werden (%2).</translation>
    </message>
    <message>
        <source>The backup “%1” of “%2” is encrypted, and no password was given for it.</source>
        <translation>Das Backup „%1“ von „%2“ ist verschlüsselt, und es wurde kein Passwort dafür angegeben.</translation>
    </message>
    <message>
        <source>The backup “%1” is damaged: its keybag cannot be used (%2).</source>
        <translation>Das Backup „%1“ ist beschädigt: sein Schlüsselbund kann nicht verwendet werden (%2).</translation>
    </message>
    <message>
        <source>The backup “%1” of “%2” is encrypted, and %3.</source>
        <translation>Das Backup „%1“ von „%2“ ist verschlüsselt, und %3.</translation>
    </message>
    <message>
        <source>the password given does not open it</source>
        <translation>das angegebene Passwort öffnet es nicht</translation>
    </message>
    <message>
        <source>none of the %1 passwords given opens it</source>
        <translation>keines der %1 angegebenen Passwörter öffnet es</translation>
    </message>
    <message>
        <source>The file “%1” couldn’t be read: the backup does not hold it</source>
        <translation>Die Datei „%1“ konnte nicht gelesen werden: das Backup enthält sie nicht</translation>
    </message>
    <message>
        <source>The file “%1” couldn’t be read: %2</source>
        <translation>Die Datei „%1“ konnte nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The backup “%1” cannot be read: %2</source>
        <translation>Das Backup „%1“ kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The backup “%1” is damaged: its %2 cannot be read%3.</source>
        <translation>Das Backup „%1“ ist beschädigt: seine %2 kann nicht gelesen werden%3.</translation>
    </message>
    <message>
        <source>, backed up %1 UTC</source>
        <translation>, gesichert %1 UTC</translation>
    </message>
    <message>
        <source>, encrypted</source>
        <translation>, verschlüsselt</translation>
    </message>
    <message>
        <source>, in “%1”</source>
        <translation>, in „%1“</translation>
    </message>
    <message>
        <source>The backup “%1” is damaged: its Manifest.db cannot be read (%2).</source>
        <translation>Das Backup „%1“ ist beschädigt: seine Manifest.db kann nicht gelesen werden (%2).</translation>
    </message>
    <message>
        <source>its key is %1 bytes long</source>
        <translation>ihr Schlüssel ist %1 Bytes lang</translation>
    </message>
    <message>
        <source>its protection class %1 has no key in the keybag</source>
        <translation>ihre Schutzklasse %1 hat keinen Schlüssel im Schlüsselbund</translation>
    </message>
    <message>
        <source>its key does not unwrap</source>
        <translation>ihr Schlüssel lässt sich nicht entpacken</translation>
    </message>
    <message>
        <source>it is larger than %1</source>
        <translation>sie ist größer als %1</translation>
    </message>
    <message>
        <source>its ManifestKey: %1</source>
        <translation>ihr ManifestKey: %1</translation>
    </message>
    <message>
        <source>more than %1 files of Notes</source>
        <translation>mehr als %1 Dateien von Notizen</translation>
    </message>
    <message>
        <source>its record is larger than %1 bytes</source>
        <translation>ihr Eintrag ist größer als %1 Bytes</translation>
    </message>
    <message>
        <source>its record cannot be read (%1)</source>
        <translation>ihr Eintrag kann nicht gelesen werden (%1)</translation>
    </message>
    <message>
        <source>not a file record</source>
        <translation>kein Dateieintrag</translation>
    </message>
    <message>
        <source>its record gives a size of %1 bytes</source>
        <translation>ihr Eintrag nennt eine Größe von %1 Bytes</translation>
    </message>
    <message>
        <source>its %1 has %2 bytes, not 4</source>
        <translation>sein %1 hat %2 Bytes statt 4</translation>
    </message>
    <message>
        <source>it is empty</source>
        <translation>er ist leer</translation>
    </message>
    <message>
        <source>it ends inside a record</source>
        <translation>er endet mitten in einem Eintrag</translation>
    </message>
    <message>
        <source>its record %1 is %2 bytes long</source>
        <translation>sein Eintrag %1 ist %2 Bytes lang</translation>
    </message>
    <message>
        <source>it holds more than %1 classes</source>
        <translation>er enthält mehr als %1 Klassen</translation>
    </message>
    <message>
        <source>it holds no class keys</source>
        <translation>er enthält keine Klassenschlüssel</translation>
    </message>
    <message>
        <source>it lacks the salt or the rounds of its key derivation</source>
        <translation>ihm fehlen das Salt oder die Runden seiner Schlüsselableitung</translation>
    </message>
    <message>
        <source>no class key in it is protected by the password</source>
        <translation>kein Klassenschlüssel darin ist durch das Passwort geschützt</translation>
    </message>
    <message>
        <source>it is %1 bytes long where %2 bytes encrypted take %3</source>
        <translation>sie ist %1 Bytes lang, wo %2 Bytes verschlüsselt %3 belegen</translation>
    </message>
    <message>
        <source>it is %1 bytes long, not whole blocks</source>
        <translation>sie ist %1 Bytes lang, keine ganzen Blöcke</translation>
    </message>
    <message>
        <source>its key is not a key for it</source>
        <translation>ihr Schlüssel passt nicht zu ihr</translation>
    </message>
    <message>
        <source>it ended early</source>
        <translation>sie endete vorzeitig</translation>
    </message>
    <message>
        <source>it cannot be decrypted</source>
        <translation>sie lässt sich nicht entschlüsseln</translation>
    </message>
    <message>
        <source>it does not decrypt to the %1 bytes its record gives</source>
        <translation>sie entschlüsselt sich nicht zu den %1 Bytes, die ihr Eintrag nennt</translation>
    </message>
    <message>
        <source>it is %1 bytes long, its record gives %2</source>
        <translation>sie ist %1 Bytes lang, ihr Eintrag nennt %2</translation>
    </message>
    <message>
        <source>The file “%1” couldn’t be saved</source>
        <translation>Die Datei „%1“ konnte nicht gesichert werden</translation>
    </message>
    <message>
        <source>its folder “%1” cannot be read: permission denied</source>
        <translation>sein Ordner „%1“ kann nicht gelesen werden: Zugriff verweigert</translation>
    </message>
    <message>
        <source>its target note is not in the database</source>
        <translation>seine Zielnotiz ist nicht in der Datenbank</translation>
    </message>
    <message>
        <source>The Notes database “%1” is damaged: its table of entities names %2 twice.</source>
        <translation>Die Notizen-Datenbank „%1“ ist beschädigt: ihre Tabelle der Entitäten nennt %2 zweimal.</translation>
    </message>
    <message>
        <source>Notes without a folder</source>
        <translation>Notizen ohne Ordner</translation>
    </message>
    <message>
        <source>Notes without an account</source>
        <translation>Notizen ohne Account</translation>
    </message>
    <message>
        <source>Notes whose folder could not be found, exported into “Notes without a folder”: %1.</source>
        <translation>Notizen, deren Ordner nicht gefunden wurde, exportiert nach „Notizen ohne Ordner“: %1.</translation>
    </message>
    <message>
        <source>give its password with --password-file or --ask-password</source>
        <translation>geben Sie sein Passwort mit --password-file oder --ask-password an</translation>
    </message>
</context>
</TS>
