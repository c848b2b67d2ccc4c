#pragma once

#include <QString>
#include <QStringView>

namespace notestore {

// The note an "applenotes:note/<identifier>" address names (an inline link
// or an ordinary link of the text), in upper case as note rows keep it:
// the address has it in lower case. A "?ownerIdentifier=…" part is not
// part of it. Empty for any other address.
QString linkedNoteIdentifier(QStringView url);

// The id a note is linked by in the export: its identifier in upper case.
QString noteLinkID(const QString& identifier);

} // namespace notestore
