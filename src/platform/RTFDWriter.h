#pragma once

#include "platform/AttributedString.h"
#include "platform/Error.h"
#include "platform/FileWrapper.h"

#include <QByteArray>
#include <QStringList>
#include <optional>

namespace platform {

// The file of an ".rtfd" package that holds the text.
inline const QString kRTFDTextFileName = QStringLiteral("TXT.rtf");

// Styled text as RTF: font and colour tables, paragraph and character
// formatting, links as HYPERLINK fields and Unicode escapes for text
// outside ASCII. Each attachment character becomes a reference to the file
// named at the same position in `attachmentFileNames`.
QByteArray rtfFromAttributedString(const AttributedString& text, const QStringList& attachmentFileNames = {});

// An ".rtfd" package: "TXT.rtf" and one file per attachment, under names
// unique in the package. Fails only for text that cannot be stored.
std::optional<FileWrapper> rtfdFileWrapper(const AttributedString& text, Error* error = nullptr);

} // namespace platform
