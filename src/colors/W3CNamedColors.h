#pragma once

#include "platform/Scanner.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace otl {

// Name (as CSS writes it, in CamelCase) to "#RRGGBB"; "transparent" is "#0000".
// Built once, on first use from any thread.
const QHash<QString, QString>& w3cColorTable();

// The table's names, longest first, for matching a name at a prefix.
const QStringList& w3cColorNamesLongestFirst();

// 0-9, A-F and a-f.
const platform::CharacterSet& hexDigitCharacterSet();

} // namespace otl
