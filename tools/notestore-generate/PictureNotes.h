#pragma once

// Notes that show many pictures, for checking that an export's memory does
// not grow with them. The pictures' files are written in pieces, never
// held whole, so a gigabyte of them costs the generator little.

#include "notestore-generate/NoteStoreGenerator.h"

namespace notestoregen {

struct PictureNoteSpec {
    QString title = QStringLiteral("Album");
    int pictures = 10;       // places in the text that show a picture
    qint64 pictureBytes = 0; // each file's size; a small PNG padded with zeros
    bool onePicture = false; // one file shown at every place
    bool sparse = false;     // the padding is a hole: large, quick, no disk
    bool withPDF = false;    // a PDF after the pictures makes the note an ".rtfd" in any case
};

// Adds to `container` a note in `folder` (whose account must have an
// identifier) showing pictures as `spec` says, with its attachment and
// media rows; returns the note's index. The files are written by
// writePictureFiles().
int addPictureNote(Container& container, int folder, const PictureNoteSpec& spec);

// Writes into the container at `folder` the picture files of the note
// `note` that addPictureNote() added with `spec`.
bool writePictureFiles(const Container& container, int note, const PictureNoteSpec& spec, const QString& folder,
                       QString* error);

} // namespace notestoregen
