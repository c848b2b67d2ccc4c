#pragma once

#include <QString>

// How a page is readied for Qt's HTML importer, which differs from a browser
// in ways that would cost the page its styles. Used by HTMLImport.cpp only.
namespace platform::htmlpage {

// The page with its style sheets in points rather than pixels, the body
// rule given to the body element itself where that cannot change what the
// sheets select, and without what cannot change the text Qt makes of it:
// rules for elements the page has none of, the body's box and background
// (see the definition).
QString preparedForImport(const QString& html);

// The page's text only: styles and scripts go, line-ending elements become
// line breaks, every other tag goes. The importer then sees no nesting.
QString flattenedToText(const QString& html);

} // namespace platform::htmlpage
