#pragma once

#include "platform/Color.h"

#include <QString>
#include <QStringList>

// Colours from CSS text. Each answers null unless the whole string, apart from
// surrounding whitespace and newlines, is one colour of the kind asked for.
namespace otl {

platform::ColorRef colorWithCSS(const QString& string);
platform::ColorRef colorWithHexString(const QString& string);
platform::ColorRef colorWithRGBString(const QString& string);
platform::ColorRef colorWithHSLString(const QString& string);
platform::ColorRef colorWithW3CNamedColor(const QString& string);

// The named colours' keys in code-unit order ("AliceBlue" ... "transparent").
QStringList W3CColorNames();

} // namespace otl
