#pragma once

#include <QString>
#include <QStringList>

// What an export wrote, for the user at the end: it changes nothing in the
// output, but tells which notes and attachments did not make it.
struct ExportSummary {
    quint64 htmlNoteCount = 0;
    quint64 richTextNoteCount = 0;
    quint64 emptyNoteCount = 0;       // skipped, since there was no body to write
    QStringList attachmentsLeftOut;   // "<note name>: <attachment name>"
    QStringList notesLeftOut;         // "“<note name>” in “<folder name>”: <reason>"
    QStringList notesAsPlainText;     // note names whose HTML nested too deeply for styled text
    QStringList notesWithPicturesAsFiles; // as ".rtfd": their pictures were too large for the HTML
    QStringList libraryRemarks;       // what the library's source says of how it was read

    // The summary as lines of text, for the command line and the log.
    QStringList lines() const;
};
