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

bool ParagraphStyle::lineSpacingMatchesStyle(const ParagraphStyle& other) const
{
    return lineSpacing == other.lineSpacing && lineHeightMultiple == other.lineHeightMultiple
        && minimumLineHeight == other.minimumLineHeight && maximumLineHeight == other.maximumLineHeight;
}

void ParagraphStyle::applyLineSpacingFromStyle(const ParagraphStyle& other)
{
    lineSpacing = other.lineSpacing;
    lineHeightMultiple = other.lineHeightMultiple;
    minimumLineHeight = other.minimumLineHeight;
    maximumLineHeight = other.maximumLineHeight;
}

} // namespace platform
