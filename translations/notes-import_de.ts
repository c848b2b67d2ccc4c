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
        <source>Notes libraries (NoteStore.sqlite library.json)</source>
        <translation>Notes-Bibliotheken (NoteStore.sqlite library.json)</translation>
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
        <source>The Notes library: a folder holding library.json, a Notes folder copied from a Mac or its NoteStore.sqlite (default: the bundled sample).</source>
        <translation>Die Notes-Bibliothek: ein Ordner mit library.json, ein von einem Mac kopierter Notes-Ordner oder dessen NoteStore.sqlite (Vorgabe: das mitgelieferte Beispiel).</translation>
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
        <source>Passwords for locked notes, one per line; each is tried on every locked note.</source>
        <translation>Passwörter für gesperrte Notizen, eines pro Zeile; jedes wird an jeder gesperrten Notiz versucht.</translation>
    </message>
    <message>
        <source>Ask for the password of locked notes on the terminal (only when the library has any).</source>
        <translation>Im Terminal nach dem Passwort gesperrter Notizen fragen (nur wenn die Bibliothek welche hat).</translation>
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
        <source>Choose a folder holding library.json, a Notes folder copied from a Mac (holding NoteStore.sqlite) or a NoteStore.sqlite file.</source>
        <translation>Wählen Sie einen Ordner mit library.json, einen von einem Mac kopierten Notes-Ordner (mit NoteStore.sqlite) oder eine Datei NoteStore.sqlite.</translation>
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
</context>
</TS>
