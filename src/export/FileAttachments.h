#pragma once

#include "export/NotesScripting.h"

// A file attachment: no URL (not a link), a name with an extension, and a
// type that is not an image. Notes carrying one become rich-text documents.
bool isFileAttachment(NotesAttachment& attachment);
