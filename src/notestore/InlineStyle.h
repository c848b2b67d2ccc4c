#pragma once

#include "notestore.pb.h"

#include <QString>
#include <vector>

namespace notestore {

// One element of a run's character style, outermost first.
struct InlineTag {
    const char* tag;
    QByteArray attributes; // UTF-8
    bool operator==(const InlineTag& other) const
    {
        return qstrcmp(tag, other.tag) == 0 && attributes == other.attributes;
    }
};

// The elements that give a run its look: link, colours, bold, italic,
// underline, strikethrough, superscript or subscript.
std::vector<InlineTag> inlineTags(const pb::Run& run);

// The address a link may point at, or empty for one that must not become
// a link (scripts, inline data, addresses that do not parse).
QString safeLinkTarget(const QByteArray& link);

// "#rrggbb" for a colour of components in 0...1.
QString cssColor(const pb::RunColor& color);

} // namespace notestore
