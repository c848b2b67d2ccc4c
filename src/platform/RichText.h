#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

class QTextDocument;

namespace platform {

// One lexical unit of RTF text.
struct RichTextToken {
    enum Type { GroupStart, GroupEnd, ControlWord, ControlSymbol, Text, End };
    Type type = End;
    QByteArray word;              // control word without the backslash, or the symbol
    std::optional<int> parameter; // numeric parameter of a control word
    QByteArray text;              // Text: raw bytes; ControlSymbol "'": the decoded byte
};

// Splits RTF into tokens. Never fails: stray bytes become text and a
// truncated control word ends the input.
class RichTextTokenizer {
public:
    explicit RichTextTokenizer(QByteArrayView input) : m_input(input) {}
    RichTextToken next();
    bool atEnd() const { return m_position >= m_input.size(); }

private:
    QByteArrayView m_input;
    qsizetype m_position = 0;
};

// Reads the RTF subset our resources and our ".rtfd" writer use into
// `document`, replacing its contents: paragraphs with alignment and
// indents, the font table's families with \fN, bold, italic, underline,
// strikethrough, font sizes,
// the colour table with \cf and \cb, HYPERLINK fields, \uN (with \ucN) and
// \'hh (Windows-1252) escapes. An attachment reference
// {{\NeXTGraphic name \width.. \height..}<char>} becomes one object
// replacement character with an image format named after the file (also
// under kRichTextAttachmentFileNameProperty). Style sheets and every
// destination marked \* that we do not know are skipped. Unbalanced braces
// are tolerated; false only when the input is not RTF at all.
bool readRichText(QByteArrayView rtf, QTextDocument& document, Error* error = nullptr);

// Property of an attachment character's format: the file's name in the package.
inline constexpr int kRichTextAttachmentFileNameProperty = 0x100000 + 1;

inline constexpr const char* kRichTextErrorDomain = "RichTextErrorDomain";

} // namespace platform
