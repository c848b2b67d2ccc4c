#pragma once

#include "platform/AttributedString.h"
#include "platform/Error.h"

#include <QByteArray>
#include <functional>
#include <optional>

namespace platform {

// A complete HTML page (UTF-8, with its <style> sheet) as styled text:
// headings, paragraphs, lists (their markers become text), bold, italic,
// underline, strikethrough, monospaced text, links, colours and the style
// sheet's fonts and sizes (the body's inherited as in a browser, so an inner
// element keeps a font of its own). Paragraphs are separated by line feeds. Pictures
// the page carries itself (data: URLs) become attachments at their place;
// other images and embedded objects are dropped, and nothing outside the
// page is ever loaded. Needs a GUI application object; without one the answer is
// an error, never a crash.
// `pictureSource`, when given, is asked for any other picture the page
// names (by its src); what it gives stands at that place.
using PictureSource = std::function<TextAttachmentRef(const QString& source)>;
// `flattened`, when given, tells whether the page was nested too deeply and
// was imported as plain text.
std::optional<AttributedString> attributedStringFromHTML(const QByteArray& html, Error* error = nullptr,
                                                         const PictureSource& pictureSource = {},
                                                         bool* flattened = nullptr);

// Pages whose elements nest deeper than this are imported as plain text:
// the layout engine slows down far faster than the nesting grows.
inline constexpr int kMaxHTMLNesting = 200;
// How deep the elements of `html` nest (empty elements such as <br> do not count).
int htmlNestingDepth(const QByteArray& html);

inline constexpr const char* kHTMLImportErrorDomain = "HTMLImportErrorDomain";

} // namespace platform
