<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>AppDelegate</name>
    <message>
        <source>Notes Import</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start Import</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not open Notes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the bundled sample library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Notes library: %@</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose a Notes Library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Notes libraries (NoteStore.sqlite library.json)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot start the import.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ExportNoteOperation</name>
    <message>
        <source>Preparing to export…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The account “%@” could not be found in Notes any more.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Untitled Account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The folder “%@” could not be found in Notes any more.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The folder “%@” lies more than %@ folders deep; this program exports no deeper.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Untitled Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>“%@” in “%@”: %@</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exporting “%@”…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Untitled Note</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The note “%@” could not be exported: the page template “NoteHTMLTemplate.html” is missing.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Attachment</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ExportSummary</name>
    <message>
        <source>Notes written: %@ (%@ as “.html”, %@ as “.rtfd”).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Notes skipped for an empty body: %@.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Notes that could not be exported and were left out: %@.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Notes written as plain text, their HTML nested more than %@ levels deep: %@.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Attachments that could not be saved and were left out: %@.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PasswordDialog</name>
    <message>
        <source>Locked Notes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One note of this library is locked. Enter its password to export it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%@ notes of this library are locked. Enter their password to export them.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hint: %@</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export Locked Notes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Skip locked notes</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>platform</name>
    <message>
        <source>Importing Notes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading the Notes library…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%@ of %@</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancelling…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The import could not be completed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unable to locate the Ostrel application.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Make sure Ostrel is installed and try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This version of Ostrel is too old. Version 1.10.4 or later is required.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update to the latest version of Ostrel and try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot open Ostrel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Another import is running. Wait until it has finished, then try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot start the import.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Green</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Blue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pink</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Purple</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Finishing…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Body</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Title</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Heading</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Monospaced</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subheading</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New Style</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No such value.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
