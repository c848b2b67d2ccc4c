#include "platform/ParagraphStyle.h"

namespace platform {

const ParagraphStyle& ParagraphStyle::defaultParagraphStyle()
{
    static const ParagraphStyle style = [] {
        ParagraphStyle made;
        for (int i = 1; i <= 12; ++i)
            made.tabStops.append({TextAlignment::Left, 28.0 * i});
        return made;
    }();
    return style;
}

} // namespace platform
