#pragma once

#include "notestore-generate/NoteStoreGenerator.h"

namespace notestoregen {

inline const QString kNoteLinkType = QStringLiteral("com.apple.notes.inlinetextattachment.link");
inline const QString kCalculateResultType = QStringLiteral("com.apple.notes.inlinetextattachment.calculateresult");
inline const QString kGraphExpressionType =
    QStringLiteral("com.apple.notes.inlinetextattachment.calculategraphexpression");

// An inline attachment row of `note` (a link to a note, a hashtag, a maths
// result): what it shows and, for links, the address of its target.
void addInlineAttachment(Container& container, int note, const QString& identifier, const QString& type,
                         const QString& altText, const QString& token = {});

// "applenotes:note/<identifier>" as Notes writes it: in lower case.
QString noteAddress(const QString& identifier);

// An iOS 18 container whose notes link to each other: inline and as
// addresses in ordinary links, across folders and accounts, to one of two
// notes of the same title, to notes that are not exported (in the trash,
// locked, in no database here), from and to a note with a file
// attachment, in a cycle; and maths results and graph expressions.
// The locked note's password is "linked".
Container linkedNotesContainer();

} // namespace notestoregen
