#pragma once

#include <QList>

namespace platform {

// Alignments by meaning; CSS and other writers map them by name, never by
// number.
enum class TextAlignment { Left, Right, Center, Justified, Natural };

enum class WritingDirection { Natural = -1, LeftToRight = 0, RightToLeft = 1 };

struct TextTab {
    TextAlignment alignment = TextAlignment::Left;
    double location = 0.0;
    bool operator==(const TextTab&) const = default;
};

// Paragraph attributes of styled text: a plain value, copied on assignment.
struct ParagraphStyle {
    TextAlignment alignment = TextAlignment::Natural;
    double lineSpacing = 0.0;        // extra points between lines
    double paragraphSpacing = 0.0;   // space after the paragraph
    double paragraphSpacingBefore = 0.0;
    double headIndent = 0.0;
    double tailIndent = 0.0;
    double firstLineHeadIndent = 0.0;
    double lineHeightMultiple = 0.0; // 0 leaves the line height to the font
    double minimumLineHeight = 0.0;
    double maximumLineHeight = 0.0;  // 0 means no limit
    WritingDirection baseWritingDirection = WritingDirection::Natural;
    long headerLevel = 0;            // 1...6 for headings, 0 otherwise
    QList<TextTab> tabStops;
    double defaultTabInterval = 0.0;

    void setHeaderLevel(long level) { headerLevel = level; }

    // Line spacing here is the four values that set the distance between
    // lines: lineSpacing, lineHeightMultiple, minimum and maximum line height.
    bool lineSpacingMatchesStyle(const ParagraphStyle& other) const;
    void applyLineSpacingFromStyle(const ParagraphStyle& other);

    bool operator==(const ParagraphStyle&) const = default;

    // Natural alignment, no spacing, twelve left tabs every 28 points.
    static const ParagraphStyle& defaultParagraphStyle();
};

} // namespace platform
