#pragma once

#include "platform/TextAttributes.h"

#include <QHash>
#include <QString>

// Pictures a note's HTML carries itself (<img src="data:image/…;base64,…">)
// cost several copies of themselves on the way to styled text: the page,
// its text for the importer, the importer's own, the decoded bytes. A
// rich-text document takes them out first, as files.

// `fragment` with each such picture decoded, in pieces, into a file of
// `folder` and shown by content ID instead (src="cid:embedded-<n>");
// `pictures` receives each content ID's attachment, which the package
// copies from that file. A picture whose data does not decode stays as it
// is. False, with the reason, when a file cannot be written.
bool takeOutEmbeddedPictures(QString& fragment, const QString& folder,
                             QHash<QString, platform::TextAttachmentRef>& pictures, QString* error);
